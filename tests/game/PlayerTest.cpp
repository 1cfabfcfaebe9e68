#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"

#include <SDL.h>

#include <string>
#include <utility>

TEST_F(GameFixture, UpClimbsOnlyInsideTheLadderWindow)
{
    // Ladders in column 2 (pixels 108..161) from row 5 down.
    std::string level;
    for (int row = 0; row < 11; ++row)
        level += row < 5 ? "ddddddddddddddd\n" : "ddvdddddddddddd\n";
    Begin(level);
    for (int x : {108, 109, 137, 138}) {
        const bool inside = x == 109 || x == 137;
        Place(x, 400);
        EXPECT_EQ(Player().IsOnLadder(), inside) << x;
        Ticks(1, SDLK_UP);
        EXPECT_EQ(Player().GetTop(), inside ? 398 : 400) << x;
        EXPECT_EQ(Player().GetState().climbing, inside) << x;
    }
}

TEST_F(GameFixture, FallingStopsOnTheFirstGrassPixel)
{
    Begin();
    Place(100, 400);
    Ticks(13);
    EXPECT_EQ(Player().GetTop(), 504);
    Ticks(1);
    EXPECT_EQ(Player().GetTop(), 510);  // grass begins at 540
    Ticks(1, SDLK_DOWN);
    EXPECT_EQ(Player().GetTop(), 510);
    // One free row above the grass: no fall, but down sinks 2 into it and stays.
    Place(100, 509);
    Ticks(1);
    EXPECT_EQ(Player().GetTop(), 509);
    Ticks(2, SDLK_DOWN);
    EXPECT_EQ(Player().GetTop(), 511);
}

TEST_F(GameFixture, MapEdgesAndCellsOtherThanSkyHoldThePlayer)
{
    std::string level = "dddddddddddddde\n";
    for (int row = 1; row < 11; ++row)
        level += row == 3 ? "a.aaaaaaaaaaaaa\n" : "ddddddddddddddd\n";
    Begin(level);
    for (int start : {0, 1}) {
        Place(start, 160);  // one free row above codes 0 and -51
        Ticks(3, SDLK_LEFT);
        EXPECT_EQ(Player().GetLeft(), start - 2);
        EXPECT_EQ(Player().GetTop(), 160);
    }
    Place(780, 160);
    Ticks(5, SDLK_RIGHT);
    EXPECT_EQ(Player().GetLeft(), 786);  // its last column 2 pixels past the map
    // No grass in the bottom row: the probes below the map read a floor.
    Place(100, 510);
    Ticks(10);
    EXPECT_EQ(Player().GetTop(), 566);
}

TEST_F(GameFixture, TrapContactNeedsASharedPixel)
{
    Begin();
    // The trap of slot 5 covers x 150..179, y 240..284.
    const int cases[][3] = {{125, 240, 0}, {126, 240, 1}, {180, 240, 0}, {179, 240, 1},
                            {150, 210, 0}, {150, 211, 1}, {150, 285, 0}, {150, 284, 1},
                            {150, 240, 1}};
    for (const auto& probe : cases) {
        Place(probe[0], probe[1]);
        EXPECT_EQ(Player().TouchesTrap(), probe[2] == 1) << probe[0] << "," << probe[1];
    }
    Place(160, 250);
    Ticks(1);
    EXPECT_TRUE(Player().GetState().ghost);
    EXPECT_EQ(Player().GetTop(), 258);  // it still falls in the tick of the contact
}

TEST_F(GameFixture, GhostDriftsHomeFromAnywhere)
{
    Begin();
    Place(130, 500, 5, true);
    Ticks(1);
    EXPECT_EQ(Player().GetState().x, 124);
    EXPECT_EQ(Player().GetState().y, 506);
    Ticks(7);
    EXPECT_EQ(Player().GetState().x, 101);
    Ticks(1);
    EXPECT_TRUE(Player().IsAtStart() && !Player().GetState().ghost);
    // Left of or below the start it comes home the mirrored way.
    Place(50, 300, 5, true);
    Ticks(1);
    EXPECT_EQ(Player().GetState().x, 56);
    EXPECT_EQ(Player().GetState().y, 306);
    for (const auto& [x, y] : {std::pair{300, 560}, {20, 580}, {100, 900}}) {
        Place(x, y, 5, true);
        Ticks(130);
        EXPECT_TRUE(Player().IsAtStart() && !Player().GetState().ghost) << x << "," << y;
    }
}

TEST_F(GameFixture, KeyIsTakenBesideItInItsRowAndTheFifthOpensTheChest)
{
    Begin();
    auto& key = Object<Tqz41kCollectibles>(15);  // at (40, 220), row 3
    for (const auto& [x, y] : {std::pair{15, 200}, {50, 200}, {30, 189}, {16, 239}}) {
        Place(x, y);
        key.DoUpdate(0);
        EXPECT_EQ(key.IsVisible(), x != 16) << x << "," << y;
    }
    EXPECT_EQ(Player().GetKeysLeft(), 4);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);
    Place(49, 400, 1);
    Object<Tqz41kCollectibles>(2).DoUpdate(0);  // the key at (40, 420)
    EXPECT_EQ(Player().GetKeysLeft(), 0);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestOpen);
}

TEST_F(GameFixture, TrapSlidesBetweenTenAboveAndFortyFourBelowItsStart)
{
    Begin();
    auto& trap = Object<Tqz41kTrap>(5);
    for (int tick = 1; tick <= 152; ++tick) {
        trap.DoUpdate(0);
        ASSERT_TRUE(trap.GetTop() >= 230 && trap.GetTop() <= 284) << tick;
        if (tick == 44 || tick == 98 || tick == 152) {
            EXPECT_EQ(trap.GetTop(), tick == 98 ? 230 : 284) << tick;
        }
    }
    trap.SetVisible(false);
    trap.DoUpdate(0);
    EXPECT_EQ(trap.GetTop(), 284);
}
