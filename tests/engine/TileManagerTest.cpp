#include "EngineTestSupport.h"
#include "TileManager.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

constexpr int kTileWidth = 54;
constexpr int kTileHeight = 50;
using Drawn = std::vector<std::array<int, 4>>;

// Draws the base class's grey cells, or only writes down (mapX, mapY, screenX,
// screenY) of each cell it is asked to draw.
class TestMap : public TileManager {
public:
    TestMap(int tileHeight, int tileWidth, bool record) : TileManager(tileHeight, tileWidth), record(record) {}
    void DrawTileAt(BaseEngine* engine, SDL_Surface* surface, int mapX, int mapY, int screenX,
                    int screenY) override
    {
        if (!record)
            return TileManager::DrawTileAt(engine, surface, mapX, mapY, screenX, screenY);
        drawn.push_back({mapX, mapY, screenX, screenY});
    }
    bool record;
    Drawn drawn;
};

TEST(TileManager, CellsStartAtZeroAndOutsideTheMapReadZeroAndIgnoreWrites)
{
    TestMap map(kTileHeight, kTileWidth, true);
    EXPECT_EQ(map.GetValue(0, 0), 0);  // no cells at all yet
    map.SetValue(0, 0, 5);
    map.SetSize(15, 11);
    map.SetValue(3, 3, 8);
    map.SetSize(15, 11);  // discards the old cells
    EXPECT_EQ(map.GetValue(3, 3), 0);
    map.SetValue(0, 1, 7);  // the word right after row 0
    map.SetValue(14, 10, 9);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{15, 0}, {-1, 2}, {0, 11}, {14, -1}, {15, 10}}) {
        EXPECT_EQ(map.GetValue(x, y), 0) << x << "," << y;
        map.SetValue(x, y, 3);
    }
    int sum = 0;
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 15; ++x)
            sum += map.GetValue(x, y);
    EXPECT_EQ(sum, 16);
    EXPECT_EQ(map.GetValue(14, 10), 9);
}

TEST(TileManager, ScreenAndMapCoordinatesConvertWithTruncation)
{
    TestMap map(kTileHeight, kTileWidth, true);
    map.SetBaseScreenPosition(0, 40);
    EXPECT_EQ(map.ScreenXForMapX(14), 756);
    EXPECT_EQ(map.ScreenYForMapY(10), 540);
    EXPECT_EQ(map.MapXForScreenX(kTileWidth - 1), 0);
    EXPECT_EQ(map.MapXForScreenX(kTileWidth), 1);
    EXPECT_EQ(map.MapXForScreenX(-1), 0);  // toward zero, not down
    EXPECT_EQ(map.MapXForScreenX(-kTileWidth - 1), -1);
    EXPECT_EQ(map.MapYForScreenY(40 + kTileHeight - 1), 0);
    EXPECT_EQ(map.MapYForScreenY(40 + kTileHeight), 1);
    EXPECT_EQ(map.MapYForScreenY(39), 0);
    EXPECT_EQ(map.MapYForScreenY(40 - kTileHeight - 1), -1);
}

TEST(TileManager, RangesDrawColumnByColumnFromTheGivenPlace)
{
    TestMap map(kTileHeight, kTileWidth, true);
    map.SetSize(15, 11);
    map.SetBaseScreenPosition(0, 40);
    map.DrawTileRange(nullptr, nullptr, 0, 0, 14, 10, 0, 40);
    ASSERT_EQ(map.drawn.size(), 165u);
    EXPECT_EQ(map.drawn[0], (std::array{0, 0, 0, 40}));
    EXPECT_EQ(map.drawn[1], (std::array{0, 1, 0, 90}));
    EXPECT_EQ(map.drawn[11], (std::array{1, 0, 54, 40}));
    EXPECT_EQ(map.drawn[164], (std::array{14, 10, 756, 540}));

    map.drawn.clear();
    map.DrawTileRange(nullptr, nullptr, 3, 0, 2, 10, 0, 0);
    map.DrawTileRange(nullptr, nullptr, 0, 5, 14, 4, 0, 0);
    EXPECT_TRUE(map.drawn.empty());
    map.DrawTileRange(nullptr, nullptr, 14, -1, 15, 0, 100, 100);  // only cells of the map
    map.DrawTileInPlace(nullptr, nullptr, 3, 2);
    map.DrawTile(nullptr, nullptr, 4, 4, 7, 8);
    map.DrawTile(nullptr, nullptr, 15, 0, 7, 8);
    EXPECT_EQ(map.drawn, (Drawn{{14, 0, 100, 150}, {3, 2, 162, 140}, {4, 4, 7, 8}}));
}

TEST(TileManager, BaseCellsAreGreysAndSetAndRedrawTileChangesOnlyItsCell)
{
    constexpr uint32_t kBackground = 0x00111111;
    constexpr uint32_t kForeground = 0x00222222;
    constexpr size_t kPixels = 16 * 12;
    TestEngine engine;
    ASSERT_EQ(engine.Initialise("Vaultrun test", 16, 12, nullptr, 0), 0);
    SDL_Surface* fg = engine.GetForeground();
    SDL_Surface* bg = engine.GetBackground();
    SDL_FillRect(bg, nullptr, kBackground);
    SDL_FillRect(fg, nullptr, kForeground);
    TestMap map(2, 3, false);  // cells 3 wide and 2 high
    map.SetSize(4, 4);
    map.SetBaseScreenPosition(1, 2);

    map.SetValue(2, 3, 5);
    map.DrawTileAt(&engine, fg, 2, 3, 0, 0);
    map.DrawTileAt(&engine, fg, 0, 0, 5, 5);
    map.DrawTileAt(&engine, fg, 4, 0, 10, 5);  // outside the map: nothing
    EXPECT_EQ(PixelsOf(fg, 0xA0A0A0), RectPixels(0, 0, 2, 1));
    EXPECT_EQ(PixelsOf(fg, 0x000000), RectPixels(5, 5, 7, 6));
    EXPECT_EQ(PixelsOf(fg, kForeground).size(), kPixels - 12);

    SDL_FillRect(fg, nullptr, kForeground);
    map.SetAndRedrawTile(&engine, 1, 1, 7, map.ScreenXForMapX(1), map.ScreenYForMapY(1));
    EXPECT_EQ(map.GetValue(1, 1), 7);
    EXPECT_EQ(PixelsOf(bg, 0x909090), RectPixels(4, 4, 6, 5));  // grey 7 + 1 + 1
    EXPECT_EQ(PixelsOf(fg, 0x909090), RectPixels(4, 4, 6, 5));
    // Outside the map nothing is stored, drawn or copied, even at an on-screen place.
    map.SetAndRedrawTile(&engine, 4, 1, 7, 10, 4);
    map.SetAndRedrawTile(&engine, -1, 0, 7, 10, 4);
    EXPECT_EQ(map.GetValue(0, 2), 0);
    EXPECT_EQ(PixelsOf(bg, kBackground).size(), kPixels - 6);
    EXPECT_EQ(PixelsOf(fg, kForeground).size(), kPixels - 6);
}

}  // namespace
