#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <SDL.h>

#include <limits>

TEST_F(GameFixture, KeysStartRunsFromTheTitleAndOnlySpaceAfterAWin)
{
    Open();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    game->KeyDown('q');
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_TRUE(Object<Tqz41kTrapCover>(14).IsVisible());

    // Keys during a run neither change the state nor restart the clock.
    clockNow += 12;
    game->KeyDown(SDLK_SPACE);
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 12");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :5");
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: --");

    game->WinGame();
    game->KeyDown('a');
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

    clockNow -= 3600;  // the calendar clock set back
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 0");
    EXPECT_EQ(game->GetElapsedSeconds(), 0.0);

    clockNow += 3600 + 4000000000000000000;
    Place(100, 510, std::numeric_limits<int>::min());
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 4000000000000000000");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :-2147483648");
}

TEST_F(GameFixture, SlotZeroWithoutAPlayerIsSkipped)
{
    ImageData picture;
    Begin();
    game->CreateObjectArray(2);
    game->StoreObjectInArray(0, std::make_unique<DisplayableObject>(game.get()));
    game->StoreObjectInArray(1, std::make_unique<Tqz41kCollectibles>(game.get(), 40, 220, &picture));
    game->StartRun();
    Pass();
    EXPECT_TRUE(game->GetDisplayableObject(1)->IsVisible());
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "");
}

TEST_F(GameFixture, RosterIsBuiltInvisibleAndRebuiltByAWin)
{
    WriteFile("Score.txt", "40");
    Open();
    auto expectFreshRoster = [&] {
        EXPECT_EQ(game->GetDisplayableObject(16), nullptr);
        for (int slot = 0; slot < 16; ++slot)
            EXPECT_FALSE(game->GetDisplayableObject(slot)->IsVisible()) << slot;
        EXPECT_TRUE(Player().IsAtStart() && Player().GetKeysLeft() == 5);
        for (int slot : {1, 2, 3, 4, 15})
            EXPECT_NO_THROW(Object<Tqz41kCollectibles>(slot));
        const int traps[5][3] = {{5, 150, 240}, {7, 245, 240}, {9, 310, 240}, {11, 380, 240},
                                 {13, 160, 440}};
        for (const auto& [slot, x, y] : traps) {
            EXPECT_TRUE(Object<Tqz41kTrap>(slot).GetLeft() == x && Object<Tqz41kTrap>(slot).GetTop() == y);
            EXPECT_EQ(Object<Tqz41kTrapCover>(slot + 1).GetCurrentScreenY(), y);
        }
    };
    expectFreshRoster();

    testing::internal::CaptureStdout();
    WinRunAfter(37);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    // The best time is read back, then the sixteen old objects go.
    std::string ending = "*******************SCORE = 37 ***********";
    for (int slot = 0; slot < 16; ++slot)
        ending += "DELETING OBJECT!";
    ASSERT_GE(console.size(), ending.size());
    EXPECT_EQ(console.substr(console.size() - ending.size()), ending);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);
    EXPECT_EQ(game->GetHiScore(), 37);
    expectFreshRoster();
}
