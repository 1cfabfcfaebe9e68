#include "GameFixture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <string>
#include <tuple>

using Tiles = Tqz41kTileManager;

// Read up to the bound the level checker shares; one byte more, or no file,
// and the level is one line on standard error and cells of zero on the console.
TEST_F(GameFixture, LevelIsReadUpToItsBoundLineByLineAnyByteIsACellAndALadderHasGrassBehindOnlyAfterGrass)
{
    const std::string zeros = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n";
    std::string map = "0 3 22 -51 0 0 0 0 0 0 0 0 0 0 0 \n", blank = zeros;
    for (int row = 1; row < 11; ++row)
        map += zeros, blank += zeros;
    const std::string level = "adw.\n" + std::string(10, '\n');
    const std::string atBound = level + std::string(Tiles::MaxLevelBytes - level.size(), 'w');
    Open();
    for (const auto& [bytes, said] : {std::pair<std::string, std::string>{atBound, ""},
                                      {atBound + "w", "Could not read the level file level1.txt: "
                                                      "larger than 1048576 bytes\n"},
                                      {"", "Could not read the level file level1.txt\n"}}) {
        if (bytes.empty())
            std::remove("level1.txt");
        else
            WriteFile("level1.txt", bytes);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        game->StartRun();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), said);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), said.empty() ? map : blank);
    }

    // From memory and from a file (read in chunks, so a CR LF pair may straddle
    // two reads): line k is row k, CR LF ends a line as LF does, any other byte is
    // a cell, the byte less 'a'.
    const std::string wide(4095, 'v');  // its CR the last byte of the first read
    const struct {
        std::string text;
        int column, row, cell;
    } cases[] = {
        {"dw\nvd\n", 0, 1, 'v' - 'a'},      {"dw\r\nvd\r\n", 0, 1, 'v' - 'a'},
        {"dw\r\nvd\r\n", 2, 0, 0},          {"d\rw\n", 1, 0, '\r' - 'a'},
        {"d\r", 1, 0, '\r' - 'a'},          {wide + "\r\nw", 0, 1, 'w' - 'a'},
        {"\xff", 0, 0, -1 - 'a'},           {"dddddddddddddddw\n\nv", 0, 1, 0},
        {std::string(11, '\n') + "w", 0, 10, 0}, {std::string(10, '\n') + "w", 0, 10, 'w' - 'a'}};
    Tiles& tiles = game->GetTileMap();
    for (const auto& [text, column, row, cell] : cases) {
        SCOPED_TRACE(text.substr(0, 20) + " at " + std::to_string(column) + "," + std::to_string(row));
        EXPECT_EQ(Tiles::ParseLevel(text)[static_cast<size_t>(row) * Tiles::MapColumns + column], cell);
        WriteFile("level1.txt", text);
        tiles.LoadLevel("level1.txt");
        EXPECT_EQ(tiles.GetValue(column, row), cell);
    }

    // Grass: green all over but for its transparent bottom-right pixel.
    constexpr Uint32 kGreen = 0xFF00A000;
    SDL_Surface* grass = SDL_CreateRGBSurfaceWithFormat(0, 55, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(grass, nullptr, kGreen);
    static_cast<Uint32*>(grass->pixels)[grass->pitch / 4 * 49 + 54] = 0;
    IMG_SavePNG(grass, "grass.png");
    SDL_FreeSurface(grass);
    // Row 0: a ladder first, sky, ladder, grass, ladder, grass at its end; row 1 starts with a ladder.
    Begin("vdvwvdddddddddw\nv\n");
    for (const auto& [column, row, colour] : {std::tuple{0, 0, Tiles::SkyColour}, {2, 0, Tiles::SkyColour},
                                              {4, 0, kGreen}, {0, 1, kGreen}}) {
        EXPECT_EQ(Pixel(game->GetBackground(), 54 * column + 20, 40 + 50 * row + 10) & 0xFFFFFF, colour & 0xFFFFFF)
            << column << "," << row;
    }
}
