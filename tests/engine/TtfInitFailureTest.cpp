#include "BaseEngine.h"

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
    ASSERT_EQ(engine.Initialise("Vaultrun", 64, 48, VAULTRUN_TEST_FONT, 24), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to init SDL_ttf: no font library here\n");
    // The default font is asked for as ever, and is not there.
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Font loading failed.\n"), std::string::npos);
    ASSERT_NE(engine.GetDefaultFont(), nullptr);
    EXPECT_EQ(engine.GetDefaultFont()->font, nullptr);
    engine.DrawText(0, 0, "Time: 0", 0xFFFFFF);
    EXPECT_TRUE(engine.RunPass(0));
    engine.Deinitialise();
}
