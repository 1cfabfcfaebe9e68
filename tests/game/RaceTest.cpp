// Racing the best run: recording and replaying, the replay file, the ghost and
// restarting (watching and splits are heard in the sound cues' test).

#include "GameFixture.h"

#include "GameAssets.h"
#include "Tqz41kReplayFile.h"
#include "Tqz41kRunReplayer.h"
#include "Tqz41kTrap.h"

#include <SDL.h>

#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

// Random held arrows and pauses: the record played again out of sight goes
// through the same player state at every tick, the paused passes no part of it.
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
    const auto tied = [](const Tqz41kPlayer::State& s) { return std::tie(s.x, s.y, s.climbing, s.ghost, s.keysLeft); };
    const Tqz41kRunReplayer::Outcome outcome = Tqz41kRunReplayer::Play(
        Tqz41kTileManager::ParseLevel(ShippedLevel()), recording, false,
        [&](int tick, const Tqz41kPlayer::State& player) {
            EXPECT_EQ(tied(player), tied(seen[static_cast<size_t>(tick - 1)])) << "tick " << tick;
            ++compared;
        });
    EXPECT_EQ(compared, static_cast<int>(seen.size()));
    EXPECT_LT(seen.back().keysLeft, Tqz41kPlayer::KeysToFind) << "the random play took no key";
    EXPECT_GE(outcome.firstTrapTick, 1) << "the random play met no trap";
}

TEST(ReplayFile, RefusesAnythingButASoundRecordOfTheLevel)
{
    const uint32_t level = Tqz41kReplayFile::LevelChecksum("the level");
    const std::string header = Tqz41kReplayFile::Header(level), notOne = "not a replay", damaged = "damaged at line 2";
    const std::pair<std::string, std::string> cases[] = {  // the text, the refusal ("" for a record)
        {header + "# a comment\n3 UR\n\n2 -\r\n1 LDU\n", ""}, {"", notOne}, {"3 R\n", notOne},
        {"vaultrun-replay 2 1.1.0 level 00000000\n3 R\n", notOne},
        {"vaultrun-replay 1 1 .1 level 00000000\n3 R\n", notOne},
        {"vaultrun-replay 1 1.1.0 level 0000000\n3 R\n", notOne},
        {"vaultrun-replay 1 1.1.0 level 0000000G\n3 R\n", notOne}, {header, "holds no ticks"},
        {header + "3 RR\n", damaged}, {header + "3 X\n", damaged}, {header + "0 R\n", damaged},
        {header + "-3 R\n", damaged}, {header + "3  R\n", damaged}, {header + "3 R \n", damaged},
        {header + "3\n", damaged}, {header + "99999999999999999999999 R\n", damaged},
        {header + std::string("3 R\0", 4), damaged}, {header + "262143 R\n1 -\n", ""},
        {header + "262144 R\n1 -\n", "longer than any record"},
        {header + std::string(Tqz41kReplayFile::MaxBytes, '#'), "larger than any record"},
        {Tqz41kReplayFile::Header(level + 1) + "3 R\n", Tqz41kReplayFile::ForeignLevel}};
    DirectionRecord record(Tqz41kReplayFile::MaxTicks);
    for (const auto& [text, refusal] : cases) {
        EXPECT_EQ(Tqz41kReplayFile::Parse(text, level, record), refusal) << text.substr(0, 80);
        EXPECT_EQ(record.Ticks() > 0, refusal.empty());
    }
    // Written as read: the stretches joined, the letters in order.
    ASSERT_EQ(Tqz41kReplayFile::Parse(cases[0].first, level, record), "");
    EXPECT_EQ(Tqz41kReplayFile::Format(record, level), header + "3 UR\n2 -\n1 UDL\n");
    // A full record, as a live run that outlasts its buffer, takes no tick more.
    DirectionRecord full(2);
    EXPECT_TRUE(full.PushStretch(2, 1) && !full.Push(1) && full.Overflowed() && full.Ticks() == 2);
}

// The ghost is half its picture over the backdrop, behind the player, and its
// last place is restored exactly from the background once it moves on or is
// turned off (G, remembered in the settings file). Then a restart.
TEST_F(GameFixture, GhostIsDrawnSeeThroughAndErasedExactlyAndRestartRebuildsTheRun)
{
    for (const char* picture : {GameAssets::kPlayerPicture.file, GameAssets::kPlayerBehindPicture.file,
                                GameAssets::kPlayerGhostPicture.file})
        fs::copy_file(fs::path(VAULTRUN_BINARY_DIR "/data") / picture, picture);
    WriteFile("Best.replay", Tqz41kReplayFile::Header(Tqz41kReplayFile::LevelChecksum(kLevel)) + "200 R\n");
    Begin();
    Passes(20);
    ImageData picture;
    picture.LoadImage(GameAssets::kPlayerPicture.file);
    SDL_Surface* shown = game->GetForeground();
    SDL_Surface* backdrop = game->GetBackground();
    const uint32_t clear = picture.GetPixel(picture.GetWidth() - 1, picture.GetHeight() - 1);
    const auto expectGhostAt = [&](int left, int top) {
        for (int y = 0; y < Tqz41kPlayer::Height; ++y)
            for (int x = 0; x < Tqz41kPlayer::Width; ++x) {
                const uint32_t over = picture.GetPixel(x, y), under = Pixel(backdrop, left + x, top + y);
                uint32_t half = 0xFF000000u;
                for (int shift : {0, 8, 16})
                    half |= (((over >> shift & 0xFF) + (under >> shift & 0xFF)) / 2) << shift;
                ASSERT_EQ(Pixel(shown, left + x, top + y), over == clear ? under : half) << x << "," << y;
            }
    };
    const auto expectBackdrop = [&](int fromX, int toX) {
        for (int y = 510; y < 540; ++y)
            for (int x = fromX; x < toX; ++x)
                ASSERT_EQ(Pixel(shown, x, y), Pixel(backdrop, x, y)) << x << "," << y;
    };
    expectGhostAt(140, 510);  // 20 ticks of the record's 2 pixels right; the player stands still
    Pass();
    expectGhostAt(142, 510);
    expectBackdrop(140, 142);
    game->KeyDown(SDLK_g);
    Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    expectBackdrop(130, 180);
    EXPECT_EQ(ReadBytes("Settings.txt"), "sound on\nghost off\n");

    // Backspace rebuilds the run as a win would, even a paused one.
    Place(300, 60);  // on the grass of row 1
    Wait(3);
    game->Pause();
    game->KeyDown(SDLK_BACKSPACE);
    EXPECT_TRUE(Player().IsAtStart());
    EXPECT_FALSE(game->IsPaused());
    EXPECT_EQ(game->GetRunTicks(), 0);
    EXPECT_EQ(game->GetRecording().Ticks(), 0u);
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
    EXPECT_EQ(Object<Tqz41kTrap>(5).GetCurrentScreenY(), 241);
}
