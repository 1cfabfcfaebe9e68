#include "EngineTestSupport.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr uint32_t kTextMark = 0x00ABCDEF;  // what DrawStrings leaves at (0, 0)
using Calls = std::vector<std::string>;

std::string Call(const char* name, int value) { return std::string(name) + " " + std::to_string(value); }

// Writes down every key handler and frame step in the order they run.
struct RecordingEngine : TestEngine {
    Calls calls;

    void KeyDown(int key) override
    {
        calls.push_back(Call("KeyDown", key));
        if (key == SDLK_ESCAPE)
            exitCode = 0;
    }
    void KeyUp(int key) override { calls.push_back(Call("KeyUp", key)); }
    void GameAction() override { calls.push_back("GameAction"); TestEngine::GameAction(); }
    void UpdateAllObjects(int time) override { calls.push_back(Call("Update", time)); }
    void GameRender() override { calls.push_back("GameRender"); TestEngine::GameRender(); }
    void UndrawObjects() override { calls.push_back("UndrawObjects"); }
    void AfterUndraw() override { calls.push_back("AfterUndraw"); }
    void DrawStrings() override { calls.push_back("DrawStrings"); PixelAt(GetForeground(), 0, 0) = kTextMark; }
    void BeforeDrawObjects() override { calls.push_back("BeforeDrawObjects"); }
    void DrawObjects() override { calls.push_back("DrawObjects"); }
    void AfterDrawObjects() override { calls.push_back("AfterDrawObjects"); }
};

using EngineLoopTest = EngineTest<RecordingEngine>;

TEST(EngineStart, FailuresReturnOneWithALineOnStandardError)
{
    const std::pair<int, std::string> cases[] = {
        {kWidth, "Unable to init SDL: "},               // no such video driver
        {20000, "Unable to create the window: "},       // wider than any window SDL makes
        {0, "Unable to create the screen texture: "}};  // SDL widens the window to 1, not the texture
    SDL_Quit();  // an earlier test may have started video on the dummy driver
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    for (const auto& [width, message] : cases) {
        TestEngine engine;
        engine.SetKeyPressed(SDLK_b, true);  // no key table before Initialise
        testing::internal::CaptureStderr();
        EXPECT_EQ(engine.Initialise("Vaultrun test", width, kHeight, nullptr, 0), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), message + SDL_GetError() + "\n");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // Nor after a failed start, and no surfaces to draw on.
        PushKey(SDLK_a, true);
        EXPECT_TRUE(engine.RunPass(0));
        EXPECT_FALSE(engine.IsKeyPressed(SDLK_a) || engine.IsKeyPressed(SDLK_b));
    }
}

TEST(KeyTable, CharactersIndexThemselvesListedKeysTheirSlotsAndTheRestZero)
{
    for (const auto& [code, index] :
         {std::pair<int, int>{'a', 'a'}, {127, 127}, {SDLK_UP, 128}, {SDLK_DOWN, 129}, {SDLK_LEFT, 130},
          {SDLK_RIGHT, 131}, {SDLK_KP_ENTER, 164}, {-1, 0}, {128, 0}, {SDLK_F13, 0}, {SDLK_KP_1, 0}})
        EXPECT_EQ(BaseEngine::KeyCodeToIndex(code), index) << code;
}

