// Plays a level file with the game's own code and tells whether it can be won:
// prints each shape warning as FILE:LINE:COLUMN, then one line per key, one for
// the chest and a verdict. Exits 0 when the level can be won, 1 when it cannot,
// 2 when the file cannot be read (or the game cannot be run to check it).
//
// usage: vaultrun-levelcheck [FILE]     (FILE defaults to level1.txt)
//        vaultrun-levelcheck --version

#include "LevelChecker.h"
#include "VaultrunVersion.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {
constexpr const char* kDefaultLevel = "level1.txt";
// Far larger than any level; a bigger file is not a level at all.
constexpr std::streamsize kMaxLevelBytes = 1 << 20;
constexpr int kTickMs = 15;  // the engine's update period

constexpr int kWinnable = 0;
constexpr int kNotWinnable = 1;
constexpr int kUnreadable = 2;

// Whole ticks to seconds with two decimals, rounded half up, without floating point.
std::string Seconds(int ticks)
{
    const long long centiseconds = (static_cast<long long>(ticks) * kTickMs + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", centiseconds / 100, centiseconds % 100);
    return text;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vaultrun-levelcheck %s\n", VAULTRUN_VERSION);
        return 0;
    }
    if (argc > 2) {
        std::fprintf(stderr, "usage: vaultrun-levelcheck [FILE]\n");
        return kUnreadable;
    }
    const std::string path = argc == 2 ? argv[1] : kDefaultLevel;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: cannot be read\n", path.c_str());
        return kUnreadable;
    }
    std::string text(static_cast<size_t>(kMaxLevelBytes) + 1, '\0');
    file.read(text.data(), kMaxLevelBytes + 1);
    if (file.bad() || file.gcount() > kMaxLevelBytes) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: not a level (unreadable or over 1 MiB)\n",
                     path.c_str());
        return kUnreadable;
    }
    text.resize(static_cast<size_t>(file.gcount()));

    const LevelChecker::Result result = LevelChecker::Check(text);
    for (const LevelChecker::Warning& warning : result.warnings) {
        std::string where = path;
        if (warning.line > 0)
            where += ":" + std::to_string(warning.line);
        if (warning.column > 0)
            where += ":" + std::to_string(warning.column);
        std::printf("%s: warning: %s\n", where.c_str(), warning.message.c_str());
    }
    if (!result.failure.empty()) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: cannot check: %s\n", path.c_str(),
                     result.failure.c_str());
        return kUnreadable;
    }

    std::string outOfReach;
    for (size_t i = 0; i < result.keys.size(); ++i) {
        const LevelChecker::Key& key = result.keys[i];
        std::printf("key %zu at (%d, %d): ", i + 1, key.x, key.y);
        if (key.ticks >= 0) {
            std::printf("taken after %d ticks\n", key.ticks);
        } else {
            std::printf("out of reach\n");
            outOfReach += (outOfReach.empty() ? "key " : ", key ") + std::to_string(i + 1);
        }
    }
    if (result.Winnable()) {
        std::printf("chest: opened and reached after %d ticks (%s s at %d ms a tick), traps ignored\n",
                    result.winTicks, Seconds(result.winTicks).c_str(), kTickMs);
        std::printf("%s: winnable\n", path.c_str());
        return kWinnable;
    }
    if (!outOfReach.empty()) {
        std::printf("chest: never opens (keys out of reach)\n");
        outOfReach += " out of reach";
    } else if (!result.allKeysTaken) {
        std::printf("chest: never opens (no run takes every key)\n");
        outOfReach = "no run takes every key";
    } else {
        std::printf("chest: out of reach\n");
        outOfReach = "the chest out of reach";
    }
    std::printf("%s: not winnable: %s\n", path.c_str(), outOfReach.c_str());
    return kNotWinnable;
}
