#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;
constexpr uint32_t kTextMark = 0x00ABCDEF;  // what DrawStrings leaves at (0, 0)
using Calls = std::vector<std::string>;

std::string Call(const char* name, int a, int b = -1, int c = -1)
{
    std::string call = std::string(name) + " " + std::to_string(a);
    for (int more : {b, c})
        call += more < 0 ? "" : " " + std::to_string(more);
    return call;
}

// Writes down every input handler and frame step in the order they run.
class RecordingEngine : public TestEngine {
public:
    Calls calls;
    int quitKey = -1;  // a press of this key sets exitCode to 0

    int GameInit() override { calls.push_back("GameInit"); return TestEngine::GameInit(); }
    void KeyDown(int key) override
    {
        calls.push_back(Call("KeyDown", key));
        if (key == quitKey)
            exitCode = 0;
    }
    void KeyUp(int key) override { calls.push_back(Call("KeyUp", key)); }
    void MouseMoved(int x, int y) override { calls.push_back(Call("MouseMoved", x, y)); }
    void MouseDown(int b, int x, int y) override { calls.push_back(Call("MouseDown", b, x, y)); }
    void MouseUp(int b, int x, int y) override { calls.push_back(Call("MouseUp", b, x, y)); }
    void GameAction() override { calls.push_back("GameAction"); TestEngine::GameAction(); }
    void UpdateAllObjects(int time) override { calls.push_back(Call("Update", time)); }
    void GameRender() override { calls.push_back("GameRender"); TestEngine::GameRender(); }
    void UndrawObjects() override { calls.push_back("UndrawObjects"); }
    void AfterUndraw() override { calls.push_back("AfterUndraw"); }
    void DrawStrings() override
    {
        calls.push_back("DrawStrings");
        PixelAt(GetForeground(), 0, 0) = kTextMark;
    }
    void BeforeDrawObjects() override { calls.push_back("BeforeDrawObjects"); }
    void DrawObjects() override { calls.push_back("DrawObjects"); }
    void AfterDrawObjects() override { calls.push_back("AfterDrawObjects"); }
};

void Push(Uint32 type, SDL_Keycode key = 0, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = type;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

class EngineLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, nullptr, 0), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the new window's own events
        engine.calls.clear();
    }
    void TearDown() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }

    // The bottom-right pixel of the frame last presented, read back from the renderer.
    uint32_t Shown()
    {
        uint32_t shown[kWidth * kHeight] = {};
        SDL_RenderReadPixels(engine.renderer.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, shown, kWidth * 4);
        return shown[kWidth * kHeight - 1] & 0x00FFFFFF;
    }

    RecordingEngine engine;
};

TEST(EngineLifecycle, KeyTableExistsOnlyBetweenInitialiseAndDeinitialise)
{
    TestEngine engine;
    engine.SetKeyPressed(SDLK_LEFT, true);
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_LEFT));
    ASSERT_EQ(engine.Initialise("Vaultrun test", kWidth, kHeight, nullptr, 0), 0);
    engine.SetKeyPressed(SDLK_LEFT, true);
    EXPECT_TRUE(engine.IsKeyPressed(SDLK_LEFT));
    engine.Deinitialise();
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_LEFT));
}

TEST(EngineLifecycle, FailuresToStartAreReportedOnStandardError)
{
    constexpr int kTooWide = 20000;  // beyond the largest window SDL makes
    constexpr int kNoWidth = 0;      // SDL widens the window to 1 but refuses the texture
    const std::pair<int, std::string> cases[] = {
        {kWidth, "Unable to init SDL: "},  // with a video driver that does not exist
        {kTooWide, "Unable to create the window: "},
        {kNoWidth, "Unable to create the screen texture: "}};
    for (const auto& [width, message] : cases) {
        if (width == kWidth) {
            SDL_Quit();  // an earlier test in this process may have started video
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
        }
        RecordingEngine engine;
        testing::internal::CaptureStderr();
        EXPECT_EQ(engine.Initialise("Vaultrun test", width, kHeight, nullptr, 0), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message + SDL_GetError() + "\n");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        EXPECT_TRUE(engine.calls.empty());  // no GameInit
        EXPECT_EQ(engine.GetForeground(), nullptr);
        EXPECT_FALSE(engine.IsKeyPressed(0));
    }
}