TEST_F(EngineLoopTest, KeysReachTheHandlersInOrderAQuitEndsThePassAndExitCodeTheLoop)
{
    PushKey(SDLK_LEFT, true);
    PushKey(SDLK_a, true);
    ASSERT_TRUE(engine.RunPass(0));
    EXPECT_TRUE(engine.IsKeyPressed(SDLK_LEFT) && engine.IsKeyPressed(SDLK_a));
    EXPECT_FALSE(engine.IsKeyPressed('A'));  // letters arrive in lower case only

    PushKey(SDLK_a, true, KMOD_NONE, 1);  // auto-repeat
    PushKey(SDLK_LEFT, false);
    PushKey(SDLK_a, false);
    PushKey(SDLK_F13, true);
    engine.calls.clear();
    ASSERT_TRUE(engine.RunPass(1));
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_LEFT) || engine.IsKeyPressed(SDLK_a));
    EXPECT_EQ(engine.calls, (Calls{"KeyDown 97", Call("KeyUp", SDLK_LEFT), "KeyUp 97",
                                   Call("KeyDown", SDLK_F13), "GameAction", "GameRender"}));

    PushKey(SDLK_a, true);
    SDL_Event quit{SDL_QUIT};
    SDL_PushEvent(&quit);
    PushKey(SDLK_b, true);
    engine.calls.clear();
    EXPECT_FALSE(engine.RunPass(2));
    EXPECT_EQ(engine.calls, Calls{"KeyDown 97"});  // no later event, action or render

    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // what the quit left behind
    engine.calls.clear();
    PushKey(SDLK_ESCAPE, true);  // its handler sets exitCode
    EXPECT_EQ(engine.MainLoop(), 0);
    EXPECT_EQ(engine.calls.at(1), "GameAction");  // the rest of that pass, and no other
    EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "GameRender"), 1);
    engine.Deinitialise();
    EXPECT_FALSE(engine.IsKeyPressed(SDLK_a));  // no key table any more
}

TEST_F(EngineLoopTest, UpdatesRunFifteenMillisecondsApartEvenAcrossTheClockWrap)
{
    auto updated = [this](int now) {
        engine.calls.clear();
        engine.RunPass(now);
        return engine.calls.at(1) == Call("Update", now);
    };
    // 9 ms or more before the next tick a pass sleeps 9; 8 ms or less before, it runs on.
    for (const auto& [now, sleep] : {std::pair{90, 9}, {91, 9}, {92, 0}, {100, 0}})
        EXPECT_EQ(BaseEngine::PacingSleepMs(now, 100), sleep) << now;
    for (const auto& [now, due] :
         {std::pair{85, true}, {92, false}, {100, true}, {INT_MAX - 4, true}, {INT_MAX, false}})
        EXPECT_EQ(updated(now), due) << now;
    EXPECT_EQ(BaseEngine::PacingSleepMs(INT_MAX, engine.nextTickTime), 9);
    engine.timeOffset = 1;
    EXPECT_EQ(engine.GetTime(), INT_MIN);  // the game clock wraps with it
    EXPECT_TRUE(updated(INT_MIN + 10));
    // Paused, the schedule paces on without updating objects.
    engine.SetPaused(true);
    EXPECT_FALSE(updated(INT_MIN + 25));
    EXPECT_EQ(BaseEngine::PacingSleepMs(INT_MIN + 26, engine.nextTickTime), 9);
    engine.SetPaused(false);
    EXPECT_TRUE(updated(INT_MIN + 40));
}

