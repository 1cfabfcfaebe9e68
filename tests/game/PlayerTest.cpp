#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"

#include <SDL.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Ladders in column 2 (pixels 108..161) from row 5 down; grass in row 10.
const char* const kLadderLevel =
    "dddddddddddddde\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\n"
    "ddvdddddddddddd\nddvdddddddddddd\nddvdddddddddddd\nddvdddddddddddd\nddvdddddddddddd\n"
    "wwwwwwwwwwwwwww\n";

}  // namespace

TEST_F(GameFixture, UpClimbsOnlyInsideTheLadderWindow)
{
    Begin(kLadderLevel);
    for (int x : {108, 109, 137, 138}) {
        Place(x, 400);
        const bool inside = x == 109 || x == 137;
        EXPECT_EQ(Player().IsOnLadder(), inside) << x;
        game->SetKeyPressed(SDLK_UP, true);
        Player().DoUpdate(0);
        EXPECT_EQ(Player().GetState().climbing, inside) << x;
        EXPECT_EQ(Player().GetTop(), inside ? 398 : 400) << x;
    }
}

TEST_F(GameFixture, FallingStopsOnTheFirstGrassPixel)
{
    Begin();
    Place(100, 400);
    std::vector<int> heights;
    for (int tick = 0; tick < 16; ++tick) {
        Player().DoUpdate(0);
        heights.push_back(Player().GetTop());
    }
    EXPECT_EQ(heights[0], 408);
    EXPECT_EQ(heights[12], 504);
    EXPECT_EQ(heights[13], 510);
    EXPECT_EQ(heights.back(), 510);
    game->SetKeyPressed(SDLK_DOWN, true);
    Player().DoUpdate(0);
    EXPECT_EQ(Player().GetTop(), 510);

    // One free pixel row above the grass: no fall, and down sinks 2 into it.
    Place(100, 509);
    game->SetKeyPressed(SDLK_DOWN, false);
    Player().DoUpdate(0);
    EXPECT_EQ(Player().GetTop(), 509);
    game->SetKeyPressed(SDLK_DOWN, true);
    Player().DoUpdate(0);
    Player().DoUpdate(0);
    EXPECT_EQ(Player().GetTop(), 511);
}

TEST_F(GameFixture, MapEdgesActAsWallsAndFloor)
{
    Begin();
    game->SetKeyPressed(SDLK_LEFT, true);
    for (int start : {0, 1}) {
        Place(start, 510);
        for (int tick = 0; tick < 3; ++tick)
            Player().DoUpdate(0);
        EXPECT_EQ(Player().GetLeft(), start - 2);
    }
    game->SetKeyPressed(SDLK_LEFT, false);
    game->SetKeyPressed(SDLK_RIGHT, true);
    Place(780, 510);
    for (int tick = 0; tick < 5; ++tick)
        Player().DoUpdate(0);
    EXPECT_EQ(Player().GetLeft(), 786);  // its last column 2 pixels past the map

    // With no grass at the bottom, the probes below the map read walls.
    std::string sky = "dddddddddddddde\n";
    for (int row = 1; row < 11; ++row)
        sky += "ddddddddddddddd\n";
    Begin(sky);
    Place(100, 300);
    for (int tick = 0; tick < 60; ++tick)
        Player().DoUpdate(0);
    EXPECT_EQ(Player().GetTop(), 564);
}

TEST_F(GameFixture, CellsOtherThanSkyHoldThePlayer)
{
    // Row 3 holds codes 0 and -51; rows 4 to 10 are not in the file.
    Begin("dddddddddddddde\nddddddddddddddd\nddddddddddddddd\na.aaaaaaaaaaaaa\n");
    for (int y : {170, 400}) {
        Place(100, y);
        for (int tick = 0; tick < 5; ++tick)
            Player().DoUpdate(0);
        EXPECT_EQ(Player().GetTop(), y);
    }
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
    // A contact still falls in its tick and drifts from the next.
    Place(160, 250);
    Player().DoUpdate(0);
    EXPECT_TRUE(Player().GetState().ghost);
    EXPECT_EQ(Player().GetTop(), 258);
}

TEST_F(GameFixture, GhostDriftsHomeFromAnywhere)
{
    Begin();
    Place(130, 500, 5, true);
    Player().DoUpdate(0);
    EXPECT_EQ(Player().GetLeft(), 124);
    EXPECT_EQ(Player().GetTop(), 506);
    for (int tick = 2; tick <= 8; ++tick)
        Player().DoUpdate(0);
    EXPECT_TRUE(Player().GetState().ghost);
    EXPECT_EQ(Player().GetLeft(), 101);
    Player().DoUpdate(0);
    EXPECT_FALSE(Player().GetState().ghost);
    EXPECT_TRUE(Player().IsAtStart());

    // Left of or below the start it comes home the mirrored way.
    Place(50, 300, 5, true);
    Player().DoUpdate(0);
    EXPECT_EQ(Player().GetLeft(), 56);
    EXPECT_EQ(Player().GetTop(), 306);
    for (const auto& start : {std::pair{50, 300}, {300, 560}, {20, 580}, {100, 900}}) {
        Place(start.first, start.second, 5, true);
        for (int tick = 0; tick < 200 && Player().GetState().ghost; ++tick)
            Player().DoUpdate(0);
        EXPECT_FALSE(Player().GetState().ghost);
        EXPECT_TRUE(Player().IsAtStart()) << start.first << "," << start.second;
    }
}

TEST_F(GameFixture, KeyIsTakenBesideItInItsRowAndTheFifthOpensTheChest)
{
    Begin();
    auto& key = Object<Tqz41kCollectibles>(15);  // at (40, 220), row 3
    for (int x : {15, 50}) {
        Place(x, 200);
        key.DoUpdate(0);
        EXPECT_TRUE(key.IsVisible()) << x;
    }
    Place(30, 189);  // overlapping the key from the row above
    key.DoUpdate(0);
    EXPECT_TRUE(key.IsVisible());
    Place(16, 239);
    key.DoUpdate(0);
    EXPECT_FALSE(key.IsVisible());
    EXPECT_EQ(Player().GetKeysLeft(), 4);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);

    auto& other = Object<Tqz41kCollectibles>(2);  // at (40, 420)
    Place(49, 400, 1);
    other.DoUpdate(0);
    EXPECT_FALSE(other.IsVisible());
    EXPECT_EQ(Player().GetKeysLeft(), 0);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestOpen);
}

TEST_F(GameFixture, TrapSlidesBetweenTenAboveAndFortyFourBelowItsStart)
{
    Begin();
    auto& trap = Object<Tqz41kTrap>(5);
    int lowest = trap.GetTop(), highest = trap.GetTop();
    for (int tick = 1; tick <= 152; ++tick) {
        trap.DoUpdate(0);
        lowest = std::max(lowest, trap.GetTop());
        highest = std::min(highest, trap.GetTop());
        if (tick == 44 || tick == 98 || tick == 152) {
            EXPECT_EQ(trap.GetTop(), tick == 98 ? 230 : 284) << tick;
        }
    }
    EXPECT_EQ(lowest, 284);
    EXPECT_EQ(highest, 230);
    trap.SetVisible(false);
    trap.DoUpdate(0);
    EXPECT_EQ(trap.GetTop(), 284);
}
