// The level checker run as a user runs it, from a working folder that holds a
// best time: on the shipped level, on small levels of our own with a key or
// the chest out of reach, and on files that are no level.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {
namespace fs = std::filesystem;

// Platforms joined by one ladder, with every key of the game's roster on them.
const std::string kLevel =
    "dddddddddddddde\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwvww\n"
    "ddddddddddddvdw\n"
    "wwwwwwwwwwwwwww\n";

// 15 cells and a line feed a row.
std::string WithCell(std::string level, int column, int row, char letter)
{
    level[static_cast<size_t>(row * 16 + column)] = letter;
    return level;
}

std::string Contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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

    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(folder / name, std::ios::binary) << text;
    }

    // Runs the checker in the folder on the named file (none: its default).
    int Check(const std::string& file)
    {
        const std::string command = "cd '" + folder.string() + "' && '" VAULTRUN_LEVELCHECK "' " +
                                    file + " 2>&1";
        output.clear();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        char chunk[4096];
        while (size_t count = std::fread(chunk, 1, sizeof chunk, pipe))
            output.append(chunk, count);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder;
    std::string output;
};
}  // namespace

TEST_F(LevelCheck, ShippedLevelIsWinnableAndTheBestTimeStaysUntouched)
{
    const std::string shipped = Contents(VAULTRUN_SOURCE_DIR "/data/level1.txt");
    Write("level1.txt", shipped);
    EXPECT_EQ(Check(""), 0) << output;
    EXPECT_EQ(output,
              "key 1 at (750, 420): taken after 338 ticks\n"
              "key 2 at (40, 420): taken after 679 ticks\n"
              "key 3 at (700, 520): taken after 288 ticks\n"
              "key 4 at (90, 70): taken after 1227 ticks\n"
              "key 5 at (40, 220): taken after 1183 ticks\n"
              "chest: opened and reached after 1599 ticks (23.99 s at 15 ms a tick), traps ignored\n"
              "level1.txt: winnable\n");
    // A win inside the game writes a best time: never here.
    EXPECT_EQ(Contents(folder / "Score.txt"), "100");
    EXPECT_EQ(Contents(folder / "level1.txt"), shipped);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(LevelCheck, NamesAKeyOutOfReach)
{
    // A wall shuts key 2 in; a hole in the floor lets the player drop out of
    // the map; a long line is only a warning.
    std::string level = WithCell(WithCell(kLevel, 2, 7, 'w'), 0, 10, 'd');
    level.insert(4 * 16 - 1, "d");
    Write("key.txt", level);
    EXPECT_EQ(Check("key.txt"), 1) << output;
    EXPECT_NE(output.find("key.txt:4:16: warning: characters after the 15th are ignored\n"),
              std::string::npos) << output;
    EXPECT_NE(output.find("key.txt: warning: the player can leave the map for good"),
              std::string::npos) << output;
    EXPECT_NE(output.find("key 2 at (40, 420): out of reach\n"
                          "key 3 at (700, 520): taken after 288 ticks\n"),
              std::string::npos) << output;
    EXPECT_NE(output.find("chest: never opens (keys out of reach)\n"
                          "key.txt: not winnable: key 2 out of reach\n"),
              std::string::npos) << output;
}

TEST_F(LevelCheck, NamesAWalledOffChest)
{
    Write("chest.txt", WithCell(kLevel, 13, 0, 'w'));
    EXPECT_EQ(Check("chest.txt"), 1) << output;
    EXPECT_NE(output.find("key 5 at (40, 220): taken after"), std::string::npos) << output;
    EXPECT_NE(output.find("chest: out of reach\nchest.txt: not winnable: the chest out of reach\n"),
              std::string::npos) << output;
}

TEST_F(LevelCheck, RefusesFilesThatAreNoLevel)
{
    EXPECT_EQ(Check("missing.txt"), 2) << output;
    fs::create_directory(folder / "folder");
    EXPECT_EQ(Check("folder"), 2) << output;
    Write("huge.txt", std::string((1 << 20) + 1, 'd'));
    EXPECT_EQ(Check("huge.txt"), 2) << output;
    EXPECT_EQ(Contents(folder / "Score.txt"), "100");
}
