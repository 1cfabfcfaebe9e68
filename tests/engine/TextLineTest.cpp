// A kept line of text draws the same pixels as a freshly rendered one, and is
// rendered again only when its text, colour or font changes.

#include "BaseEngine.h"
#include "EngineTestSupport.h"
#include "TextLine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace {

std::vector<uint32_t> Pixels(SDL_Surface* surface)
{
    const auto* words = static_cast<const uint32_t*>(surface->pixels);
    return {words, words + surface->h * (surface->pitch / 4)};
}

}  // namespace

TEST(TextLine, DrawsWhatDrawTextDrawsAndRendersOnlyOnChange)
{
    BaseEngine engine;
    testing::internal::CaptureStdout();
    ASSERT_EQ(engine.Initialise("Vaultrun", 240, 60, VAULTRUN_TEST_FONT, 24), 0);
    FontRecord* small = engine.GetFont(VAULTRUN_TEST_FONT, 12);
    testing::internal::GetCapturedStdout();
    SDL_Surface* foreground = engine.GetForeground();

    // Each call in turn: text, colour, font (null: the default), and whether
    // the line renders anew for it.
    const std::tuple<const char*, unsigned int, FontRecord*, bool> calls[] = {
        {"Time: 12", 0xFFFFFF, nullptr, true},  {"Time: 12", 0xFFFFFF, nullptr, false},
        {"Time: 13", 0xFFFFFF, nullptr, true},  {"Time: 13", 0xFF0000, nullptr, true},
        {"Time: 13", 0xFF0000, small, true},    {"Time: 13", 0xFF0000, small, false},
        {"Time: 1", 0xFF0000, small, true},     {"Time: 13", 0xFF0000, small, true},
    };
    TextLine line;
    int renders = 0;
    for (const auto& [text, colour, font, rendersAnew] : calls) {
        SCOPED_TRACE(text);
        SDL_FillRect(foreground, nullptr, 0x123456);
        engine.DrawText(5, 7, text, colour, font, foreground);
        const std::vector<uint32_t> fresh = Pixels(foreground);
        SDL_FillRect(foreground, nullptr, 0x123456);
        engine.DrawTextLine(5, 7, line, text, colour, font, foreground);
        EXPECT_EQ(Pixels(foreground), fresh);
        EXPECT_NE(PixelsOtherThan(foreground, 0x123456), PixelSet{});
        renders += rendersAnew;
        EXPECT_EQ(line.GetRenderCount(), renders);
    }
    engine.Deinitialise();
}

TEST(TextLine, GivesNothingWithoutAFontOrText)
{
    TextLine line;
    FontRecord unopened;  // a font that failed to open
    EXPECT_EQ(line.Render("Time: 0", 0xFFFFFF, nullptr), nullptr);
    EXPECT_EQ(line.Render("Time: 0", 0xFFFFFF, &unopened), nullptr);
    EXPECT_EQ(line.Render(nullptr, 0xFFFFFF, &unopened), nullptr);
    EXPECT_EQ(line.GetRenderCount(), 0);
}
