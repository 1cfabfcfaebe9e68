#include "PixelCanvas.h"

#include <algorithm>
#include <cstddef>

namespace {
// 4 x 4 ordered-dither thresholds, 0 to 15.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr int kBayerLevels = 16;
}  // namespace

PixelCanvas::PixelCanvas(int width, int height, uint32_t fill)
    : width(std::max(width, 0)),
      height(std::max(height, 0)),
      pixels(static_cast<size_t>(this->width) * this->height, fill)
{
}

uint32_t PixelCanvas::Get(int x, int y) const
{
    return Contains(x, y) ? pixels[static_cast<size_t>(y) * width + x] : kTransparent;
}

void PixelCanvas::Set(int x, int y, uint32_t colour)
{
    if (Contains(x, y))
        pixels[static_cast<size_t>(y) * width + x] = colour;
}

void PixelCanvas::FillRect(int x1, int y1, int x2, int y2, uint32_t colour)
{
    const int left = std::max(std::min(x1, x2), 0);
    const int right = std::min(std::max(x1, x2), width - 1);
    const int top = std::max(std::min(y1, y2), 0);
    const int bottom = std::min(std::max(y1, y2), height - 1);
    if (left > right)
        return;
    for (int y = top; y <= bottom; ++y)
        std::fill_n(pixels.begin() + static_cast<ptrdiff_t>(y) * width + left, right - left + 1,
                    colour);
}

void PixelCanvas::FillEllipse(int centreX, int centreY, int radiusX, int radiusY, uint32_t colour)
{
    if (radiusX < 0 || radiusY < 0)
        return;
    const long long rx2 = static_cast<long long>(radiusX) * radiusX;
    const long long ry2 = static_cast<long long>(radiusY) * radiusY;
    for (int dy = -radiusY; dy <= radiusY; ++dy) {
        for (int dx = -radiusX; dx <= radiusX; ++dx) {
            // The +1 in each bound rounds the outline outwards, so small circles stay round.
            if (dx * dx * ry2 + dy * dy * rx2 <= rx2 * ry2 + (rx2 + ry2) / 2)
                Set(centreX + dx, centreY + dy, colour);
        }
    }
}

void PixelCanvas::FillRing(int centreX, int centreY, int outerRadius, int innerRadius,
                           uint32_t colour)
{
    const int outer2 = outerRadius * outerRadius + outerRadius;
    const int inner2 = innerRadius * innerRadius + innerRadius;
    for (int dy = -outerRadius; dy <= outerRadius; ++dy) {
        for (int dx = -outerRadius; dx <= outerRadius; ++dx) {
            const int d2 = dx * dx + dy * dy;
            if (d2 <= outer2 && d2 > inner2)
                Set(centreX + dx, centreY + dy, colour);
        }
    }
}

void PixelCanvas::FillDitheredGradient(int x1, int y1, int x2, int y2, uint32_t top,
                                       uint32_t bottom)
{
    const int rows = std::max(y2 - y1, 1);
    for (int y = y1; y <= y2; ++y) {
        // Share of the bottom colour on this row, in sixteenths.
        const int level = (y - y1) * kBayerLevels / rows;
        for (int x = x1; x <= x2; ++x)
            Set(x, y, kBayer[y & 3][x & 3] < level ? bottom : top);
    }
}

void PixelCanvas::Stamp(const PixelCanvas& stamp, int x, int y, int scale)
{
    for (int sy = 0; sy < stamp.height; ++sy) {
        for (int sx = 0; sx < stamp.width; ++sx) {
            const uint32_t colour = stamp.Get(sx, sy);
            if (colour != kTransparent)
                FillRect(x + sx * scale, y + sy * scale, x + sx * scale + scale - 1,
                         y + sy * scale + scale - 1, colour);
        }
    }
}

PixelCanvas PixelCanvas::Mirrored() const
{
    PixelCanvas result(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            result.Set(width - 1 - x, y, Get(x, y));
    return result;
}

PixelCanvas PixelCanvas::ScaledUp(int factor) const
{
    factor = std::max(factor, 1);
    PixelCanvas result(width * factor, height * factor);
    result.Stamp(*this, 0, 0, factor);
    return result;
}
