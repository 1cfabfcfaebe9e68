// The data folder as the game meets it: every picture loaded through
// ImageData, the font and its licence. Then the picture generator's parts: the
// art parser's reports of faults, and the writers' output read back.

#include "ArtBook.h"
#include "GameAssets.h"
#include "ImageData.h"
#include "PictureWriter.h"
#include "PixelCanvas.h"
#include "TestFiles.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {
const std::string kData = VAULTRUN_BINARY_DIR "/data/";
}  // namespace

TEST(DataFolder, FontFitsTheLongestLineWithItsLicenceAndPicturesLoadWithTheirSizeFormatAndTransparency)
{
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont((kData + GameAssets::kFontFile).c_str(), GameAssets::kFontSize);
    ASSERT_NE(font, nullptr);
    int width = 0, height = 0;
    EXPECT_EQ(TTF_SizeText(font, "Vaultgrab 5 keys to open the door and win!", &width, &height), 0);
    EXPECT_LE(115 + width, GameAssets::kWindowWidth);
    TTF_CloseFont(font);
    TTF_Quit();

    const std::string notice = ReadBytes(kData + "NOTICE");
    EXPECT_NE(notice.find("Cabin Sketch"), std::string::npos);
    EXPECT_NE(notice.find("SIL Open Font License"), std::string::npos);
    EXPECT_NE(ReadBytes(kData + "FONT-LICENCE").find("SIL OPEN FONT LICENSE Version 1.1"), std::string::npos);

    // Masked pictures are drawn with their bottom-right colour left out.
    for (const GameAssets::Picture& picture : GameAssets::kPictures) {
        SCOPED_TRACE(picture.file);
        const std::string path = kData + picture.file;
        const bool gif = std::string(picture.file).find(".gif") != std::string::npos;
        EXPECT_EQ(ReadBytes(path).substr(0, 4), gif ? "GIF8" : "\x89PNG");

        ImageData image;
        ASSERT_TRUE(image.LoadImage(path.c_str()));
        ASSERT_EQ(std::pair(image.GetWidth(), image.GetHeight()), std::pair(picture.width, picture.height));
        EXPECT_EQ(image.GetPixel(picture.width - 1, picture.height - 1) == 0, picture.masked);
        // A half-clear pixel would load as a blend and be drawn solid: each is
        // wholly opaque, or wholly clear in a masked picture.
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t pixel = image.GetPixel(x, y);
                ASSERT_TRUE(pixel >> 24 == 0xFF || (picture.masked && pixel == 0)) << x << "," << y;
            }
    }
}

TEST(ArtBook, ReadsEitherLineEndAndNamesWhereAFaultIs)
{
    ArtBook book;
    std::string error;
    ASSERT_TRUE(book.ParsePalette("# palette\n. none\nr FF0000\n", "pal", error)) << error;
    PixelCanvas grid;
    ASSERT_TRUE(book.ParseGrid("# comment\r\nr.\r\n\r\n.r\r\n", "grid", grid, error)) << error;
    ASSERT_EQ(std::pair(grid.GetWidth(), grid.GetHeight()), std::pair(2, 2));
    EXPECT_EQ(grid.Get(0, 0), 0xFFFF0000u);
    EXPECT_EQ(grid.Get(1, 0), PixelCanvas::kTransparent);

    EXPECT_FALSE(ArtBook().ParsePalette(". none\nk 000000\n. 000000\n", "pal", error));
    EXPECT_EQ(error, "pal:3: symbol '.' is defined twice");
    EXPECT_FALSE(book.ParseGrid("r.\nr.r\n", "grid", grid, error));
    EXPECT_EQ(error, "grid:2: row is 3 wide, the first row 2");
    EXPECT_FALSE(book.ParseGrid("r.\n#\nrx\n", "grid", grid, error));
    EXPECT_EQ(error, "grid:3: column 2: symbol 'x' is not in the palette");
}

// Exactly the drawn pixels read back, or a refusal: a GIF holds no clear pixel
// and at most 256 colours, and nothing is written into a missing folder.
TEST(PictureWriter, WritesWhatWasDrawnOrRefuses)
{
    const std::string folder = VAULTRUN_BINARY_DIR "/tests/content/";
    const std::string png = folder + "writer-test.png", gif = folder + "writer-test.gif";
    // Three colours, which a GIF rounds up to a four-entry table.
    PixelCanvas canvas(3, 2, PixelCanvas::Opaque(0x00FF00));
    canvas.Set(0, 0, PixelCanvas::Opaque(0x123456));
    canvas.Set(2, 0, PixelCanvas::Opaque(0xFFFFFF));
    const auto expectReadBack = [&canvas](const std::string& path) {
        ImageData image;
        ASSERT_TRUE(image.LoadImage(path.c_str())) << path;
        for (int y = 0; y < canvas.GetHeight(); ++y)
            for (int x = 0; x < canvas.GetWidth(); ++x)
                EXPECT_EQ(image.GetPixel(x, y), canvas.Get(x, y)) << path << " " << x << "," << y;
    };
    std::string error;
    ASSERT_TRUE(PictureWriter::SaveGif(canvas, gif, error)) << error;
    expectReadBack(gif);
    canvas.Set(1, 1, PixelCanvas::kTransparent);
    ASSERT_TRUE(PictureWriter::SavePng(canvas, png, error)) << error;
    expectReadBack(png);

    EXPECT_FALSE(PictureWriter::SaveGif(canvas, gif, error));
    EXPECT_FALSE(PictureWriter::SavePng(canvas, folder + "no-such-folder/x.png", error));
    PixelCanvas crowded(PictureWriter::kGifMaxColours + 1, 1);
    for (int x = 0; x < crowded.GetWidth(); ++x)
        crowded.Set(x, 0, PixelCanvas::Opaque(static_cast<uint32_t>(x)));
    EXPECT_FALSE(PictureWriter::SaveGif(crowded, gif, error));
    std::remove(png.c_str());
    std::remove(gif.c_str());
}
