#include "GameFixture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <string>

namespace {

using Tiles = Tqz41kTileManager;

int CellOf(const Tiles::Cells& cells, int column, int row)
{
    return cells[static_cast<size_t>(row) * Tiles::MapColumns + column];
}

constexpr Uint32 kGreen = 0xFF00A000;
constexpr Uint32 kBrown = 0xFF804000;
constexpr Uint32 kKey = 0xFFFF00FF;  // the transparent colour: bottom-right pixel

// A 55 x 50 picture of one colour, its left `stripe` columns another, and its
// bottom-right pixel the transparent key.
void SavePicture(const char* name, Uint32 colour, int stripe = 0, Uint32 stripeColour = 0)
{
    SDL_Surface* picture =
        SDL_CreateRGBSurface(0, 55, 50, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    auto* pixels = static_cast<Uint32*>(picture->pixels);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 55; ++x)
            pixels[y * picture->pitch / 4 + x] = x < stripe ? stripeColour : colour;
    }
    pixels[49 * picture->pitch / 4 + 54] = kKey;
    IMG_SavePNG(picture, name);
    SDL_FreeSurface(picture);
}

}  // namespace

TEST(ParseLevel, ReadsLinesOfLettersAsCodes)
{
    const std::string row = "dehvwa.dddddddd";
    std::string lf, crlf;
    for (int line = 0; line < 11; ++line) {
        lf += row + "\n";
        crlf += row + "\r\n";
    }
    const Tiles::Cells cells = Tiles::ParseLevel(lf);
    EXPECT_EQ(cells, Tiles::ParseLevel(crlf));
    const int firstRow[7] = {3, 4, 7, 21, 22, 0, -51};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(CellOf(cells, column, 10), firstRow[column]);

    // Long lines and lines past the eleventh are cut; short ones and missing
    // lines leave 0; a lone CR and a high byte are characters like any other.
    const Tiles::Cells odd = Tiles::ParseLevel("wwwwwwwwwwwwwwwxyz\ndd\n\rd\xE9\r\n\n\n\n\n\n\n\nvvv\nwww");
    EXPECT_EQ(CellOf(odd, 14, 0), 22);
    EXPECT_EQ(CellOf(odd, 0, 1), 3);
    EXPECT_EQ(CellOf(odd, 2, 1), 0);
    EXPECT_EQ(CellOf(odd, 0, 2), '\r' - 97);
    EXPECT_EQ(CellOf(odd, 2, 2), -23 - 97);
    EXPECT_EQ(CellOf(odd, 3, 2), 0);
    EXPECT_EQ(CellOf(odd, 0, 10), 21);
    EXPECT_EQ(CellOf(odd, 3, 10), 0);
    EXPECT_EQ(CellOf(Tiles::ParseLevel("d\r"), 1, 0), '\r' - 97);
    EXPECT_EQ(Tiles::ParseLevel(""), Tiles::Cells{});
}

TEST_F(GameFixture, RunStartPrintsTheMapAndPlacesIt)
{
    testing::internal::CaptureStdout();
    Begin("adw.\n");
    const std::string console = testing::internal::GetCapturedStdout();
    std::string expected = "0 3 22 -51 ";
    for (int column = 4; column < 15; ++column)
        expected += "0 ";
    expected += "\n";
    for (int row = 1; row < 11; ++row)
        expected += "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n";
    EXPECT_NE(console.find(expected), std::string::npos) << console;
    EXPECT_EQ(game->GetTileMap().GetBaseScreenY(), 40);
    EXPECT_EQ(game->GetTileMap().ScreenXForMapX(14), 756);
}

TEST_F(GameFixture, MissingLevelFileIsNamedAndTheRunStarts)
{
    Open();
    testing::internal::CaptureStdout();
    game->StartRun();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.find("Could not read the level file level1.txt\n"), 0u) << console;
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_EQ(game->GetTileMap().GetMapWidth(), 15);
    EXPECT_EQ(game->GetTileMap().GetValue(3, 3), 0);
    Pass();
    EXPECT_EQ(Player().GetTop(), 510);  // cells of 0 hold the player
}

TEST_F(GameFixture, LadderHasGrassBehindItOnlyAfterGrass)
{
    SavePicture("grass.png", kGreen);
    SavePicture("Ladder.png", kKey, 5, kBrown);
    // Row 0: ladder first (no cell before it), sky, ladder, grass, ladder.
    // Row 1 starts with a ladder after the grass that ends row 0.
    Begin("vdvwvdddddddddw\nvdddddddddddddd\n");
    const SDL_Surface* background = game->GetBackground();
    auto pixel = [&](int column, int row, int dx) {
        return static_cast<const Uint32*>(background->pixels)[(40 + 50 * row + 10) *
                                                                  background->pitch / 4 +
                                                              54 * column + dx];
    };
    const Uint32 sky = Tiles::SkyColour;
    EXPECT_EQ(pixel(0, 0, 2), kBrown);
    EXPECT_EQ(pixel(0, 0, 20), sky);
    EXPECT_EQ(pixel(2, 0, 20), sky);
    EXPECT_EQ(pixel(3, 0, 20), kGreen);
    EXPECT_EQ(pixel(4, 0, 20), kGreen);
    EXPECT_EQ(pixel(0, 1, 20), kGreen);
    EXPECT_EQ(pixel(4, 0, 2), kBrown);
    // The picture's 55th column is covered by the next cell's sky.
    EXPECT_EQ(pixel(5, 0, 0), sky);
}
