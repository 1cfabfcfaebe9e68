// The level checker run as a user runs it, from a working folder that holds a
// best time, on the shipped level, on spoiled copies of it and on the levels
// in tests/content/levels made to show one thing each.

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

const std::string kLevels = VAULTRUN_SOURCE_DIR "/tests/content/levels/";
// 15 cells and a line feed a row.
const std::string kShipped = ReadBytes(VAULTRUN_SOURCE_DIR "/data/level1.txt");

// Ladders everywhere but the chest: with traps the search grows for a minute
// and past 500 MB before it gives up.
const std::string kLadders = kLevels + "ladders-everywhere.txt";

class LevelCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vaultrun-levelcheck-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        std::ofstream(folder / "Score.txt") << "100";
    }
    void TearDown() override { fs::remove_all(folder); }

    // Writes `level`, if any, to `file` and runs the checker on it with `options`.
    int Check(const std::string& file, const std::string& level = "", const std::string& options = "")
    {
        if (!level.empty())
            std::ofstream(folder / file, std::ios::binary) << level;
        const std::string log = folder.string() + ".log";
        const int status = std::system(("cd '" + folder.string() + "' && '" VAULTRUN_LEVELCHECK "' " +
                                        options + " " + file + " >'" + log + "' 2>&1").c_str());
        output = ReadBytes(log);
        fs::remove(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void ExpectPrinted(std::initializer_list<const char*> lines) const
    {
        for (const char* line : lines)
            EXPECT_NE(output.find(line), std::string::npos) << line << "\nnot in:\n" << output;
    }

    fs::path folder;
    std::string output;
};
}  // namespace

// The shipped level, leaving the best time alone; then copies of it with key
// 2's cell and the ladder beside it walled up (a hole in the floor to drop out
// of the map by and a long line are only warnings), and with the chest walled in.
TEST_F(LevelCheck, ShippedLevelIsWinnableAndSpoiledCopiesNameWhatIsOutOfReach)
{
    std::ofstream(folder / "level1.txt") << kShipped;
    EXPECT_EQ(Check(""), 0);
    EXPECT_EQ(output,
              "level1.txt: warning: the player can go partly outside the window, at (776, 410) first\n"
              "key 1 at (750, 420): taken after 328 ticks\n"
              "key 2 at (40, 420): taken after 658 ticks\n"
              "key 3 at (700, 520): taken after 288 ticks\n"
              "key 4 at (90, 70): taken after 1321 ticks\n"
              "key 5 at (40, 220): taken after 674 ticks\n"
              "chest: opened and reached after 1936 ticks (29.04 s at 15 ms a tick), traps ignored\n"
              "level1.txt: winnable\n");
    EXPECT_EQ(ReadBytes(folder / "Score.txt"), "100");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    std::string level = kShipped;
    level[7 * 16] = level[7 * 16 + 1] = 'w';
    level[10 * 16 + 1] = 'd';
    level.insert(4 * 16 - 1, "d");
    EXPECT_EQ(Check("key.txt", level), 1);
    ExpectPrinted({"key.txt:4:16: warning: characters after the 15th are ignored\n",
                   "key.txt: warning: the player can leave the map for good",
                   "key 2 at (40, 420): out of reach\nkey 3 at (700, 520): taken after 288 ticks\n",
                   "chest: never opens (keys out of reach)\n",
                   "key.txt: not winnable: key 2 out of reach\n"});

    level = kShipped;
    level[13] = 'w';
    EXPECT_EQ(Check("chest.txt", level), 1);
    ExpectPrinted({"chest: out of reach\nchest.txt: not winnable: the chest out of reach\n"});
}

