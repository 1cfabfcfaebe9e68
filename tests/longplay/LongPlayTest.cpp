// Long play on the shipped level through real key events and every frame
// rendered: random held arrows with stray keys, each run ended by a win, which
// rebuilds the roster inside a running pass. Nothing may leak or grow.

#include "GameAssets.h"
#include "InputScript.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
// g++ 12 ships the allocator statistics without their header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kCycles = 4;
constexpr int kRandomTicksPerCycle = 6000;
constexpr int kLongestHoldTicks = 60;
constexpr unsigned kSeed = 0x5eed2024;
constexpr unsigned kStrayKeyOdds = 64;      // one pass in this many taps a stray key
constexpr int kQueueWarmUpEvents = 32;      // more than one pass below ever queues
int clockMs = 0;  // set pass by pass: the same digits (and cached glyphs) on any machine

// Exact with glibc's per-thread cache of freed chunks off, as ctest runs this.
std::optional<size_t> HeapInUse()
{
#ifdef __SANITIZE_ADDRESS__
    return __sanitizer_get_current_allocated_bytes();
#else
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (!tunables || !std::strstr(tunables, "glibc.malloc.tcache_count=0"))
        return std::nullopt;
    return mallinfo2().uordblks;
#endif
}

// Stretches of random arrows, `ticks` passes in all.
InputScript RandomRun(std::mt19937& rng, int ticks)
{
    std::uniform_int_distribution<int> holdTicks(1, kLongestHoldTicks);
    std::ofstream file("random-run.txt");
    for (int hold = 0; ticks > 0; ticks -= hold) {
        hold = std::min(holdTicks(rng), ticks);
        std::string held;
        for (char arrow : {'U', 'D', 'L', 'R'})
            if (rng() % 2)
                held += arrow;
        file << hold << ' ' << (held.empty() ? "-" : held) << '\n';
    }
    file.close();
    return InputScript::Load("random-run.txt");
}

void Tap(int keyCode)
{
    InputScript::PushKey(keyCode, true);
    InputScript::PushKey(keyCode, false);
}

// Ends a run where it stands: two pixels short of the chest with the last key to take.
bool WinFromAnywhere(Tqz41kMain& game)
{
    if (game.GetGameState() != Tqz41kMain::StatePlaying)
        return true;
    auto& player = dynamic_cast<Tqz41kPlayer&>(*game.GetDisplayableObject(0));
    player.SetState({730, 60, false, false, 1});
    player.CollectKey();
    InputScript::PushKey(SDLK_RIGHT, true);
    game.RunPass(clockMs += InputScript::kPassMs);
    InputScript::PushKey(SDLK_RIGHT, false);
    return game.GetGameState() == Tqz41kMain::StateWon;
}

struct Outcome {
    std::string failure;
    std::optional<size_t> heapAfterFirstWin;
    std::optional<size_t> heapAfterLastWin;
};

Outcome PlayLong()
{
    std::mt19937 rng{kSeed};
    std::vector<InputScript> randomRuns;
    for (int cycle = 0; cycle < kCycles; ++cycle)
        randomRuns.push_back(RandomRun(rng, kRandomTicksPerCycle));

    Outcome outcome;
    const auto failed = [&outcome](const std::string& why) {
        outcome.failure = why;
        return outcome;
    };
    Tqz41kMain game;
    if (game.Initialise(GameAssets::kWindowTitle, GameAssets::kWindowWidth, GameAssets::kWindowHeight,
                        GameAssets::kFontFile, GameAssets::kFontSize) != 0)
        return failed("the game did not start");
    // SDL keeps every event-queue entry it ever needed: reach the deepest first.
    for (int event = 0; event < kQueueWarmUpEvents; ++event)
        InputScript::PushKey('x', false);
    game.RunPass(clockMs += InputScript::kPassMs);

    const auto strayKeys = [&] {
        if (game.GetGameState() != Tqz41kMain::StatePlaying)
            Tap(SDLK_SPACE);
        else if (rng() % kStrayKeyOdds == 0)
            Tap(rng() % 2 ? int{SDLK_SPACE} : 'x');
    };
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        randomRuns[cycle].Play(game, clockMs, SDLK_SPACE, strayKeys);
        if (!WinFromAnywhere(game))
            return failed("the walk into the open chest did not win, cycle " + std::to_string(cycle));
        // From the second on: the audio library keeps 16 bytes more once, in the second run.
        (cycle == 1 ? outcome.heapAfterFirstWin : outcome.heapAfterLastWin) = HeapInUse();
    }
    game.Deinitialise();
    return outcome;
}

}  // namespace

TEST(LongPlay, RandomPlayAndRepeatedWinsKeepMemoryFlat)
{
    // A copy of the data folder without any best time `make play` left there.
    const fs::path folder = VAULTRUN_BINARY_DIR "/tests/longplay/play";
    fs::remove_all(folder);
    fs::copy(VAULTRUN_BINARY_DIR "/data", folder);
    fs::remove(folder / "Score.txt");
    fs::current_path(folder);

    // The console chatter runs to megabytes: it goes to /dev/null.
    std::fflush(stdout);
    const int console = dup(STDOUT_FILENO);
    const int sink = open("/dev/null", O_WRONLY);
    dup2(sink, STDOUT_FILENO);
    close(sink);
    const Outcome outcome = PlayLong();
    std::fflush(stdout);
    dup2(console, STDOUT_FILENO);
    close(console);
    ASSERT_EQ(outcome.failure, "");
    if (outcome.heapAfterFirstWin && outcome.heapAfterLastWin) {
        EXPECT_LE(*outcome.heapAfterLastWin, *outcome.heapAfterFirstWin);
    }
#ifdef __SANITIZE_ADDRESS__
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
