// The picture generator's parts: the art parser's reports of faults, and the
// writers' output read back through the game's own loader.

#include "ArtBook.h"
#include "ImageData.h"
#include "PictureWriter.h"
#include "PixelCanvas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

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
