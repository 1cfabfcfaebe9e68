#include "GameFixture.h"

#include <climits>
#include <filesystem>
#include <optional>

TEST(ParseHiScore, ReadsOnePositiveFormattedInt)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"40", 40},          {" \t\r\n+37 seconds", 37}, {"0000000000000000000012", 12},
        {"2147483647", INT_MAX}, {"7\n8", 7},
        {"", std::nullopt},  {"   ", std::nullopt},      {"abc", std::nullopt},
        {"0", std::nullopt}, {"-5", std::nullopt},       {"+-5", std::nullopt},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt}, {"\x01" "5", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Tqz41kMain::ParseHiScore(text), expected) << '"' << text << '"';
}

TEST_F(GameFixture, OnlyAFasterRunRewritesTheBestTime)
{
    WriteFile("Score.txt", "40");
    WriteFile("level1.txt", kLevel);
    Open();
    WinRunAfter(40);
    EXPECT_EQ(ReadFile("Score.txt"), "40");
    WinRunAfter(45);
    EXPECT_EQ(ReadFile("Score.txt"), "40");
    testing::internal::CaptureStdout();
    WinRunAfter(37);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadFile("Score.txt"), "37");
    EXPECT_FALSE(Exists("Score.txt.tmp"));
    EXPECT_NE(console.find("*******************SCORE = 37 ***********"), std::string::npos);
    game->StartRun();
    Pass();
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: 37");
}

TEST_F(GameFixture, WithoutABestTimeTheFirstWinWritesOne)
{
    for (const char* stored : std::initializer_list<const char*>{"", "abc", "0", "-3", "2147483648", nullptr}) {
        std::filesystem::remove("Score.txt");
        if (stored)
            WriteFile("Score.txt", stored);
        WriteFile("level1.txt", kLevel);
        Open();
        EXPECT_FALSE(game->HasHiScore()) << (stored ? stored : "no file");
        game->StartRun();
        Pass();
        EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: --");
        WinRunAfter(1000000);
        EXPECT_EQ(ReadFile("Score.txt"), "1000000");
        EXPECT_EQ(game->GetHiScore(), 1000000);
    }
}

TEST_F(GameFixture, AFailedWriteKeepsTheStoredBest)
{
    WriteFile("Score.txt", "40");
    WriteFile("level1.txt", kLevel);
    Open();

    // The temporary name taken by a folder: the file cannot be created.
    std::filesystem::create_directories("Score.txt.tmp/held");
    testing::internal::CaptureStdout();
    WinRunAfter(30);
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadFile("Score.txt"), "40");
    EXPECT_NE(console.find("Could not save the best time to Score.txt\n"), std::string::npos);
    std::filesystem::remove_all("Score.txt.tmp");

    // A full disk: the write fails at the flush, and the partial file goes.
    if (Exists("/dev/full")) {
        std::filesystem::create_symlink("/dev/full", "Score.txt.tmp");
        testing::internal::CaptureStdout();
        WinRunAfter(30);
        console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(ReadFile("Score.txt"), "40");
        EXPECT_NE(console.find("Could not save"), std::string::npos);
        EXPECT_FALSE(std::filesystem::is_symlink("Score.txt.tmp"));
    }
}

TEST_F(GameFixture, AScoreFolderIsNeitherReadNorLost)
{
    std::filesystem::create_directories("Score.txt/held");
    WriteFile("level1.txt", kLevel);
    Open();
    EXPECT_FALSE(game->HasHiScore());
    testing::internal::CaptureStdout();
    WinRunAfter(30);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find("Could not save the best time to Score.txt\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory("Score.txt/held"));
    EXPECT_FALSE(Exists("Score.txt.tmp"));
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
}
