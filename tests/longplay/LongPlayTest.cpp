#include "InputScript.h"
#include "PlayFolder.h"
#include "Tqz41kMain.h"
#include "Tqz41kPlayer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VAULTRUN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VAULTRUN_ASAN 1
#endif
#endif

#ifdef VAULTRUN_ASAN
#include <sanitizer/lsan_interface.h>
#if __has_include(<sanitizer/allocator_interface.h>)
#include <sanitizer/allocator_interface.h>
#else
// g++ 12 ships the runtime's allocator statistics without their header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif
#else
#include <malloc.h>
#endif

namespace {

// Twenty cycles of ten thousand random ticks give the 200,000 random ticks;
// each cycle also holds one scripted win, so the roster is rebuilt under a
// running pass at least twenty times.
constexpr int kCycles = 20;
constexpr int kRandomTicksPerCycle = 10000;
constexpr unsigned kSeed = 0x5eed2024;
constexpr int kLongestHoldTicks = 60;
// One stretch in this many also taps a key that means nothing during a run.
constexpr int kStrayKeyOdds = 8;
// Far more events than one pass below ever queues (eight at most).
constexpr int kQueueWarmUpEvents = 32;

constexpr std::time_t kCalendarStart = 1000000;
int engineClockMs = 0;

// Calendar seconds follow the engine clock, so run times and the stored best
// time do not depend on how fast the machine plays.
std::time_t FollowEngineClock()
{
    return kCalendarStart + engineClockMs / 1000;
}

// Bytes the program holds on the heap. The sanitizer allocator counts exactly.
// glibc counts the chunks in its per-thread cache of freed chunks as in use,
// so its figure is exact only with that cache off (ctest runs this test so);
// otherwise there is no figure.
std::optional<size_t> HeapInUse()
{
#ifdef VAULTRUN_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (!tunables || !std::strstr(tunables, "glibc.malloc.tcache_count=0"))
        return std::nullopt;
    return mallinfo2().uordblks;
#endif
}

// The best time in the working folder's score file, 0 for none.
int ReadBestTime()
{
    std::ifstream file("Score.txt", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return Tqz41kMain::ParseHiScore(bytes).value_or(0);
}

// The game's console chatter ("Tile 1", the map dump, "DELETING OBJECT!") runs
// to megabytes over a long play; it goes to /dev/null while this lives.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int sink = open("/dev/null", O_WRONLY);
        if (sink >= 0) {
            dup2(sink, STDOUT_FILENO);
            close(sink);
        }
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            close(saved);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};

// Holds exactly the arrows in `wanted` (bit 0 up, 1 down, 2 left, 3 right)
// through real key events, given the arrows held so far.
void HoldArrows(unsigned wanted, unsigned& held)
{
    constexpr int kArrows[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    for (unsigned bit = 0; bit < 4; ++bit) {
        const bool want = (wanted >> bit) & 1;
        if (want != (((held >> bit) & 1) != 0))
            InputScript::PushKey(kArrows[bit], want);
    }
    held = wanted;
}

class LongPlay : public ::testing::Test {
protected:
    void Pass()
    {
        game->RunPass(engineClockMs += InputScript::kPassMs);
    }

    bool IsPlaying() const { return game->GetGameState() == Tqz41kMain::StatePlaying; }

    void Tap(int keyCode)
    {
        InputScript::PushKey(keyCode, true);
        InputScript::PushKey(keyCode, false);
    }

    // Random arrows for `ticks` passes of runs, the first started with space on
    // the title or end screen. A random win (all keys and the chest by chance)
    // is counted, and space starts the next run.
    void PlayRandomly(int ticks)
    {
        std::uniform_int_distribution<int> holdTicks(1, kLongestHoldTicks);
        std::uniform_int_distribution<unsigned> arrows(0, 15);
        std::uniform_int_distribution<int> stray(0, kStrayKeyOdds - 1);
        unsigned held = 0;
        int played = 0;
        while (played < ticks) {
            if (!IsPlaying())
                Tap(SDLK_SPACE);
            HoldArrows(arrows(rng), held);
            if (stray(rng) == 0)
                Tap(rng() % 2 ? int{SDLK_SPACE} : 'x');
            for (int pass = holdTicks(rng); pass > 0 && played < ticks; --pass, ++played) {
                const int before = game->GetGameState();
                Pass();
                if (before == Tqz41kMain::StatePlaying && !IsPlaying())
                    ++wins;
            }
        }
        HoldArrows(0, held);
    }

    // Ends a random run where it stands: the player is put two pixels short of
    // the chest with the last key to take, and walks in through a real pass.
    bool WinFromAnywhere()
    {
        if (!IsPlaying())
            return true;
        auto& player = dynamic_cast<Tqz41kPlayer&>(*game->GetDisplayableObject(0));
        Tqz41kPlayer::State state;
        state.x = 730;
        state.y = 60;
        state.keysLeft = 1;
        player.SetState(state);
        player.CollectKey();
        unsigned held = 0;
        HoldArrows(1u << 3, held);
        Pass();
        HoldArrows(0, held);
        if (game->GetGameState() != Tqz41kMain::StateWon)
            return false;
        ++wins;
        return true;
    }

    // What a long play saw, for the checks made once the console is back.
    struct Outcome {
        int randomTicks = 0;
        int scriptedWins = 0;
        std::optional<size_t> heapAfterFirstWin;
        std::optional<size_t> heapAfterLastWin;
        std::string failure;
    };

    Outcome PlayLong(const InputScript& script)
    {
        Outcome outcome;
        QuietStdout quiet;
        engineClockMs = 0;
        game = std::make_unique<Tqz41kMain>();
        game->SetCalendarClock(&FollowEngineClock);
        if (game->Initialise("Vaultrun", 800, 600, PlayFolder::kFontName, 24) != 0) {
            outcome.failure = "the game did not start";
            return outcome;
        }
        // SDL keeps every event-queue entry it ever needed for reuse: reach a
        // deeper queue than any pass below builds before memory is compared.
        for (int event = 0; event < kQueueWarmUpEvents; ++event)
            InputScript::PushKey('x', false);
        Pass();
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            // A random run from the title or end screen, ended by a win.
            PlayRandomly(kRandomTicksPerCycle);
            outcome.randomTicks += kRandomTicksPerCycle;
            if (!WinFromAnywhere()) {
                outcome.failure = "the walk into the open chest did not win, cycle " +
                                  std::to_string(cycle);
                return outcome;
            }
            if (cycle == 0)
                outcome.heapAfterFirstWin = HeapInUse();

            // A complete recorded run, started by space on the end screen.
            script.Play(*game, engineClockMs, SDLK_SPACE);
            if (game->GetGameState() != Tqz41kMain::StateWon) {
                outcome.failure = "the recorded run did not win, cycle " + std::to_string(cycle);
                return outcome;
            }
            ++outcome.scriptedWins;
            ++wins;
            outcome.heapAfterLastWin = HeapInUse();
        }
        game->Deinitialise();
        game.reset();
        return outcome;
    }

    std::unique_ptr<Tqz41kMain> game;
    std::mt19937 rng{kSeed};
    int wins = 0;
};

}  // namespace

