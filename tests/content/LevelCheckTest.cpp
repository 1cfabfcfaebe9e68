// The level checker run as a user runs it, from a working folder that holds a
// best time: on the shipped level, on it with a key or the chest walled off,
// and on files that are no level.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

#include <sys/wait.h>

namespace {
namespace fs = std::filesystem;

std::string Contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

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

    // The shipped level with one cell changed; 15 cells and a line feed a row.
    static std::string ShippedWith(int column, int row, char letter)
    {
        std::string level = kShipped;
        level[static_cast<size_t>(row * 16 + column)] = letter;
        return level;
    }

    // Writes `level`, if any, to `file` in the folder and runs the checker there
    // on it (none: its default); what it prints goes beside the folder.
    int Check(const std::string& file, const std::string& level = "")
    {
        if (!level.empty())
            std::ofstream(folder / file, std::ios::binary) << level;
        const std::string log = folder.string() + ".log";
        const int status = std::system(("cd '" + folder.string() + "' && '" VAULTRUN_LEVELCHECK "' " +
                                        file + " >'" + log + "' 2>&1").c_str());
        output = Contents(log);
        fs::remove(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void ExpectPrinted(std::initializer_list<const char*> lines) const
    {
        for (const char* line : lines)
            EXPECT_NE(output.find(line), std::string::npos) << line << "\nnot in:\n" << output;
    }

    static inline const std::string kShipped = Contents(VAULTRUN_SOURCE_DIR "/data/level1.txt");
    fs::path folder;
    std::string output;
};
}  // namespace

TEST_F(LevelCheck, ShippedLevelIsWinnableAndTheBestTimeStaysUntouched)
{
    std::ofstream(folder / "level1.txt") << kShipped;
    EXPECT_EQ(Check(""), 0);
    EXPECT_EQ(output,
              "key 1 at (750, 420): taken after 338 ticks\n"
              "key 2 at (40, 420): taken after 679 ticks\n"
              "key 3 at (700, 520): taken after 288 ticks\n"
              "key 4 at (90, 70): taken after 1227 ticks\n"
              "key 5 at (40, 220): taken after 1183 ticks\n"
              "chest: opened and reached after 1599 ticks (23.99 s at 15 ms a tick), traps ignored\n"
              "level1.txt: winnable\n");
    // Only a win inside the game writes a best time; the checker writes nothing.
    EXPECT_EQ(Contents(folder / "Score.txt"), "100");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(LevelCheck, NamesWhatIsOutOfReach)
{
    // Key 2's cell walled up. A hole in the floor (row 10, column 0) to drop out
    // of the map by and a long line are only warnings.
    std::string keyWalledUp = ShippedWith(0, 7, 'w');
    keyWalledUp[10 * 16] = 'd';
    keyWalledUp.insert(4 * 16 - 1, "d");
    EXPECT_EQ(Check("key.txt", keyWalledUp), 1);
    ExpectPrinted({"key.txt:4:16: warning: characters after the 15th are ignored\n",
                   "key.txt: warning: the player can leave the map for good",
                   "key 2 at (40, 420): out of reach\nkey 3 at (700, 520): taken after 288 ticks\n",
                   "chest: never opens (keys out of reach)\n",
                   "key.txt: not winnable: key 2 out of reach\n"});

    EXPECT_EQ(Check("chest.txt", ShippedWith(13, 0, 'w')), 1);
    ExpectPrinted({"key 5 at (40, 220): taken after 1183 ticks\n",
                   "chest: out of reach\nchest.txt: not winnable: the chest out of reach\n"});
}

TEST_F(LevelCheck, RefusesFilesThatAreNoLevel)
{
    fs::create_directory(folder / "folder");
    EXPECT_EQ(Check("missing.txt"), 2) << output;
    EXPECT_EQ(Check("folder"), 2) << output;
    EXPECT_EQ(Check("huge.txt", std::string((1 << 20) + 1, 'd')), 2) << output;
    EXPECT_EQ(Contents(folder / "Score.txt"), "100");
}
