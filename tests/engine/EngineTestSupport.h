#pragma once

#include "BaseEngine.h"
#include "InputScript.h"
#include "TestFiles.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

constexpr int kWidth = 16;
constexpr int kHeight = 12;

struct TestEngine : BaseEngine {
    using BaseEngine::exitCode, BaseEngine::nextTickTime, BaseEngine::renderer, BaseEngine::timeOffset;
};

// An engine started on a kWidth x kHeight window, its window's own events gone.
template <typename Engine = TestEngine>
struct EngineTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, nullptr, 0), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    Engine engine;
};

using InputScript::PushKey;

using PixelSet = std::set<std::pair<int, int>>;

// Every word of the surface, row after row.
inline std::vector<uint32_t> Pixels(SDL_Surface* surface)
{
    const auto* words = static_cast<const uint32_t*>(surface->pixels);
    return {words, words + surface->h * (surface->pitch / 4)};
}

inline uint32_t& PixelAt(SDL_Surface* surface, int x, int y)
{
    return static_cast<uint32_t*>(surface->pixels)[y * (surface->pitch / 4) + x];
}

inline PixelSet PixelsOtherThan(SDL_Surface* surface, uint32_t colour)
{
    PixelSet found;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            if (PixelAt(surface, x, y) != colour)
                found.insert({x, y});
    return found;
}

// The pixels of the inclusive rectangle; none when it runs backwards.
inline PixelSet RectPixels(int left, int top, int right, int bottom)
{
    PixelSet pixels;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            pixels.insert({x, y});
    return pixels;
}
