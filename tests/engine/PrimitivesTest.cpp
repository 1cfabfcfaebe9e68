#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;
constexpr uint32_t kPaper = 0x00102030;
constexpr uint32_t kInk = 0x00FF00FF;

class PrimitivesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, nullptr, 0), 0);
        fg = engine.GetForeground();
    }
    PixelSet Rectangle(int x1, int y1, int x2, int y2)
    {
        SDL_FillRect(fg, nullptr, kPaper);
        engine.DrawFilledRectangle(x1, y1, x2, y2, kInk);
        return PixelsOf(fg, kInk);
    }
    PixelSet Oval(int x1, int y1, int x2, int y2)
    {
        SDL_FillRect(fg, nullptr, kPaper);
        engine.DrawFilledOval(x1, y1, x2, y2, kInk);
        return PixelsOf(fg, kInk);
    }

    TestEngine engine;
    SDL_Surface* fg = nullptr;
};

TEST_F(PrimitivesTest, RectangleCoversBothCornersAndOnlyItsOnSurfacePart)
{
    EXPECT_EQ(Rectangle(10, 8, 5, 3), RectPixels(5, 3, 10, 8));
    EXPECT_EQ(Rectangle(5, 3, 10, 8), RectPixels(5, 3, 10, 8));
    EXPECT_EQ(Rectangle(7, 4, 7, 4), RectPixels(7, 4, 7, 4));
    EXPECT_EQ(Rectangle(-3, -2, 2, 1), RectPixels(0, 0, 2, 1));
    EXPECT_EQ(Rectangle(14, 10, 20, 30), RectPixels(14, 10, 15, 11));
    // Just off each edge, and well off, while overlapping along the other axis.
    const std::vector<SDL_Rect> offSurface{{-5, 2, -1, 4}, {-9, 2, -2, 4}, {kWidth, 2, kWidth + 3, 4},
                                           {kWidth + 2, 2, kWidth + 5, 4}, {2, -5, 4, -1},
                                           {2, kHeight, 4, kHeight + 3}, {INT_MIN, 0, INT_MIN, 0}};
    for (const SDL_Rect& box : offSurface)
        EXPECT_TRUE(Rectangle(box.x, box.y, box.w, box.h).empty()) << box.x << "," << box.y;
}

TEST_F(PrimitivesTest, FillsStopAtTheScreenHeightAndAtTheSurfaceBottom)
{
    SurfacePtr tall = MakeSurface(kWidth, kHeight + 4, kPaper);
    engine.DrawFilledRectangle(0, 0, kWidth - 1, kHeight + 3, kInk, tall.get());
    engine.DrawFilledOval(-100, -100, 100, 100, kInk, tall.get());
    EXPECT_EQ(PixelsOf(tall.get(), kInk), RectPixels(0, 0, kWidth - 1, kHeight - 1));

    // A short surface over the top rows of a larger block: the other rows stay untouched.
    constexpr int kRows = 5;
    std::vector<uint32_t> block(kWidth * kHeight, kPaper);
    SurfacePtr shorter(SDL_CreateRGBSurfaceFrom(block.data(), kWidth, kRows, 32, kWidth * 4,
                                                0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000));
    engine.DrawFilledRectangle(0, 0, kWidth - 1, kHeight - 1, kInk, shorter.get());
    engine.DrawFilledOval(-100, -100, 100, 100, kInk, shorter.get());
    for (int i = 0; i < kWidth * kHeight; ++i)
        EXPECT_EQ(block[i], i < kWidth * kRows ? kInk : kPaper) << i;
}

TEST_F(PrimitivesTest, OvalsCoverTheirExactPixels)
{
    PixelSet circle;
    for (int x = 0; x <= 4; ++x)
        for (int y = 0; y <= 4; ++y)
            if ((x - 2) * (x - 2) + (y - 2) * (y - 2) <= 4)
                circle.insert({x, y});
    EXPECT_EQ(circle.size(), 13u);
    EXPECT_EQ(Oval(0, 0, 4, 4), circle);
    EXPECT_EQ(Oval(4, 4, 0, 0), circle);
    EXPECT_EQ(Oval(0, 0, 2, 2), (PixelSet{{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}}));
    EXPECT_EQ(Oval(0, 0, 1, 2), (PixelSet{{0, 1}, {1, 1}}));
    EXPECT_EQ(Oval(-2, -2, 2, 2), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {0, 2}}));
    EXPECT_TRUE(Oval(0, 0, 0, 5).empty());
    EXPECT_TRUE(Oval(1, 3, 6, 3).empty());
    // Far-off corners must not overflow: the surface lies deep inside this oval.
    EXPECT_EQ(Oval(INT_MIN, INT_MIN, INT_MAX, INT_MAX), RectPixels(0, 0, kWidth - 1, kHeight - 1));
}

TEST_F(PrimitivesTest, BackgroundCopyIsClippedToTheSurfaces)
{
    SDL_Surface* bg = engine.GetBackground();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            PixelAt(bg, x, y) = 0x00010000u * y + x + 1;  // every pixel different
    // The pixels that now match the background; every other one must still be paper.
    auto copied = [&](int x, int y, int width, int height) {
        SDL_FillRect(fg, nullptr, kPaper);
        engine.CopyBackgroundPixels(x, y, width, height);
        const PixelSet paper = PixelsOf(fg, kPaper);
        PixelSet same;
        for (int py = 0; py < kHeight; ++py)
            for (int px = 0; px < kWidth; ++px)
                if (!paper.count({px, py}) && PixelAt(fg, px, py) == PixelAt(bg, px, py))
                    same.insert({px, py});
        EXPECT_EQ(paper.size() + same.size(), size_t{kWidth * kHeight});
        return same;
    };
    EXPECT_EQ(copied(3, 4, 2, 3), RectPixels(3, 4, 4, 6));
    EXPECT_EQ(copied(-2, 1, 4, 1), RectPixels(0, 1, 1, 1));  // not the end of row 0
    EXPECT_EQ(copied(-3, -3, 5, 5), RectPixels(0, 0, 1, 1));
    EXPECT_EQ(copied(kWidth - 2, kHeight - 1, 5, 5), RectPixels(kWidth - 2, kHeight - 1, kWidth - 1, kHeight - 1));
    EXPECT_EQ(copied(-5, -5, INT_MAX, INT_MAX), RectPixels(0, 0, kWidth - 1, kHeight - 1));
    EXPECT_TRUE(copied(kWidth, 0, 3, 3).empty());
    EXPECT_TRUE(copied(0, kHeight, 3, 3).empty());
    EXPECT_TRUE(copied(2, 2, 0, 3).empty());
    EXPECT_TRUE(copied(2, 2, 3, -1).empty());
}

}  // namespace
