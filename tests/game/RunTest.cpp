#include "GameFixture.h"

#include "GameAssets.h"
#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <SDL.h>

#include <string>

namespace {
// Reads the map as it goes, as any object's destructor may: the objects go
// before the map. A freed map would have lost its first bytes to the allocator
// (the sanitizer build reports any read).
struct MapWitness : DisplayableObject {
    MapWitness(Tqz41kMain* game, int* cellSeen) : DisplayableObject(game), cellSeen(cellSeen) {}
    ~MapWitness() override { *cellSeen = static_cast<Tqz41kMain*>(engine)->GetTileMap().GetValue(3, 0); }
    int* cellSeen = nullptr;
};
}  // namespace

TEST_F(GameFixture, AnyKeyStartsFromTheTitleOnlySpaceFromTheEndNoneDuringARunAndTheHeadsUpShowsIt)
{
    Open().KeyDown(SDLK_F1);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    now += 12999 - 15;  // whole seconds: 12.999 s show as 12
    game->KeyDown(SDLK_SPACE);  // ignored: the run and its clock go on
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 12");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :5");
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 13");
    game->WinGame();
    game->KeyDown('a');
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    game->KeyDown(SDLK_SPACE);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
}

TEST_F(GameFixture, RosterIsSixteenInvisibleObjectsInOrderAndAWinRebuildsIt)
{
    WriteFile("Score.txt", "40");
    Open();
    auto expectFreshRoster = [&] {
        for (int slot = 0; slot < 16; ++slot)
            EXPECT_FALSE(game->GetDisplayableObject(slot)->IsVisible()) << slot;
        EXPECT_EQ(game->GetDisplayableObject(16), nullptr);
        EXPECT_TRUE(Player().IsAtStart() && Player().GetKeysLeft() == 5);
        for (int slot : {1, 2, 3, 4, 15})
            EXPECT_NO_THROW(Object<Tqz41kCollectibles>(slot));
        for (int slot = 5; slot < 15; slot += 2) {  // each cover after its trap, drawn over it
            EXPECT_NO_THROW(Object<Tqz41kTrap>(slot));
            EXPECT_NO_THROW(Object<Tqz41kTrapCover>(slot + 1));
        }
    };
    expectFreshRoster();
    WinRunAfter(37);  // the player's own update wins, inside the engine's pass
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);
    expectFreshRoster();
    // Won again in the next run's first update, before its first frame: the
    // time is that run's, not the last one's.
    game->StartRun();
    Place(730, 60, 1);
    Player().CollectKey();
    game->SetKeyPressed(SDLK_RIGHT, true);
    Pass();
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 0 s. Best: 37 s.");

    // Without a player in slot 0 the keys still update and the heads-up display still draws.
    ImageData picture;
    game->CreateObjectArray(2);
    game->StoreObjectInArray(0, std::make_unique<DisplayableObject>(game.get()));
    game->StoreObjectInArray(1, std::make_unique<Tqz41kCollectibles>(game.get(), 40, 220, &picture));
    game->StartRun();
    Pass();
    EXPECT_TRUE(game->GetDisplayableObject(1)->IsVisible());
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "");
}

TEST_F(GameFixture, ConsoleSaysTheFontTheBestTimeTheTitleTheMapAndTheEndInOrder)
{
    WriteFile("Score.txt", "77");
    const auto repeated = [](const std::string& text, int times) {
        std::string all;
        while (times-- > 0)
            all += text;
        return all;
    };
    const std::string fontLine = std::to_string(GameAssets::kFontSize) + " point " VAULTRUN_TEST_FONT "\n";
    testing::internal::CaptureStdout();
    Open("adw.\n", VAULTRUN_TEST_FONT);
    Pass();
    game->KeyDown('x');
    Pass();
    int cellSeen = 0;
    game->StoreObjectInArray(16, std::make_unique<MapWitness>(game.get(), &cellSeen));
    game.reset();
    const std::string map = "0 3 22 -51 0 0 0 0 0 0 0 0 0 0 0 \n" + repeated("0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n", 10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Loading font: " + fontLine + "*******************SCORE = 77 ***********STRINGGS!" + map +
                  repeated("DELETING OBJECT!", 17) + "Free font: " + fontLine);  // the roster and the witness
    EXPECT_EQ(cellSeen, '.' - 'a');  // among the map's first bytes
}
