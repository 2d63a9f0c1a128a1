// The animation timer under Wine, in this process: its events on the
// creating thread, its pace, and the record its worker shares with it.
#include <gtest/gtest.h>
#include <windows.h>

#include "saver/framework/anim_timer.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 10000;
const FramePace kEveryMs{1000, false};
const FramePace kEveryTenMinutes{600000000, false};

using support::PumpUntil;

struct Counter {
    long events = 0;
    DWORD thread = 0;
    TAnimTimer* stopFrom = nullptr; // stops this timer from inside the event
};

void CountEvent(void* context)
{
    Counter* counter = static_cast<Counter*>(context);
    ++counter->events;
    counter->thread = GetCurrentThreadId();
    if (counter->stopFrom)
        counter->stopFrom->Stop();
}

TEST(AnimTimer, EventsRunOnTheCreatingThread)
{
    Counter counter;
    {
        TAnimTimer timer(&CountEvent, &counter);
        timer.Pace = kEveryMs;
        ASSERT_TRUE(timer.Start());
        EXPECT_TRUE(timer.Running());
        EXPECT_TRUE(PumpUntil([&] { return counter.events >= 30; }, kWaitMs));
        EXPECT_EQ(GetCurrentThreadId(), counter.thread);
    }
    // The worker ends after the component: the last one frees the record.
    EXPECT_TRUE(PumpUntil([] { return AnimSharedRecords() == 0; }, kWaitMs));
}

TEST(AnimTimer, DisabledTimerRunsNoEvents)
{
    Counter counter;
    TAnimTimer timer(&CountEvent, &counter);
    timer.Enabled = false;
    timer.Pace = kEveryMs;
    ASSERT_TRUE(timer.Start());
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(0, counter.events);
    EXPECT_TRUE(timer.Running());
    timer.Enabled = true;
    EXPECT_TRUE(PumpUntil([&] { return counter.events >= 3; }, kWaitMs));
}

TEST(AnimTimer, AlertCutsALongWaitShort)
{
    Counter counter;
    TAnimTimer timer(&CountEvent, &counter);
    timer.Pace = kEveryTenMinutes;
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(PumpUntil([&] { return counter.events >= 1; }, kWaitMs));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(1, counter.events);
    timer.Alert();
    EXPECT_TRUE(PumpUntil([&] { return counter.events >= 2; }, kWaitMs));
}

TEST(AnimTimer, StoppingFromTheEventEndsTheWorker)
{
    Counter counter;
    TAnimTimer timer(&CountEvent, &counter);
    counter.stopFrom = &timer;
    timer.Pace = kEveryMs;
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(PumpUntil([&] { return counter.events >= 1; }, kWaitMs));
    EXPECT_FALSE(timer.Running());
    EXPECT_TRUE(PumpUntil([] { return AnimSharedRecords() == 0; }, kWaitMs));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(1, counter.events);
}

TEST(AnimTimer, ManyTimersComeAndGo)
{
    for (int i = 0; i < 20; ++i) {
        Counter counter;
        TAnimTimer timer(&CountEvent, &counter);
        timer.Pace = kEveryMs;
        ASSERT_TRUE(timer.Start());
        if (i % 2) {
            ASSERT_TRUE(PumpUntil([&] { return counter.events >= 1; }, kWaitMs));
        }
    }
    EXPECT_TRUE(PumpUntil([] { return AnimSharedRecords() == 0; }, kWaitMs));
}

// A new pace holds from the frame after the event that set it: from ten
// minutes apart to a millisecond, once the long wait is cut short.
TEST(AnimTimer, ANewPaceHoldsFromTheNextFrame)
{
    Counter counter;
    TAnimTimer timer(&CountEvent, &counter);
    timer.Pace = kEveryTenMinutes;
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(PumpUntil([&] { return counter.events >= 1; }, kWaitMs));
    timer.Pace = kEveryMs;
    timer.Alert();
    EXPECT_TRUE(PumpUntil([&] { return counter.events >= 20; }, kWaitMs));
    timer.Pace = kEveryTenMinutes;
    long settled = 0;
    PumpUntil([&] { return false; }, 200); // the frame under way takes the new pace
    settled = counter.events;
    PumpUntil([&] { return false; }, 300);
    EXPECT_EQ(settled, counter.events) << "ten minutes apart again";
}

} // namespace
