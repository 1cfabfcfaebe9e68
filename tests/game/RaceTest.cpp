// Racing the best run: every run recorded and played again out of sight to the
// same state at every tick, the replay file's reader, the ghost's drawing,
// splits, watching the best run and restarting.

#include "GameFixture.h"
#include "InputScript.h"

#include "Tqz41kReplayFile.h"
#include "Tqz41kRunReplayer.h"
#include "Tqz41kTrap.h"

#include "GameAssets.h"

#include <SDL.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
const std::string kWinningRun = VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt";

uint32_t Pixel(SDL_Surface* surface, int x, int y)
{
    return static_cast<const uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x];
}

bool operator==(const Tqz41kPlayer::State& a, const Tqz41kPlayer::State& b)
{
    return a.x == b.x && a.y == b.y && a.climbing == b.climbing && a.ghost == b.ghost &&
           a.keysLeft == b.keysLeft;
}
}  // namespace

// Held arrows in random stretches, with pauses between them: what the game
// recorded, played again out of sight, passes through the same player state
// at every tick, and the paused passes are no part of it.
TEST_F(GameFixture, RandomPlayRecordedAndPlayedAgainGoesThroughTheSameStates)
{
    Open(ShippedLevel()).KeyDown('q');
    std::mt19937 rng(17);
    std::vector<Tqz41kPlayer::State> seen;
    const int arrows[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    while (seen.size() < 6000) {
        for (int bit = 0; bit < 4; ++bit)
            game->SetKeyPressed(arrows[bit], (rng() >> bit & 1) != 0);
        const bool paused = rng() % 8 == 0;
        if (paused)
            game->Pause();
        for (int pass = 0, passes = 1 + static_cast<int>(rng() % 60); pass < passes; ++pass) {
            Pass();
            if (!paused)
                seen.push_back(Player().GetState());
        }
        game->Resume();
    }
    const DirectionRecord& recording = game->GetRecording();
    ASSERT_EQ(recording.Ticks(), seen.size());
    int compared = 0;
    const Tqz41kRunReplayer::Outcome outcome = Tqz41kRunReplayer::Play(
        Tqz41kTileManager::ParseLevel(ShippedLevel()), recording, false,
        [&](int tick, const Tqz41kPlayer::State& player) {
            EXPECT_TRUE(player == seen[static_cast<size_t>(tick - 1)]) << "tick " << tick;
            ++compared;
        });
    EXPECT_EQ(compared, static_cast<int>(seen.size()));
    EXPECT_LT(seen.back().keysLeft, Tqz41kPlayer::KeysToFind) << "the random play took no key";
    EXPECT_GE(outcome.firstTrapTick, 1) << "the random play met no trap";
}

TEST(ReplayFile, RefusesAnythingButASoundRecordOfTheLevel)
{
    const uint32_t level = Tqz41kReplayFile::LevelChecksum("the level");
    const std::string header = Tqz41kReplayFile::Header(level);
    const struct {
        std::string text;
        const char* refusal;  // "" for a record
    } cases[] = {
        {header + "# a comment\n3 UR\n\n2 -\r\n1 LDU\n", ""},
        {"", "not a replay"},
        {"3 R\n", "not a replay"},
        {"vaultrun-replay 2 1.1.0 level 00000000\n3 R\n", "not a replay"},
        {"vaultrun-replay 1 1 .1 level 00000000\n3 R\n", "not a replay"},
        {"vaultrun-replay 1 1.1.0 level 0000000\n3 R\n", "not a replay"},
        {"vaultrun-replay 1 1.1.0 level 0000000G\n3 R\n", "not a replay"},
        {header, "holds no ticks"},
        {header + "3 RR\n", "damaged at line 2"},
        {header + "3 X\n", "damaged at line 2"},
        {header + "0 R\n", "damaged at line 2"},
        {header + "-3 R\n", "damaged at line 2"},
        {header + "3  R\n", "damaged at line 2"},
        {header + "3 R \n", "damaged at line 2"},
        {header + "3\n", "damaged at line 2"},
        {header + "99999999999999999999999 R\n", "damaged at line 2"},
        {header + std::string("3 R\0", 4), "damaged at line 2"},
        {header + "262144 R\n1 -\n", "longer than any record"},
        {header + std::string(Tqz41kReplayFile::MaxBytes, '#'), "larger than any record"},
        {Tqz41kReplayFile::Header(level + 1) + "3 R\n", Tqz41kReplayFile::ForeignLevel},
    };
    DirectionRecord record(Tqz41kReplayFile::MaxTicks);
    for (const auto& [text, refusal] : cases) {
        EXPECT_EQ(Tqz41kReplayFile::Parse(text, level, record), refusal) << text.substr(0, 80);
        EXPECT_EQ(record.Ticks(), *refusal ? 0u : 6u);
    }
    // Written as read: the stretches joined, the letters in order.
    ASSERT_EQ(Tqz41kReplayFile::Parse(cases[0].text, level, record), "");
    EXPECT_EQ(Tqz41kReplayFile::Format(record, level), header + "3 UR\n2 -\n1 UDL\n");
}

// The ghost is half its picture over the backdrop, behind the player, and its
// last place is restored exactly from the background once it moves on or is
// turned off (G, remembered in the settings file).
TEST_F(GameFixture, GhostIsDrawnSeeThroughAndErasedExactly)
{
    for (const char* picture : {GameAssets::kPlayerPicture.file, GameAssets::kPlayerBehindPicture.file,
                                GameAssets::kPlayerGhostPicture.file})
        fs::copy_file(fs::path(VAULTRUN_BINARY_DIR "/data") / picture, picture);
    WriteFile("Best.replay", Tqz41kReplayFile::Header(Tqz41kReplayFile::LevelChecksum(kLevel)) + "200 R\n");
    Begin();
    for (int pass = 0; pass < 20; ++pass)
        Pass();
    ImageData picture;
    picture.LoadImage(GameAssets::kPlayerPicture.file);
    SDL_Surface* shown = game->GetForeground();
    SDL_Surface* backdrop = game->GetBackground();
    const auto expectGhostAt = [&](int left, int top) {
        int blended = 0;
        for (int y = 0; y < Tqz41kPlayer::Height; ++y) {
            for (int x = 0; x < Tqz41kPlayer::Width; ++x) {
                const uint32_t over = picture.GetPixel(x, y);
                const uint32_t under = Pixel(backdrop, left + x, top + y);
                uint32_t half = 0xFF000000u;
                for (int shift : {0, 8, 16})
                    half |= (((over >> shift & 0xFF) + (under >> shift & 0xFF)) / 2) << shift;
                const bool clear = over == picture.GetPixel(picture.GetWidth() - 1, picture.GetHeight() - 1);
                ASSERT_EQ(Pixel(shown, left + x, top + y), clear ? under : half) << x << "," << y;
                blended += !clear;
            }
        }
        EXPECT_GT(blended, 100);
    };
    expectGhostAt(140, 510);  // 20 ticks of the record's 2 pixels right; the player stands still
    Pass();
    expectGhostAt(142, 510);
    for (int y = 510; y < 540; ++y)
        EXPECT_EQ(Pixel(shown, 140, y), Pixel(backdrop, 140, y)) << y;
    game->KeyDown(SDLK_g);
    Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    for (int y = 510; y < 540; ++y) {
        for (int x = 130; x < 180; ++x)
            ASSERT_EQ(Pixel(shown, x, y), Pixel(backdrop, x, y)) << x << "," << y;
    }
    EXPECT_EQ(ReadFile("Settings.txt"), "sound on\nghost off\n");
}

// The best run watched (R) plays to its win through the real objects, then the
// title again, writing nothing; a run one trap cycle slower shows the same
// split at each key and the best time on the end screen.
TEST_F(GameFixture, WatchingTheBestRunAndRacingItOneTrapCycleBehind)
{
    fs::copy_file(kWinningRun, "Best.replay");
    WriteFile("Score.txt", "1");
    Open(ShippedLevel());
    game->KeyDown(SDLK_r);
    ASSERT_TRUE(game->IsWatching());
    game->KeyUp(SDLK_r);
    for (int pass = 0; pass < 2028; ++pass)
        Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    EXPECT_FALSE(game->IsWatching());
    EXPECT_EQ(ReadFile("Score.txt"), "1");
    // Any key ends watching, and starts nothing however long it is held.
    game->KeyDown(SDLK_r);
    Pass();
    EXPECT_TRUE(game->IsWatching());
    game->KeyDown(SDLK_x);
    game->KeyDown(SDLK_x);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    game->KeyUp(SDLK_x);

    InputScript::PushKey('q', true);
    InputScript::PushKey('q', false);
    const int trapCycle = 108;  // the traps are where they were one cycle earlier
    for (int pass = 0; pass < trapCycle; ++pass)
        Pass();
    std::set<std::string> splits;
    InputScript::Load(kWinningRun).Play(*game, now, SDLK_SPACE, [&] {
        if (*game->GetSplitText())
            splits.insert(game->GetSplitText());
    });
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_EQ(splits, std::set<std::string>{"+1.6 s"});
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 32 s. Best: 1 s.");
    EXPECT_EQ(ReadFile("Best.replay"), ReadFile(kWinningRun.c_str()));
}

// Backspace starts the run again as a win would: the clock, the objects and
// the record from nothing, whatever the run was (paused here).
TEST_F(GameFixture, RestartRebuildsTheRunFromItsStart)
{
    Begin(ShippedLevel());
    game->SetKeyPressed(SDLK_RIGHT, true);
    Wait(3);
    game->Pause();
    ASSERT_GT(Player().GetLeft(), Tqz41kPlayer::StartX);
    game->KeyDown(SDLK_BACKSPACE);
    game->SetKeyPressed(SDLK_RIGHT, false);
    EXPECT_EQ(Player().GetLeft(), Tqz41kPlayer::StartX);
    EXPECT_FALSE(game->IsPaused());
    EXPECT_EQ(game->GetRunTicks(), 0);
    EXPECT_EQ(game->GetRecording().Ticks(), 0u);
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
    EXPECT_EQ(Player().GetLeft(), Tqz41kPlayer::StartX);
    EXPECT_EQ(Object<Tqz41kTrap>(5).GetCurrentScreenY(), 241);
}
