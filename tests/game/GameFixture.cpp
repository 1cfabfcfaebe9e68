#include "GameFixture.h"

#include "GameAssets.h"

#include <filesystem>

#include <stdlib.h>

const char* const GameFixture::kLevel =
    "dddddddddddddde\nwwwwwwwwwwwwwww\nddddddddddddddd\nadddddddddddddd\nddddddddddddddd\n"
    "ddvdddddddddddd\nddvdddddddddddd\nddvdddddddddddd\nddvdddddddddddd\nddddddddddddddd\n"
    "wwwwwwwwwwwwwww\n";

void GameFixture::SetUp()
{
    previousFolder = std::filesystem::current_path().string();
    folder = (std::filesystem::temp_directory_path() / "vaultrun-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::filesystem::current_path(folder);
}

std::vector<std::string> GameFixture::Temporaries()
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name.find(".txt.") != std::string::npos && name != "Score.txt.lock")
            found.push_back(name);
    }
    return found;
}

void GameFixture::TearDown()
{
    game.reset();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(folder);
}

Tqz41kMain& GameFixture::Open(std::string_view level, const char* font)
{
    if (level.data())
        WriteFile("level1.txt", level);
    game = std::make_unique<Tqz41kMain>();
    now = 0;  // a new engine's clock has not been read yet
    if (mixer)
        game->UseAudio(std::move(mixer));
    else
        game->DisableAudio();
    EXPECT_EQ(game->Initialise(GameAssets::kWindowTitle, GameAssets::kWindowWidth,
                                GameAssets::kWindowHeight, font, GameAssets::kFontSize), 0);
    return *game;
}

void GameFixture::WinRunAfter(int seconds)
{
    game->StartRun();
    Wait(seconds);
    Place(730, 60, 1);  // on the grass of row 1, 2 pixels short of the chest's column
    Player().CollectKey();
    game->SetKeyPressed(SDLK_RIGHT, true);
    Pass();
    game->SetKeyPressed(SDLK_RIGHT, false);
}

void GameFixture::Ticks(int count, int heldKey)
{
    for (int key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT})
        game->SetKeyPressed(key, key == heldKey);
    for (int tick = 0; tick < count; ++tick)
        Player().DoUpdate(0);
}
