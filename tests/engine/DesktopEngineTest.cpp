#include "InputScript.h"
#include "EngineTestSupport.h"
#include "Letterbox.h"
#include "PlayClock.h"
#include "VirtualController.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;

struct KeyLog : TestEngine {
    std::vector<int> down;
    std::vector<int> buttons;
    int interruptions = 0;
    void KeyDown(int key) override { down.push_back(key); }
    void ControllerButtonDown(int button) override { buttons.push_back(button); }
    void PlayInterrupted() override { ++interruptions; }
};

void PushKey(SDL_Keycode key, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.key = {SDL_KEYDOWN, 0, 0, SDL_PRESSED, repeat, 0, 0, {SDL_SCANCODE_UNKNOWN, key, modifiers, 0}};
    SDL_PushEvent(&event);
}

class DesktopEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, nullptr, 0), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        engine.RunPass(0);  // the first frame
    }
    KeyLog engine;
    int now = 0;
};

TEST(Letterbox, SnapsToAWholeMultipleOnlyWhereItKeepsNineTenthsOfTheFit)
{
    const std::tuple<int, int, bool> cases[] = {
        {800, 600, true},    {1600, 1200, true},  {1600, 1300, true},  {1680, 1250, true},
        {880, 660, true},    {900, 675, false},   {1920, 1080, false}, {3840, 2160, false},
        {2560, 1440, false}, {799, 600, false},   {400, 300, false},   {0, 0, false}};
    for (const auto& [width, height, whole] : cases)
        EXPECT_EQ(Letterbox::PrefersWholeMultiple(width, height, 800, 600), whole) << width << "x" << height;
}

TEST(Letterbox, FillsTheOutputExactlyOnlyAtWholeMultiplesOfItsSize)
{
    const std::tuple<int, int, bool> cases[] = {
        {800, 600, true},    {1600, 1200, true}, {2400, 1800, true}, {1600, 1201, false},
        {1000, 750, false},  {1600, 600, false}, {400, 300, false},  {0, 0, false}};
    for (const auto& [width, height, fills] : cases)
        EXPECT_EQ(Letterbox::FillsExactly(width, height, 800, 600), fills) << width << "x" << height;
}

TEST(PlayClock, CountsOnlyRunningTimeAcrossTheClockWrapAndNeverBackwards)
{
    PlayClock clock;
    clock.Start(INT_MAX - 999);
    EXPECT_EQ(clock.ElapsedMs(INT_MIN + 1000), 2000);  // across the wrap
    clock.Pause(INT_MIN + 4000);
    EXPECT_EQ(clock.ElapsedMs(INT_MIN + 900000), 5000);  // paused: no time passes
    clock.Pause(INT_MIN + 950000);                      // again: nothing changes
    clock.Resume(100);
    clock.Resume(5000);  // running already: the 100 stands
    EXPECT_EQ(clock.ElapsedMs(1100), 6000);
    EXPECT_EQ(clock.ElapsedMs(50), 5000);  // a reading from before the resume adds nothing
    clock.Start(7);
    EXPECT_EQ(clock.ElapsedMs(7), 0);
}

TEST_F(DesktopEngineTest, WindowEventsShowTheLastFrameAgainOnTwoPassesWithoutDrawing)
{
    const int first = engine.GetPresentCount();
    EXPECT_EQ(first, 1);
    engine.RunPass(now += 15);
    EXPECT_EQ(engine.GetPresentCount(), first);  // no request, no present

    // Shown on the pass that was asked and the next (a drawing buffer may
    // take one present to catch up with a new size), then no more.
    int expected = first;
    const auto showsOnTwoPasses = [&](const char* what) {
        for (int added : {1, 1, 0}) {
            engine.RunPass(now += 15);
            EXPECT_EQ(engine.GetPresentCount(), expected += added) << what;
        }
    };
    const Uint8 asking[] = {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_RESTORED,
                            SDL_WINDOWEVENT_MAXIMIZED, SDL_WINDOWEVENT_SIZE_CHANGED};
    for (Uint8 what : asking) {
        InputScript::PushWindowEvent(engine, what);
        showsOnTwoPasses(std::to_string(what).c_str());
    }
    for (Uint8 what : asking)
        InputScript::PushWindowEvent(engine, what);
    showsOnTwoPasses("all at once");

    // A frame drawn in the same pass is the first present the window asked for.
    InputScript::PushWindowEvent(engine, SDL_WINDOWEVENT_EXPOSED);
    engine.RedrawChanges();
    showsOnTwoPasses("with a frame drawn");
}

TEST_F(DesktopEngineTest, FocusLossAndMinimisingInterruptPlay)
{
    for (Uint8 what : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_HIDDEN,
                       SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_MOVED})
        InputScript::PushWindowEvent(engine, what);
    engine.RunPass(now += 15);
    EXPECT_EQ(engine.interruptions, 2);
    EXPECT_EQ(engine.GetPresentCount(), 1);  // nothing to show again
}

