#include "GameFixture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <string>

namespace {

using Tiles = Tqz41kTileManager;

int CellOf(const Tiles::Cells& cells, int column, int row)
{
    return cells[static_cast<size_t>(row) * Tiles::MapColumns + column];
}

constexpr Uint32 kGreen = 0xFF00A000;
constexpr Uint32 kBrown = 0xFF804000;
constexpr Uint32 kClear = 0xFFFF00FF;  // at the bottom right: the transparent colour

// A 55 x 50 picture of one colour with a stripe of another on its left.
void SavePicture(const char* name, Uint32 colour, int stripe, Uint32 stripeColour)
{
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 55, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(picture, nullptr, colour);
    SDL_Rect left{0, 0, stripe, 50}, corner{54, 49, 1, 1};
    SDL_FillRect(picture, &left, stripeColour);
    SDL_FillRect(picture, &corner, kClear);
    IMG_SavePNG(picture, name);
    SDL_FreeSurface(picture);
}

}  // namespace

TEST(ParseLevel, ReadsLinesOfLettersAsCodes)
{
    std::string lf, crlf;
    for (int line = 0; line < 11; ++line) {
        lf += "dehvwa.dddddddd\n";
        crlf += "dehvwa.dddddddd\r\n";
    }
    const Tiles::Cells cells = Tiles::ParseLevel(lf);
    EXPECT_EQ(cells, Tiles::ParseLevel(crlf));
    const int codes[7] = {3, 4, 7, 21, 22, 0, -51};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(CellOf(cells, column, 10), codes[column]);

    // Surplus characters and lines are cut, cells not reached hold 0, and a
    // CR not before an LF and a high byte are characters like any other.
    const Tiles::Cells odd = Tiles::ParseLevel("wwwwwwwwwwwwwwwxyz\ndd\n\rd\xE9\r\n\n\n\n\n\n\n\nvvv\nw");
    const int expected[][3] = {{14, 0, 22}, {0, 1, 3}, {2, 1, 0}, {0, 2, '\r' - 97},
                               {2, 2, -23 - 97}, {3, 2, 0}, {0, 10, 21}, {3, 10, 0}};
    for (const auto& cell : expected)
        EXPECT_EQ(CellOf(odd, cell[0], cell[1]), cell[2]) << cell[0] << "," << cell[1];
    EXPECT_EQ(CellOf(Tiles::ParseLevel("d\r"), 1, 0), '\r' - 97);
}

TEST_F(GameFixture, RunStartPrintsTheMapAndPlacesIt)
{
    testing::internal::CaptureStdout();
    Begin("adw.\n");
    const std::string console = testing::internal::GetCapturedStdout();
    std::string map = "0 3 22 -51 0 0 0 0 0 0 0 0 0 0 0 \n";
    for (int row = 1; row < 11; ++row)
        map += "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n";
    ASSERT_GE(console.size(), map.size());
    EXPECT_EQ(console.substr(console.size() - map.size()), map);
    EXPECT_EQ(game->GetTileMap().ScreenYForMapY(0), 40);
    EXPECT_EQ(game->GetTileMap().ScreenXForMapX(14), 756);

    // Without the file the run starts all the same, on cells of 0.
    std::remove("level1.txt");
    testing::internal::CaptureStdout();
    game->StartRun();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Could not read the level file level1.txt\n"), 0u);
    EXPECT_EQ(game->GetTileMap().GetValue(1, 0), 0);
    Pass();
    EXPECT_TRUE(Player().IsAtStart());
}

TEST_F(GameFixture, LadderHasGrassBehindItOnlyAfterGrass)
{
    SavePicture("grass.png", kGreen, 0, kGreen);
    SavePicture("Ladder.png", kClear, 5, kBrown);
    // Row 0: a ladder with no cell before it, sky, ladder, grass, ladder; row 1
    // starts with a ladder after the grass that ends row 0.
    Begin("vdvwvdddddddddw\nv\n");
    const SDL_Surface* background = game->GetBackground();
    auto pixel = [&](int column, int row, int dx) {
        const int y = 40 + 50 * row + 10;
        return static_cast<const Uint32*>(background->pixels)[y * background->pitch / 4 + 54 * column + dx];
    };
    EXPECT_EQ(pixel(0, 0, 2), kBrown);
    EXPECT_EQ(pixel(0, 0, 20), Tiles::SkyColour);
    EXPECT_EQ(pixel(2, 0, 20), Tiles::SkyColour);
    EXPECT_EQ(pixel(3, 0, 20), kGreen);
    EXPECT_EQ(pixel(4, 0, 2), kBrown);
    EXPECT_EQ(pixel(4, 0, 20), kGreen);
    EXPECT_EQ(pixel(0, 1, 20), kGreen);
    EXPECT_EQ(pixel(5, 0, 0), Tiles::SkyColour);  // the picture's 55th column is covered again
}
