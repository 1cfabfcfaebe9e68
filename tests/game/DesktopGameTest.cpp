#include "InputScript.h"
#include "GameFixture.h"
#include "VirtualController.h"

#include <SDL.h>

#include <filesystem>
#include <string>
#include <tuple>

namespace {

void PushKey(SDL_Keycode key, bool down = true, Uint16 modifiers = KMOD_NONE)
{
    SDL_Event event{};
    event.key = {down ? Uint32{SDL_KEYDOWN} : Uint32{SDL_KEYUP}, 0, 0,
                 down ? Uint8{SDL_PRESSED} : Uint8{SDL_RELEASED}, 0, 0, 0,
                 {SDL_SCANCODE_UNKNOWN, key, modifiers, 0}};
    SDL_PushEvent(&event);
}

void Tap(SDL_Keycode key, Uint16 modifiers = KMOD_NONE)
{
    PushKey(key, true, modifiers);
    PushKey(key, false, modifiers);
}

}  // namespace

TEST_F(GameFixture, AnExposedTitleIsShownAgainWithoutDrawingAFrame)
{
    Open();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    testing::internal::CaptureStdout();
    Pass();
    Pass();
    const int shown = game->GetPresentCount();
    InputScript::PushWindowEvent(*game, SDL_WINDOWEVENT_EXPOSED);
    Pass();
    Pass();
    EXPECT_EQ(game->GetPresentCount(), shown + 2);  // on the pass asked and the next
    Pass();
    EXPECT_EQ(game->GetPresentCount(), shown + 2);
    // The title's texts were drawn for the first frame only.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "STRINGGS!");
}

TEST_F(GameFixture, CommandKeysLeaveTheTitleAndEveryOtherKeyStartsARun)
{
    Open();
    Pass();
    const int shown = game->GetPresentCount();
    for (SDL_Keycode key : {SDLK_LSHIFT, SDLK_RCTRL, SDLK_LALT, SDLK_RGUI, SDLK_F11, SDLK_p, SDLK_PAUSE,
                            SDLK_ESCAPE, SDLK_m})
        Tap(key);
    Tap(SDLK_RETURN, KMOD_LALT);
    Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    EXPECT_FALSE(game->IsPaused());
    // Two full-screen switches: the title shown again, not drawn again.
    EXPECT_FALSE(game->IsFullScreen());
    EXPECT_GE(game->GetPresentCount(), shown + 1);
    for (SDL_Keycode key : {SDLK_RETURN, SDLK_F1, SDLK_w, SDLK_SPACE}) {
        Open();
        Tap(key);
        Pass();
        EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying) << key;
    }
}

TEST_F(GameFixture, PauseStopsEverythingAndTheClockUntilThePauseKeyAgain)
{
    Begin();
    Wait(5);
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 5");
    for (SDL_Keycode key : {SDLK_p, SDLK_PAUSE, SDLK_ESCAPE}) {
        const int shown = game->GetPresentCount();
        const Tqz41kPlayer::State before = Player().GetState();
        PushKey(key);
        PushKey(SDLK_RIGHT);
        Pass();
        PushKey(key);  // held: the repeat does not resume
        Wait(100);
        EXPECT_TRUE(game->IsPaused()) << key;
        EXPECT_EQ(Player().GetLeft(), before.x) << key;
        EXPECT_EQ(game->GetPresentCount(), shown + 1) << key;  // the notice, once
        PushKey(key, false);
        PushKey(SDLK_RIGHT, false);
        Tap(key);
        Pass();
        EXPECT_FALSE(game->IsPaused()) << key;
    }
    Wait(2);
    EXPECT_STREQ(game->GetHudTexts().time, "Time: 7");
}