TEST(KeyTable, CharacterCodesIndexThemselvesAndSpecialKeysTheirSlots)
{
    for (int code = 0; code <= 127; ++code)
        EXPECT_EQ(BaseEngine::KeyCodeToIndex(code), code);
    const int special[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_F1, SDLK_F2, SDLK_F3,
                           SDLK_F4, SDLK_F5, SDLK_F6, SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11,
                           SDLK_F12, SDLK_PRINTSCREEN, SDLK_SCROLLLOCK, SDLK_PAUSE, SDLK_INSERT,
                           SDLK_HOME, SDLK_PAGEUP, 0, SDLK_END, SDLK_PAGEDOWN, 0, 0, 0, 0, 0,
                           SDLK_CAPSLOCK, SDLK_NUMLOCKCLEAR, SDLK_KP_DIVIDE, SDLK_KP_MULTIPLY,
                           SDLK_KP_MINUS, SDLK_KP_PLUS, SDLK_KP_ENTER};  // from index 128; 0: unused
    for (int i = 0; i < static_cast<int>(std::size(special)); ++i) {
        if (special[i] == 0)
            continue;
        EXPECT_EQ(BaseEngine::KeyCodeToIndex(special[i]), 128 + i) << special[i];
    }
    for (int code : {-1, 128, 255, int{SDLK_F13}, SDLK_KP_ENTER + 1, int{SDLK_KP_1}})
        EXPECT_EQ(BaseEngine::KeyCodeToIndex(code), 0) << code;
}

TEST_F(EngineLoopTest, EventsSetTheKeyTableAndMouseFieldsAndReachTheHandlers)
{
    Push(SDL_KEYDOWN, SDLK_LEFT);
    Push(SDL_KEYDOWN, SDLK_a);
    ASSERT_TRUE(engine.RunPass(0));
    EXPECT_TRUE(engine.IsKeyPressed(SDLK_LEFT));
    EXPECT_TRUE(engine.IsKeyPressed(SDLK_a));
    EXPECT_FALSE(engine.IsKeyPressed('A'));  // letters arrive in lower case only

    SDL_Event mouse{};
    mouse.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, 5, 6, 0, 0};
    SDL_PushEvent(&mouse);
    mouse.button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 1, 0, 7, 8};
    SDL_PushEvent(&mouse);
    mouse.button = {SDL_MOUSEBUTTONUP, 0, 0, 0, SDL_BUTTON_RIGHT, SDL_RELEASED, 1, 0, 9, 10};
    SDL_PushEvent(&mouse);
    Push(SDL_KEYDOWN, SDLK_a, 1);  // auto-repeat
    Push(SDL_KEYUP, SDLK_LEFT);
    Push(SDL_KEYUP, SDLK_a);
    Push(SDL_KEYDOWN, SDLK_F13);
    engine.calls.clear();
    ASSERT_TRUE(engine.RunPass(1));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_LEFT));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_a));
    EXPECT_TRUE(engine.IsKeyPressed(SDLK_F14));  // F13 shares entry 0 with every unlisted key
    EXPECT_EQ(engine.calls, (Calls{"MouseMoved 5 6", "MouseDown 1 7 8", "MouseUp 3 9 10",
                                   "KeyDown 97", Call("KeyUp", SDLK_LEFT), "KeyUp 97",
                                   Call("KeyDown", SDLK_F13), "GameAction", "GameRender"}));
    EXPECT_EQ((std::pair{engine.mouseX, engine.mouseY}), (std::pair{5, 6}));
    EXPECT_EQ((std::pair{engine.mouseDownX, engine.mouseDownY}), (std::pair{7, 8}));
    EXPECT_EQ((std::pair{engine.mouseUpX, engine.mouseUpY}), (std::pair{9, 10}));
}

