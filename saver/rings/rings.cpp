#include "saver/rings/rings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPiF = 6.2831855f;

int ClampNumber(int number)
{
    return std::min(kMaxNumber, std::max(kMinNumber, number));
}

void FillRing(RingTree& tree, int index, double a, double b, bool still, RingRandom& random)
{
    if (index >= tree.ringCount)
        return;
    double mid = (a + b) * 0.5;
    tree.centre[index] = static_cast<float>(mid);
    tree.radius[index] = static_cast<float>((a - b) * 0.5);
    tree.angle[index] = still ? 0.0 : RandAngle(random);
    FillRing(tree, 2 * index + 1, mid, b, still, random);
    FillRing(tree, 2 * index + 2, a, mid, still, random);
}

void RandomSpins(RingTree& tree, double velocity, RingRandom& random)
{
    for (int i = 0; i < tree.ringCount; ++i) {
        double base = std::sqrt(static_cast<double>(RingDepth(i))) * velocity;
        double lo = base * 0.5;
        double hi = base + lo;
        if (hi > kTwoPiF)
            hi = kTwoPiF;
        // The factor is an angle in [0, 2π), not a fraction: spins reach
        // nearly lo + (hi − lo) · 2π.
        double spin = (hi - lo) * RandAngle(random) + lo;
        if (RandAngle(random) > kPi)
            spin = -spin;
        tree.spin[i] = spin;
    }
}

// Every ring turns a whole number of times per period, and all stand at π/2
// one eighth of a period after the reset.
void SynchroniseSpins(RingTree& tree)
{
    int n = std::min(tree.ringCount, 7);
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += std::fabs(tree.spin[i]);
    double average = n > 0 ? sum / n : 0;
    if (average == 0)
        return;
    double period = 62.831852 / average;
    tree.period = period;
    for (int i = 0; i < tree.ringCount; ++i) {
        double sign = tree.spin[i] > 0 ? 1.0 : -1.0;
        double turns = std::floor(period * std::fabs(tree.spin[i]) * 0.5 * (1 / kPi) + 0.5);
        tree.spin[i] = turns * 2 * kPi / period * sign;
    }
    for (int i = 0; i < tree.ringCount; ++i)
        tree.angle[i] = WrapAngle(kPi / 2 - period * 0.125 * tree.spin[i]);
}

double Wrap(double value, double full)
{
    // A frame's step rarely crosses more than one turn: no remainder needed.
    if (value >= 0 && value < full)
        return value;
    double r = value >= full && value < 2 * full ? value - full
               : value < 0 && value >= -full  ? value + full
                                              : std::fmod(value, full);
    if (r < 0)
        r += full;
    if (r >= full) // a tiny negative value rounds up to full
        r = 0;
    return r;
}

} // namespace

int RingRandom::Next()
{
    // The classic linear congruential generator of the C runtimes.
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7fff);
}

float RandAngle(RingRandom& random)
{
    return static_cast<float>((random.Next() % 10000) * 2 * kPi * 0.0001);
}

int RingDepth(int index)
{
    int depth = 0;
    for (unsigned n = static_cast<unsigned>(index) + 1; n != 0; n >>= 1)
        ++depth;
    return depth;
}

void BuildRings(RingTree& tree, const RingOptions& options, RingRandom& random)
{
    tree.ringCount = (1 << ClampNumber(options.number)) - 1;
    tree.centre.assign(tree.ringCount, 0.0f);
    tree.radius.assign(tree.ringCount, 0.0f);
    tree.angle.assign(tree.ringCount, 0.0f);
    tree.spin.assign(tree.ringCount, 0.0f);
    FillRing(tree, 0, 1.0, -1.0, options.velocity == 0, random);
    BuildLevels(tree, options);
    BuildSpins(tree, options, random);
}

void BuildLevels(RingTree& tree, const RingOptions& options)
{
    tree.levelCount = RingDepth(tree.ringCount);
    tree.segments.assign(tree.levelCount, 0);
    tree.levelSin.assign(tree.levelCount, {});
    tree.levelCos.assign(tree.levelCount, {});
    double x = options.extraDetail ? 60 * 2 : 40;
    double factor = options.extraDetail ? 0.95 : 0.8;
    for (int level = 0; level < tree.levelCount; ++level) {
        int n = std::max(5, static_cast<int>(std::floor(x + 0.5)));
        tree.segments[level] = n;
        x *= factor;
        tree.levelSin[level].resize(n);
        tree.levelCos[level].resize(n);
        for (int k = 0; k < n; ++k) {
            double a = k * 2 * kPi / n;
            tree.levelSin[level][k] = static_cast<float>(std::sin(a));
            tree.levelCos[level][k] = static_cast<float>(std::cos(a));
        }
    }
}

void BuildSpins(RingTree& tree, const RingOptions& options, RingRandom& random)
{
    if (tree.ringCount == 0 || static_cast<int>(tree.spin.size()) != tree.ringCount)
        return;
    tree.period = 0;
    RandomSpins(tree, options.velocity, random);
    if (options.sync)
        SynchroniseSpins(tree);
}