TEST_F(GameFixture, FocusLossAndMinimisingPauseARunButNotTheTitleOrEndScreen)
{
    for (Uint8 what : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED}) {
        Open();
        InputScript::PushWindowEvent(*game, what);
        Pass();
        EXPECT_FALSE(game->IsPaused());
        game->StartRun();
        InputScript::PushWindowEvent(*game, what);
        Pass();
        EXPECT_TRUE(game->IsPaused()) << int{what};
        InputScript::PushWindowEvent(*game, SDL_WINDOWEVENT_FOCUS_GAINED);  // the player goes on, not the window
        Pass();
        EXPECT_TRUE(game->IsPaused());
    }
    WinRunAfter(3);
    InputScript::PushWindowEvent(*game, SDL_WINDOWEVENT_FOCUS_LOST);
    Pass();
    EXPECT_FALSE(game->IsPaused());
}

TEST_F(GameFixture, AControllerStartsWalksPausesAndIsUnpluggedMidRunLosingNothing)
{
    Open();
    Pass();
    VirtualController pad;
    ASSERT_TRUE(pad.IsPlugged()) << SDL_GetError();
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);  // steering is not starting
    Pass();
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StateStart);
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.Press(SDL_CONTROLLER_BUTTON_A);
    Pass();
    pad.Release(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);

    const int x = Player().GetLeft();
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    for (int pass = 0; pass < 10; ++pass)
        Pass();
    EXPECT_EQ(Player().GetLeft(), x + 20);
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    for (int pass = 0; pass < 5; ++pass)
        Pass();
    EXPECT_EQ(Player().GetLeft(), x + 10);  // the first pass still saw the d-pad go

    pad.Press(SDL_CONTROLLER_BUTTON_START);
    Pass();
    pad.Release(SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(game->IsPaused());
    Wait(30);
    EXPECT_EQ(Player().GetLeft(), x + 10);
    pad.Press(SDL_CONTROLLER_BUTTON_START);
    Pass();
    pad.Release(SDL_CONTROLLER_BUTTON_START);
    EXPECT_FALSE(game->IsPaused());

    // Unplugged with the stick pushed: the run pauses and keeps all it had.
    Player().CollectKey();
    Pass();
    const Tqz41kPlayer::State before = Player().GetState();
    const std::string time = game->GetHudTexts().time;
    pad.Unplug();
    Pass();
    EXPECT_EQ(game->GetControllerCount(), 0);
    EXPECT_TRUE(game->IsPaused());
    Tap(SDLK_p);
    Pass();
    Wait(1);
    EXPECT_EQ(game->GetGameState(), Tqz41kMain::StatePlaying);
    EXPECT_EQ(Player().GetLeft(), before.x);  // nothing left pushing it
    EXPECT_EQ(Player().GetKeysLeft(), 4);
    EXPECT_EQ(game->GetHudTexts().time, "Time: " + std::to_string(std::stoi(time.substr(6)) + 1));
}

TEST_F(GameFixture, AWinInUnderASecondNeverErasesTheStoredBest)
{
    // Before the run clock counted play, a calendar set back during a run
    // gave a time of 0, and "0" replaced the best time.
    WriteFile("Score.txt", "40");
    Open();
    WinRunAfter(0);
    EXPECT_EQ(ReadFile("Score.txt"), "40");
    EXPECT_STREQ(game->GetRunTimeText(), "Your time: 0 s.");
    // Nor with no best time yet: there is still none.
    std::filesystem::remove("Score.txt");
    Open();
    WinRunAfter(0);
    EXPECT_FALSE(std::filesystem::exists("Score.txt"));
}

TEST_F(GameFixture, TheEndScreenTellsTheRunsTimeAndANewBest)
{
    // Stored best (null: none), the run's seconds, the end screen's line.
    const std::tuple<const char*, int, const char*> cases[] = {
        {nullptr, 12, "Your time: 12 s. A new best!"}, {"40", 37, "Your time: 37 s. A new best!"},
        {"40", 40, "Your time: 40 s."}, {"40", 45, "Your time: 45 s."}};
    for (const auto& [stored, seconds, line] : cases) {
        std::filesystem::remove("Score.txt");
        if (stored)
            WriteFile("Score.txt", stored);
        Open();
        WinRunAfter(seconds);
        EXPECT_STREQ(game->GetRunTimeText(), line);
    }
}
