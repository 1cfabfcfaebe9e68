#pragma once

#include <cstdint>
#include <vector>

// A picture being drawn: 0xAARRGGBB words, row after row, every pixel either
// fully transparent (0x00000000) or fully opaque. It draws shapes and stamps
// other canvases; it knows nothing about files.
class PixelCanvas {
public:
    static constexpr uint32_t kTransparent = 0x00000000;

    PixelCanvas() = default;
    // A canvas of the given size, filled with `fill` (transparent by default).
    PixelCanvas(int width, int height, uint32_t fill = kTransparent);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    const std::vector<uint32_t>& GetPixels() const { return pixels; }

    // Reads and writes outside the canvas are ignored; reads there give transparent.
    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t colour);

    // Opaque colour from 0xRRGGBB.
    static uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | (rgb & 0x00FFFFFFu); }

    // Filled shapes, clipped to the canvas; corners are inclusive.
    void FillRect(int x1, int y1, int x2, int y2, uint32_t colour);
    void FillEllipse(int centreX, int centreY, int radiusX, int radiusY, uint32_t colour);
    // A ring between two radii (inner exclusive).
    void FillRing(int centreX, int centreY, int outerRadius, int innerRadius, uint32_t colour);
    // A vertical blend from `top` to `bottom` over the rows y1..y2, dithered with
    // a 4 x 4 ordered pattern so that it needs only the two colours.
    void FillDitheredGradient(int x1, int y1, int x2, int y2, uint32_t top, uint32_t bottom);

    // Draws the opaque pixels of `stamp` with its top-left at (x, y), each one
    // as a scale x scale block.
    void Stamp(const PixelCanvas& stamp, int x, int y, int scale = 1);
    // The same canvas mirrored left to right.
    PixelCanvas Mirrored() const;
    // The same canvas with every pixel a factor x factor block.
    PixelCanvas ScaledUp(int factor) const;

private:
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
