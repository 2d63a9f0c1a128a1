// The frame schedule and the swap's pacing check, on made-up clocks.
#include <gtest/gtest.h>

#include "saver/rings/frame_schedule.h"

namespace {

// At 60 Hz every deadline comes from the one start: a minute of frames
// drawn the moment they are due ends at exactly 60 s, with no late one.
TEST(FrameSchedule, DeadlinesComeFromOneStartAndDoNotDrift)
{
    FrameSchedule schedule;
    schedule.Start(60, 1000);
    std::uint64_t now = 1000;
    std::uint64_t shortest = ~0ull, longest = 0;
    for (int frame = 1; frame <= 3600; ++frame) {
        std::uint64_t wait = schedule.WaitAfterFrame(now + 2000); // 2 ms a frame
        shortest = std::min(shortest, wait + 2000);
        longest = std::max(longest, wait + 2000);
        now += 2000 + wait;
    }
    EXPECT_EQ(1000u + 60u * 1000000u, now);
    EXPECT_EQ(16666u, shortest);
    EXPECT_EQ(16667u, longest);
    EXPECT_EQ(0u, schedule.Late());
}

// A late frame goes at once; the next is due at the end of the slot the
// late one fell in, not at once again to catch up.
TEST(FrameSchedule, ALateFrameGoesAtOnceAndNothingBunchesAfterIt)
{
    const struct {
        std::uint64_t frameEnd; // after frame 0, drawn at 0 (period 10000 us)
        std::uint64_t wait;
        std::uint64_t nextWait; // the frame after, drawn in 1 ms
    } cases[] = {
        {4000, 6000, 9000},    // on time
        {10000, 0, 9000},      // ends just as the next is due: late
        {25000, 0, 4000},      // in the third slot: due at 30000
        {1000000, 0, 9000},    // a long stall: no hundred frames after it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frameEnd);
        FrameSchedule schedule;
        schedule.Start(100, 0);
        std::uint64_t wait = schedule.WaitAfterFrame(c.frameEnd);
        EXPECT_EQ(c.wait, wait);
        EXPECT_EQ(c.nextWait, schedule.WaitAfterFrame(c.frameEnd + wait + 1000));
        EXPECT_EQ(c.wait == 0 ? 1u : 0u, schedule.Late());
    }
}

TEST(FrameSchedule, ARateOfNothingIsOneFrameASecond)
{
    FrameSchedule schedule;
    schedule.Start(0, 0);
    EXPECT_EQ(1u, schedule.Rate());
    EXPECT_EQ(999000u, schedule.WaitAfterFrame(1000));
}

// Frames at the rate, a few queued ahead, pass; frames far above it, or
// with no wait at all, show a swap that does not wait for the refresh.
TEST(SwapPaceCheck, TellsASwapThatWaitsFromOneThatDoesNot)
{
    const struct {
        const char* name;
        std::uint64_t firstFrames; // quick frames at the start (queued swaps)
        std::uint64_t interval;    // us between the others
        bool paces;
    } cases[] = {
        {"at the rate", 0, 16667, true},
        {"three queued, then the rate", 3, 16667, true},
        {"at 80 Hz on a 60 Hz schedule", 0, 12500, false},
        {"as fast as they are drawn", 0, 2000, false},
        {"a little fast", 0, 15000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SwapPaceCheck check;
        check.Start(60, 0);
        std::uint64_t now = 0;
        bool paces = true;
        for (int frame = 0; frame < 400; ++frame) {
            now += frame < static_cast<int>(c.firstFrames) ? 100 : c.interval;
            paces = check.SwapPaces(now);
        }
        EXPECT_EQ(c.paces, paces);
        EXPECT_EQ(c.paces, check.SwapPaces(now + 1)) << "the answer stays";
    }
}

} // namespace
