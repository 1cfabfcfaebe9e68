#include "GameFixture.h"

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <stdlib.h>

const char* const GameFixture::kLevel =
    "dddddddddddddde\nwwwwwwwwwwwwwww\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\n"
    "ddddddddddddddd\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\n"
    "wwwwwwwwwwwwwww\n";

std::time_t GameFixture::clockNow = 0;

void GameFixture::SetUp()
{
    previousFolder = std::filesystem::current_path().string();
    folder = (std::filesystem::temp_directory_path() / "vaultrun-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::filesystem::current_path(folder);
    clockNow = 1000;
}

void GameFixture::TearDown()
{
    game.reset();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(folder);
}

void GameFixture::WriteFile(const char* name, std::string_view bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string GameFixture::ReadFile(const char* name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Tqz41kMain& GameFixture::Open(std::string_view level)
{
    WriteFile("level1.txt", level);
    game = std::make_unique<Tqz41kMain>();
    game->SetCalendarClock([] { return clockNow; });
    EXPECT_EQ(game->Initialise("Vaultrun", 800, 600, "", 24), 0);
    return *game;
}

Tqz41kMain& GameFixture::Begin(std::string_view level)
{
    Open(level).StartRun();
    return *game;
}

void GameFixture::Pass()
{
    game->RunPass(now += 15);
}

void GameFixture::WinRunAfter(int seconds)
{
    game->StartRun();
    clockNow += seconds;
    Pass();
    Place(730, 60, 1);  // on the grass of row 1, 2 pixels short of the chest's column
    Player().CollectKey();
    game->SetKeyPressed(SDLK_RIGHT, true);
    Pass();
    game->SetKeyPressed(SDLK_RIGHT, false);
}

void GameFixture::Place(int x, int y, int keysLeft, bool ghost)
{
    Tqz41kPlayer::State state;
    state.x = x;
    state.y = y;
    state.keysLeft = keysLeft;
    state.ghost = ghost;
    Player().SetState(state);
}

void GameFixture::Ticks(int count, int heldKey)
{
    for (int key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT})
        game->SetKeyPressed(key, key == heldKey);
    for (int tick = 0; tick < count; ++tick)
        Player().DoUpdate(0);
}