void BuildTilt(TiltTable& table)
{
    for (int k = 0; k < kTiltSteps; ++k) {
        double a = k * 2 * kPi / kTiltSteps;
        table.sin[k] = static_cast<float>(std::sin(a));
        table.cos[k] = static_cast<float>(std::cos(a));
    }
}

int TiltIndex(double angle)
{
    double scaled = kTiltSteps * angle * 0.5 * (1 / kPi);
    if (!std::isfinite(scaled))
        return 0;
    // The motion keeps angles within a turn: no remainder to take, which
    // would be a call into the runtime for every ring of every frame.
    double j = std::trunc(scaled);
    if (j >= 0 && j < kTiltSteps)
        return static_cast<int>(j);
    // A remainder, not a loop: an angle of many turns costs no more.
    j = std::fmod(j, static_cast<double>(kTiltSteps));
    int index = static_cast<int>(j);
    if (index < 0)
        index += kTiltSteps;
    return index;
}

double WrapAngle(double angle)
{
    return Wrap(angle, kTwoPi);
}

Rgb HsvToRgb(double hue, double saturation)
{
    int degrees = static_cast<int>(std::floor(hue * 360));
    int d = ((degrees % 360) + 360) % 360;
    int sector = d / 60;
    double fraction = d / 60.0 - sector;
    float p = static_cast<float>(1 - saturation);
    float q = static_cast<float>(1 - saturation * fraction);
    float t = static_cast<float>(1 - (1 - fraction) * saturation);
    switch (sector) {
    case 0: return {1, t, p};
    case 1: return {q, 1, p};
    case 2: return {p, 1, t};
    case 3: return {p, q, 1};
    case 4: return {t, p, 1};
    default: return {1, p, q};
    }
}

int MaxLevel(const RingTree& tree)
{
    return tree.ringCount > 0 ? RingDepth(tree.ringCount - 1) - 1 : 0;
}

float LevelAlpha(int level, int maxLevel)
{
    if (maxLevel <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(level) / maxLevel * 0.8);
}

RingLook RingLookOf(const RingTree& tree, int index, const LookOptions& options)
{
    RingLook look{};
    look.drawLogo = options.useImage && index == kLogoRing && index < tree.ringCount;
    look.logo = {1, 1, 1, options.monochrome ? 1.0f : 0.7f};

    look.drawFill = !options.monochrome && index != 0;
    if (options.monochrome) {
        // Neither the fill nor a hue is drawn: every ring of every frame
        // would pay for two colour conversions it never shows.
        look.fill = {1, 1, 1, 0};
        look.outline = {1, 1, 1, 1};
        return look;
    }
    int level = RingDepth(index) - 1;
    double hue = (tree.centre[index] + 1.0) * 0.5;
    float alpha = LevelAlpha(level, MaxLevel(tree));
    Rgb fill = HsvToRgb(hue, 0.5);
    look.fill = {fill.r, fill.g, fill.b, look.drawLogo ? alpha * 0.95f : alpha};

    if (index == 0) {
        look.outline = {0.5f, 0.5f, 0.5f, options.flat ? 0.6f : 0.5f};
    } else {
        Rgb rim = HsvToRgb(hue, 0.7);
        look.outline = {rim.r, rim.g, rim.b, std::min(1.0f, alpha * 1.1f)};
    }
    return look;
}

bool AdvanceMotion(Motion& motion, RingTree& tree, double camera, std::uint32_t now)
{
    if (motion.lastTime == 0) {
        motion.lastTime = now;
        return false;
    }
    // Unsigned difference: right across the 49.7-day wrap of the clock.
    double dt = 0.01 * static_cast<std::uint32_t>(now - motion.lastTime);
    motion.lastTime = now;

    // Summed in double precision and kept bounded: a millisecond's step is
    // about 1e-4 of a turn, which single precision rounds by up to a tenth
    // of a percent, always the same way, so that after hours the rings of a
    // synchronised tree no longer meet. Double precision keeps the error of
    // an eight-hour night far below a pixel.
    double turn = camera * dt;
    motion.rotX = Wrap(motion.rotX + turn, 360.0);
    motion.rotY = Wrap(motion.rotY + turn, 360.0);
    motion.rotZ = Wrap(motion.rotZ + turn, 360.0);
    motion.camStep = camera * 0.01 * dt;
    motion.camPhase = WrapAngle(motion.camPhase + motion.camStep);

    for (int i = 0; i < tree.ringCount; ++i)
        tree.angle[i] = WrapAngle(tree.angle[i] + tree.spin[i] * dt);
    return true;
}

Vec3 EyePosition(double camPhase, double camera)
{
    if (camPhase == 0 && camera == 0)
        return {0, 0, 2};
    double span = kEyeFar - kEyeNear;
    return {0, kEyeNear + span * (std::sin(camPhase) + 1) / 2,
            kEyeNear + span * (std::cos(camPhase) + 1) / 2};
}
