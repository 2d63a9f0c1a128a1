#include <gtest/gtest.h>

#include <cmath>

#include "saver/rings/rings.h"

namespace {

RingTree Built(int number, bool sync, std::uint32_t seed = 3)
{
    RingOptions options;
    options.number = number;
    options.sync = sync;
    RingRandom random(seed);
    RingTree tree;
    BuildRings(tree, options, random);
    return tree;
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
    EXPECT_EQ(0.0f, motion.rotX);
    EXPECT_EQ(0.0f, motion.camPhase);
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
        ASSERT_GE(tree.angle[i], 0.0f);
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
    EXPECT_EQ(0.0f, motion.camPhase);
    EXPECT_EQ(0.0f, motion.rotX);
    Vec3 eye = EyePosition(motion.camPhase, 0.0);
    EXPECT_EQ(2.0, eye.z);
}

// With sync on, every ring stands at π/2 one eighth of a period after the
// reset and again a whole period later.
TEST(RingMotion, SyncedRingsReachAQuarterTurnTogether)
{
    for (int number : {3, 8}) {
        SCOPED_TRACE(number);
        RingTree tree = Built(number, true);
        ASSERT_GT(tree.period, 0.0);
        Motion motion;
        const std::uint32_t start = 100;
        AdvanceMotion(motion, tree, 0.45, start);
        for (double units : {tree.period / 8, tree.period / 8 + tree.period}) {
            SCOPED_TRACE(units);
            std::uint32_t target = start + static_cast<std::uint32_t>(std::lround(units * 10));
            while (motion.lastTime + 5 <= target)
                AdvanceMotion(motion, tree, 0.45, motion.lastTime + 5);
            if (motion.lastTime != target)
                AdvanceMotion(motion, tree, 0.45, target);
            // The tick lands on a whole millisecond; allow for the rest.
            double early = units - (target - start) * 0.01;
            for (int i = 0; i < tree.ringCount; ++i)
                ASSERT_NEAR(0.0, AngleDelta(tree.angle[i] + tree.spin[i] * early, kPi / 2), 5e-3)
                    << "ring " << i;
        }
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
            float phase = motion.camPhase, rot = motion.rotX;
            std::vector<float>& angle = tree.angle;
            float a1 = angle[1], a2 = angle[2];
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
        // One hour is 36000 time units; single-precision steps may round a
        // little, but never lose the motion.
        const double units = 36000;
        EXPECT_NEAR(camera * 0.01 * units, phaseTravel, 0.02 * camera * 0.01 * units);
        EXPECT_NEAR(camera * units, rotTravel, 0.02 * camera * units);
        for (int i : {1, 2})
            EXPECT_NEAR(tree.spin[i] * units, travelled[i], 0.02 * std::fabs(tree.spin[i]) * units)
                << "ring " << i;
    }
    for (int i = 0; i < tree.ringCount; ++i) {
        EXPECT_GE(tree.angle[i], 0.0f);
        EXPECT_LT(tree.angle[i], 2 * kPi);
        EXPECT_LT(TiltIndex(tree.angle[i]), kTiltSteps);
    }
}

} // namespace
