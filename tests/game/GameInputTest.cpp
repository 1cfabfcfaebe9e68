#include "InputScript.h"
#include "GameFixture.h"
#include "VirtualController.h"

#include <SDL.h>

// Command keys start nothing. The engine tells focus loss, minimising and a controller unplugged alike.
TEST_F(GameFixture, PauseKeysStopEverythingAndTheClockAndOnlyARunPausesOnFocusLossStartOrAControllerUnplugged)
{
    Open();
    Pass();
    VirtualController pad;
    ASSERT_TRUE(pad.IsPlugged()) << SDL_GetError();
    const auto push = [&](SDL_GameControllerButton button) {
        pad.Press(button);
        Pass();
        pad.Release(button);
    };
    const auto loseFocus = [this] {
        InputScript::PushWindowEvent(*game, SDL_WINDOWEVENT_FOCUS_LOST);
        Pass();
    };
    // The title: command keys, focus loss and steering start nothing and pause nothing.
    for (SDL_Keycode key : {SDLK_p, SDLK_PAUSE, SDLK_ESCAPE, SDLK_m, SDLK_g, SDLK_r, SDLK_BACKSPACE})
        InputScript::Tap(key);
    loseFocus();
    push(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    EXPECT_FALSE(game->IsPaused());
    push(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);

    Wait(5);
    // The notice's black box over the sky, in the middle of the map's upper half.
    const auto noticeShown = [this] { return (Pixel(game->GetForeground(), 400, 180) & 0xFFFFFF) == 0; };
    for (SDL_Keycode key : {SDLK_p, SDLK_PAUSE, SDLK_ESCAPE}) {
        const int shown = game->GetPresentCount(), x = Player().GetLeft();
        InputScript::PushKey(key, true);
        InputScript::PushKey(SDLK_RIGHT, true);
        Pass();
        InputScript::PushKey(key, true);  // held: the repeat does not resume
        Wait(100);
        EXPECT_TRUE(game->IsPaused() && noticeShown()) << key;
        EXPECT_EQ(Player().GetLeft(), x) << key;
        EXPECT_EQ(game->GetPresentCount(), shown + 1) << key;  // the notice, once
        InputScript::PushKey(key, false);
        InputScript::PushKey(SDLK_RIGHT, false);
        InputScript::Tap(key);
        Pass();
        EXPECT_FALSE(game->IsPaused() || noticeShown()) << key;
    }
    Wait(2);
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 7");

    loseFocus();
    InputScript::PushWindowEvent(*game, SDL_WINDOWEVENT_FOCUS_GAINED);  // the player goes on, not the window
    pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    const int x = Player().GetLeft();
    Wait(30);
    EXPECT_TRUE(game->IsPaused() && Player().GetLeft() == x);
    push(SDL_CONTROLLER_BUTTON_START);
    EXPECT_GT(Player().GetLeft(), x);
    pad.Unplug();
    Pass();
    EXPECT_TRUE(game->IsPaused());
    WinRunAfter(3);
    loseFocus();
    EXPECT_FALSE(game->IsPaused());
}
