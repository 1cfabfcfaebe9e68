// Runs the game's real main loop for ten seconds of a run and reports the
// intervals between update ticks (minimum, median, 99th percentile, maximum)
// and the CPU the process used. The run is started by a key event on the title
// screen, as a player starts it; no key is held after that, so the run is
// never won and the data folder's Score.txt is never written.
//
//   xvfb-run -a -s "-screen 0 1024x768x24" vaultrun-tick-intervals
// Without a display it runs on whatever driver SDL picks (SDL_VIDEODRIVER).

#include "GameAssets.h"
#include "Tqz41kMain.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRunMs = 10000;
// About 67 ticks a second; room for all of them without growing mid-run.
constexpr size_t kExpectedTicks = kRunMs / 15 + 64;
// The targets the figures are held against, in ms.
constexpr int kShortestInterval = 15;
constexpr int kP99Interval = 16;
constexpr int kLongestInterval = 25;

// The game, pressing a key on the title screen at its first tick, as a player
// does once the title shows; then recording the clock reading of every tick of
// the run and leaving the loop after ten seconds of them. The title's first
// present (the renderer's warm-up) thus falls before the run, as in play.
class RecordingGame : public Tqz41kMain {
public:
    RecordingGame() { ticks.reserve(kExpectedTicks); }

    void UpdateAllObjects(int time) override
    {
        if (GetGameState() == StateStart && !keyPressed) {
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.keysym.sym = SDLK_RETURN;
            SDL_PushEvent(&key);
            keyPressed = true;
        }
        if (GetGameState() == StatePlaying) {
            ticks.push_back(tickTime);
            if (tickTime - ticks.front() >= kRunMs)
                exitCode = 0;
        }
        Tqz41kMain::UpdateAllObjects(time);
    }

    const std::vector<int>& Ticks() const { return ticks; }

private:
    std::vector<int> ticks;
    bool keyPressed = false;
};

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int, char**)
{
    if (chdir(VAULTRUN_DATA_DIR) != 0) {
        std::fprintf(stderr, "vaultrun-tick-intervals: cannot enter %s\n", VAULTRUN_DATA_DIR);
        return 1;
    }
    // The report keeps the real standard output; the game's console lines go.
    std::FILE* report = fdopen(dup(STDOUT_FILENO), "w");
    if (!report || !std::freopen("/dev/null", "w", stdout))
        return 1;

    RecordingGame game;
    if (game.Initialise(GameAssets::kWindowTitle, GameAssets::kWindowWidth,
                        GameAssets::kWindowHeight, GameAssets::kFontFile,
                        GameAssets::kFontSize) != 0)
        return 1;
    const double cpuBefore = CpuSeconds();
    const Uint32 wallBefore = SDL_GetTicks();
    game.MainLoop();
    const double wallSeconds = (SDL_GetTicks() - wallBefore) / 1000.0;
    const double cpuSeconds = CpuSeconds() - cpuBefore;
    const int state = game.GetGameState();
    game.Deinitialise();

    std::vector<int> intervals;
    const std::vector<int>& ticks = game.Ticks();
    for (size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back(ticks[i] - ticks[i - 1]);
    if (intervals.empty() || state != Tqz41kMain::StatePlaying) {
        std::fprintf(report, "vaultrun-tick-intervals: no run was played\n");
        return 1;
    }
    std::sort(intervals.begin(), intervals.end());
    auto at = [&](double fraction) {
        return intervals[std::min(intervals.size() - 1,
                                  static_cast<size_t>(fraction * intervals.size()))];
    };
    const int shortest = intervals.front();
    const int p99 = at(0.99);
    const int longest = intervals.back();

    std::fprintf(report, "video driver: %s\n", SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
    std::fprintf(report, "update ticks: %zu in %.2f s\n", ticks.size(), wallSeconds);
    std::fprintf(report, "intervals (ms): min %d, median %d, p99 %d, max %d\n", shortest, at(0.5), p99,
                 longest);
    std::fprintf(report, "CPU: %.2f s in %.2f s = %.0f %% of one core\n", cpuSeconds, wallSeconds,
                 100.0 * cpuSeconds / wallSeconds);
    std::fprintf(report, "targets: min >= %d %s, p99 <= %d %s, max <= %d %s\n", kShortestInterval,
                 shortest >= kShortestInterval ? "met" : "missed", kP99Interval,
                 p99 <= kP99Interval ? "met" : "missed", kLongestInterval,
                 longest <= kLongestInterval ? "met" : "missed");
    std::fclose(report);
    return 0;
}
