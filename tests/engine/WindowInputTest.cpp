// The engine between the window and the game: window events, modifier and
// window command keys, the pause, and keys, d-pad and stick as directions.

#include "InputScript.h"
#include "EngineTestSupport.h"
#include "VirtualController.h"

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct KeyLog : TestEngine {
    std::vector<int> down;
    std::vector<int> buttons;
    int interruptions = 0;
    void KeyDown(int key) override { down.push_back(key); }
    void ControllerButtonDown(int button) override { buttons.push_back(button); }
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
    EXPECT_EQ(engine.GetPresentCount(), expected);
    Pass();
    EXPECT_EQ(engine.GetPresentCount(), expected);  // no request, no present

    // Shown on the pass that was asked and the next (a drawing buffer may
    // take one present to catch up with a new size), then no more.
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

    // Focus lost and minimised interrupt play; these ask for no present.
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
        PushKey(SDL_KEYDOWN, modifier);
    PushKey(SDL_KEYDOWN, SDLK_F11);
    PushKey(SDL_KEYDOWN, SDLK_F11, KMOD_NONE, 1);  // held: no second switch
    PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
    PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT);
    PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LSHIFT);  // not a command
    PushKey(SDL_KEYDOWN, SDLK_a, KMOD_LALT);         // Alt with a letter: still the letter
    Pass();
    EXPECT_EQ(engine.down, (std::vector<int>{SDLK_RETURN, SDLK_a}));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_F11) || engine.IsKeyPressed(SDLK_LSHIFT));
    // F11, then Alt+Return and Alt+Enter: full screen on, off, on.
    EXPECT_TRUE(engine.IsFullScreen());
    engine.ToggleFullScreen();
    EXPECT_FALSE(engine.IsFullScreen());
}

TEST_F(WindowInputTest, PausedTheSchedulePacesOnWithoutUpdatingObjects)
{
    struct Counting : DisplayableObject {
        using DisplayableObject::DisplayableObject;
        void DoUpdate(int) override { ++updates; }
        int updates = 0;
    };
    engine.CreateObjectArray(1);
    engine.StoreObjectInArray(0, std::make_unique<Counting>(&engine));
    const auto& counting = dynamic_cast<Counting&>(*engine.GetDisplayableObject(0));
    engine.SetPaused(true);
    for (int pass = 0; pass < 10; ++pass)
        Pass();
    EXPECT_EQ(counting.updates, 0);
    EXPECT_EQ(BaseEngine::PacingSleepMs(now + 1, engine.nextTickTime), 9);  // still sleeping between ticks
    engine.SetPaused(false);
    Pass();
    EXPECT_EQ(counting.updates, 1);
}

TEST_F(WindowInputTest, KeysPadAndStickBeyondTheDeadZoneSteerAndControllersComeAndGo)
{
    using Held = std::vector<Direction>;
    const auto held = [this] {
        Pass();
        Held found;
        for (Direction direction : {Direction::Up, Direction::Down, Direction::Left, Direction::Right})
            if (engine.IsDirectionHeld(direction))
                found.push_back(direction);
        return found;
    };
    const std::pair<SDL_Keycode, Direction> keys[] = {
        {SDLK_UP, Direction::Up},     {SDLK_w, Direction::Up},    {SDLK_DOWN, Direction::Down},
        {SDLK_s, Direction::Down},    {SDLK_LEFT, Direction::Left}, {SDLK_a, Direction::Left},
        {SDLK_RIGHT, Direction::Right}, {SDLK_d, Direction::Right}};
    for (const auto& [key, direction] : keys) {
        engine.SetKeyPressed(key, true);
        EXPECT_EQ(held(), Held{direction}) << key;
        engine.SetKeyPressed(key, false);
    }

    EXPECT_EQ(engine.GetControllerCount(), 0);
    VirtualController pad;
    ASSERT_TRUE(pad.IsPlugged()) << SDL_GetError();
    Pass();
    EXPECT_EQ(engine.GetControllerCount(), 1);
    // D-pad buttons held, the stick's x and y, and the directions they steer:
    // one step past the dead zone steers, the zone's edge does not.
    const int zone = DirectionInput::StickDeadZone;
    const std::tuple<std::vector<SDL_GameControllerButton>, int, int, Held> cases[] = {
        {{SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_LEFT}, 0, 0,
         {Direction::Up, Direction::Left}},
        {{SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}, 0, 0,
         {Direction::Down, Direction::Right}},
        {{}, zone + 1, 0, {Direction::Right}},  {{}, -zone - 1, 0, {Direction::Left}},
        {{}, 0, zone + 1, {Direction::Down}},   {{}, 0, -32768, {Direction::Up}},
        {{}, zone, -zone, {}},                  {{}, 32767, 32767, {Direction::Down, Direction::Right}}};
    for (const auto& [buttons, x, y, directions] : cases) {
        for (auto button : buttons)
            pad.Press(button);
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, x);
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTY, y);
        EXPECT_EQ(held(), directions) << buttons.size() << " buttons, " << x << ", " << y;
        for (auto button : buttons)
            pad.Release(button);
    }
    // Buttons reach the game as presses; unplugged, nothing stays held.
    pad.Press(SDL_CONTROLLER_BUTTON_START);
    Pass();
    EXPECT_EQ(engine.buttons.back(), SDL_CONTROLLER_BUTTON_START);
    pad.Unplug();
    EXPECT_EQ(held(), Held{});
    EXPECT_EQ(engine.GetControllerCount(), 0);
    EXPECT_EQ(engine.interruptions, 1);
}

}  // namespace
