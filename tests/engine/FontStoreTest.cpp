#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFont = VAULTRUN_TEST_FONT;
const std::string kFailed = "Font loading failed.\n";

std::string Loading(int size, const std::string& name)
{
    return "Loading font: " + std::to_string(size) + " point " + name + "\n";
}

std::string Freeing(int size, const std::string& name)
{
    return "Free font: " + std::to_string(size) + " point " + name + "\n";
}

// Each test keeps its store local, so every font is closed before the library stops.
class FontStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TTF_Init(), 0); }
    void TearDown() override { TTF_Quit(); }
};

TEST_F(FontStoreTest, OneRecordPerNameAndSizeOpenedOnceAndFreedOnce)
{
    FontStore store;
    store.LoadFonts();
    testing::internal::CaptureStdout();
    FontRecord* large = store.GetFont(kFont.c_str(), 24);
    EXPECT_EQ(store.GetFont(kFont.c_str(), 24), large);
    FontRecord* small = store.GetFont(kFont.c_str(), 12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), Loading(24, kFont) + Loading(12, kFont));
    EXPECT_NE(large, small);
    EXPECT_NE(large->font, nullptr);
    EXPECT_NE(small->font, nullptr);

    testing::internal::CaptureStdout();
    store.FreeFonts();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), Freeing(24, kFont) + Freeing(12, kFont));
    EXPECT_EQ(store.GetCount(), 0);
}

TEST_F(FontStoreTest, FailedLoadsAreRememberedAndEarlyRequestsOpenQuietlyLater)
{
    const std::string missing = "no-such-font.ttf";
    FontStore store;
    testing::internal::CaptureStdout();
    FontRecord* early = store.GetFont(kFont.c_str(), 24);  // the library is not ready yet
    EXPECT_EQ(early->font, nullptr);
    store.LoadFonts();
    EXPECT_NE(early->font, nullptr);
    FontRecord* lost = store.GetFont(missing.c_str(), 24);
    EXPECT_EQ(store.GetFont(missing.c_str(), 24), lost);
    EXPECT_EQ(lost->font, nullptr);
    store.FreeFonts();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              Loading(24, kFont) + kFailed + Loading(24, missing) + kFailed + Freeing(24, kFont));
}

TEST_F(FontStoreTest, TwentyFirstRecordGrowsTheStoreByTen)
{
    FontStore store;  // not ready: nothing is opened, every record stays
    std::vector<FontRecord*> records;
    testing::internal::CaptureStdout();
    for (int size = 1; size <= 20; ++size)
        records.push_back(store.GetFont(kFont.c_str(), size));
    EXPECT_EQ(store.GetCapacity(), 20);
    records.push_back(store.GetFont(kFont.c_str(), 21));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(store.GetCapacity(), 30);
    ASSERT_EQ(store.GetCount(), 21);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(store.GetRecord(i), records[i]);
        EXPECT_EQ(records[i]->size, i + 1);
    }
}

TEST(EngineText, DefaultFontDrawsOntoTheForegroundAndIsFreedWithTheEngine)
{
    constexpr int kWidth = 64;
    constexpr int kHeight = 40;
    constexpr uint32_t kPaper = 0xFF000080;
    constexpr uint32_t kWhiteText = 0xFFFFFFFF;  // the blit makes text pixels opaque
    testing::internal::CaptureStdout();
    {
        TestEngine engine;
        ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, kFont.c_str(), 24), 0);
        SDL_Surface* fg = engine.GetForeground();
        SDL_FillRect(fg, nullptr, kPaper);
        engine.DrawText(3, 2, "Hi", 0xFFFFFF);
        const PixelSet text = PixelsOf(fg, kWhiteText);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(PixelsOf(fg, kPaper).size() + text.size(), size_t{kWidth * kHeight});
        EXPECT_GE(text.begin()->first, 3);
        for (const auto& pixel : text)
            EXPECT_GE(pixel.second, 2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), Loading(24, kFont) + Freeing(24, kFont));
}

}  // namespace
