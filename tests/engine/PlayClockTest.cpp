#include "PlayClock.h"

#include <gtest/gtest.h>

#include <climits>

TEST(PlayClock, CountsOnlyRunningTimeAcrossTheClockWrapAndNeverBackwards)
{
    PlayClock clock;
    clock.Start(INT_MAX - 999);
    EXPECT_EQ(clock.ElapsedMs(INT_MIN + 1000), 2000);  // across the wrap
    clock.Pause(INT_MIN + 4000);
    clock.Pause(INT_MIN + 950000);  // paused already: nothing changes
    EXPECT_EQ(clock.ElapsedMs(INT_MIN + 900000), 5000);
    clock.Resume(100);
    clock.Resume(5000);  // running already: the 100 stands
    EXPECT_EQ(clock.ElapsedMs(1100), 6000);
    EXPECT_EQ(clock.ElapsedMs(50), 5000);  // a reading from before the resume adds nothing
    clock.Start(7);
    EXPECT_EQ(clock.ElapsedMs(7), 0);
}
