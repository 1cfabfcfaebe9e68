#pragma once

#include "BaseEngine.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <set>
#include <utility>

// Opens the engine's protected state to the tests.
class TestEngine : public BaseEngine {
public:
    using BaseEngine::exitCode, BaseEngine::nextTickTime, BaseEngine::objectsChanged;
    using BaseEngine::renderer, BaseEngine::timeOffset, BaseEngine::mouseX, BaseEngine::mouseY;
    using BaseEngine::mouseDownX, BaseEngine::mouseDownY, BaseEngine::mouseUpX, BaseEngine::mouseUpY;
};

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;
using PixelSet = std::set<std::pair<int, int>>;

// A surface in the engine's 0xAARRGGBB layout, every pixel set to fill.
inline SurfacePtr MakeSurface(int width, int height, uint32_t fill)
{
    SurfacePtr surface(SDL_CreateRGBSurface(0, width, height, 32, 0x00FF0000, 0x0000FF00,
                                            0x000000FF, 0xFF000000));
    SDL_FillRect(surface.get(), nullptr, fill);
    return surface;
}

inline uint32_t& PixelAt(SDL_Surface* surface, int x, int y)
{
    return static_cast<uint32_t*>(surface->pixels)[y * (surface->pitch / 4) + x];
}

// Every (x, y) of the surface whose word is colour.
inline PixelSet PixelsOf(SDL_Surface* surface, uint32_t colour)
{
    PixelSet found;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            if (PixelAt(surface, x, y) == colour)
                found.insert({x, y});
    return found;
}

// The pixels of the inclusive rectangle; none when left > right or top > bottom.
inline PixelSet RectPixels(int left, int top, int right, int bottom)
{
    PixelSet pixels;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            pixels.insert({x, y});
    return pixels;
}
