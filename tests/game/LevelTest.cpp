#include "GameFixture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>

using Tiles = Tqz41kTileManager;

TEST_F(GameFixture, RunStartPrintsTheMapAndAMissingOrOversizedFileGivesOneLineAndCellsOfZero)
{
    const std::string zeros = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 \n";
    std::string rows1To10;
    for (int row = 1; row < 11; ++row)
        rows1To10 += zeros;
    testing::internal::CaptureStdout();
    Begin("adw.\n");
    const std::string console = testing::internal::GetCapturedStdout();
    const std::string map = "0 3 22 -51 0 0 0 0 0 0 0 0 0 0 0 \n" + rows1To10;
    ASSERT_GE(console.size(), map.size());
    EXPECT_EQ(console.substr(console.size() - map.size()), map);

    // Read up to the bound, which the level checker shares; one byte more and
    // the file is no level.
    const std::string level = "adw.\n" + std::string(10, '\n');
    const std::string atBound = level + std::string(Tiles::MaxLevelBytes - level.size(), 'w');
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
        EXPECT_EQ(testing::internal::GetCapturedStdout(), said.empty() ? map : zeros + rows1To10);
    }
}

TEST_F(GameFixture, LadderHasGrassBehindItOnlyWhenTheCellBeforeItIsGrass)
{
    // Grass: green all over but for its transparent bottom-right pixel.
    constexpr Uint32 kGreen = 0xFF00A000;
    SDL_Surface* grass = SDL_CreateRGBSurfaceWithFormat(0, 55, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(grass, nullptr, kGreen);
    static_cast<Uint32*>(grass->pixels)[grass->pitch / 4 * 49 + 54] = 0;
    IMG_SavePNG(grass, "grass.png");
    SDL_FreeSurface(grass);
    // Row 0: a ladder with no cell before it, sky, ladder, grass, ladder, and grass
    // at its end; row 1 starts with a ladder after that.
    Begin("vdvwvdddddddddw\nv\n");
    const SDL_Surface* background = game->GetBackground();
    for (const auto& [column, row, colour] : {std::tuple{0, 0, Tiles::SkyColour}, {2, 0, Tiles::SkyColour},
                                              {4, 0, kGreen}, {0, 1, kGreen}}) {
        const int x = 54 * column + 20, y = 40 + 50 * row + 10;
        EXPECT_EQ(static_cast<const Uint32*>(background->pixels)[y * background->pitch / 4 + x] & 0xFFFFFF,
                  colour & 0xFFFFFF) << column << "," << row;
    }
}
