// Plays a level file with the game's own code and tells whether it can be won:
// prints each warning as FILE:LINE:COLUMN, then one line per key, one for the
// chest and a verdict. Exits 0 when the level can be won, 1 when it cannot, 2
// when the file cannot be read or the level is too large to search (or the
// game cannot be run to check it). SIGINT and SIGTERM end it at once.
//
// usage: vaultrun-levelcheck [--traps | --route] [--max-memory=MB] [FILE]
//                                           (FILE defaults to level1.txt)
//   --traps  play with the traps moving and judge how fair the level is
//   --route  print the fastest winning route with traps as an input script
//   --max-memory=MB  how large the search with traps may grow (default 512)
//        vaultrun-levelcheck --version

#include "LevelChecker.h"
#include "Tqz41kTileManager.h"
#include "VaultrunVersion.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {
constexpr const char* kDefaultLevel = "level1.txt";
constexpr int kTickMs = 15;  // the engine's update period

constexpr int kWinnable = 0;
constexpr int kNotWinnable = 1;
constexpr int kUnreadable = 2;

struct Options {
    bool traps = false;
    bool route = false;
    bool version = false;
    size_t maxMegabytes = LevelChecker::DefaultMaxMegabytes;
    std::string path = kDefaultLevel;
};

constexpr const char* kMaxMemoryOption = "--max-memory=";
// A bound past this is no bound at all: more than any machine here holds.
constexpr unsigned long kLargestMaxMegabytes = 1 << 20;

constexpr struct {
    const char* name;
    bool Options::*flag;
} kOptions[] = {
    {"--traps", &Options::traps},
    {"--route", &Options::route},
    {"--version", &Options::version},
};

constexpr const char* kUsage =
    "usage: vaultrun-levelcheck [--traps | --route] [--max-memory=MB] [FILE]\n"
    "       vaultrun-levelcheck --version\n";

// False unless text is a whole number of megabytes from 1 to the largest.
bool ReadMegabytes(const char* text, size_t& megabytes)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value < 1 ||
        value > kLargestMaxMegabytes)
        return false;
    megabytes = value;
    return true;
}

// False for an unknown option or a second file.
bool ReadOptions(int argc, char** argv, Options& options)
{
    bool havePath = false;
    for (int i = 1; i < argc; ++i) {
        bool known = false;
        for (const auto& option : kOptions) {
            if (std::strcmp(argv[i], option.name) == 0) {
                options.*option.flag = true;
                known = true;
            }
        }
        if (known)
            continue;
        const size_t prefix = std::strlen(kMaxMemoryOption);
        if (std::strncmp(argv[i], kMaxMemoryOption, prefix) == 0) {
            if (!ReadMegabytes(argv[i] + prefix, options.maxMegabytes))
                return false;
            continue;
        }
        if (havePath || (argv[i][0] == '-' && argv[i][1] != '\0'))
            return false;
        options.path = argv[i];
        havePath = true;
    }
    options.traps = options.traps || options.route;
    return true;
}

// Whole ticks to seconds with two decimals, rounded half up, without floating point.
std::string Seconds(int ticks)
{
    const long long centiseconds = (static_cast<long long>(ticks) * kTickMs + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", centiseconds / 100, centiseconds % 100);
    return text;
}

void PrintWarnings(std::FILE* to, const std::string& path, const LevelChecker::Result& result)
{
    for (const LevelChecker::Warning& warning : result.warnings) {
        std::string where = path;
        if (warning.line > 0)
            where += ":" + std::to_string(warning.line);
        if (warning.column > 0)
            where += ":" + std::to_string(warning.column);
        std::fprintf(to, "%s: warning: %s\n", where.c_str(), warning.message.c_str());
    }
}

// The route as the recorded-run tests read it: stretches of the same arrows.
void PrintRoute(const std::string& path, const LevelChecker::Result& result)
{
    std::printf("# The fastest winning run on %s with the traps moving, as found by\n"
                "# vaultrun-levelcheck --route. One line per stretch of held keys:\n"
                "#   <update ticks> <arrows held: U, D, L or R, or - for none>\n"
                "# The key press that starts the run arrives in the first pass of the first line,\n"
                "# and every pass advances the engine clock by %d ms.\n",
                path.c_str(), kTickMs);
    constexpr struct {
        unsigned bit;
        char letter;
    } kLetters[] = {{LevelChecker::HeldUp, 'U'},
                    {LevelChecker::HeldDown, 'D'},
                    {LevelChecker::HeldLeft, 'L'},
                    {LevelChecker::HeldRight, 'R'}};
    for (size_t tick = 0; tick < result.route.size();) {
        const unsigned held = result.route[tick];
        size_t end = tick;
        while (end < result.route.size() && result.route[end] == held)
            ++end;
        std::string letters;
        for (const auto& arrow : kLetters) {
            if ((held & arrow.bit) != 0)
                letters += arrow.letter;
        }
        std::printf("%zu %s\n", end - tick, letters.empty() ? "-" : letters.c_str());
        tick = end;
    }
}

void PrintFairness(const std::string& path, const LevelChecker::Result& result)
{
    for (const LevelChecker::Hazard& hazard : result.hazards) {
        if (!hazard.overTrap)
            std::printf("%s:%d:%d: note: under a trap's stroke, standing still is hit (%s)\n",
                        path.c_str(), hazard.row + 1, hazard.column + 1,
                        LevelChecker::HazardPlaces(hazard).c_str());
    }
    size_t over = 0;
    for (const LevelChecker::Hazard& hazard : result.hazards)
        over += hazard.overTrap ? 1 : 0;
    if (over == 0)
        std::printf("standing hazards: none");
    else
        std::printf("standing hazards: %zu floor cell%s over a trap (see the warnings)", over,
                    over == 1 ? "" : "s");
    if (result.hazards.size() > over)
        std::printf("; %zu cell%s under a trap's stroke", result.hazards.size() - over,
                    result.hazards.size() - over == 1 ? "" : "s");
    std::printf("\n");
    if (!result.Winnable())
        return;
    const LevelChecker::Window& window = result.tightest;
    if (window.ticks < 0) {
        std::printf("tightest window: none, no stretch of the route meets a trap\n");
        return;
    }
    std::printf("tightest window: %d ticks (%d ms of the traps' %d-tick cycle), leaving (%d, %d) "
                "after %d ticks, waiting again after %d\n",
                window.ticks, window.ticks * kTickMs, result.trapPeriod, window.x, window.y,
                window.fromTick, window.toTick);
}
volatile std::sig_atomic_t caughtSignal = 0;

void CatchSignal(int signal)
{
    caughtSignal = signal;
    LevelChecker::RequestStop();
}

// SIGINT and SIGTERM end a check within moments, its temporary folder removed
// first: they stop the search, and the process then ends by the same signal.
void StopOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = CatchSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

// After the check: ends the process by the signal caught during it, if any,
// and lets any later one end it at once.
void EndOnCaughtSignal()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (caughtSignal != 0)
        std::raise(caughtSignal);
}
}  // namespace

