#include "EngineTestSupport.h"
#include "VirtualController.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

struct KeyLog : TestEngine {
    std::vector<int> down;
    int interruptions = 0;
    void KeyDown(int key) override { down.push_back(key); }
    void PlayInterrupted() override { ++interruptions; }
};

struct WindowInputTest : EngineTest<KeyLog> {
    void SetUp() override
    {
        EngineTest::SetUp();
        engine.RunPass(0);  // the first frame
    }
    void Pass() { engine.RunPass(now += 15); }
    int now = 0;
};

TEST_F(WindowInputTest, WindowEventsShowTheLastFrameAgainOnTwoPassesWithoutDrawing)
{
    int expected = 1;
    Pass();
    EXPECT_EQ(engine.GetPresentCount(), expected);  // no request, no present
    // On the pass that was asked and the next (a drawing buffer may take one
    // present to catch up with a new size), then no more.
    const auto showsOnTwoPasses = [&](const std::string& what) {
        for (int added : {1, 1, 0}) {
            Pass();
            EXPECT_EQ(engine.GetPresentCount(), expected += added) << what;
        }
    };
    const Uint8 asking[] = {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_RESTORED,
                            SDL_WINDOWEVENT_MAXIMIZED, SDL_WINDOWEVENT_SIZE_CHANGED};
    for (Uint8 what : asking) {
        InputScript::PushWindowEvent(engine, what);
        showsOnTwoPasses(std::to_string(what));
    }
    for (Uint8 what : asking)
        InputScript::PushWindowEvent(engine, what);
    showsOnTwoPasses("all at once");
    // A frame drawn in the same pass is the first present the window asked for.
    InputScript::PushWindowEvent(engine, SDL_WINDOWEVENT_EXPOSED);
    engine.RedrawChanges();
    showsOnTwoPasses("with a frame drawn");

    // Focus lost and minimised interrupt play; none of these asks for a present.
    for (Uint8 what : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_HIDDEN,
                       SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_MOVED})
        InputScript::PushWindowEvent(engine, what);
    Pass();
    EXPECT_EQ(engine.interruptions, 2);
    EXPECT_EQ(engine.GetPresentCount(), expected);
}

TEST_F(WindowInputTest, ModifiersAndWindowCommandsNeverReachTheGame)
{
    for (SDL_Keycode modifier : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL, SDLK_LALT, SDLK_RALT,
                                 SDLK_LGUI, SDLK_RGUI, SDLK_MODE})
        PushKey(modifier, true);
    PushKey(SDLK_F11, true);
    PushKey(SDLK_F11, true, KMOD_NONE, 1);  // held: no second switch
    PushKey(SDLK_RETURN, true, KMOD_LALT);
    PushKey(SDLK_KP_ENTER, true, KMOD_RALT);
    PushKey(SDLK_RETURN, true, KMOD_LSHIFT);  // not a command
    PushKey(SDLK_a, true, KMOD_LALT);         // Alt with a letter: still the letter
    Pass();
    EXPECT_EQ(engine.down, (std::vector<int>{SDLK_RETURN, SDLK_a}));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_F11) || engine.IsKeyPressed(SDLK_LSHIFT));
    EXPECT_TRUE(engine.IsFullScreen());  // F11, Alt+Return, Alt+Enter: on, off, on
}

TEST_F(WindowInputTest, KeysPadAndStickBeyondTheDeadZoneSteerAndControllersComeAndGo)
{
    constexpr unsigned kUp = DirectionBit(Direction::Up), kDown = DirectionBit(Direction::Down),
                       kLeft = DirectionBit(Direction::Left), kRight = DirectionBit(Direction::Right);
    const auto held = [this] {
        Pass();
        return engine.HeldDirections();
    };
    for (const auto& [key, direction] : {std::pair{SDLK_UP, kUp}, {SDLK_w, kUp}, {SDLK_DOWN, kDown}, {SDLK_s, kDown},
                                         {SDLK_LEFT, kLeft}, {SDLK_a, kLeft}, {SDLK_RIGHT, kRight}, {SDLK_d, kRight}}) {
        engine.SetKeyPressed(key, true);
        EXPECT_EQ(held(), direction) << key;
        engine.SetKeyPressed(key, false);
    }

    VirtualController pad;
    ASSERT_TRUE(pad.IsPlugged()) << SDL_GetError();
    Pass();
    EXPECT_EQ(engine.GetControllerCount(), 1);
    // D-pad buttons held, the stick's x and y, and the directions they steer:
    // one step past the dead zone steers, the zone's edge does not.
    const int zone = DirectionInput::StickDeadZone;
    const std::tuple<std::vector<SDL_GameControllerButton>, int, int, unsigned> cases[] = {
        {{SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_LEFT}, 0, 0, kUp | kLeft},
        {{SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}, 0, 0, kDown | kRight},
        {{}, zone + 1, 0, kRight}, {{}, -zone - 1, 0, kLeft}, {{}, 0, zone + 1, kDown},
        {{}, 0, -32768, kUp},      {{}, zone, -zone, 0},      {{}, 32767, 32767, kDown | kRight}};
    for (const auto& [buttons, x, y, directions] : cases) {
        for (auto button : buttons)
            pad.Press(button);
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, x);
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTY, y);
        EXPECT_EQ(held(), directions) << buttons.size() << " buttons, " << x << ", " << y;
        for (auto button : buttons)
            pad.Release(button);
    }
    // Unplugged, nothing stays held. Buttons as presses and unplugging as an
    // interruption: the game's controller test.
    pad.Unplug();
    EXPECT_EQ(held(), 0u);
    EXPECT_EQ(engine.GetControllerCount(), 0);
}

}  // namespace
