#include "EngineTestSupport.h"
#include "ImageData.h"

#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr uint32_t kPaper = 0x00102030;
constexpr uint32_t kInk = 0x00FF00FF;
const PixelSet kNone;
using Case = std::pair<std::array<int, 4>, PixelSet>;  // four arguments, the pixels drawn

// The test picture, 4 x 3: opaque words that name their own place, so a misplaced
// copy shows, with (0, 0) opaque black. Two pixels are transparent, among them
// the bottom-right one, which makes 0 the picture's transparent colour.
uint32_t Loaded(int x, int y)
{
    const bool clear = (x == 2 && y == 0) || (x == 3 && y == 2);
    return clear ? 0 : 0xFF000000 | x << 8 | y;
}

struct DrawingTest : EngineTest<> {
    // Runs draw(a, b, c, d) per case on a paper foreground: exactly the case's pixels change.
    template <typename Draw>
    void Check(const std::vector<Case>& cases, Draw draw)
    {
        for (const auto& [args, drawn] : cases) {
            SDL_FillRect(engine.GetForeground(), nullptr, kPaper);
            draw(args[0], args[1], args[2], args[3]);
            EXPECT_EQ(PixelsOtherThan(engine.GetForeground(), kPaper), drawn) << testing::PrintToString(args);
        }
    }
};

TEST_F(DrawingTest, RectanglesBackgroundCopiesFillsAndImagesAreClippedAtEachEdge)
{
    // Corners in any order.
    Check({{{10, 8, 5, 3}, RectPixels(5, 3, 10, 8)}, {{7, 4, 7, 4}, RectPixels(7, 4, 7, 4)},
           {{-3, -2, 2, 1}, RectPixels(0, 0, 2, 1)}, {{14, 10, 20, 30}, RectPixels(14, 10, 15, 11)},
           // Wholly beside each edge: the clipped span would run backwards.
           {{-9, 2, -2, 4}, kNone}, {{kWidth + 2, 2, kWidth + 5, 4}, kNone},
           {{2, -5, 4, -1}, kNone}, {{2, kHeight, 4, kHeight + 3}, kNone}},
          [&](int x1, int y1, int x2, int y2) { engine.DrawFilledRectangle(x1, y1, x2, y2, kInk); });
    SDL_FillRect(engine.GetBackground(), nullptr, kInk);
    // x, y, width, height: a part off the left never wraps onto the row above, and the
    // widest region does not overflow.
    Check({{{3, 4, 2, 3}, RectPixels(3, 4, 4, 6)}, {{-2, 1, 4, 1}, RectPixels(0, 1, 1, 1)},
           {{-3, -3, 5, 5}, RectPixels(0, 0, 1, 1)}, {{14, 11, 5, 5}, RectPixels(14, 11, 15, 11)},
           {{2, 3, INT_MAX, INT_MAX}, RectPixels(2, 3, 15, 11)}, {{kWidth, 0, 3, 3}, kNone},
           {{0, kHeight, 3, 3}, kNone}, {{2, 2, 0, 3}, kNone}, {{2, 2, 3, -1}, kNone}},
          [&](int x, int y, int width, int height) { engine.CopyBackgroundPixels(x, y, width, height); });

    // Fills on surfaces over a block taller than the screen, one taller, one shorter: only rows in both change.
    for (int rows : {kHeight + 4, 5}) {
        std::vector<uint32_t> block(kWidth * (kHeight + 4), kPaper);
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(block.data(), kWidth, rows, 32, kWidth * 4,
                                                                  SDL_PIXELFORMAT_ARGB8888);
        engine.DrawFilledRectangle(0, 0, kWidth - 1, kHeight + 3, kInk, surface);
        engine.DrawFilledOval(-100, -100, 100, 100, kInk, surface);
        SDL_FreeSurface(surface);
        std::vector<uint32_t> expected(block.size(), kPaper);
        std::fill_n(expected.begin(), kWidth * std::min(rows, kHeight), kInk);
        EXPECT_EQ(block, expected) << rows;
    }

    // Images are clipped to surface and picture and draw nothing without pixels.
    uint32_t words[3][4];
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            words[y][x] = Loaded(x, y) ? Loaded(x, y) : 0x00123456;  // transparent: loads as 0
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(words, 4, 3, 32, 16, SDL_PIXELFORMAT_ARGB8888);
    const std::string path = testing::TempDir() + "vaultrun_image_test.png";
    IMG_SavePNG(picture, path.c_str());
    SDL_FreeSurface(picture);
    ImageData image;
    ASSERT_TRUE(image.LoadImage(path.c_str()));
    std::remove(path.c_str());

    const std::tuple<bool, SDL_Rect, SDL_Point, PixelSet> cases[] = {
        {false, {0, 0, 4, 3}, {1, 1}, RectPixels(1, 1, 4, 3)},
        {false, {0, 0, 4, 3}, {-1, -2}, RectPixels(0, 0, 2, 0)},       // negative destination
        {false, {0, 0, 4, 3}, {14, 10}, RectPixels(14, 10, 15, 11)},   // past the right and bottom
        {false, {2, 1, 10, 10}, {0, 0}, RectPixels(0, 0, 1, 1)},       // larger than the picture
        {false, {0, 0, 4, 3}, {kWidth, 0}, kNone},                     // off the surface
        {false, {0, 0, 0, 3}, {0, 0}, kNone},                          // no width
        // The transparent colour is the whole bottom-right word: opaque black is drawn.
        {true, {0, 0, 4, 1}, {0, 0}, {{0, 0}, {1, 0}, {3, 0}}}};
    SDL_Surface* fg = engine.GetForeground();
    for (const auto& [masked, src, dst, drawn] : cases) {
        SDL_FillRect(fg, nullptr, kPaper);
        if (masked)
            image.RenderImageWithMask(fg, src.x, src.y, dst.x, dst.y, src.w, src.h);
        else
            image.RenderImage(fg, src.x, src.y, dst.x, dst.y, src.w, src.h);
        EXPECT_EQ(PixelsOtherThan(fg, kPaper), drawn) << src.x << "," << src.y << " " << src.w << "x"
                                                      << src.h << " at " << dst.x << "," << dst.y;
        for (const auto& [x, y] : drawn)
            EXPECT_EQ(PixelAt(fg, x, y), Loaded(x - dst.x + src.x, y - dst.y + src.y));
    }

    // A missing file leaves an image without pixels (the old picture goes too): it draws nothing.
    EXPECT_FALSE(image.LoadImage("no-such-picture.png"));
    SDL_FillRect(fg, nullptr, kPaper);
    image.RenderImageWithMask(fg, 0, 0, 0, 0, 4, 3);
    EXPECT_EQ(PixelsOtherThan(fg, kPaper), kNone);
}