int main(int argc, char** argv)
{
    // Under a file-size limit the level's copy in the private folder fails to
    // be written (a "cannot check" verdict) rather than killing the checker.
    std::signal(SIGXFSZ, SIG_IGN);
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return kUnreadable;
    }
    if (options.version) {
        std::printf("vaultrun-levelcheck %s\n", VAULTRUN_VERSION);
        return 0;
    }
    const std::string& path = options.path;
    // Only a plain file: opening a named pipe would wait for a writer forever.
    std::error_code error;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, error))
        file.open(path, std::ios::binary);
    if (!file.is_open()) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: cannot be read\n", path.c_str());
        return kUnreadable;
    }
    // One byte past the game's bound tells a file the game refuses.
    constexpr std::streamsize kMaxLevelBytes = Tqz41kTileManager::MaxLevelBytes;
    std::string text(static_cast<size_t>(kMaxLevelBytes) + 1, '\0');
    file.read(text.data(), kMaxLevelBytes + 1);
    if (file.bad() || file.gcount() > kMaxLevelBytes) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: not a level (unreadable or over %lld bytes)\n",
                     path.c_str(), static_cast<long long>(kMaxLevelBytes));
        return kUnreadable;
    }
    text.resize(static_cast<size_t>(file.gcount()));

    StopOnSignals();
    const LevelChecker::Result result =
        LevelChecker::Check(text, options.traps ? LevelChecker::Mode::Traps : LevelChecker::Mode::Plain,
                            options.maxMegabytes);
    EndOnCaughtSignal();
    PrintWarnings(options.route ? stderr : stdout, path, result);
    if (!result.failure.empty()) {
        std::fprintf(stderr, "vaultrun-levelcheck: %s: cannot check: %s\n", path.c_str(),
                     result.failure.c_str());
        return kUnreadable;
    }
    if (options.route) {
        if (!result.Winnable()) {
            std::fprintf(stderr, "vaultrun-levelcheck: %s: not winnable with traps: no route\n",
                         path.c_str());
            return kNotWinnable;
        }
        PrintRoute(path, result);
        return kWinnable;
    }

    std::string outOfReach;
    for (size_t i = 0; i < result.keys.size(); ++i) {
        const LevelChecker::Key& key = result.keys[i];
        std::printf("key %zu at (%d, %d): ", i + 1, key.x, key.y);
        if (key.ticks < 0) {
            std::printf("out of reach\n");
            outOfReach += (outOfReach.empty() ? "key " : ", key ") + std::to_string(i + 1);
        } else if (key.routeTicks >= 0) {
            std::printf("taken after %d ticks on the route; a hit costs %d ticks from the start\n",
                        key.routeTicks, key.ticks);
        } else {
            std::printf("taken after %d ticks\n", key.ticks);
        }
    }
    const char* withTraps = options.traps ? " with traps" : "";
    if (result.Winnable()) {
        std::printf("chest: opened and reached after %d ticks (%s s at %d ms a tick), %s\n",
                    result.winTicks, Seconds(result.winTicks).c_str(), kTickMs,
                    options.traps ? "no trap touched" : "traps ignored");
        if (options.traps)
            PrintFairness(path, result);
        std::printf("%s: winnable%s\n", path.c_str(), withTraps);
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
    if (options.traps)
        PrintFairness(path, result);
    std::printf("%s: not winnable%s: %s\n", path.c_str(), withTraps, outOfReach.c_str());
    return kNotWinnable;
}
