#pragma once

#include "BaseEngine.h"

#include <SDL.h>

#include <cstdint>
#include <set>
#include <utility>

// Opens the engine's protected state to the tests.
class TestEngine : public BaseEngine {
public:
    using BaseEngine::exitCode, BaseEngine::nextTickTime, BaseEngine::renderer, BaseEngine::timeOffset;
};

using PixelSet = std::set<std::pair<int, int>>;

inline uint32_t& PixelAt(SDL_Surface* surface, int x, int y)
{
    return static_cast<uint32_t*>(surface->pixels)[y * (surface->pitch / 4) + x];
}

// Every (x, y) of the surface whose word is not colour.
inline PixelSet PixelsOtherThan(SDL_Surface* surface, uint32_t colour)
{
    PixelSet found;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            if (PixelAt(surface, x, y) != colour)
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
