#include "GameFixture.h"
#include "InputScript.h"

#include <SDL.h>

// The recorded script wins the shipped level through real key events and the
// engine's own passes: keys taken, traps timed, chest opened and reached.
TEST_F(GameFixture, RecordedRunWinsTheShippedLevel)
{
    const InputScript script = InputScript::Load(VAULTRUN_SOURCE_DIR "/tests/game/data/winning-run.txt");
    ASSERT_FALSE(script.IsEmpty());
    const std::string level = ShippedLevel();
    ASSERT_FALSE(level.empty());
    Open(level);

    int fewestKeysLeft = Tqz41kPlayer::KeysToFind;
    bool hitTrap = false;
    bool chestOpened = false;
    script.Play(*game, now, SDLK_SPACE, [&] {
        if (game->GetGameState() != Tqz41kMain::StatePlaying)
            return;
        const Tqz41kPlayer::State player = Player().GetState();
        fewestKeysLeft = std::min(fewestKeysLeft, player.keysLeft);
        hitTrap = hitTrap || player.ghost;
        chestOpened = chestOpened || game->GetTileMap().GetValue(14, 0) == 7;
    });

    EXPECT_FALSE(hitTrap) << "the script should time every trap";
    EXPECT_EQ(fewestKeysLeft, 0) << "all five keys taken before the chest";
    EXPECT_TRUE(chestOpened);
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StateWon);

    // A fresh, invisible roster with the player home and five keys to find.
    for (int slot = 0; slot < 16; ++slot) {
        ASSERT_NE(game->GetDisplayableObject(slot), nullptr);
        EXPECT_FALSE(game->GetDisplayableObject(slot)->IsVisible());
    }
    EXPECT_EQ(game->GetDisplayableObject(16), nullptr);
    EXPECT_EQ(Player().GetLeft(), Tqz41kPlayer::StartX);
    EXPECT_EQ(Player().GetTop(), Tqz41kPlayer::StartY);
    EXPECT_EQ(Player().GetKeysLeft(), Tqz41kPlayer::KeysToFind);
    EXPECT_EQ(game->GetTileMap().GetValue(14, 0), 4) << "the chest is shut again";

    const int seconds = script.TotalTicks() * InputScript::kPassMs / 1000;
    const std::string stored = ReadFile("Score.txt");
    EXPECT_NEAR(std::stoi(stored), seconds, 1);
    EXPECT_EQ(stored.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(game->GetHiScore(), std::stoi(stored));
}
