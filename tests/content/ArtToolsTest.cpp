// The picture generator's parts: the art parser's error reports and the
// writers' round trip through the game's own loader.

#include "ArtBook.h"
#include "ImageData.h"
#include "PictureWriter.h"
#include "PixelCanvas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
const char* const kPalette = "# test palette\n. none\nr FF0000\ng 00ff00\n";

std::string TempPath(const std::string& name)
{
    return std::string(VAULTRUN_BINARY_DIR) + "/tests/content/" + name;
}
}  // namespace

TEST(ArtBook, ReadsGridsWithEitherLineEnd)
{
    ArtBook book;
    std::string error;
    ASSERT_TRUE(book.ParsePalette(kPalette, "palette", error)) << error;
    PixelCanvas grid;
    ASSERT_TRUE(book.ParseGrid("# comment\r\nr.g\r\n\r\ngr.\r\n", "grid", grid, error)) << error;
    ASSERT_EQ(grid.GetWidth(), 3);
    ASSERT_EQ(grid.GetHeight(), 2);
    EXPECT_EQ(grid.Get(0, 0), 0xFFFF0000u);
    EXPECT_EQ(grid.Get(1, 0), PixelCanvas::kTransparent);
    EXPECT_EQ(grid.Get(0, 1), 0xFF00FF00u);
}

TEST(ArtBook, NamesTheLineOfEveryFault)
{
    std::string error;
    EXPECT_FALSE(ArtBook().ParsePalette(". none\nq 12345\n", "pal", error));
    EXPECT_EQ(error.rfind("pal:2:", 0), 0u) << error;
    EXPECT_FALSE(ArtBook().ParsePalette(". none\nk 000000\n. 000000\n", "pal", error));
    EXPECT_EQ(error.rfind("pal:3:", 0), 0u) << error;
    EXPECT_NE(error.find("twice"), std::string::npos) << error;

    ArtBook good;
    ASSERT_TRUE(good.ParsePalette(kPalette, "palette", error)) << error;
    PixelCanvas grid;
    EXPECT_FALSE(good.ParseGrid("rg\nrgr\n", "grid", grid, error));
    EXPECT_EQ(error.rfind("grid:2:", 0), 0u) << error;
    EXPECT_FALSE(good.ParseGrid("rg\n#\nrx\n", "grid", grid, error));
    EXPECT_EQ(error.rfind("grid:3: column 2", 0), 0u) << error;
    EXPECT_FALSE(good.ParseGrid("# only a comment\n", "grid", grid, error));
}

TEST(PictureWriter, PngAndGifLoadBackAsDrawn)
{
    PixelCanvas canvas(3, 2);
    canvas.Set(0, 0, PixelCanvas::Opaque(0x123456));
    canvas.Set(2, 0, PixelCanvas::Opaque(0xFFFFFF));
    std::string error;
    const std::string png = TempPath("writer-test.png");
    ASSERT_TRUE(PictureWriter::SavePng(canvas, png, error)) << error;
    ImageData image;
    ASSERT_TRUE(image.LoadImage(png.c_str()));
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF123456u);
    EXPECT_EQ(image.GetPixel(1, 0), 0u);
    EXPECT_EQ(image.GetPixel(2, 1), 0u);

    // GIF: opaque only; three colours round up to a four-entry table.
    EXPECT_FALSE(PictureWriter::SaveGif(canvas, TempPath("writer-test.gif"), error));
    canvas.FillRect(0, 1, 2, 1, PixelCanvas::Opaque(0x00FF00));
    canvas.Set(1, 0, PixelCanvas::Opaque(0x00FF00));
    const std::string gif = TempPath("writer-test.gif");
    ASSERT_TRUE(PictureWriter::SaveGif(canvas, gif, error)) << error;
    ASSERT_TRUE(image.LoadImage(gif.c_str()));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.GetPixel(x, y), canvas.Get(x, y)) << x << "," << y;

    PixelCanvas crowded(PictureWriter::kGifMaxColours + 1, 1);
    for (int x = 0; x < crowded.GetWidth(); ++x)
        crowded.Set(x, 0, PixelCanvas::Opaque(static_cast<uint32_t>(x)));
    EXPECT_FALSE(PictureWriter::SaveGif(crowded, gif, error));
    EXPECT_FALSE(PictureWriter::SavePng(canvas, TempPath("no-such-folder/x.png"), error));
    std::remove(png.c_str());
    std::remove(gif.c_str());
}
