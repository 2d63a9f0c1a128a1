#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "ring_trees.h"
#include "saver/rings/rings.h"

namespace {

RingTree Built(int number, double velocity = 0.015, bool sync = true, std::uint32_t seed = 7)
{
    RingOptions options;
    options.number = number;
    options.velocity = velocity;
    options.sync = sync;
    return BuildTree(options, seed);
}

TEST(RingRandom, AnglesLieInTenThousandStepsOfAFullTurn)
{
    RingRandom random(12345);
    std::set<long> steps;
    for (int n = 0; n < 20000; ++n) {
        float a = RandAngle(random);
        ASSERT_GE(a, 0.0f);
        ASSERT_LT(a, 2 * kPi);
        double step = a / (2 * kPi * 0.0001);
        ASSERT_NEAR(std::round(step), step, 1e-2);
        steps.insert(std::lround(step));
    }
    EXPECT_GT(steps.size(), 8000u);
}

TEST(RingRandom, TheSameSeedGivesTheSameTree)
{
    RingTree a = Built(6, 0.015, false, 99), b = Built(6, 0.015, false, 99);
    EXPECT_EQ(a.angle, b.angle);
    EXPECT_EQ(a.spin, b.spin);
    RingTree c = Built(6, 0.015, false, 100);
    EXPECT_NE(a.angle, c.angle);
}

TEST(RingTree, DepthOfHeapIndices)
{
    const struct { int index, depth; } cases[] = {
        {0, 1}, {1, 2}, {2, 2}, {3, 3}, {6, 3}, {7, 4}, {254, 8}, {255, 9}, {32766, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(c.depth, RingDepth(c.index));
    }
}

TEST(RingTree, CountsAndLevelsFollowTheNumber)
{
    const struct { int number, rings; } cases[] = {{1, 1}, {2, 3}, {8, 255}, {15, 32767}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        RingTree tree = Built(c.number);
        EXPECT_EQ(c.rings, tree.ringCount);
        EXPECT_EQ(c.number + 1, tree.levelCount);
        EXPECT_EQ(static_cast<std::size_t>(c.rings), tree.angle.size());
        EXPECT_EQ(c.number - 1, MaxLevel(tree));
    }
}

TEST(RingTree, ANumberOutsideOneToFifteenIsClamped)
{
    EXPECT_EQ(1, Built(0).ringCount);
    EXPECT_EQ(1, Built(-4).ringCount);
    EXPECT_EQ(32767, Built(16).ringCount);
}

TEST(RingTree, ChildrenHalveTheParentAndSplitItsInterval)
{
    RingTree tree = Built(8);
    EXPECT_FLOAT_EQ(0.0f, tree.centre[0]);
    EXPECT_FLOAT_EQ(1.0f, tree.radius[0]);
    for (int i = 0; 2 * i + 2 < tree.ringCount; ++i) {
        SCOPED_TRACE(i);
        int left = 2 * i + 1, right = 2 * i + 2;
        EXPECT_FLOAT_EQ(tree.radius[i] / 2, tree.radius[left]);
        EXPECT_FLOAT_EQ(tree.radius[i] / 2, tree.radius[right]);
        // The first child takes the lower half of the interval.
        EXPECT_FLOAT_EQ(tree.centre[i] - tree.radius[i] / 2, tree.centre[left]);
        EXPECT_FLOAT_EQ(tree.centre[i] + tree.radius[i] / 2, tree.centre[right]);
    }
    for (int i = 0; i < tree.ringCount; ++i) {
        EXPECT_LE(tree.centre[i] + tree.radius[i], 1.0f);
        EXPECT_GE(tree.centre[i] - tree.radius[i], -1.0f);
    }
}

TEST(RingLevels, SegmentsFallByAFifthButNeverBelowFive)
{
    RingTree tree = Built(15);
    const int expected[] = {40, 32, 26, 20, 16, 13, 10, 8, 7, 5, 5, 5, 5, 5, 5, 5};
    ASSERT_EQ(16, tree.levelCount);
    for (int level = 0; level < tree.levelCount; ++level) {
        SCOPED_TRACE(level);
        EXPECT_EQ(expected[level], tree.segments[level]);
    }
}

TEST(RingLevels, ExtraDetailStartsAt120AndFallsSlowly)
{
    RingOptions options;
    options.extraDetail = true;
    RingTree tree = Built(8);
    BuildLevels(tree, options);
    EXPECT_EQ(120, tree.segments[0]);
    EXPECT_EQ(114, tree.segments[1]);
    for (int level = 1; level < tree.levelCount; ++level)
        EXPECT_LE(tree.segments[level], tree.segments[level - 1]);
}

TEST(RingLevels, TablesHoldAFullTurnPerLevel)
{
    RingTree tree = Built(4);
    for (int level = 0; level < tree.levelCount; ++level) {
        SCOPED_TRACE(level);
        int n = tree.segments[level];
        ASSERT_EQ(static_cast<std::size_t>(n), tree.levelSin[level].size());
        EXPECT_FLOAT_EQ(1.0f, tree.levelCos[level][0]);
        EXPECT_FLOAT_EQ(0.0f, tree.levelSin[level][0]);
        for (int k = 0; k < n; ++k)
            EXPECT_NEAR(1.0, std::hypot(tree.levelSin[level][k], tree.levelCos[level][k]), 1e-6);
        EXPECT_NEAR(std::sin(2 * kPi / n), tree.levelSin[level][1], 1e-6);
    }
}

TEST(RingSpins, UnsyncedSpinsStayWithinTheirDepthsBandAndTakeBothDirections)
{
    const double velocity = 0.05;
    RingTree tree = Built(10, velocity, false);
    int negative = 0;
    for (int i = 0; i < tree.ringCount; ++i) {
        double base = std::sqrt(RingDepth(i)) * velocity;
        double lo = base * 0.5, hi = base * 1.5;
        double magnitude = std::fabs(tree.spin[i]);
        ASSERT_GE(magnitude, lo - 1e-6);
        ASSERT_LT(magnitude, lo + (hi - lo) * 2 * kPi + 1e-6);
        negative += tree.spin[i] < 0;
    }
    // An even chance of either direction over 1023 rings.
    EXPECT_GT(negative, 400);
    EXPECT_LT(negative, 623);
}

TEST(RingSpins, ZeroVelocityGivesAStillPictureEvenWithSync)
{
    for (bool sync : {false, true}) {
        SCOPED_TRACE(sync);
        RingTree tree = Built(8, 0.0, sync);
        for (int i = 0; i < tree.ringCount; ++i) {
            ASSERT_EQ(0.0f, tree.angle[i]);
            ASSERT_EQ(0.0f, std::fabs(tree.spin[i]));
        }
    }
}

TEST(RingSpins, SyncedSpinsTurnWholeTimesPerPeriod)
{
    for (int number : {3, 8, 15}) {
        SCOPED_TRACE(number);
        RingTree tree = Built(number, 0.015, true);
        ASSERT_GT(tree.period, 0.0);
        for (int i = 0; i < tree.ringCount; ++i) {
            double turns = tree.spin[i] * tree.period / (2 * kPi);
            ASSERT_NEAR(std::round(turns), turns, 1e-3) << "ring " << i;
            ASSERT_GE(tree.angle[i], 0.0f);
            ASSERT_LE(tree.angle[i], 2 * kPi);
        }
    }
}

TEST(RingSpins, BuildSpinsWithoutRingsDoesNothing)
{
    RingTree tree;
    RingRandom random;
    BuildSpins(tree, RingOptions{}, random);
    EXPECT_EQ(0, tree.ringCount);
}

TEST(RingTilt, TableAndIndexCoverAFullTurnInFiveHundredSteps)
{
    TiltTable table;
    BuildTilt(table);
    EXPECT_FLOAT_EQ(0.0f, table.sin[0]);
    EXPECT_FLOAT_EQ(1.0f, table.cos[0]);
    EXPECT_NEAR(1.0, table.sin[125], 1e-6);
    EXPECT_NEAR(-1.0, table.cos[250], 1e-6);

    const struct { double angle; int index; } cases[] = {
        {0, 0}, {kPi / 2, 125}, {kPi, 250}, {2 * kPi - 1e-4, 499},
        {2 * kPi + 0.01, 0}, {-0.01, 0}, {-kPi / 2, 375}, {-1e5, 0}, {1e5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        int index = TiltIndex(static_cast<float>(c.angle));
        ASSERT_GE(index, 0);
        ASSERT_LT(index, kTiltSteps);
        // trunc toward zero, then reduced: the same rule for any angle.
        double scaled = std::trunc(kTiltSteps * static_cast<double>(static_cast<float>(c.angle)) / (2 * kPi));
        int expected = static_cast<int>(std::fmod(scaled, 500.0));
        if (expected < 0)
            expected += 500;
        EXPECT_EQ(expected, index);
        if (std::fabs(c.angle) < 10) {
            EXPECT_EQ(c.index, index);
        }
    }
    EXPECT_EQ(0, TiltIndex(NAN));
    EXPECT_EQ(0, TiltIndex(INFINITY));
}

TEST(RingColour, HsvSectorsAtFullSaturation)
{
    const struct { double hue; Rgb rgb; } cases[] = {
        {0.0, {1, 0, 0}}, {1.0 / 6, {1, 1, 0}}, {2.0 / 6, {0, 1, 0}}, {0.5, {0, 1, 1}},
        {4.0 / 6, {0, 0, 1}}, {5.0 / 6, {1, 0, 1}}, {1.0, {1, 0, 0}}, {0.25, {0.5, 1, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hue);
        Rgb rgb = HsvToRgb(c.hue, 1.0);
        EXPECT_NEAR(c.rgb.r, rgb.r, 0.02);
        EXPECT_NEAR(c.rgb.g, rgb.g, 0.02);
        EXPECT_NEAR(c.rgb.b, rgb.b, 0.02);
    }
}

TEST(RingColour, SaturationLiftsTheLowestChannel)
{
    for (double hue = 0; hue <= 1.0; hue += 0.01) {
        SCOPED_TRACE(hue);
        for (double s : {0.5, 0.7}) {
            Rgb rgb = HsvToRgb(hue, s);
            float lowest = std::min(rgb.r, std::min(rgb.g, rgb.b));
            float highest = std::max(rgb.r, std::max(rgb.g, rgb.b));
            EXPECT_NEAR(1 - s, lowest, 1e-6);
            EXPECT_FLOAT_EQ(1.0f, highest);
        }
    }
}

TEST(RingColour, LevelAlphaRunsFromRootToDeepest)
{
    EXPECT_FLOAT_EQ(0.0f, LevelAlpha(0, 7));
    EXPECT_FLOAT_EQ(0.8f, LevelAlpha(7, 7));
    EXPECT_FLOAT_EQ(0.4f, LevelAlpha(2, 4));
    EXPECT_FLOAT_EQ(0.0f, LevelAlpha(0, 0)); // only the root: no division by zero
}

TEST(RingColour, NumberOneDrawsOnlyAGreyOutline)
{
    RingTree tree = Built(1);
    for (bool flat : {false, true}) {
        SCOPED_TRACE(flat);
        LookOptions options;
        options.flat = flat;
        options.monochrome = false;
        RingLook look = RingLookOf(tree, 0, options);
        EXPECT_FALSE(look.drawFill);
        EXPECT_FALSE(look.drawLogo);
        EXPECT_FLOAT_EQ(0.5f, look.outline.r);
        EXPECT_FLOAT_EQ(0.5f, look.outline.g);
        EXPECT_FLOAT_EQ(0.5f, look.outline.b);
        EXPECT_FLOAT_EQ(flat ? 0.6f : 0.5f, look.outline.a);
    }
}

TEST(RingColour, MonochromeIsWhiteOutlinesAndAnOpaqueLogo)
{
    RingTree tree = Built(8);
    LookOptions options;
    for (int i = 0; i < tree.ringCount; ++i) {
        RingLook look = RingLookOf(tree, i, options);
        ASSERT_FALSE(look.drawFill);
        ASSERT_EQ(i == kLogoRing, look.drawLogo);
        ASSERT_EQ(1.0f, look.outline.r);
        ASSERT_EQ(1.0f, look.outline.a);
    }
    EXPECT_FLOAT_EQ(1.0f, RingLookOf(tree, kLogoRing, options).logo.a);
}

TEST(RingColour, ColourFillsFadeInWithDepth)
{
    RingTree tree = Built(8);
    LookOptions options;
    options.monochrome = false;
    RingLook logo = RingLookOf(tree, kLogoRing, options);
    EXPECT_FLOAT_EQ(0.7f, logo.logo.a);
    EXPECT_FLOAT_EQ(LevelAlpha(2, 7) * 0.95f, logo.fill.a);
    options.useImage = false;
    EXPECT_FLOAT_EQ(LevelAlpha(2, 7), RingLookOf(tree, kLogoRing, options).fill.a);

    RingLook deepest = RingLookOf(tree, 254, options);
    EXPECT_TRUE(deepest.drawFill);
    EXPECT_FLOAT_EQ(0.8f, deepest.fill.a);
    EXPECT_FLOAT_EQ(0.88f, deepest.outline.a);
    // Ring 254 sits near +1 on the axis: its hue is nearly a full turn (red).
    EXPECT_FLOAT_EQ(1.0f, deepest.fill.r);
}

TEST(RingColour, NoLogoRingForNumberOneAndTwo)
{
    for (int number : {1, 2}) {
        SCOPED_TRACE(number);
        RingTree tree = Built(number);
        LookOptions options;
        for (int i = 0; i < tree.ringCount; ++i)
            EXPECT_FALSE(RingLookOf(tree, i, options).drawLogo);
    }
    EXPECT_TRUE(RingLookOf(Built(3), kLogoRing, LookOptions{}).drawLogo);
}

TEST(RingCamera, StillCameraLooksFromTwoUnitsAway)
{
    Vec3 eye = EyePosition(0, 0);
    EXPECT_EQ(0, eye.x);
    EXPECT_EQ(0, eye.y);
    EXPECT_EQ(2, eye.z);
    // Camera speed alone moves the eye onto its orbit.
    eye = EyePosition(0, 0.45);
    EXPECT_NEAR(kEyeNear + (kEyeFar - kEyeNear) / 2, eye.y, 1e-9);
    EXPECT_NEAR(kEyeFar, eye.z, 1e-9);
    eye = EyePosition(static_cast<float>(kPi), 0.45);
    EXPECT_NEAR(kEyeNear, eye.z, 1e-6);
}

} // namespace
