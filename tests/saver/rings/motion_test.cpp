#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ring_trees.h"
#include "saver/rings/rings.h"

namespace {

RingTree Built(int number, bool sync, std::uint32_t seed = 3)
{
    RingOptions options;
    options.number = number;
    options.sync = sync;
    return BuildTree(options, seed);
}

// The signed difference of two angles, in (−π, π].
double AngleDelta(double to, double from)
{
    double d = std::fmod(to - from, 2 * kPi);
    if (d > kPi)
        d -= 2 * kPi;
    if (d <= -kPi)
        d += 2 * kPi;
    return d;
}

TEST(RingMotion, TheFirstTickOnlyRecordsTheTime)
{
    RingTree tree = Built(8, false);
    RingTree before = tree;
    Motion motion;
    EXPECT_FALSE(AdvanceMotion(motion, tree, 0.45, 5000));
    EXPECT_EQ(5000u, motion.lastTime);
    EXPECT_EQ(before.angle, tree.angle);
    EXPECT_EQ(0.0, motion.rotX);
    EXPECT_EQ(0.0, motion.camPhase);
    EXPECT_TRUE(AdvanceMotion(motion, tree, 0.45, 5010));
    EXPECT_NE(before.angle, tree.angle);
}

TEST(RingMotion, ALongPauseAdvancesByTheFullElapsedTime)
{
    RingTree tree = Built(8, false);
    RingTree before = tree;
    Motion motion;
    AdvanceMotion(motion, tree, 0.45, 1000);
    ASSERT_TRUE(AdvanceMotion(motion, tree, 0.45, 1000 + 10000)); // ten seconds: dt 100
    for (int i = 0; i < tree.ringCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_GE(tree.angle[i], 0.0);
        ASSERT_LT(tree.angle[i], 2 * kPi);
        double expected = before.angle[i] + before.spin[i] * 100.0;
        EXPECT_NEAR(0.0, AngleDelta(tree.angle[i], expected), 1e-4);
    }
    EXPECT_NEAR(45.0, motion.rotX, 1e-4);
    EXPECT_NEAR(45.0, motion.rotZ, 1e-4);
    EXPECT_NEAR(0.45, motion.camStep, 1e-6);
    EXPECT_NEAR(0.45, motion.camPhase, 1e-6);
}

TEST(RingMotion, NegativeSpinsWrapIntoAFullTurn)
{
    RingTree tree = Built(4, false);
    for (int i = 0; i < tree.ringCount; ++i) {
        tree.angle[i] = 0.001f;
        tree.spin[i] = -0.5f;
    }
    Motion motion;
    AdvanceMotion(motion, tree, 0, 1);
    AdvanceMotion(motion, tree, 0, 11); // dt 0.1: −0.049
    for (int i = 0; i < tree.ringCount; ++i)
        EXPECT_NEAR(2 * kPi - 0.049, tree.angle[i], 1e-5);
}

TEST(RingMotion, TheClockWrapsAfterFortyNineDays)
{
    RingTree tree = Built(3, false);
    Motion motion;
    motion.lastTime = 0xfffffff0u;
    ASSERT_TRUE(AdvanceMotion(motion, tree, 1.0, 0x10u));
    EXPECT_NEAR(0.32, motion.rotY, 1e-6);
    EXPECT_EQ(0x10u, motion.lastTime);
}

TEST(RingMotion, CameraRotationsStayBelowAFullTurn)
{
    RingTree tree = Built(1, false);
    Motion motion;
    AdvanceMotion(motion, tree, 3.0, 1);
    AdvanceMotion(motion, tree, 3.0, 1 + 15000); // dt 150: 450 degrees
    EXPECT_NEAR(90.0, motion.rotX, 1e-3);
    EXPECT_NEAR(std::fmod(4.5, 2 * kPi), motion.camPhase, 1e-5);
}

TEST(RingMotion, StillCameraStaysStill)
{
    RingTree tree = Built(3, false);
    Motion motion;
    for (std::uint32_t t = 1; t < 1000; t += 7)
        AdvanceMotion(motion, tree, 0.0, t);
    EXPECT_EQ(0.0, motion.camPhase);
    EXPECT_EQ(0.0, motion.rotX);
    Vec3 eye = EyePosition(motion.camPhase, 0.0);
    EXPECT_EQ(2.0, eye.z);
}

// Ticks of stepMs milliseconds until the clock reads target (the last tick
// may be shorter), the way the animation timer drives the saver.
void TickUntil(Motion& motion, RingTree& tree, double camera, std::uint32_t target,
               std::uint32_t stepMs)
{
    while (motion.lastTime != target) {
        std::uint32_t left = target - motion.lastTime;
        AdvanceMotion(motion, tree, camera, motion.lastTime + (left < stepMs ? left : stepMs));
    }
}

// With sync on, every ring stands at π/2 one eighth of a period after the
// reset and again every whole period later, all night long. One time unit
// is 100 ms; the ticks land on whole milliseconds, and only the rest of a
// millisecond before each meeting is extrapolated.
TEST(RingMotion, SyncedRingsMeetAtAQuarterTurnEveryPeriodAllNight)
{
    const struct { int number; double hours; std::uint32_t stepMs; } cases[] = {
        {3, 8, 1},      // an eight-hour night at the saver's 1 ms frames
        {8, 1, 16},     // 255 rings at the frames of a 60 Hz display
        {15, 0.05, 100}, // the deepest tree, slowly drawn, over its first periods
    };
    const double camera = 0.45;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Number " << c.number << ", " << c.hours << " h");
        RingTree tree = Built(c.number, true);
        ASSERT_GT(tree.period, 0.0);
        // Clear of the clock's wrap: a tick that reads 0 counts as a first
        // tick again (0 means "no frame yet") and would skip a millisecond.
        const std::uint32_t start = 1000;
        Motion motion;
        AdvanceMotion(motion, tree, camera, start);
        const double nightUnits = c.hours * 36000;
        int meetings = 0;
        double worst = 0;
        for (double units = tree.period / 8; units <= nightUnits; units += tree.period) {
            std::uint32_t elapsedMs = static_cast<std::uint32_t>(std::floor(units * 100));
            TickUntil(motion, tree, camera, start + elapsedMs, c.stepMs);
            double rest = units - elapsedMs * 0.01;
            for (int i = 0; i < tree.ringCount; ++i)
                worst = std::max(worst, std::fabs(AngleDelta(tree.angle[i] + tree.spin[i] * rest,
                                                             kPi / 2)));
            ++meetings;
        }
        EXPECT_GE(meetings, c.hours * 36000 / tree.period - 1);
        EXPECT_LT(worst, 1e-6) << "radians off a quarter turn, over " << meetings << " meetings";

        // The camera has turned by exactly the time that passed.
        const double elapsed = static_cast<std::uint32_t>(motion.lastTime - start) * 0.01;
        EXPECT_NEAR(0.0, AngleDelta(motion.camPhase, camera * 0.01 * elapsed), 1e-6);
        double rot = std::fmod(camera * elapsed, 360.0);
        EXPECT_NEAR(0.0, AngleDelta(motion.rotX * kPi / 180, rot * kPi / 180), 1e-6);
        EXPECT_EQ(motion.rotX, motion.rotZ);
    }
}

