// The font library failing to start: the engine says so on standard error and
// runs on without text. This binary replaces TTF_Init with one that fails, so
// it holds no other test.

#include "BaseEngine.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>

// Found before the library's own: the engine is linked into this program.
extern "C" int TTF_Init(void)
{
    SDL_SetError("no font library here");
    return -1;
}

TEST(TtfInitFailure, IsReportedOnceAndTheEngineRunsOnWithoutText)
{
    BaseEngine engine;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = engine.Initialise("Vaultrun", 64, 48, VAULTRUN_TEST_FONT, 24);
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string console = testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 0);
    EXPECT_EQ(errors, "Unable to init SDL_ttf: no font library here\n");
    // The default font is asked for as ever, and is not there.
    EXPECT_NE(console.find("Font loading failed.\n"), std::string::npos) << console;
    ASSERT_NE(engine.GetDefaultFont(), nullptr);
    EXPECT_EQ(engine.GetDefaultFont()->font, nullptr);

    SDL_FillRect(engine.GetForeground(), nullptr, 0);
    engine.DrawText(0, 0, "Time: 0", 0xFFFFFF);
    const auto* pixels = static_cast<const uint32_t*>(engine.GetForeground()->pixels);
    EXPECT_EQ(pixels[0], 0u);
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_TRUE(engine.RunPass(pass * 15));
    engine.Deinitialise();
}
