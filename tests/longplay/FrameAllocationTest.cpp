// A play frame's allocations. This binary replaces the global allocation
// operators to count them, so it holds no other test.

#include "GameAssets.h"
#include "InputScript.h"
#include "Tqz41kMain.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>

namespace {

constexpr int kWarmUpPasses = 10;  // past the first whole-screen copy, every text drawn once

struct Counts {
    long cppNew = 0;  // global operator new in every form
    long sdl = 0;     // SDL_malloc, SDL_calloc, SDL_realloc: SDL, SDL_image, SDL_ttf
};

// The game's own thread only: the audio thread decodes the streamed music meanwhile.
thread_local bool counting = false;
Counts counted;

// SDL's own functions stay underneath, so memory taken before the switch is freed alike.
SDL_malloc_func sdlMalloc = nullptr;
SDL_calloc_func sdlCalloc = nullptr;
SDL_realloc_func sdlRealloc = nullptr;
SDL_free_func sdlFree = nullptr;

void* CountingMalloc(size_t n) { counted.sdl += counting; return sdlMalloc(n); }
void* CountingCalloc(size_t count, size_t n) { counted.sdl += counting; return sdlCalloc(count, n); }
void* CountingRealloc(void* p, size_t n) { counted.sdl += counting; return sdlRealloc(p, n); }

template <typename Fn>
Counts CountDuring(Fn fn)
{
    counted = {};
    counting = true;
    fn();
    counting = false;
    return counted;
}

void* CountedNewOrNull(std::size_t size) noexcept
{
    counted.cppNew += counting;
    return std::malloc(size ? size : 1);
}

void* CountedNew(std::size_t size)
{
    if (void* memory = CountedNewOrNull(size))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

// Every form ours, or the sanitizer sees its operator new's memory freed by our delete.
void* operator new(std::size_t size) { return CountedNew(size); }
void* operator new[](std::size_t size) { return CountedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedNewOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedNewOrNull(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

TEST(FrameAllocations, APlayFrameAllocatesNothingAndAChangedTextOnlyItsOwnLine)
{
    // Nothing here wins, so nothing is written to the data folder.
    std::filesystem::current_path(VAULTRUN_BINARY_DIR "/data");
    SDL_GetMemoryFunctions(&sdlMalloc, &sdlCalloc, &sdlRealloc, &sdlFree);
    SDL_SetMemoryFunctions(CountingMalloc, CountingCalloc, CountingRealloc, sdlFree);
    Tqz41kMain game;
    ASSERT_EQ(game.Initialise(GameAssets::kWindowTitle, GameAssets::kWindowWidth, GameAssets::kWindowHeight,
                              GameAssets::kFontFile, GameAssets::kFontSize), 0);
    int now = 0;
    const auto pass = [&] { game.RunPass(now += InputScript::kPassMs); };
    InputScript::Tap('x');
    for (int warmUp = 0; warmUp < kWarmUpPasses; ++warmUp)
        pass();
    ASSERT_EQ(game.GetGameState(), Tqz41kMain::StatePlaying);
    ASSERT_STREQ(game.GetHudTexts().time, "Time: 0");

    const Counts unchanged = CountDuring(pass);
    EXPECT_EQ(unchanged.cppNew + unchanged.sdl, 0);

    // The next second's text, drawn once to cache its glyphs, costs as much
    // as the frame in which the time moves on.
    const auto drawNextTime = [&] { game.DrawText(50, 10, "Time: 1", 0xFFFFFF, nullptr, game.GetForeground()); };
    drawNextTime();
    const Counts text = CountDuring(drawNextTime);
    EXPECT_GT(text.sdl, 0) << "a rendered line of text is a fresh surface";
    now += 1000;
    const Counts timeMoved = CountDuring(pass);
    ASSERT_STREQ(game.GetHudTexts().time, "Time: 1");
    EXPECT_EQ(text.cppNew + timeMoved.cppNew, 0);
    EXPECT_EQ(timeMoved.sdl, text.sdl) << "a line of text takes " << text.sdl << " SDL allocations";
    EXPECT_EQ(CountDuring(pass).sdl, 0);
    game.Deinitialise();
}