TEST_F(DesktopEngineTest, ModifiersAndWindowCommandsNeverReachTheGame)
{
    for (SDL_Keycode modifier : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL, SDLK_LALT, SDLK_RALT,
                                 SDLK_LGUI, SDLK_RGUI, SDLK_MODE})
        PushKey(modifier);
    PushKey(SDLK_F11);
    PushKey(SDLK_F11, KMOD_NONE, 1);  // held: no second switch
    PushKey(SDLK_RETURN, KMOD_LALT);
    PushKey(SDLK_KP_ENTER, KMOD_RALT);
    PushKey(SDLK_RETURN, KMOD_LSHIFT);  // not a command
    PushKey(SDLK_a, KMOD_LALT);         // Alt with a letter: still the letter
    engine.RunPass(now += 15);
    EXPECT_EQ(engine.down, (std::vector<int>{SDLK_RETURN, SDLK_a}));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_F11) || engine.IsKeyPressed(SDLK_LSHIFT));
    // F11, then Alt+Return and Alt+Enter: full screen on, off, on.
    EXPECT_TRUE(engine.IsFullScreen());
    engine.ToggleFullScreen();
    EXPECT_FALSE(engine.IsFullScreen());
}

TEST_F(DesktopEngineTest, PausedTheSchedulePacesOnWithoutUpdatingObjects)
{
    struct Counting : DisplayableObject {
        using DisplayableObject::DisplayableObject;
        void DoUpdate(int) override { ++updates; }
        int updates = 0;
    };
    engine.CreateObjectArray(1);
    auto object = std::make_unique<Counting>(&engine);
    Counting& counting = *object;
    engine.StoreObjectInArray(0, std::move(object));
    engine.SetPaused(true);
    for (int pass = 0; pass < 10; ++pass)
        engine.RunPass(now += 15);
    EXPECT_EQ(counting.updates, 0);
    EXPECT_EQ(BaseEngine::PacingSleepMs(now + 1, engine.nextTickTime), 9);  // still sleeping between ticks
    engine.SetPaused(false);
    engine.RunPass(now += 15);
    EXPECT_EQ(counting.updates, 1);
}

TEST_F(DesktopEngineTest, ControllersSteerWithDPadAndStickBeyondTheDeadZoneAndComeAndGo)
{
    EXPECT_EQ(engine.GetControllerCount(), 0);
    VirtualController pad;
    ASSERT_TRUE(pad.IsPlugged()) << SDL_GetError();
    engine.RunPass(now += 15);
    EXPECT_EQ(engine.GetControllerCount(), 1);

    using Held = std::vector<Direction>;
    const auto held = [this] {
        engine.RunPass(now += 15);
        Held found;
        for (Direction direction : {Direction::Up, Direction::Down, Direction::Left, Direction::Right})
            if (engine.IsDirectionHeld(direction))
                found.push_back(direction);
        return found;
    };
    const int zone = DirectionInput::StickDeadZone;
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(held(), (Held{Direction::Up, Direction::Left}));
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_UP);
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(held(), (Held{Direction::Down, Direction::Right}));
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad.Release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    // The stick: one step past the dead zone steers, the zone's edge does not.
    const std::tuple<int, int, Held> tilts[] = {
        {zone + 1, 0, Held{Direction::Right}}, {-zone - 1, 0, Held{Direction::Left}},
        {0, zone + 1, Held{Direction::Down}},  {0, -32768, Held{Direction::Up}},
        {zone, -zone, Held{}},                 {32767, 32767, Held{Direction::Down, Direction::Right}}};
    for (const auto& [x, y, directions] : tilts) {
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, x);
        pad.Tilt(SDL_CONTROLLER_AXIS_LEFTY, y);
        EXPECT_EQ(held(), directions) << x << ", " << y;
    }
    // Buttons reach the game as presses; unplugged, nothing stays held.
    pad.Press(SDL_CONTROLLER_BUTTON_START);
    engine.RunPass(now += 15);
    EXPECT_EQ(engine.buttons.back(), SDL_CONTROLLER_BUTTON_START);
    pad.Unplug();
    EXPECT_EQ(held(), Held{});
    EXPECT_EQ(engine.GetControllerCount(), 0);
    EXPECT_EQ(engine.interruptions, 1);
}

TEST_F(DesktopEngineTest, ArrowsAndWasdSteerAlike)
{
    const std::tuple<SDL_Keycode, SDL_Keycode, Direction> keys[] = {
        {SDLK_UP, SDLK_w, Direction::Up}, {SDLK_DOWN, SDLK_s, Direction::Down},
        {SDLK_LEFT, SDLK_a, Direction::Left}, {SDLK_RIGHT, SDLK_d, Direction::Right}};
    for (const auto& [arrow, letter, direction] : keys) {
        for (SDL_Keycode key : {arrow, letter}) {
            engine.SetKeyPressed(key, true);
            EXPECT_TRUE(engine.IsDirectionHeld(direction)) << key;
            engine.SetKeyPressed(key, false);
            EXPECT_FALSE(engine.IsDirectionHeld(direction)) << key;
        }
    }
}

}  // namespace