// The oval's own per-pixel test on a side x side paper square: the row spans must cover exactly its pixels.
std::vector<uint32_t> ReferenceOval(int side, double x1, double y1, double x2, double y2)
{
    const double cx = (x1 + x2) * 0.5, cy = (y1 + y2) * 0.5, rx = (x2 - x1) * 0.5, ry = (y2 - y1) * 0.5;
    std::vector<uint32_t> pixels(side * side, kPaper);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (1.0 >= (y - cy) * (y - cy) / (ry * ry) + (x - cx) * (x - cx) / (rx * rx))
                pixels[y * side + x] = kInk;
    return pixels;
}

TEST(OvalSpans, MatchThePerPixelTestOnRandomCorners)
{
    constexpr int kSide = 96;
    TestEngine engine;
    ASSERT_EQ(engine.Initialise("Vaultrun test", kSide, kSide, nullptr, 0), 0);
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> near(-40, kSide + 40);
    std::uniform_int_distribution<int> far(INT_MIN, INT_MAX);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int oval = 0; oval < 3000; ++oval) {
        int corner[4];
        for (int& value : corner)
            value = pick(random) == 0 ? far(random) : near(random);
        if (pick(random) == 0)
            corner[2] = corner[0];  // a flat box now and then
        SDL_FillRect(engine.GetForeground(), nullptr, kPaper);
        engine.DrawFilledOval(corner[0], corner[1], corner[2], corner[3], kInk);
        ASSERT_EQ(Pixels(engine.GetForeground()), ReferenceOval(kSide, corner[0], corner[1], corner[2], corner[3]))
            << corner[0] << ", " << corner[1] << ", " << corner[2] << ", " << corner[3];
    }
}

}  // namespace
