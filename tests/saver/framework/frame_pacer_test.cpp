// The frame pacer, its schedule and the swap's pacing check, on made-up
// clocks (microseconds).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "saver/framework/frame_pacer.h"

namespace {

TEST(FramePeriod, NoRefreshSeesTwoFrames)
{
    struct Row {
        unsigned hz;
        std::uint32_t us;
    } rows[] = {{0, 16667}, {1, 16667}, {60, 16667}, {50, 20000}, {75, 13334}, {85, 11765},
                {144, 6945}, {1000, 1000}, {5000, 200}, {0xFFFFFFFFu, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hz);
        std::uint32_t us = FramePeriodUs(row.hz);
        EXPECT_EQ(row.us, us);
        unsigned hz = row.hz > 1 ? row.hz : 60;
        EXPECT_GE(static_cast<double>(us), 1e6 / hz) << "at most one frame per refresh";
    }
}

// Every deadline comes from the one start: a minute of frames drawn the
// moment they are due ends at exactly 3600 periods, with no late one.
TEST(FrameSchedule, DeadlinesComeFromOneStartAndDoNotDrift)
{
    FrameSchedule schedule;
    schedule.Start(16667, 1000);
    std::uint64_t now = 1000;
    std::uint64_t shortest = ~0ull, longest = 0;
    for (int frame = 1; frame <= 3600; ++frame) {
        // 2 ms a frame, and every wait ending up to 3 ms late by turns.
        std::uint64_t wait = schedule.WaitAfterFrame(now + 2000);
        std::uint64_t overshoot = frame % 2 ? 3000 : 0;
        shortest = std::min(shortest, wait + 2000 + overshoot);
        longest = std::max(longest, wait + 2000 + overshoot);
        now += 2000 + wait + overshoot;
    }
    EXPECT_EQ(1000u + 3600u * 16667u, now);
    EXPECT_EQ(13667u, shortest) << "a late wake-up shortens the next wait";
    EXPECT_EQ(19667u, longest);
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
        schedule.Start(10000, 0);
        std::uint64_t wait = schedule.WaitAfterFrame(c.frameEnd);
        EXPECT_EQ(c.wait, wait);
        EXPECT_EQ(c.nextWait, schedule.WaitAfterFrame(c.frameEnd + wait + 1000));
        EXPECT_EQ(c.wait == 0 ? 1u : 0u, schedule.Late());
    }
}

TEST(FrameSchedule, APeriodOfNothingIsOneMicrosecond)
{
    FrameSchedule schedule;
    schedule.Start(0, 0);
    EXPECT_EQ(1u, schedule.PeriodUs());
    EXPECT_EQ(0u, schedule.WaitAfterFrame(1000));
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
        check.Start(16667, 0);
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

// Frames drawn in 2 ms each, one after another as the pacer says; returns
// the waits it gave, in order.
struct PacedRun {
    FramePacer pacer;
    std::uint64_t now = 0;
    std::vector<std::uint64_t> waits;

    void Frames(const FramePace& pace, int count, std::uint64_t drawUs = 2000)
    {
        for (int i = 0; i < count; ++i) {
            now += drawUs;
            std::uint64_t wait = pacer.WaitAfterFrame(pace, now);
            waits.push_back(wait);
            now += wait;
        }
    }
};

// The pacer's switching: which of its two ways paces, and from when, as the
// pace changes and as the swap shows whether it waits.
TEST(FramePacer, SwitchesBetweenTheSwapAndTheScheduleAsThePaceAndTheSwapSay)
{
    const FramePace at60{16667, false};
    const FramePace at50{20000, false};
    const FramePace swap60{16667, true};
    const FramePace uncapped{0, false};

    {
        SCOPED_TRACE("the schedule paces from the first frame");
        PacedRun run;
        run.Frames(at60, 3);
        // The frame that brings a pace starts its schedule.
        EXPECT_EQ((std::vector<std::uint64_t>{16667, 14667, 14667}), run.waits);
        EXPECT_FALSE(run.pacer.SwapPacing());
    }
    {
        SCOPED_TRACE("a rate change starts a schedule of the new period at once");
        PacedRun run;
        run.Frames(at60, 2);
        run.Frames(at50, 2);
        EXPECT_EQ((std::vector<std::uint64_t>{16667, 14667, 20000, 18000}), run.waits);
        EXPECT_EQ(0u, run.pacer.Late()) << "the new schedule is not behind the old one";
    }
    {
        // Under a display server with no refresh to wait for, the swaps
        // return at once: half a second at 500 frames a second tells.
        SCOPED_TRACE("the swap check gives up and the schedule takes over");
        PacedRun run;
        run.Frames(swap60, 300);
        auto firstPaced = std::find_if(run.waits.begin(), run.waits.end(),
                                       [](std::uint64_t w) { return w != 0; });
        ASSERT_NE(run.waits.end(), firstPaced);
        std::size_t given = static_cast<std::size_t>(firstPaced - run.waits.begin());
        EXPECT_EQ(250u, given) << "no waits for the first half second (2 ms frames)";
        EXPECT_EQ(16667u, *firstPaced) << "a schedule from the frame that gave up";
        EXPECT_FALSE(run.pacer.SwapPacing());
        for (auto it = firstPaced + 1; it != run.waits.end(); ++it)
            EXPECT_EQ(14667u, *it);
    }
    {
        // Each swap waits out the refresh (16.7 ms a frame here, drawing
        // included): the pacer adds no wait of its own.
        SCOPED_TRACE("a swap that waits keeps pacing");
        PacedRun run;
        run.Frames(swap60, 120, 16667);
        EXPECT_TRUE(run.pacer.SwapPacing());
        EXPECT_EQ(0u, *std::max_element(run.waits.begin(), run.waits.end()));
    }
    {
        SCOPED_TRACE("a context without swap control hands back to the schedule");
        PacedRun run;
        run.Frames(swap60, 10, 16667);
        run.Frames(at60, 2);
        EXPECT_FALSE(run.pacer.SwapPacing());
        EXPECT_EQ((std::vector<std::uint64_t>{16667, 14667}),
                  std::vector<std::uint64_t>(run.waits.end() - 2, run.waits.end()));
    }
    {
        SCOPED_TRACE("a period of nothing: frames as fast as they are drawn");
        PacedRun run;
        run.Frames(uncapped, 5);
        EXPECT_EQ(std::vector<std::uint64_t>(5, 0), run.waits);
    }
}

} // namespace
