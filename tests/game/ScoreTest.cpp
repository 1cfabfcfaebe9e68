// The best time: the score text read, a win stored only when it is better,
// and saves that fail or race keep the stored time whole.

#include "GameFixture.h"

#include "AtomicFile.h"
#include "FileLock.h"
#include "Tqz41kSettings.h"

#include <climits>
#include <csignal>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Leftover temporary score files ("Score.txt.XXXXXX") in the working folder.
std::vector<std::string> ScoreTemporaries()
{
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Score.txt.", 0) == 0 && name.size() == sizeof "Score.txt.XXXXXX" - 1)
            found.push_back(name);
    }
    return found;
}

}  // namespace

TEST(ScoreText, OnlyAPositiveDecimalIntIsABestTime)
{
    const std::pair<std::string, int> texts[] = {
        {"37", 37}, {"007", 7}, {" \t\r\n+37 seconds", 37}, {"2147483647", INT_MAX}, {"-5", 0}, {"0", 0},
        {"2147483648", 0}, {"99999999999999999999", 0}, {"", 0}, {"x5", 0}, {"- 5", 0},
        {std::string("\0" "5", 2), 0}};
    for (const auto& [text, best] : texts)
        EXPECT_EQ(Tqz41kMain::ParseHiScore(text).value_or(0), best) << '"' << text << '"';
}

TEST_F(GameFixture, OnlyAFasterRunOrTheFirstWinWritesTheBestTimeAndTheEndScreenSaysSo)
{
    // Stored text (null: no file), the best time shown, a winning run's seconds,
    // the file after it (null: none), and whether the end screen calls it a new
    // best (if not, it gives the best time shown). A stored text that is no positive int (the score fuzzer's seeds try
    // every such form) is no best time; a win in under a second (once a calendar
    // set back mid-run gave 0) never sets one.
    struct Case {
        const char *stored, *shown;
        int seconds;
        const char* after;
        bool best;
    };
    const Case cases[] = {
        {nullptr, "--", 1000000, "1000000", true}, {"0", "--", 1000000, "1000000", true},
        {" \t\r\n+37 seconds", "37", 1000000, " \t\r\n+37 seconds", false},
        {"40", "40", 40, "40", false}, {"40", "40", 45, "40", false}, {"40", "40", 37, "37", true},
        {"40", "40", 0, "40", false}, {nullptr, "--", 0, nullptr, false}};
    for (const auto& [stored, shown, seconds, after, best] : cases) {
        SCOPED_TRACE(std::string(stored ? stored : "none") + " then " + std::to_string(seconds));
        fs::remove("Score.txt");
        if (stored)
            WriteFile("Score.txt", stored);
        Begin();
        Pass();
        EXPECT_EQ(game->GetHudTexts().hiScore, "Hi-Score: " + std::string(shown));
        WinRunAfter(seconds);
        EXPECT_EQ(fs::exists("Score.txt") ? ReadFile("Score.txt") : "none", after ? after : "none");
        const std::string bestText = std::string(shown) == "--" ? "" : " Best: " + std::string(shown) + " s.";
        EXPECT_EQ(game->GetRunTimeText(),
                  "Your time: " + std::to_string(seconds) + " s." + (best ? " A new best!" : bestText));
        EXPECT_EQ(ScoreTemporaries(), std::vector<std::string>{});
    }
}

TEST_F(GameFixture, AFailedSaveKeepsTheStoredBestSaysSoAndLeavesNoTemporaryFile)
{
    // The score file's name taken by a folder (the rename fails), then a
    // file-size limit (the write fails; a game that left the limit's signal
    // alone would die of it). Each game in a process of its own.
    for (bool sizeLimit : {false, true}) {
        SCOPED_TRACE(sizeLimit ? "file-size limit" : "folder");
        fs::remove_all("Score.txt");
        if (sizeLimit)
            WriteFile("Score.txt", "40");
        else
            fs::create_directories("Score.txt/held");
        // Standard error through a pipe: a file would be held to the limit too.
        int errors[2];
        ASSERT_EQ(pipe(errors), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(errors[1], STDERR_FILENO);
            std::signal(SIGXFSZ, SIG_DFL);
            Open();
            rlimit noMoreBytes{};
            getrlimit(RLIMIT_FSIZE, &noMoreBytes);
            noMoreBytes.rlim_cur = sizeLimit ? 0 : noMoreBytes.rlim_cur;
            setrlimit(RLIMIT_FSIZE, &noMoreBytes);
            WinRunAfter(30);
            _exit(std::string_view(game->GetRunTimeText()) == "Your time: 30 s. It could not be saved." ? 0 : 1);
        }
        close(errors[1]);
        std::string console;
        char chunk[256];
        for (ssize_t count; (count = read(errors[0], chunk, sizeof chunk)) > 0;)
            console.append(chunk, static_cast<size_t>(count));
        close(errors[0]);
        int status = -1;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the end screen does not say that the time could not be saved";
        EXPECT_NE(console.find("Could not save the best time to Score.txt\n"), std::string::npos);
        EXPECT_TRUE(sizeLimit ? ReadFile("Score.txt") == "40" : fs::is_directory("Score.txt/held"));
        EXPECT_EQ(ScoreTemporaries(), std::vector<std::string>{});
    }
}

TEST_F(GameFixture, AWinDecidesOnTheBestStoredNowAndUnderTheLockOfEveryGameInTheFolder)
{
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
    EXPECT_EQ(ReadFile("Score.txt"), "30");
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 40 s. Best: 30 s.");
    EXPECT_EQ(game->GetHiScore(), 30);

    // Another game between its reading and its writing (stopped there, say):
    // this one waits a moment, then gives its save up rather than write in between.
    const FileLock otherGame("Score.txt.lock");
    ASSERT_TRUE(otherGame.IsHeld());
    WinRunAfter(20);
    EXPECT_EQ(ReadFile("Score.txt"), "30");
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 20 s. It could not be saved.");
}

TEST_F(GameFixture, SavesAreNotHeldUpByTheOldTemporaryNameNorMixedByAnotherGameSavingAtOnce)
{
    // Whatever lies under the name every game once wrote through stays as it is.
    fs::create_directories("Score.txt.tmp/held");
    Begin();
    Wait(1234567);
    ASSERT_TRUE(game->WriteScore());
    EXPECT_EQ(ReadFile("Score.txt"), "1234567");
    EXPECT_TRUE(fs::is_directory("Score.txt.tmp/held"));
    fs::remove_all("Score.txt.tmp");
    // Saved files are the owner's to write and anyone's to read.
    ASSERT_TRUE(Tqz41kSettings::WriteSoundOn(false));
    for (const char* saved : {"Score.txt", Tqz41kSettings::FileName})
        EXPECT_EQ(fs::status(saved).permissions(), fs::perms(AtomicFile::Mode)) << saved;

    // A second game in the same folder saves another time over and over while
    // this one does: the file always ends up holding one of the two, whole.
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
        const std::string stored = ReadFile("Score.txt");
        ASSERT_TRUE(stored == "1234567" || stored == "7") << stored;
    }
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ScoreTemporaries(), std::vector<std::string>{});
}
