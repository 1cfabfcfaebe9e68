#include "GameFixture.h"

#include "Tqz41kCollectibles.h"
#include "Tqz41kTrap.h"
#include "Tqz41kTrapCover.h"

#include <SDL.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::vector<int> FirstRow(const Tqz41kMain& game)
{
    std::vector<int> row;
    for (int column = 0; column < Tqz41kTileManager::MapColumns; ++column)
        row.push_back(game.GetTileMap().GetValue(column, 0));
    return row;
}

// An object whose destructor reads the game's map, as any object's may: the
// map must still be there when the objects go. A freed map's first row would
// have lost its first bytes to the allocator (the sanitizer build reports any read).
class MapWitness : public DisplayableObject {
public:
    MapWitness(Tqz41kMain* game, std::vector<int>* rowSeen) : DisplayableObject(game), rowSeen(rowSeen) {}
    ~MapWitness() override { *rowSeen = FirstRow(*static_cast<Tqz41kMain*>(engine)); }

private:
    std::vector<int>* rowSeen = nullptr;
};

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

TEST_F(GameFixture, AnyKeyStartsFromTheTitleOnlySpaceFromTheEndNoneDuringARunAndTheHeadsUpShowsIt)
{
    Open();
    game->KeyDown('q');
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    now += 12999 - 15;  // whole seconds: 12.999 s show as 12
    game->KeyDown(SDLK_SPACE);  // ignored: the run and its clock go on
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 12");
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "Keys Left :5");
    EXPECT_STREQ(game->GetHudTexts().hiScore, "Hi-Score: --");
    Pass();
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 13");

    game->WinGame();
    game->KeyDown('a');
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    game->KeyDown(SDLK_SPACE);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
}

TEST_F(GameFixture, WithoutAPlayerInSlotZeroKeysStillUpdateAndTheHeadsUpDisplayStillDraws)
{
    Begin();
    ImageData picture;
    game->CreateObjectArray(2);
    game->StoreObjectInArray(0, std::make_unique<DisplayableObject>(game.get()));
    game->StoreObjectInArray(1, std::make_unique<Tqz41kCollectibles>(game.get(), 40, 220, &picture));
    game->StartRun();
    Pass();
    EXPECT_TRUE(game->GetDisplayableObject(1)->IsVisible());
    EXPECT_STREQ(game->GetHudTexts().keysLeft, "");
}

TEST_F(GameFixture, RosterIsSixteenInvisibleObjectsInOrderAndAWinRebuildsIt)
{
    WriteFile("Score.txt", "40");
    Open();
    auto expectFreshRoster = [&] {
        for (int slot = 0; slot < 16; ++slot)
            EXPECT_FALSE(game->GetDisplayableObject(slot)->IsVisible()) << slot;
        EXPECT_EQ(game->GetDisplayableObject(16), nullptr);
        EXPECT_TRUE(Player().IsAtStart() && Player().GetKeysLeft() == 5);
        for (int slot : {1, 2, 3, 4, 15})
            EXPECT_NO_THROW(Object<Tqz41kCollectibles>(slot));
        for (int slot = 5; slot < 15; slot += 2) {  // each cover after its trap, drawn over it
            EXPECT_NO_THROW(Object<Tqz41kTrap>(slot));
            EXPECT_NO_THROW(Object<Tqz41kTrapCover>(slot + 1));
        }
    };
    expectFreshRoster();

    WinRunAfter(37);  // the player's own update wins, inside the engine's pass
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateWon);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), Tqz41kTileManager::TileChestClosed);
    expectFreshRoster();
}

TEST_F(GameFixture, ObjectsGoBeforeTheMapAndPicturesTheyBorrowAndInTheirOrder)
{
    Begin();
    const std::vector<int> row = FirstRow(*game);
    std::vector<int> rowSeen;
    game->StoreObjectInArray(16, std::make_unique<MapWitness>(game.get(), &rowSeen));
    testing::internal::CaptureStdout();
    game.reset();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rowSeen, row);
    std::string seventeen;
    for (int object = 0; object < 17; ++object)
        seventeen += "DELETING OBJECT!";
    EXPECT_EQ(console, seventeen);
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