// Fair: no floor over a trap, and a clean run of at least 30 s. The trap that
// needs timing most hits a player on its floor in 37 of its 108 phases; walking
// right from x 134 stays in its reach for 27 ticks, which fit the 71 safe
// phases in 71 - 27 + 1 = 45 ways. The fastest route is the recorded run the
// game tests replay (re-record it as the README says); --verify proves it.
TEST_F(LevelCheck, ShippedLevelIsFairWithTheTrapsMovingAndItsRouteIsTheRecordedRun)
{
    EXPECT_EQ(Check("level1.txt", kShipped, "--traps"), 0) << output;
    ExpectPrinted({"standing hazards: none; 7 cells under a trap's stroke\ntightest window: 45 ticks "
                   "(675 ms of the traps' 108-tick cycle), leaving (134, 510)",
                   "chest: opened and reached after 2028 ticks (30.42 s at 15 ms a tick), no trap touched\n",
                   "level1.txt: winnable with traps\n"});
    EXPECT_EQ(output.find("warning"), std::string::npos) << output;

    EXPECT_EQ(Check("level1.txt", "", "--route"), 0);
    // The header names the game's version: compared from the line after it.
    const std::string recorded = ReadBytes(VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt");
    EXPECT_EQ(output.substr(output.find('\n')), recorded.substr(recorded.find('\n')));

    std::ofstream(folder / "run.replay") << output;
    std::string turned = recorded;
    turned.replace(turned.find("\n288 R\n"), 7, "\n288 L\n");
    std::ofstream(folder / "turned.replay") << turned;
    std::ofstream(folder / "short.replay") << recorded.substr(0, recorded.rfind('\n', recorded.size() - 2) + 1);
    std::ofstream(folder / "other.txt") << kShipped << "\n";
    const auto verify = [this](const char* level, const char* replay) {
        return std::to_string(Check(level, "", std::string("--verify ") + replay)) + " " + output;
    };
    EXPECT_EQ(verify("level1.txt", "run.replay"),
              "0 run.replay: proves 2028 ticks, 30 s (30.42 s at 15 ms a tick) on level1.txt\n");
    EXPECT_EQ(verify("level1.txt", "turned.replay"), "1 turned.replay: fails at tick 570: a trap touches the player\n");
    EXPECT_EQ(verify("level1.txt", "short.replay"), "1 short.replay: fails at tick 1711: the level is not won\n");
    EXPECT_EQ(verify("other.txt", "run.replay"), "1 run.replay: fails: made on another level than other.txt\n");
    EXPECT_EQ(Check("level1.txt", "", "--verify level1.txt"), 2) << output;
}

// A floor laid right over the stampers' covers, keys inside blocks, and a
// ladder that ends under grass; then a level whose only way up is a ladder
// through a trap's stroke, which always fills part of it.
TEST_F(LevelCheck, TrapsRisingThroughAFloorAreWarnedOfAndAClimbThroughOneIsWonOnlyWithoutTraps)
{
    EXPECT_EQ(Check("over.txt", ReadBytes(kLevels + "floor-over-traps.txt"), "--traps"), 1);
    ExpectPrinted({"over.txt:5:3: warning: a trap comes up through this floor and hits a player "
                   "standing still on it (x 126 to 160, y 210)\n",
                   "over.txt:5:8: warning: a trap comes up through this floor and hits a player "
                   "standing still on it (x 378 to 408, y 210)\n",
                   "over.txt:10:7: warning: the top of this ladder is inside ground",
                   "over.txt:8:15: warning: key 1 at (750, 420) is drawn inside this block\n",
                   "key 5 at (40, 220): taken after 145 ticks",
                   "over.txt:11:3: note: under a trap's stroke, standing still is hit (x 136 to 138, y 510)\n",
                   "standing hazards: 6 floor cells over a trap (see the warnings); 1 cell under a trap's stroke\n",
                   "over.txt: not winnable with traps: key 1, key 3, key 4 out of reach\n"});
    EXPECT_EQ(Check("over.txt"), 1);
    EXPECT_EQ(output.find("warning: a trap"), std::string::npos) << output;

    EXPECT_EQ(Check("climb.txt", ReadBytes(kLevels + "climb-through-a-trap.txt")), 0);
    EXPECT_EQ(Check("climb.txt", "", "--traps"), 1);
    ExpectPrinted({"key 4 at (90, 70): out of reach\n",
                   "climb.txt: not winnable with traps: key 4 out of reach\n"});
    EXPECT_EQ(output.find("tightest window"), std::string::npos);
}

TEST_F(LevelCheck, RefusesWhatItCannotCheckAndEscapesStrayBytes)
{
    fs::create_directory(folder / "folder");
    EXPECT_EQ(Check("missing.txt"), 2) << output;
    EXPECT_EQ(Check("folder"), 2) << output;
    EXPECT_EQ(Check("huge.txt", std::string((1 << 20) + 1, 'd')), 2) << output;
    EXPECT_EQ(Check("level1.txt", kShipped, "--traps --bogus"), 2) << output;
    EXPECT_EQ(Check("ladders.txt", ReadBytes(kLadders), "--max-memory=0"), 2) << output;
    EXPECT_EQ(Check("ladders.txt", "", "--traps --max-memory=8"), 2);
    ExpectPrinted({"vaultrun-levelcheck: ladders.txt: cannot check: too large to search (more than 8 MB)\n"});
    EXPECT_EQ(output.find("winnable"), std::string::npos) << output;

    EXPECT_EQ(Check("bytes.txt", std::string("dd\0\x1b" "d\n", 6)), 1);
    ExpectPrinted({"bytes.txt:1:3: warning: '\\x00' is no tile: drawn as sky, but solid to the player\n",
                   "bytes.txt:1:4: warning: '\\x1B' is no tile"});
}

TEST_F(LevelCheck, SigtermEndsACheckAtOnceAndItsFolderGoes)
{
    constexpr auto kPoll = std::chrono::milliseconds(10);
    constexpr int kPolls = 1000;  // ten seconds; a check that ignores the signal goes on for a minute
    const pid_t checker = fork();
    ASSERT_GE(checker, 0);
    if (checker == 0) {
        if (std::freopen("/dev/null", "w", stdout))
            execl(VAULTRUN_LEVELCHECK, VAULTRUN_LEVELCHECK, "--traps", kLadders.c_str(), nullptr);
        _exit(127);
    }
    // Its own temporary folder, once it works there.
    const fs::path cwd = "/proc/" + std::to_string(checker) + "/cwd";
    fs::path own;
    for (int poll = 0; poll < kPolls && own.empty(); ++poll, std::this_thread::sleep_for(kPoll)) {
        std::error_code error;
        const fs::path now = fs::read_symlink(cwd, error);
        if (!error && now.string().rfind("/tmp/vaultrun-levelcheck-", 0) == 0)
            own = now;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the search under way
    kill(checker, SIGTERM);
    int status = 0;
    for (int poll = 0; poll < kPolls && waitpid(checker, &status, WNOHANG) == 0; ++poll)
        std::this_thread::sleep_for(kPoll);
    if (kill(checker, SIGKILL) == 0)
        waitpid(checker, &status, 0);  // still running after SIGTERM: ended by SIGKILL, which fails below
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(fs::remove_all(own), 0u) << own << " left behind";
}
