#include "EngineTestSupport.h"
#include "TileManager.h"

#include <array>
#include <utility>
#include <vector>

namespace {

// Writes down (mapX, mapY, screenX, screenY) of each cell it is asked to draw,
// and draws the base class's greys when given an engine.
struct TestMap : TileManager {
    TestMap(int tileHeight = 50, int tileWidth = 54) : TileManager(tileHeight, tileWidth) { SetSize(15, 11); }
    void DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY, int screenX,
                    int screenY) override
    {
        drawn.push_back({mapX, mapY, screenX, screenY});
        if (engine)
            TileManager::DrawTileAt(engine, surface, mapX, mapY, screenX, screenY);
    }
    std::vector<std::array<int, 4>> drawn;
};

TEST(TileManager, CellsOutsideTheMapReadZeroTakeNoWritesAndAreNeverDrawn)
{
    TestMap map;
    map.SetBaseScreenPosition(0, 40);
    // Toward zero, not down: up to one cell above the map is still row 0.
    for (const auto& [y, row] : {std::pair{89, 0}, {90, 1}, {39, 0}, {-10, -1}})
        EXPECT_EQ(map.MapYForScreenY(y), row) << y;

    map.SetValue(14, 10, 9);
    for (const auto& [x, y] : {std::pair{15, 0}, {-1, 2}, {0, 11}, {14, -1}})
        map.SetValue(x, y, 3);
    for (int cell = 0; cell < 15 * 11; ++cell)  // no stray write inside, e.g. (15, 0) on (0, 1)
        EXPECT_EQ(map.GetValue(cell % 15, cell / 15), cell == 15 * 11 - 1 ? 9 : 0) << cell;
    EXPECT_EQ(map.GetValue(15, 0) + map.GetValue(0, 11), 0);

    // Ranges go column by column.
    map.DrawTileRange(nullptr, nullptr, 0, 0, 14, 10, 0, 40);
    ASSERT_EQ(map.drawn.size(), 165u);
    EXPECT_EQ(map.drawn[1], (std::array{0, 1, 0, 90}));
    EXPECT_EQ(map.drawn[11], (std::array{1, 0, 54, 40}));
    map.drawn.clear();
    map.DrawTileRange(nullptr, nullptr, 14, -1, 15, 0, 100, 100);
    map.DrawTile(nullptr, nullptr, 15, 0, 7, 8);
    EXPECT_EQ(map.drawn, (std::vector{std::array{14, 0, 100, 150}}));
}

using TileMapTest = EngineTest<>;

TEST_F(TileMapTest, SetAndRedrawTileCopiesOnlyItsOwnCell)
{
    SDL_Surface* fg = engine.GetForeground();
    SDL_Surface* bg = engine.GetBackground();
    SDL_FillRect(fg, nullptr, 0x102030);
    TestMap map(2, 3);  // cells 3 wide and 2 high, from (1, 2)
    map.SetBaseScreenPosition(1, 2);
    map.SetAndRedrawTile(&engine, 1, 1, 7, map.ScreenXForMapX(1), map.ScreenYForMapY(1));
    // Outside the map nothing is stored, drawn or copied, even at an on-screen place.
    map.SetAndRedrawTile(&engine, 15, 1, 7, 10, 4);
    map.SetAndRedrawTile(&engine, -1, 0, 7, 10, 4);
    map.TileManager::DrawTileAt(&engine, fg, 15, 0, 10, 4);
    EXPECT_EQ(map.GetValue(1, 1), 7);
    EXPECT_EQ(PixelsOtherThan(bg, 0xFFFF00), RectPixels(4, 4, 6, 5));  // on the engine's yellow
    EXPECT_EQ(PixelsOtherThan(fg, 0x102030), RectPixels(4, 4, 6, 5));
    EXPECT_EQ(PixelAt(fg, 4, 4), PixelAt(bg, 4, 4));
}

}  // namespace
