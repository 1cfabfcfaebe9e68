#include "EngineTestSupport.h"
#include "FontStore.h"
#include "TextLine.h"

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kFont = VAULTRUN_TEST_FONT;
const std::string kMissing = "no-such-font.ttf";
const std::string kFailed = "Font loading failed.\n";
constexpr unsigned kHangSeconds = 10;  // far longer than any open of a plain file takes

std::string Line(const char* what, int size, const std::string& name)
{
    return what + std::to_string(size) + " point " + name + "\n";
}

TEST(FontStore, EachNameAndSizeIsOpenedOnceAndAFailedLoadIsNotRetried)
{
    const std::string pipe = testing::TempDir() + "vaultrun-font-pipe.ttf";
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(TTF_Init(), 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        FontStore store;  // gone, its fonts closed, before the library stops
        FontRecord* early = store.GetFont(kFont.c_str(), 24);  // before the library is marked ready
        store.LoadFonts();
        EXPECT_NE(early->font, nullptr);
        EXPECT_EQ(store.GetFont(kFont.c_str(), 24), early);
        FontRecord* lost = store.GetFont(kMissing.c_str(), 24);
        EXPECT_EQ(store.GetFont(kMissing.c_str(), 24), lost);
        EXPECT_EQ(lost->font, nullptr);
        EXPECT_NE(store.GetFont(kFont.c_str(), 12), early);
        alarm(kHangSeconds);
        EXPECT_EQ(store.GetFont(pipe.c_str(), 24)->font, nullptr);
        alarm(0);
    }
    TTF_Quit();
    std::remove(pipe.c_str());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              Line("Loading font: ", 24, kFont) + kFailed + Line("Loading font: ", 24, kMissing) +
                  kFailed + Line("Loading font: ", 12, kFont) + Line("Loading font: ", 24, pipe) +
                  kFailed + Line("Free font: ", 24, kFont) + Line("Free font: ", 12, kFont));
    EXPECT_NE(errors.find("Font " + kMissing + " could not be opened: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("Font " + pipe + " refused: not a plain file\n"), std::string::npos) << errors;
}

TEST(TextLine, DrawsWhatDrawTextDrawsAndRendersOnlyOnChange)
{
    BaseEngine engine;
    testing::internal::CaptureStdout();
    ASSERT_EQ(engine.Initialise("Vaultrun", 240, 60, VAULTRUN_TEST_FONT, 24), 0);
    FontRecord* small = engine.GetFont(VAULTRUN_TEST_FONT, 12);
    testing::internal::GetCapturedStdout();
    SDL_Surface* foreground = engine.GetForeground();

    // Each call in turn: text, colour, font (null: the default), and whether it renders anew.
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
}

}  // namespace