TEST_F(EngineLoopTest, AFrameFarBehindRestartsTheScheduleAndAnEndedGameRunsNoFrame)
{
    auto frame = [this](int now) {
        engine.calls.clear();
        return engine.RunFrame(now);
    };
    EXPECT_EQ(frame(1000), 1);  // the first update is due at once
    EXPECT_EQ(frame(1010), 0);  // not yet due: events and drawing only
    EXPECT_EQ(engine.calls.at(0), "GameAction");
    EXPECT_EQ(frame(1060), 4);  // 45 ms late: the missed updates, each on its own time
    EXPECT_EQ(engine.calls.at(1), Call("Update", 1015));
    EXPECT_EQ(frame(2000), 1);  // a hidden page: no flood of updates, the schedule starts again
    EXPECT_EQ(engine.calls.at(1), Call("Update", 2000));
    for (const auto& [now, next, passTime] : {std::tuple{1014, 1015, 1014}, {1015, 1015, 1015}, {1255, 1015, 1015},
                                              {1256, 1015, 1256}, {INT_MIN + 5, INT_MAX - 4, INT_MAX - 4}})
        EXPECT_EQ(BaseEngine::FramePassTime(now, next), passTime) << now << " " << next;
    PushKey(SDLK_ESCAPE, true);  // its handler sets exitCode: that pass still runs
    EXPECT_EQ(frame(2016), 1);
    EXPECT_EQ(frame(2100), -1);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(EngineLoopTest, RenderCopiesTheWholeBackgroundOnlyWhenAskedAndPresentsOnlyOnRequest)
{
    // The steps one render runs, and the bottom-right pixel of the frame last presented.
    auto render = [this] {
        engine.calls.clear();
        engine.GameRender();
        uint32_t shown[kWidth * kHeight] = {};
        SDL_RenderReadPixels(engine.renderer.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, shown, kWidth * 4);
        return std::pair{engine.calls, shown[kWidth * kHeight - 1] & 0x00FFFFFF};
    };
    const Calls whole{"GameRender", "DrawStrings", "BeforeDrawObjects", "DrawObjects", "AfterDrawObjects"};
    Calls changes = whole;
    changes.insert(changes.begin() + 1, {"UndrawObjects", "AfterUndraw"});

    // Both requests start set: the first frame copies the yellow background under the text.
    EXPECT_EQ(render(), std::pair(whole, 0xFFFF00u));
    EXPECT_EQ(PixelAt(engine.GetForeground(), 0, 0), kTextMark);

    PixelAt(engine.GetForeground(), kWidth - 1, kHeight - 1) = 0x0000FF;
    EXPECT_EQ(render(), std::pair(Calls{"GameRender"}, 0xFFFF00u));  // no request: nothing drawn or presented

    engine.FillBackground(0x00FF00);
    engine.RedrawChanges();
    EXPECT_EQ(render(), std::pair(changes, 0x0000FFu));  // the foreground as it was: no background copied

    engine.RedrawWholeScreen();
    EXPECT_EQ(render(), std::pair(whole, 0x00FF00u));
}

// Logs its updates as its letter and its deletion as '~'; 'r' rebuilds the array, as a win does.
struct Probe : DisplayableObject {
    Probe(BaseEngine* engine, std::string* log, char id) : DisplayableObject(engine), log(log), id(id) {}
    ~Probe() override { *log += '~'; }
    void DoUpdate(int) override
    {
        *log += id;
        if (id != 'r')
            return;
        BaseEngine* owner = engine;  // the rebuild deletes this object
        std::string* sink = log;
        owner->CreateObjectArray(4);
        for (int slot = 0; slot < 4; ++slot)
            owner->StoreObjectInArray(slot, std::make_unique<Probe>(owner, sink, 'n'));
    }
    std::string* log;
    char id;
};

TEST(ObjectArray, PassesAndDestroyOldObjectsWalkOnlyToTheFirstEmptySlot)
{
    // Slots ('-' empty), the log of an update pass and DestroyOldObjects, and how many
    // they announce: behind a gap quietly; 'r' replaces three with four and ends its pass.
    for (const auto& [ids, log, announced] : {std::tuple{"abc", "abc~~~", 3}, {"-bc", "~~", 0},
                                              {"a-c", "a~~", 1}, {"arc", "ar~~~~~~~", 7}}) {
        std::string written;
        TestEngine engine;
        const int slots = static_cast<int>(std::strlen(ids));
        engine.CreateObjectArray(slots);
        for (int i = 0; i < slots; ++i)
            if (ids[i] != '-')
                engine.StoreObjectInArray(i, std::make_unique<Probe>(&engine, &written, ids[i]));
        testing::internal::CaptureStdout();
        engine.UpdateAllObjects(0);
        engine.DestroyOldObjects();
        std::string deleted;
        while (announced > static_cast<int>(deleted.size() / 16))
            deleted += "DELETING OBJECT!";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), deleted) << ids;
        EXPECT_EQ(written, log) << ids;
    }
}

}  // namespace
