// Long play on the shipped level, through real key events and the engine's own
// passes with every frame rendered: random held arrows with stray keys, each
// random run ended by a win. The roster is rebuilt inside a running pass at
// every win; nothing may leak, grow or trip the sanitizers.

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

// Each cycle: a random run ended by a win. The heap is compared from the
// second win to the last.
constexpr int kCycles = 4;
constexpr int kRandomTicksPerCycle = 6000;
constexpr int kLongestHoldTicks = 60;
constexpr unsigned kSeed = 0x5eed2024;
// One random pass in this many also taps a key that means nothing in a run.
constexpr unsigned kStrayKeyOdds = 64;
// Far more events than one pass below ever queues (eight at most).
constexpr int kQueueWarmUpEvents = 32;

// The engine clock, set pass by pass: the digits shown (and the glyphs cached
// for them) are the same on any machine.
int clockMs = 0;

// Bytes on the heap. glibc counts its per-thread cache of freed chunks as in
// use, so its figure is exact only with that cache off, as ctest runs this.
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

// Stretches of random arrows, `ticks` passes in all, written out and read back as a script.
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

// Ends a run where it stands: the player, at (730, 60) with the last key to
// take, is two pixels short of the chest and walks in through a real pass.
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
    // All made before play, so the heap figures taken in it do not see them.
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
    // SDL keeps every event-queue entry it ever needed for reuse: reach a
    // deeper queue than any pass below builds before memory is compared.
    for (int event = 0; event < kQueueWarmUpEvents; ++event)
        InputScript::PushKey('x', false);
    game.RunPass(clockMs += InputScript::kPassMs);

    // A random run taps a stray key now and then, and starts again after a lucky win.
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
        // Compared from the second cycle on: with the music playing, the audio
        // library keeps 16 bytes more for good during the second run, once.
        (cycle == 1 ? outcome.heapAfterFirstWin : outcome.heapAfterLastWin) = HeapInUse();
    }
    game.Deinitialise();
    return outcome;
}

}  // namespace

TEST(LongPlay, RandomPlayAndRepeatedWinsKeepMemoryFlat)
{
    // The game plays and writes its best times in a copy of the data folder,
    // without any best time `make play` left there; the copy stays for a look.
    const fs::path folder = VAULTRUN_BINARY_DIR "/tests/longplay/play";
    fs::remove_all(folder);
    fs::copy(VAULTRUN_BINARY_DIR "/data", folder);
    fs::remove(folder / "Score.txt");
    fs::current_path(folder);

    // The game's console chatter runs to megabytes over a long play: it goes
    // to /dev/null, so the play reports its failures after.
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
    // The game is gone; SDL's own globals are still reachable and not reported.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
