#include "FontStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFont = VAULTRUN_TEST_FONT;
const std::string kMissing = "no-such-font.ttf";
const std::string kFailed = "Font loading failed.\n";

std::string Line(const char* what, int size, const std::string& name)
{
    return what + std::to_string(size) + " point " + name + "\n";
}

TEST(FontStore, EachNameAndSizeIsOpenedOnceAndAFailedLoadIsNotRetried)
{
    ASSERT_EQ(TTF_Init(), 0);
    testing::internal::CaptureStdout();
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
    }
    TTF_Quit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              Line("Loading font: ", 24, kFont) + kFailed + Line("Loading font: ", 24, kMissing) +
                  kFailed + Line("Loading font: ", 12, kFont) + Line("Free font: ", 24, kFont) +
                  Line("Free font: ", 12, kFont));
}

TEST(FontStore, RecordsStayPutAsTheStoreGrows)
{
    FontStore store;  // not ready: nothing is opened, every request just adds a record
    std::vector<FontRecord*> records;
    testing::internal::CaptureStdout();
    for (int size = 1; size <= 21; ++size)  // one past the twenty it starts with
        records.push_back(store.GetFont(kFont.c_str(), size));
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(store.GetRecord(i), records[i]);
        EXPECT_EQ(records[i]->size, i + 1);
    }
}

}  // namespace
