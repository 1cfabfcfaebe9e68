#include "EngineTestSupport.h"
#include "ImageData.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPicWidth = 4;
constexpr int kPicHeight = 3;
constexpr uint32_t kClear = 0x00123456;  // fully transparent in the file: loads as 0
// The bottom-right pixel is transparent, which makes 0 the picture's mask colour.
constexpr uint32_t kPicture[kPicHeight][kPicWidth] = {
    {0xFFFF0000, 0xFF00FF00, kClear, 0xFF0000FF},
    {0xFFFFFFFF, 0xFF000000, 0xFF808080, 0xFF102030},
    {0xFF0000FF, 0xFFABCDEF, 0xFF00FF00, kClear},
};
constexpr uint32_t kSentinel = 0x00777777;
constexpr int kSurfaceWidth = 6;
constexpr int kSurfaceHeight = 5;

uint32_t Loaded(int x, int y)
{
    return kPicture[y][x] == kClear ? 0 : kPicture[y][x];
}

class ImageDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SurfacePtr picture = MakeSurface(kPicWidth, kPicHeight, 0);
        for (int y = 0; y < kPicHeight; ++y)
            for (int x = 0; x < kPicWidth; ++x)
                PixelAt(picture.get(), x, y) = kPicture[y][x];
        ASSERT_EQ(IMG_SavePNG(picture.get(), path.c_str()), 0) << IMG_GetError();
        ASSERT_EQ(IMG_SavePNG(MakeSurface(2, 2, 0xFF445566).get(), tinyPath.c_str()), 0);
        ASSERT_TRUE(image.LoadImage(path.c_str()));
    }
    void TearDown() override
    {
        std::remove(path.c_str());
        std::remove(tinyPath.c_str());
    }

    const std::string path = testing::TempDir() + "vaultrun_image_test.png";
    const std::string tinyPath = testing::TempDir() + "vaultrun_image_test_tiny.png";
    ImageData image;
};

TEST_F(ImageDataTest, LoadGivesOpaqueWordsAndClearsTransparentPixels)
{
    ASSERT_EQ(image.GetWidth(), kPicWidth);
    ASSERT_EQ(image.GetHeight(), kPicHeight);
    for (int y = 0; y < kPicHeight; ++y)
        for (int x = 0; x < kPicWidth; ++x)
            EXPECT_EQ(image.GetPixel(x, y), Loaded(x, y)) << x << "," << y;
    ASSERT_TRUE(image.LoadImage(tinyPath.c_str()));  // replaces the first picture
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(image.GetPixel(1, 1), 0xFF445566u);
}

TEST_F(ImageDataTest, ImageWithoutPixelsDrawsNothing)
{
    ImageData never;
    EXPECT_FALSE(never.LoadImage("no-such-picture.png"));
    EXPECT_FALSE(image.LoadImage("no-such-picture.png"));
    EXPECT_FALSE(image.HasPixels());
    SurfacePtr surface = MakeSurface(kSurfaceWidth, kSurfaceHeight, kSentinel);
    for (const ImageData* empty : {&never, &image}) {
        empty->RenderImage(surface.get(), 0, 0, 0, 0, kPicWidth, kPicHeight);
        empty->RenderImageWithMask(surface.get(), 0, 0, 0, 0, kPicWidth, kPicHeight);
    }
    EXPECT_EQ(PixelsOf(surface.get(), kSentinel).size(), size_t{kSurfaceWidth * kSurfaceHeight});
}

TEST_F(ImageDataTest, RegionsAreClippedToTheSurfaceAndThePicture)
{
    const SDL_Rect sources[] = {{0, 0, 4, 3}, {1, 1, 2, 2}, {0, 0, 10, 10}, {2, 1, 4, 3},
                                {-1, -1, 4, 3}, {0, 0, 0, 3}, {0, 0, 4, -1}};
    const SDL_Point places[] = {{0, 0}, {1, 1}, {-1, -2}, {2, 2}, {3, 3}, {kSurfaceWidth, 0},
                                {0, kSurfaceHeight}};
    for (bool masked : {false, true}) {
        for (const SDL_Rect& src : sources) {
            for (const SDL_Point& dst : places) {
                SurfacePtr surface = MakeSurface(kSurfaceWidth, kSurfaceHeight, kSentinel);
                if (masked)
                    image.RenderImageWithMask(surface.get(), src.x, src.y, dst.x, dst.y, src.w, src.h);
                else
                    image.RenderImage(surface.get(), src.x, src.y, dst.x, dst.y, src.w, src.h);
                // Each surface pixel shows the picture pixel under it when that lies in
                // the region and in the picture, and (masked) is not transparent.
                for (int y = 0; y < kSurfaceHeight; ++y) {
                    for (int x = 0; x < kSurfaceWidth; ++x) {
                        const int px = x - dst.x + src.x;
                        const int py = y - dst.y + src.y;
                        const bool covered = x >= dst.x && x < dst.x + src.w && y >= dst.y &&
                                             y < dst.y + src.h && px >= 0 && px < kPicWidth &&
                                             py >= 0 && py < kPicHeight;
                        const bool written = covered && (!masked || Loaded(px, py) != 0);
                        EXPECT_EQ(PixelAt(surface.get(), x, y), written ? Loaded(px, py) : kSentinel)
                            << "masked " << masked << " src " << src.x << "," << src.y << " "
                            << src.w << "x" << src.h << " dst " << dst.x << "," << dst.y
                            << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

}  // namespace
