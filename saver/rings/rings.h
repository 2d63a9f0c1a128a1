// The ring tree and its motion: tree fill, level tables, spins, sync, tilt,
// colours and the time step. No windows.h: also built natively.
#pragma once
#include <cstdint>
#include <vector>

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
constexpr int kTiltSteps = 500;
constexpr int kMinNumber = 1;
constexpr int kMaxNumber = 15;

// The pseudo-random source of the animation: yields 0 … 32767. The saver
// seeds it with the time in seconds; tests seed it with a fixed value.
class RingRandom {
public:
    explicit RingRandom(std::uint32_t seed = 1) : state_(seed) {}
    void Seed(std::uint32_t seed) { state_ = seed; }
    int Next();

private:
    std::uint32_t state_;
};

// A random angle in [0, 2π) in steps of 2π/10000.
float RandAngle(RingRandom& random);

// depth(i) = floor(log2(i + 1)) + 1: 1 for the root, 2 for rings 1 and 2, …
int RingDepth(int index);

// What the tree is built from (the settings Number, Velocity, Sync, ExtraDetail).
struct RingOptions {
    int number = 8;          // tree depth, 1 … 15 (clamped)
    double velocity = 0.015; // spin speed scale
    bool sync = true;
    bool extraDetail = false;
};

// The rings in heap order: ring i has the children 2i+1 and 2i+2.
struct RingTree {
    int ringCount = 0;
    int levelCount = 0;
    std::vector<float> centre; // position on the tree's axis, −1 … +1
    std::vector<float> radius; // 1 for the root, halved at each level
    // Angles and spins in double precision: the angles are summed every
    // frame for hours, and synchronised rings must meet again at the end.
    std::vector<double> angle; // radians, kept in [0, 2π)
    std::vector<double> spin;  // radians per time unit of 100 ms
    std::vector<int> segments; // per level
    std::vector<std::vector<float>> levelSin, levelCos; // per level, segments[level] entries
    double period = 0;         // the sync period in time units, 0 when not synchronised
};

// Recomputes ringCount, fills the tree, then BuildLevels and BuildSpins.
void BuildRings(RingTree& tree, const RingOptions& options, RingRandom& random);
// Recomputes levelCount, segments and the level sine and cosine tables.
void BuildLevels(RingTree& tree, const RingOptions& options);
// Recomputes the spins and, with sync on, the angles.
void BuildSpins(RingTree& tree, const RingOptions& options, RingRandom& random);

// The tilt table of the 3D style: kTiltSteps entries of sin and cos.
struct TiltTable {
    float sin[kTiltSteps];
    float cos[kTiltSteps];
};
void BuildTilt(TiltTable& table);

// The tilt-table entry for an angle in radians, always 0 … 499, for any
// finite angle (negative or many turns).
int TiltIndex(double angle);

// An angle reduced into [0, 2π).
double WrapAngle(double angle);

struct Rgb {
    float r, g, b;
};
// HSV with value 1; hue in [0, 1], saturation in [0, 1].
Rgb HsvToRgb(double hue, double saturation);

// The deepest level of the tree (depth(ringCount − 1) − 1): 0 for Number 1.
int MaxLevel(const RingTree& tree);
// level / maxLevel · 0.8; 0 when maxLevel is 0 (only the root exists then).
float LevelAlpha(int level, int maxLevel);

// How one ring is coloured this frame.
struct RgbaColour {
    float r, g, b, a;
};
inline bool SameColour(const RgbaColour& x, const RgbaColour& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}
struct RingLook {
    bool drawFill;
    RgbaColour fill;
    bool drawLogo;
    RgbaColour logo; // white; the texture modulates it
    RgbaColour outline;
};
struct LookOptions {
    bool flat = false;
    bool monochrome = true;
    bool useImage = true;
};
// The logo rides on ring 3 (the second ring of the third level).
constexpr int kLogoRing = 3;
RingLook RingLookOf(const RingTree& tree, int index, const LookOptions& options);

// The camera and the clock of the animation, in double precision like the
// ring angles: a night of millisecond steps must not lose or gain a turn.
struct Motion {
    double rotX = 0, rotY = 0, rotZ = 0; // degrees, kept in [0, 360)
    double camPhase = 0;                 // radians, kept in [0, 2π)
    double camStep = 0;                  // last increment of camPhase
    std::uint32_t lastTime = 0;          // milliseconds, 0 = no frame yet
};

// One timer event at time now (milliseconds, as timeGetTime gives them):
// the first event only records the time; later ones advance the camera and
// every ring by dt = 0.01 · (now − lastTime) time units (one unit is
// 100 ms), with no clamping.
// Returns true when anything moved (a repaint is due).
bool AdvanceMotion(Motion& motion, RingTree& tree, double camera, std::uint32_t now);

struct Vec3 {
    double x, y, z;
};
constexpr double kEyeNear = 0.01;
constexpr double kEyeFar = 2.4;
// Where the camera looks from (it looks at the origin, up is +y).
Vec3 EyePosition(double camPhase, double camera);
