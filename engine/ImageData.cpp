#include "ImageData.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdint>

namespace {
constexpr Uint32 kRedMask = 0x00FF0000;
constexpr Uint32 kGreenMask = 0x0000FF00;
constexpr Uint32 kBlueMask = 0x000000FF;
constexpr Uint32 kAlphaMask = 0xFF000000;
}  // namespace

bool ImageData::LoadImage(const char* fileName)
{
    pixels.reset();

    SDL_Surface* decoded = IMG_Load(fileName);
    if (!decoded)
        return false;
    // Blitting onto a cleared 0xAARRGGBB surface turns every file format into our
    // layout; fully transparent and colour-keyed pixels come out as 0x00000000.
    SDL_Surface* converted = SDL_CreateRGBSurface(0, decoded->w, decoded->h, 32, kRedMask,
                                                  kGreenMask, kBlueMask, kAlphaMask);
    if (converted)
        SDL_UpperBlit(decoded, nullptr, converted, nullptr);
    SDL_FreeSurface(decoded);
    if (!converted)
        return false;
    if (converted->w < 1 || converted->h < 1) {
        SDL_FreeSurface(converted);
        return false;
    }

    width = converted->w;
    height = converted->h;
    pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(width) * height);
    const size_t stride = static_cast<unsigned>(converted->pitch) >> 2;
    const auto* source = static_cast<const uint32_t*>(converted->pixels);
    for (int y = 0; y < height; ++y)
        std::copy_n(source + y * stride, width, pixels.get() + static_cast<size_t>(y) * width);
    SDL_FreeSurface(converted);
    return true;
}

void ImageData::RenderImage(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                            int regionWidth, int regionHeight) const
{
    Render(surface, srcX, srcY, dstX, dstY, regionWidth, regionHeight, false);
}

void ImageData::RenderImageWithMask(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                                    int regionWidth, int regionHeight) const
{
    Render(surface, srcX, srcY, dstX, dstY, regionWidth, regionHeight, true);
}

void ImageData::Render(SDL_Surface* surface, int srcX, int srcY, int dstX, int dstY,
                       int regionWidth, int regionHeight, bool masked) const
{
    if (!pixels || !surface)
        return;

    // Clipping at the left and top moves the source with the destination, so
    // the visible part of the picture stays where it would have been.
    int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, w = regionWidth, h = regionHeight;
    if (sx < 0) { w += sx; dx -= sx; sx = 0; }
    if (sy < 0) { h += sy; dy -= sy; sy = 0; }
    if (dx < 0) { w += dx; sx -= dx; dx = 0; }
    if (dy < 0) { h += dy; sy -= dy; dy = 0; }
    w = std::min({w, int64_t{surface->w} - dx, int64_t{width} - sx});
    h = std::min({h, int64_t{surface->h} - dy, int64_t{height} - sy});
    if (w < 1 || h < 1)
        return;

    const size_t stride = static_cast<unsigned>(surface->pitch) >> 2;
    auto* target = static_cast<uint32_t*>(surface->pixels);
    const uint32_t transparent = pixels[static_cast<size_t>(width) * height - 1];
    for (int64_t row = 0; row < h; ++row) {
        const uint32_t* from = pixels.get() + (sy + row) * width + sx;
        uint32_t* to = target + static_cast<size_t>(dy + row) * stride + static_cast<size_t>(dx);
        if (!masked) {
            std::copy_n(from, w, to);
            continue;
        }
        for (int64_t i = 0; i < w; ++i) {
            if (from[i] != transparent)
                to[i] = from[i];
        }
    }
}
