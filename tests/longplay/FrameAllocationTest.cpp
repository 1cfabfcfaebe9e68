#include "InputScript.h"
#include "PlayFolder.h"
#include "Tqz41kMain.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

// This binary replaces the global allocation operators to count them; it
// holds no other test, so nothing else is counted by accident.

namespace {

struct Counts {
    long cppNew = 0;  // global operator new and new[]
    long sdl = 0;     // SDL_malloc, SDL_calloc and SDL_realloc: SDL, SDL_image, SDL_ttf
};

bool counting = false;
Counts counted;

SDL_malloc_func sdlMalloc = nullptr;
SDL_calloc_func sdlCalloc = nullptr;
SDL_realloc_func sdlRealloc = nullptr;
SDL_free_func sdlFree = nullptr;

void* CountingMalloc(size_t size)
{
    counted.sdl += counting;
    return sdlMalloc(size);
}

void* CountingCalloc(size_t count, size_t size)
{
    counted.sdl += counting;
    return sdlCalloc(count, size);
}

void* CountingRealloc(void* memory, size_t size)
{
    counted.sdl += counting;
    return sdlRealloc(memory, size);
}

// SDL's own functions stay underneath, so memory taken before the switch is
// freed by the same allocator that gave it.
void CountSdlAllocations()
{
    SDL_GetMemoryFunctions(&sdlMalloc, &sdlCalloc, &sdlRealloc, &sdlFree);
    SDL_SetMemoryFunctions(CountingMalloc, CountingCalloc, CountingRealloc, sdlFree);
}

void RestoreSdlAllocations()
{
    SDL_SetMemoryFunctions(sdlMalloc, sdlCalloc, sdlRealloc, sdlFree);
}

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

// A few update ticks and frames into a run: the first frame's whole-screen
// copy is past, and every text has been drawn once.
constexpr int kWarmUpPasses = 10;
constexpr int kPassMs = 15;

}  // namespace

void* operator new(std::size_t size)
{
    return CountedNew(size);
}

void* operator new[](std::size_t size)
{
    return CountedNew(size);
}

// Every form that memory comes from must be ours, or the sanitizer sees new
// from its own allocator freed by ours.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return CountedNewOrNull(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return CountedNewOrNull(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// A play frame (one update tick of all sixteen objects, the erase, the three
// heads-up texts, the objects, the upload) allocates nothing but what the
// three text renders need: SDL_ttf's fresh surface for each line.
TEST(FrameAllocations, APlayFrameAllocatesOnlyItsThreeTextSurfaces)
{
    PlayFolder folder;
    ASSERT_TRUE(folder.IsReady());
    CountSdlAllocations();
    {
        Tqz41kMain game;
        ASSERT_EQ(game.Initialise("Vaultrun", 800, 600, PlayFolder::kFontName, 24), 0);
        ASSERT_NE(game.GetDefaultFont()->font, nullptr);
        int now = 0;
        InputScript::PushKey('x', true);
        InputScript::PushKey('x', false);
        for (int pass = 0; pass < kWarmUpPasses; ++pass)
            game.RunPass(now += kPassMs);
        ASSERT_EQ(game.GetGameState(), Tqz41kMain::StatePlaying);

        const Counts frame = CountDuring([&] { game.RunPass(now += kPassMs); });
        const Counts text = CountDuring([&] {
            game.DrawText(50, 10, "Time: 0", 0xFFFFFF, nullptr, game.GetForeground());
        });

        EXPECT_GT(text.sdl, 0) << "a rendered line of text is a fresh surface";
        EXPECT_EQ(text.cppNew, 0);
        EXPECT_EQ(frame.cppNew, 0);
        EXPECT_EQ(frame.sdl, 3 * text.sdl)
            << "one line of text takes " << text.sdl << " SDL allocations";
        game.Deinitialise();
    }
    RestoreSdlAllocations();
}