TEST_F(EngineLoopTest, QuitEndsAtOnceAndExitCodeAfterThePass)
{
    // A quit leaves the rest of the queue, and SDL's end-of-poll marker, behind.
    auto fresh = [this] {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        engine.calls.clear();
    };
    Push(SDL_KEYDOWN, SDLK_a);
    Push(SDL_QUIT);
    Push(SDL_KEYDOWN, SDLK_b);
    EXPECT_FALSE(engine.RunPass(0));
    EXPECT_EQ(engine.calls, Calls{"KeyDown 97"});  // no later event, action or render

    fresh();
    Push(SDL_QUIT);
    EXPECT_EQ(engine.MainLoop(), 0);
    EXPECT_TRUE(engine.calls.empty());

    fresh();
    engine.quitKey = SDLK_ESCAPE;
    Push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_EQ(engine.MainLoop(), 0);
    EXPECT_EQ(engine.calls.at(1), "GameAction");
    EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "GameRender"), 1);

    engine.calls.clear();
    EXPECT_EQ(engine.MainLoop(), 0);  // exitCode already set: no pass at all
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(EngineLoopTest, UpdatesRunEveryFifteenMillisecondsFromThePassClock)
{
    auto pass = [this](int now) {
        engine.calls.clear();
        engine.RunPass(now);
        return engine.calls.at(1);
    };
    EXPECT_EQ(pass(85), "Update 85");
    EXPECT_EQ(engine.nextTickTime, 100);
    EXPECT_EQ(pass(90), "GameRender");  // 10 ms early: sleeps 9
    EXPECT_EQ(BaseEngine::PacingSleepMs(90, 100), 9);
    EXPECT_EQ(BaseEngine::PacingSleepMs(91, 100), 9);
    EXPECT_EQ(pass(92), "GameRender");  // 8 ms early: runs on
    EXPECT_EQ(BaseEngine::PacingSleepMs(92, 100), 0);
    EXPECT_EQ(pass(100), "Update 100");
    EXPECT_EQ(engine.nextTickTime, 115);
    EXPECT_EQ(pass(140), "Update 140");  // late: no catching up
    EXPECT_EQ(engine.nextTickTime, 155);
    engine.timeOffset = 1000;
    EXPECT_EQ(engine.GetTime(), 1140);
    engine.timeOffset = 0;

    // The clock wraps past INT_MAX: updates go on 15 ms apart.
    EXPECT_EQ(pass(INT_MAX - 4), "Update " + std::to_string(INT_MAX - 4));
    EXPECT_EQ(pass(INT_MAX), "GameRender");
    EXPECT_EQ(BaseEngine::PacingSleepMs(INT_MAX, engine.nextTickTime), 9);
    EXPECT_EQ(pass(INT_MIN + 10), "Update " + std::to_string(INT_MIN + 10));
}

TEST_F(EngineLoopTest, RenderCopiesTheWholeBackgroundOnlyWhenAsked)
{
    const Calls hooks{"DrawStrings", "BeforeDrawObjects", "DrawObjects", "AfterDrawObjects"};
    Calls wholeScreen{"GameRender"};
    wholeScreen.insert(wholeScreen.end(), hooks.begin(), hooks.end());
    Calls changesOnly{"GameRender", "UndrawObjects", "AfterUndraw"};
    changesOnly.insert(changesOnly.end(), hooks.begin(), hooks.end());
    SDL_Surface* fg = engine.GetForeground();
    auto render = [this] {
        engine.calls.clear();
        engine.GameRender();
        return engine.calls;
    };

    // Both flags start set: the first frame copies the yellow background under the text.
    EXPECT_EQ(render(), wholeScreen);
    EXPECT_EQ(PixelAt(fg, 0, 0), kTextMark);
    EXPECT_EQ(PixelsOf(fg, 0xFFFF00).size(), size_t{kWidth * kHeight - 1});
    EXPECT_EQ(Shown(), 0xFFFF00u);

    PixelAt(fg, kWidth - 1, kHeight - 1) = 0x0000FF;
    EXPECT_EQ(render(), Calls{"GameRender"});  // no request: nothing drawn or presented
    EXPECT_EQ(Shown(), 0xFFFF00u);

    engine.FillBackground(0x00FF00);
    engine.RedrawChanges();
    EXPECT_EQ(render(), changesOnly);
    EXPECT_EQ(PixelAt(fg, 1, 0), 0xFFFF00u);
    EXPECT_EQ(Shown(), 0x0000FFu);

    engine.RedrawWholeScreen();
    EXPECT_EQ(render(), wholeScreen);
    EXPECT_EQ(PixelsOf(fg, 0x00FF00).size(), size_t{kWidth * kHeight - 1});
    EXPECT_EQ(Shown(), 0x00FF00u);

    EXPECT_EQ(engine.GetDefaultFont(), nullptr);  // none named to Initialise
    engine.DrawText(0, 0, "Hi", 0xFFFFFF);
    EXPECT_EQ(PixelsOf(fg, 0x00FF00).size(), size_t{kWidth * kHeight - 1});
}

}  // namespace
