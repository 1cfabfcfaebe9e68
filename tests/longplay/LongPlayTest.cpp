// Long play on the shipped level through real key events and every frame
// rendered: random held arrows with stray keys, each run ended by a win, which
// rebuilds the roster inside a running pass. Nothing may leak or grow.

#include "GameAssets.h"
#include "GameFixture.h"
#include "InputScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
// g++ 12 ships the allocator statistics without their header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

constexpr int kCycles = 4;
constexpr size_t kRandomTicksPerCycle = 6000;
constexpr int kLongestHoldTicks = 60;
constexpr unsigned kStrayKeyOdds = 64;  // one pass in this many taps a stray key
constexpr int kQueueWarmUpEvents = 32;  // more than one pass below ever queues

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

using LongPlay = GameFixture;

}  // namespace

TEST_F(LongPlay, RandomPlayAndRepeatedWinsKeepMemoryFlat)
{
    std::filesystem::copy(VAULTRUN_BINARY_DIR "/data", ".", std::filesystem::copy_options::recursive);
    std::filesystem::remove("Score.txt");  // any best time `make play` left there
    // Stretches of random arrows, made before the heap is measured.
    std::mt19937 rng{0x5eed2024};
    std::uniform_int_distribution<size_t> holdTicks(1, kLongestHoldTicks);
    std::vector<DirectionRecord> randomRuns(kCycles, DirectionRecord(kRandomTicksPerCycle));
    for (DirectionRecord& run : randomRuns) {
        while (run.Ticks() < kRandomTicksPerCycle)
            run.PushStretch(std::min(holdTicks(rng), kRandomTicksPerCycle - run.Ticks()),
                            rng() & DirectionRecord::AllDirections);
    }

    // The console chatter runs to megabytes: captured to a file, then dropped.
    testing::internal::CaptureStdout();
    mixer = std::make_unique<AudioMixer>();
    Open({}, GameAssets::kFontFile);
    // SDL keeps every event-queue entry it ever needed: reach the deepest first.
    for (int event = 0; event < kQueueWarmUpEvents; ++event)
        InputScript::PushKey('x', false);
    Pass();
    const auto strayKeys = [&] {
        if (game->GetGameState() != Tqz41kMain::StatePlaying)
            InputScript::Tap(SDLK_SPACE);
        else if (rng() % kStrayKeyOdds == 0)
            InputScript::Tap(rng() % 2 ? int{SDLK_SPACE} : 'x');
    };
    std::optional<size_t> heapAfterFirstWin;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        InputScript::Play(*game, now, SDLK_SPACE, randomRuns[cycle], strayKeys);
        if (game->GetGameState() == Tqz41kMain::StatePlaying) {
            Place(730, 60, 1);  // two pixels short of the chest with the last key to take
            Player().CollectKey();
            InputScript::PushKey(SDLK_RIGHT, true);
            Pass();
            InputScript::PushKey(SDLK_RIGHT, false);
        }
        ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon) << "cycle " << cycle;
        // From the second on: the audio library keeps 16 bytes more once, in the second run.
        if (cycle == 1)
            heapAfterFirstWin = HeapInUse();
    }
    const std::optional<size_t> heapAfterLastWin = HeapInUse();
    game->Deinitialise();
    testing::internal::GetCapturedStdout();
    EXPECT_LE(heapAfterLastWin, heapAfterFirstWin);  // both none where the heap cannot be measured
#ifdef __SANITIZE_ADDRESS__
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
