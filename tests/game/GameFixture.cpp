#include "GameFixture.h"

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <stdlib.h>

const char* const GameFixture::kLevel =
    "dddddddddddddde\n"
    "wwwwwwwwwwwwwww\n"
    "ddddddddddddddd\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\n"
    "ddddddddddddddd\nddddddddddddddd\nddddddddddddddd\nddddddddddddddd\n"
    "wwwwwwwwwwwwwww\n";

std::time_t GameFixture::clockNow = 0;

void GameFixture::SetUp()
{
    previousFolder = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "vaultrun-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
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
    std::ostringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

bool GameFixture::Exists(const char* name)
{
    return std::filesystem::exists(name);
}

Tqz41kMain& GameFixture::Open(const char* fontName)
{
    game = std::make_unique<Tqz41kMain>();
    game->SetCalendarClock(&GameFixture::Clock);
    EXPECT_EQ(game->Initialise("Vaultrun", 800, 600, fontName, 24), 0);
    return *game;
}

Tqz41kMain& GameFixture::Begin(std::string_view level)
{
    WriteFile("level1.txt", level);
    Open();
    game->StartRun();
    return *game;
}

void GameFixture::Pass()
{
    now += 15;
    game->RunPass(now);
}

void GameFixture::WinRunAfter(int seconds)
{
    game->StartRun();
    const std::time_t start = clockNow;
    clockNow = start + seconds;
    Pass();
    // Under the grass of row 1, two pixels short of the chest's column.
    Place(730, 60, 1);
    Player().CollectKey();
    game->SetKeyPressed(SDLK_RIGHT, true);
    Pass();
    game->SetKeyPressed(SDLK_RIGHT, false);
    clockNow = start;
}

Tqz41kPlayer& GameFixture::Player()
{
    return Object<Tqz41kPlayer>(0);
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