// Hours of play in a few minutes: random arrows and complete recorded wins on
// the shipped level, through real key events and the engine's own passes, with
// every frame rendered. The roster is thrown away and rebuilt inside a running
// update pass at each win; nothing may leak, grow or trip the sanitizers.
TEST_F(LongPlay, RandomPlayAndRepeatedWinsKeepMemoryFlat)
{
    const InputScript script =
        InputScript::Load(VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt");
    ASSERT_FALSE(script.IsEmpty());
    PlayFolder folder;
    ASSERT_TRUE(folder.IsReady());

    const Outcome outcome = PlayLong(script);
    ASSERT_EQ(outcome.failure, "");
    EXPECT_GE(outcome.randomTicks, 200000);
    EXPECT_EQ(outcome.scriptedWins, kCycles);
    EXPECT_GE(wins, 2 * kCycles);
    if (outcome.heapAfterFirstWin && outcome.heapAfterLastWin) {
        EXPECT_LE(*outcome.heapAfterLastWin, *outcome.heapAfterFirstWin)
            << "heap in use after the first win " << *outcome.heapAfterFirstWin
            << " bytes, after the last " << *outcome.heapAfterLastWin;
    }
    // The recorded run is faster than any random one, so it holds the best
    // time, give or take the second boundaries its start fell between.
    EXPECT_NEAR(ReadBestTime(), script.TotalTicks() * InputScript::kPassMs / 1000, 1);
#ifdef VAULTRUN_ASAN
    // The game is gone and nothing of it is left; SDL's own globals are still
    // reachable and not reported.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
