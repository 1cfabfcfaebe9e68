#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string Deleted(int times)
{
    std::string all;
    while (times-- > 0)
        all += "DELETING OBJECT!";
    return all;
}

// Logs its updates as its letter, its draws in upper case and its deletion as
// '~'. Object 'r' rebuilds the array from its update, as the game does on a win.
class Probe : public DisplayableObject {
public:
    Probe(BaseEngine* engine, std::string* log, char id) : DisplayableObject(engine), log(log), id(id) {}
    ~Probe() override { *log += '~'; }
    void Draw() override { *log += static_cast<char>(id - 'a' + 'A'); }
    void DoUpdate(int) override
    {
        *log += id;
        if (id != 'r')
            return;
        BaseEngine* owner = engine;  // the rebuild deletes this object
        std::string* sink = log;
        owner->CreateObjectArray(1);
        owner->StoreObjectInArray(0, std::make_unique<Probe>(owner, sink, 'n'));
    }

private:
    std::string* log;
    char id;
};

// One slot per letter of ids, '-' leaving a slot empty.
void Fill(TestEngine& engine, std::string& log, const std::string& ids)
{
    engine.CreateObjectArray(static_cast<int>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i] != '-')
            engine.StoreObjectInArray(static_cast<int>(i), std::make_unique<Probe>(&engine, &log, ids[i]));
}

TEST(ObjectArray, PassesWalkToTheFirstEmptySlotAndStopWhenTheArrayIsRebuilt)
{
    TestEngine engine;
    std::string log;
    engine.objectsChanged = true;
    engine.UpdateAllObjects(0);  // no slots at all
    EXPECT_FALSE(engine.objectsChanged);
    EXPECT_EQ(engine.GetDisplayableObject(0), nullptr);

    Fill(engine, log, std::string(16, 'a') + "-");
    EXPECT_EQ(engine.GetDisplayableObject(17), nullptr);  // the terminator
    EXPECT_THROW(engine.StoreObjectInArray(18, nullptr), std::out_of_range);
    EXPECT_THROW(engine.StoreObjectInArray(-1, nullptr), std::out_of_range);
    engine.UpdateAllObjects(0);
    EXPECT_EQ(log, std::string(16, 'a'));

    log.clear();
    testing::internal::CaptureStdout();
    Fill(engine, log, "arc");  // a second array deletes the whole first one
    engine.UpdateAllObjects(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), Deleted(16 + 3));
    EXPECT_EQ(log, std::string(16, '~') + "ar~~~");
    EXPECT_TRUE(engine.objectsChanged);
    engine.DrawObjects();  // starts afresh on the new array
    EXPECT_EQ(log.back(), 'N');
}

TEST(ObjectArray, DestroyOldObjectsAnnouncesEachWalkedObject)
{
    std::string log;
    auto destroyed = [](TestEngine& engine) {
        testing::internal::CaptureStdout();
        engine.DestroyOldObjects();
        return testing::internal::GetCapturedStdout();
    };
    TestEngine engine;
    Fill(engine, log, "abc");
    EXPECT_EQ(destroyed(engine), Deleted(3));
    EXPECT_EQ(log, "~~~");
    EXPECT_TRUE(engine.objectsChanged);
    EXPECT_EQ(engine.GetDisplayableObject(0), nullptr);

    // Behind an empty slot objects are neither walked nor announced, but still released.
    Fill(engine, log, "-bc");
    EXPECT_EQ(engine.GetDisplayableObject(1), nullptr);  // an empty first slot empties the array
    EXPECT_EQ(destroyed(engine), "");
    Fill(engine, log, "a-c");
    engine.UpdateAllObjects(0);
    EXPECT_EQ(destroyed(engine), Deleted(1));
    EXPECT_EQ(log, "~~~~~a~~");

    testing::internal::CaptureStdout();
    {
        TestEngine doomed;
        Fill(doomed, log, "ab");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), Deleted(2));
    EXPECT_EQ(log, "~~~~~a~~~~");
}

}  // namespace
