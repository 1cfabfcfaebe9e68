// Checks a level file for the game: prints each problem as FILE:LINE:COLUMN
// and exits 0 when the level plays (warnings allowed), 1 when it has errors,
// 2 when it cannot be read.
//
// usage: vaultrun-levelcheck [FILE]     (FILE defaults to level1.txt)

#include "LevelChecker.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {
constexpr const char* kDefaultLevel = "level1.txt";
// Far larger than any level; a bigger file is not a level at all.
constexpr std::streamsize kMaxLevelBytes = 1 << 20;
}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: vaultrun-levelcheck [FILE]\n");
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : kDefaultLevel;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: cannot be read\n", path.c_str());
        return 2;
    }
    std::string text(static_cast<size_t>(kMaxLevelBytes) + 1, '\0');
    file.read(text.data(), kMaxLevelBytes + 1);
    if (file.bad() || file.gcount() > kMaxLevelBytes) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: not a level (unreadable or over 1 MiB)\n",
                     path.c_str());
        return 2;
    }
    text.resize(static_cast<size_t>(file.gcount()));

    int errors = 0, warnings = 0;
    for (const LevelChecker::Finding& finding : LevelChecker::Check(text)) {
        std::string where = path;
        if (finding.line > 0)
            where += ":" + std::to_string(finding.line);
        if (finding.column > 0)
            where += ":" + std::to_string(finding.column);
        std::printf("%s: %s: %s\n", where.c_str(), finding.error ? "error" : "warning",
                    finding.message.c_str());
        ++(finding.error ? errors : warnings);
    }
    if (errors == 0 && warnings == 0)
        std::printf("%s: ok: every key and the chest can be reached\n", path.c_str());
    else
        std::printf("%s: %d error(s), %d warning(s)\n", path.c_str(), errors, warnings);
    return errors == 0 ? 0 : 1;
}
