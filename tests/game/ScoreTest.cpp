// The best time: a win stored only when it is better, and saves that fail or
// race keep the stored time whole. (The score fuzzer's seeds hold which texts
// are a best time, against the C library's reader.)

#include "GameFixture.h"

#include "FileLock.h"
#include "Tqz41kSettings.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST_F(GameFixture, OnlyAFasterRunOrTheFirstWinWritesTheBestTimeAndTheEndScreenSaysSo)
{
    // The stored text (null: no file), a win's seconds, whether it is a new best.
    // A win in under a second (once a calendar set back mid-run gave 0) is none.
    const std::tuple<const char*, int, bool> cases[] = {
        {nullptr, 1000000, true}, {"0", 1000000, true}, {"40", 40, false}, {"40", 45, false},
        {"40", 37, true}, {"40", 0, false}, {nullptr, 0, false}, {"-5", 30, true}};
    for (const auto& [stored, seconds, best] : cases) {
        SCOPED_TRACE(std::string(stored ? stored : "none") + " then " + std::to_string(seconds));
        fs::remove("Score.txt");
        if (stored)
            WriteFile("Score.txt", stored);
        const std::string shown = stored && std::atoi(stored) > 0 ? stored : "--";
        Begin();
        Pass();
        EXPECT_EQ(game->GetHudTexts().hiScore, "Hi-Score: " + shown);
        WinRunAfter(seconds);
        const std::string kept = stored ? stored : "none";
        EXPECT_EQ(fs::exists("Score.txt") ? ReadBytes("Score.txt") : "none", best ? std::to_string(seconds) : kept);
        EXPECT_EQ(game->GetRunTimeText(), "Your time: " + std::to_string(seconds) + " s." +
                                              (best ? " A new best!" : shown == "--" ? "" : " Best: " + shown + " s."));
        EXPECT_EQ(Temporaries(), Names{});
    }
}

TEST_F(GameFixture, AFailedSaveKeepsTheStoredBestSaysSoAndLeavesNoTemporaryFile)
{
    // A file-size limit fails the write, and a game that left the limit's
    // signal alone would die of it: in a process of its own.
    WriteFile("Score.txt", "40");
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        Open();
        rlimit noMoreBytes{};
        getrlimit(RLIMIT_FSIZE, &noMoreBytes);
        noMoreBytes.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &noMoreBytes);
        WinRunAfter(30);
        _exit(std::string_view(game->GetRunTimeText()) == "Your time: 30 s. It could not be saved." ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the end screen does not say that the time could not be saved";
    EXPECT_EQ(ReadBytes("Score.txt"), "40");
    EXPECT_EQ(Temporaries(), Names{});
}

TEST_F(GameFixture, AWinDecidesUnderTheLockOnTheBestStoredNowAndSavesNeitherWaitOnAnOldNameNorMix)
{
    fs::create_directories("Score.txt.tmp/held");  // the name every game once wrote through
    // This game read 60 at its start; another has stored 30 since: 40 is no new best.
    WriteFile("Score.txt", "60");
    Open();
    WriteFile("Score.txt", "30");
    testing::internal::CaptureStdout();
    WinRunAfter(40);
    const std::string console = testing::internal::GetCapturedStdout();
    // Read twice, printed once: after the roster is rebuilt.
    EXPECT_NE(console.find("*******************SCORE = 30 ***********"), std::string::npos);
    EXPECT_EQ(console.find("SCORE"), console.rfind("SCORE"));
    EXPECT_EQ(ReadBytes("Score.txt"), "30");
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 40 s. Best: 30 s.");
    EXPECT_EQ(game->GetHiScore(), 30);
    // Another game between its reading and its writing: this one waits a
    // moment, then gives its save up rather than write in between.
    const FileLock otherGame("Score.txt.lock");
    ASSERT_TRUE(otherGame.IsHeld());
    WinRunAfter(20);
    EXPECT_EQ(ReadBytes("Score.txt"), "30");
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 20 s. It could not be saved.");

    game->StartRun();
    Wait(1234567);
    ASSERT_TRUE(game->WriteScore());
    EXPECT_EQ(ReadBytes("Score.txt"), "1234567");
    EXPECT_TRUE(fs::is_directory("Score.txt.tmp/held"));
    fs::remove_all("Score.txt.tmp");
    // Saved files are the owner's to write and anyone's to read.
    ASSERT_TRUE(Tqz41kSettings::WriteSoundOn(false));
    for (const char* saved : {"Score.txt", Tqz41kSettings::FileName})
        EXPECT_EQ(fs::status(saved).permissions(), fs::perms(0644)) << saved;
    // Another game in the folder saves over and over while this one does: the
    // file always holds one of the two times, whole.
    constexpr int kSaves = 300;
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        game->StartRun();
        Wait(7);
        for (int save = 0; save < kSaves; ++save)
            game->WriteScore();
        _exit(0);
    }
    for (int save = 0; save < kSaves; ++save) {
        game->WriteScore();
        const std::string stored = ReadBytes("Score.txt");
        ASSERT_TRUE(stored == "1234567" || stored == "7") << stored;
    }
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Temporaries(), Names{});
}