// Eight hours at a frame a millisecond: angles and camera stay bounded, and
// every part keeps moving at its speed to the end.
TEST(RingMotion, EightHoursStayBoundedAndKeepMoving)
{
    RingTree tree = Built(3, false);
    tree.spin[1] = -std::fabs(tree.spin[1]);
    tree.spin[2] = std::fabs(tree.spin[2]);
    const double camera = 0.45;
    const std::uint32_t hourMs = 3600u * 1000u;
    const std::uint32_t start = 0xffff0000u; // the clock wraps during the run
    Motion motion;
    AdvanceMotion(motion, tree, camera, start);

    std::vector<double> travelled(tree.ringCount);
    for (int hour = 0; hour < 8; ++hour) {
        SCOPED_TRACE(hour);
        double phaseTravel = 0, rotTravel = 0;
        std::fill(travelled.begin(), travelled.end(), 0.0);
        long stuck = 0;
        for (std::uint32_t ms = 1; ms <= hourMs; ++ms) {
            double phase = motion.camPhase, rot = motion.rotX;
            std::vector<double>& angle = tree.angle;
            double a1 = angle[1], a2 = angle[2];
            AdvanceMotion(motion, tree, camera, motion.lastTime + 1);
            stuck += motion.camPhase == phase || motion.rotX == rot;
            phaseTravel += AngleDelta(motion.camPhase, phase);
            double r = motion.rotX - rot;
            rotTravel += r < 0 ? r + 360 : r;
            travelled[1] += AngleDelta(angle[1], a1);
            travelled[2] += AngleDelta(angle[2], a2);
            if (!(motion.camPhase >= 0 && motion.camPhase < 2 * kPi && motion.rotX >= 0 &&
                  motion.rotX < 360 && motion.rotY < 360 && motion.rotZ < 360 && angle[1] >= 0 &&
                  angle[1] < 2 * kPi && angle[2] >= 0 && angle[2] < 2 * kPi))
                FAIL() << "out of bounds at ms " << ms;
        }
        // The one tick after the clock reads 0 (the wrap, in the first hour)
        // counts as a first tick again: 0 means "no frame yet".
        EXPECT_EQ(hour == 0 ? 1 : 0, stuck);
        // One hour is 36000 time units, less the first hour's tick that
        // only recorded the time; every part moves at its speed throughout.
        const double units = hour == 0 ? 36000 - 0.01 : 36000;
        EXPECT_NEAR(camera * 0.01 * units, phaseTravel, 1e-6);
        EXPECT_NEAR(camera * units, rotTravel, 1e-4);
        for (int i : {1, 2})
            EXPECT_NEAR(tree.spin[i] * units, travelled[i], 1e-6) << "ring " << i;
    }
    for (int i = 0; i < tree.ringCount; ++i) {
        EXPECT_GE(tree.angle[i], 0.0);
        EXPECT_LT(tree.angle[i], 2 * kPi);
        EXPECT_LT(TiltIndex(tree.angle[i]), kTiltSteps);
    }
}

} // namespace
