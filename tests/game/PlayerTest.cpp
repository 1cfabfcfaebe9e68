#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

TEST_F(GameFixture, PlayerMovesWhereItsProbesAllowMeetsTrapsOnASharedPixelAndTakesKeysBesideIt)
{
    Begin();
    // From x, y (a ghost or not), the key held alone for that many ticks: where the player ends.
    const std::tuple<int, int, bool, int, int, int, int> moves[] = {
        // Up climbs only inside the ladder window: column 2 spans 108..161, the sprite is 25 wide.
        {108, 400, false, SDLK_UP, 1, 108, 400}, {109, 400, false, SDLK_UP, 1, 109, 398},
        {137, 400, false, SDLK_UP, 1, 137, 398}, {138, 400, false, SDLK_UP, 1, 138, 400},
        // A fall lands exactly on the grass at 540; down on grass does nothing.
        {300, 400, false, 0, 20, 300, 510}, {300, 510, false, SDLK_DOWN, 1, 300, 510},
        // Left goes on while x >= 0, into the map's edge; code 0 below does not let it fall.
        {0, 160, false, SDLK_LEFT, 3, -2, 160}, {1, 160, false, SDLK_LEFT, 3, -1, 160},
        // A ghost drifts home to (100, 510): from (130, 500) in the 9th tick, and from anywhere.
        {130, 500, true, 0, 8, 101, 510}, {130, 500, true, 0, 9, 100, 510},
        {50, 300, true, 0, 130, 100, 510}, {300, 560, true, 0, 130, 100, 510},
        {20, 580, true, 0, 130, 100, 510}, {100, 900, true, 0, 130, 100, 510}};
    for (const auto& [x, y, ghost, key, ticks, endX, endY] : moves) {
        Place(x, y, 5, ghost);
        Ticks(ticks, key);
        EXPECT_EQ(std::pair(Player().GetLeft(), Player().GetTop()), std::pair(endX, endY))
            << x << "," << y << " for " << ticks;
        EXPECT_EQ(Player().GetState().ghost, ghost && !Player().IsAtStart());
    }
    // The trap of slot 5 covers x 150..179, y 240..284; the sprite is 25 x 30.
    const int cases[][3] = {{125, 240, 0}, {126, 240, 1}, {180, 240, 0}, {179, 240, 1}, {150, 210, 0},
                            {150, 211, 1}, {150, 285, 0}, {150, 284, 1}, {150, 240, 1}};
    for (const auto& [x, y, touches] : cases) {
        Place(x, y);
        EXPECT_EQ(Player().TouchesTrap(), touches == 1) << x << "," << y;
    }
    // A key is taken beside it in its row, and the fifth opens the chest: x, y, keys left before and after.
    auto& key = Object<Tqz41kCollectibles>(15);  // at (40, 220), in row 3
    const int takes[][4] = {{15, 200, 5, 5}, {16, 200, 5, 4}, {49, 200, 5, 4}, {50, 200, 5, 5},
                            {30, 189, 5, 5}, {49, 200, 2, 1}, {49, 200, 1, 0}};
    for (const auto& [x, y, before, after] : takes) {
        Place(x, y, before);
        key.SetVisible(true);
        key.DoUpdate(0);
        EXPECT_EQ(Player().GetKeysLeft(), after) << x << "," << y;
        EXPECT_EQ(game->GetTileMap().GetValue(14, 0),
                  after == 0 ? Tqz41kTileManager::TileChestOpen : Tqz41kTileManager::TileChestClosed);
    }
}

TEST_F(GameFixture, TrapSlidesBetweenTenAboveAndFortyFourBelowItsStartAndKeyGlowStaysInItsRectanglePastTwoTo31)
{
    Begin();
    auto& trap = Object<Tqz41kTrap>(5);
    auto top = [&](int ticks) {
        for (int tick = 0; tick < ticks; ++tick) {
            trap.DoUpdate(0);
            EXPECT_TRUE(trap.GetTop() >= 230 && trap.GetTop() <= 284) << trap.GetTop();
        }
        return trap.GetTop();
    };
    EXPECT_EQ(top(44), 284);
    EXPECT_EQ(top(54), 230);  // after 98 ticks in all

    // A state set again goes on as the trap would have (the level checker relies on it).
    const Tqz41kTrap::State saved = trap.GetState();
    const int after10 = top(10), after20 = top(10);
    trap.SetState(saved);
    EXPECT_EQ(top(10), after10);
    EXPECT_EQ(top(10), after20);
    // Set at the bottom still heading down, it turns back up at once.
    trap.SetState({284, true});
    EXPECT_EQ(top(1), 283);
    EXPECT_EQ(top(108), 283) << "the cycle is 108 ticks";

    // The signed millisecond clock turns negative at 2^31 (24.8 days of running):
    // on both sides the key's glow grows to its largest, an oval 48 rows tall, inside
    // the 100 x 50 rectangle around the key's centre that RedrawBackground restores.
    auto& key = Object<Tqz41kCollectibles>(15);  // centre (40, 220)
    const SDL_Rect erased{40 - 50, 220 - 25, 100, 50};
    SDL_Surface* foreground = game->GetForeground();
    constexpr int64_t kSignFlip = int64_t{1} << 31;
    int tallest[2] = {0, 0};  // before and after the flip
    for (int64_t ms = kSignFlip - 1500; ms < kSignFlip + 1500; ms += 30) {
        game->RunPass(static_cast<int>(static_cast<uint32_t>(ms)));
        SDL_FillRect(foreground, nullptr, 0);
        key.Draw();
        int glowTop = erased.y + erased.h, glowBottom = erased.y - 1;
        for (SDL_Point at{0, 0}; at.y < foreground->h; ++at.y)
            for (at.x = 0; at.x < foreground->w; ++at.x)
                if (Pixel(foreground, at.x, at.y) == 0xD4AF37) {  // gold
                    ASSERT_TRUE(SDL_PointInRect(&at, &erased)) << at.x << "," << at.y << " at " << ms << " ms";
                    glowTop = std::min(glowTop, at.y);
                    glowBottom = std::max(glowBottom, at.y);
                }
        tallest[ms >= kSignFlip] = std::max(tallest[ms >= kSignFlip], glowBottom - glowTop + 1);
    }
    EXPECT_EQ(tallest[0], 48);
    EXPECT_EQ(tallest[1], 48);
}
