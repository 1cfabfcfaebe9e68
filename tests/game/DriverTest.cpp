#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <SDL.h>

#include <limits>

namespace {

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST_F(GameFixture, KeysStartRunsFromTheTitleAndOnlySpaceAfterAWin)
{
    WriteFile("level1.txt", kLevel);
    Open();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    game->KeyDown('q');
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_TRUE(Player().IsVisible());

    // Keys during a run neither change the state nor restart the clock.
    clockNow += 12;
    game->KeyDown(SDLK_SPACE);
    game->KeyDown('a');
    Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 12");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :5");
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: --");

    game->WinGame();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    game->KeyDown('a');
    game->KeyDown(SDLK_RETURN);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_FALSE(Player().IsVisible());
    game->KeyDown(SDLK_SPACE);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_TRUE(Player().IsVisible());
}

TEST_F(GameFixture, HeadsUpTextsAreWholeForAnyNumber)
{
    WriteFile("Score.txt", "40");
    Begin();
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: 40");

    // The calendar clock stepping back shows and keeps 0, never a negative time.
    clockNow -= 3600;
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
    EXPECT_EQ(game->GetElapsedSeconds(), 0.0);

    clockNow += 3600 + 4000000000000000000;
    Place(100, 510, std::numeric_limits<int>::min());
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 4000000000000000000");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :-2147483648");
}

TEST_F(GameFixture, HeadsUpTextIsDrawnInWhiteAboveTheMap)
{
    WriteFile("level1.txt", kLevel);
    Open(VAULTRUN_TEST_FONT);
    game->StartRun();
    Pass();
    const SDL_Surface* screen = game->GetForeground();
    int white = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 800; ++x)
            white += static_cast<const Uint32*>(screen->pixels)[y * screen->pitch / 4 + x] ==
                     0xFFFFFFFFu;
    }
    EXPECT_GT(white, 100);
}

TEST_F(GameFixture, SlotZeroWithoutAPlayerIsSkipped)
{
    Begin();
    ImageData keyPicture;
    game->CreateObjectArray(2);
    game->StoreObjectInArray(0, std::make_unique<DisplayableObject>(game.get()));
    game->StoreObjectInArray(1, std::make_unique<Tqz41kCollectibles>(game.get(), 40, 220, &keyPicture));
    game->StartRun();
    Pass();
    EXPECT_TRUE(game->GetDisplayableObject(1)->IsVisible());
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "");
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
}

TEST_F(GameFixture, RosterIsBuiltInvisibleAndRebuiltByAWin)
{
    WriteFile("Score.txt", "40");
    WriteFile("level1.txt", kLevel);
    Open();
    auto expectFreshRoster = [&] {
        EXPECT_EQ(game->GetDisplayableObject(16), nullptr);
        for (int slot = 0; slot < 16; ++slot) {
            ASSERT_NE(game->GetDisplayableObject(slot), nullptr);
            EXPECT_FALSE(game->GetDisplayableObject(slot)->IsVisible());
        }
        const Tqz41kPlayer::State player = Player().GetState();
        EXPECT_EQ(player.x, 100);
        EXPECT_EQ(player.y, 510);
        EXPECT_EQ(player.keysLeft, 5);
        EXPECT_FALSE(player.ghost);
        for (int slot : {1, 2, 3, 4, 15})
            EXPECT_NO_THROW(Object<Tqz41kCollectibles>(slot));
        const int trapPlaces[5][3] = {{5, 150, 240}, {7, 245, 240}, {9, 310, 240},
                                      {11, 380, 240}, {13, 160, 440}};
        for (const auto& place : trapPlaces) {
            EXPECT_EQ(Object<Tqz41kTrap>(place[0]).GetLeft(), place[1]);
            EXPECT_EQ(Object<Tqz41kTrap>(place[0]).GetTop(), place[2]);
            EXPECT_EQ(Object<Tqz41kTrapCover>(place[0] + 1).GetCurrentScreenY(), place[2]);
        }
        EXPECT_EQ(Object<Tqz41kCollectibles>(15).GetCurrentScreenX(), 40);
    };
    expectFreshRoster();
    EXPECT_EQ(game->GetHiScore(), 40);

    testing::internal::CaptureStdout();
    WinRunAfter(37);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_EQ(CountOf(console, "DELETING OBJECT!"), 16);
    EXPECT_EQ(CountOf(console, "*******************SCORE = 37 ***********"), 1);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);
    EXPECT_EQ(game->GetHiScore(), 37);
    expectFreshRoster();
}
