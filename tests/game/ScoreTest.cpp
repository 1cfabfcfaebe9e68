#include "GameFixture.h"

#include <climits>
#include <filesystem>
#include <initializer_list>
#include <optional>

namespace fs = std::filesystem;

TEST(ParseHiScore, ReadsOnePositiveFormattedInt)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"40", 40}, {" \t\r\n+37 seconds", 37}, {"0000000000000000000012", 12},
        {"2147483647", INT_MAX}, {"7\n8", 7}, {"", {}}, {"  ", {}}, {"abc", {}}, {"0", {}},
        {"-5", {}}, {"+-5", {}}, {"2147483648", {}}, {"99999999999999999999999", {}},
        {"\x01" "5", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Tqz41kMain::ParseHiScore(text), expected) << '"' << text << '"';
}

TEST_F(GameFixture, OnlyAFasterRunRewritesTheBestTime)
{
    WriteFile("Score.txt", "40");
    Open();
    WinRunAfter(40);
    WinRunAfter(45);
    EXPECT_EQ(ReadFile("Score.txt"), "40");
    WinRunAfter(37);
    EXPECT_EQ(ReadFile("Score.txt"), "37");
    EXPECT_FALSE(fs::exists("Score.txt.tmp"));
    game->StartRun();
    Pass();
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: 37");
}

TEST_F(GameFixture, WithoutABestTimeTheFirstWinWritesPlainDigits)
{
    for (const char* stored : std::initializer_list<const char*>{"", "abc", "0", "-3", "2147483648", nullptr}) {
        fs::remove("Score.txt");
        if (stored)
            WriteFile("Score.txt", stored);
        Begin();
        Pass();
        EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: --") << (stored ? stored : "none");
        WinRunAfter(1000000);
        EXPECT_EQ(ReadFile("Score.txt"), "1000000");
        EXPECT_EQ(game->GetHiScore(), 1000000);
    }
}

TEST_F(GameFixture, AFailedWriteKeepsTheStoredBest)
{
    // The temporary file's name taken by a folder, a full disk, and a score
    // file that is a folder.
    const bool diskFull = fs::exists("/dev/full");
    for (int attempt = 0; attempt < 3; ++attempt) {
        fs::remove_all("Score.txt.tmp");
        if (attempt == 0)
            fs::create_directories("Score.txt.tmp/held");
        if (attempt == 1 && diskFull)
            fs::create_symlink("/dev/full", "Score.txt.tmp");
        fs::remove("Score.txt");
        if (attempt == 2)
            fs::create_directories("Score.txt/held");
        else
            WriteFile("Score.txt", "40");
        Open();
        testing::internal::CaptureStdout();
        WinRunAfter(30);
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
        EXPECT_NE(console.find("Could not save the best time to Score.txt\n"), std::string::npos)
            << attempt;
        EXPECT_TRUE(attempt == 2 || ReadFile("Score.txt") == "40") << attempt;
    }
    EXPECT_TRUE(fs::is_directory("Score.txt/held"));
    EXPECT_FALSE(fs::exists("Score.txt.tmp"));
}
