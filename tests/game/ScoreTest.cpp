// The best time: the score text read, a win stored only when it is better,
// and saves that fail or race keep the stored time whole.

#include "GameFixture.h"

#include <climits>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Leftover temporary score files in the working folder.
std::vector<std::string> ScoreTemporaries()
{
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
        if (entry.path().filename().string().rfind("Score.txt.", 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

// While held, a write past the limit fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : savedHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }

private:
    rlimit saved{};
    void (*savedHandler)(int) = SIG_DFL;
};
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
    // best. A stored text that is no positive int (the score fuzzer's seeds try
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
        EXPECT_EQ(game->GetRunTimeText(),
                  "Your time: " + std::to_string(seconds) + " s." + (best ? " A new best!" : ""));
        EXPECT_EQ(ScoreTemporaries(), std::vector<std::string>{});
    }
}

TEST_F(GameFixture, AFailedWriteKeepsTheStoredBestSaysSoAndLeavesNoTemporaryFile)
{
    // The score file's name taken by a folder (the rename fails), then a disk
    // that takes no more bytes (the write fails).
    for (bool fullDisk : {false, true}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "folder");
        fs::remove_all("Score.txt");
        if (fullDisk)
            WriteFile("Score.txt", "40");
        else
            fs::create_directories("Score.txt/held");
        Open();
        testing::internal::CaptureStdout();
        {
            const FileSizeLimit noMoreBytes(fullDisk ? 0 : RLIM_INFINITY);
            WinRunAfter(30);
        }
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_NE(console.find("Could not save the best time to Score.txt\n"), std::string::npos);
        EXPECT_TRUE(fullDisk ? ReadFile("Score.txt") == "40" : fs::is_directory("Score.txt/held"));
        EXPECT_EQ(ScoreTemporaries(), std::vector<std::string>{});
    }
}

TEST_F(GameFixture, SavesAreNotHeldUpByTheOldTemporaryNameNorMixedByAnotherGameSavingAtOnce)
{
    // Whatever lies under the name every game once wrote through stays as it is.
    fs::create_directories("Score.txt.tmp/held");
    Begin();
    Wait(1234567);
    game->WriteScore();
    EXPECT_EQ(ReadFile("Score.txt"), "1234567");
    EXPECT_TRUE(fs::is_directory("Score.txt.tmp/held"));
    fs::remove_all("Score.txt.tmp");

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
