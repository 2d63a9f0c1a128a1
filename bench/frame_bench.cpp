// Frame benchmark: the saver's real drawing path (TOrbelleScene::DrawFrame
// through the sgl layer and the panel's swap) at the saver's usual size,
// against the same frame drawn by a plain immediate-mode loop straight on
// opengl32. Prints one table row per case. Not a test: it asserts nothing
// and its figures depend on the machine.
//
// Every timed frame is of one fixed moment, so that both ways draw the very
// same pixels (the "diff px" column checks it) and the ratio shows only
// what the walk, the sink and the layer cost. Beside them, the raw replay
// through the sgl forwarders ("fwd") and into the saver's immediate-mode
// sink ("sink": the forwarders and the sink's virtual calls, no walk), and
// the walk alone and moving the rings (the timer event), show where ours
// spends what the raw loop does not.
//
//   frame_bench [seconds per round]   (default 0.6)
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/raw_frame.h"
#include "common/text.h"
#include "saver/framework/panel.h"
#include "saver/framework/sgl.h"
#include "saver/rings/logo_file.h"
#include "saver/rings/orbelle_scene.h"
#include "saver/rings/scene_window.h"
#include "saver/rings/sgl_sinks.h"

namespace {

const int kWidth = 1024, kHeight = 768;
const std::uint32_t kSeed = 4242;
const int kWarmUpFrames = 3;
const int kMinFrames = 5;
const int kRounds = 5;        // ours and raw take turns; the best round counts (a busy
                              // machine only ever makes a round slower)
const int kMotionSteps = 200; // timer events timed on their own

struct BenchCase {
    int number;
    bool flat, monochrome;
};

const BenchCase kCases[] = {
    {8, false, true},  {8, false, false},  {8, true, true},  {8, true, false},
    {15, false, true}, {15, false, false}, {15, true, true}, {15, true, false},
};

using Pixels = std::vector<unsigned char>;

double Seconds()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Keeps the window's thread answering between runs.
void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Timing {
    long frames = 0;
    double seconds = 0;
    double Ms() const { return frames ? seconds * 1000.0 / frames : 0; }
    double Fps() const { return seconds > 0 ? frames / seconds : 0; }
};

// A few frames first (llvmpipe compiles its shaders on first use), then
// frames until the time is up; the finish call makes the clock include
// every frame the driver still had queued.
template <typename Draw, typename Finish>
Timing TimeFrames(Draw draw, Finish finish, double minSeconds)
{
    for (int i = 0; i < kWarmUpFrames; ++i)
        draw();
    finish();
    Timing timing;
    double start = Seconds();
    do {
        draw();
        ++timing.frames;
    } while (timing.frames < kMinFrames || Seconds() - start < minSeconds);
    finish();
    timing.seconds = Seconds() - start;
    return timing;
}

Timing Better(const Timing& a, const Timing& b)
{
    if (a.frames == 0)
        return b;
    return b.frames && b.Ms() < a.Ms() ? b : a;
}

// Reads the back buffer before the swap when asked to.
class BenchOwner : public TSceneWindowOwner {
public:
    explicit BenchOwner(TOrbelleScene& scene) : TSceneWindowOwner(scene) {}
    void FrameDrawn(TSglPanel&) override
    {
        if (!capture)
            return;
        capture = false;
        pixels.assign(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
        sglPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!sglReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data()))
            pixels.clear();
    }
    bool capture = false;
    Pixels pixels;
};

Pixels ReadRawPixels()
{
    Pixels pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Pixels whose colour differs by more than rounding; -1 when either frame
// could not be read.
long DifferingPixels(const Pixels& a, const Pixels& b)
{
    if (a.empty() || a.size() != b.size())
        return -1;
    long differing = 0;
    for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
        int d = 0;
        for (int c = 0; c < 3; ++c)
            d = std::max(d, std::abs(a[i + c] - b[i + c]));
        differing += d > 2;
    }
    return differing;
}

// What the scene's walk reads besides the tree, worked out as DrawFrame
// does: the look of the settings and the logo's part of its texture.
struct WalkInputs {
    bool flat = false;
    LookOptions look;
    TexRect tex;
    TiltTable tilt;
};

void PrepareWalk(TOrbelleScene& scene, WalkInputs& inputs)
{
    const OrbelleSettings& settings = scene.Settings();
    LogoTexture logo = LoadLogoTexture(GetModuleHandleA(nullptr), settings.fileName);
    inputs.flat = settings.flat;
    inputs.look = SceneLook(settings, logo);
    inputs.tex = LogoTexRect(logo);
    BuildTilt(inputs.tilt);
}

void Walk(const RingTree& tree, const WalkInputs& in, RingSink& sink)
{
    if (in.flat)
        DrawFlat(tree, in.look, in.tex, sink);
    else
        Draw3D(tree, in.tilt, in.look, in.tex, sink);
}

// The scene's walk of this moment, recorded for the raw loop; the counts
// size the record. False when the record had to be cut.
bool RecordWalk(const RingTree& tree, const WalkInputs& in, RawFrame& frame, CountingSink& counted)
{
    Walk(tree, in, counted);
    RecordingSink recorder(frame, counted.shapes, counted.vertices);
    Walk(tree, in, recorder);
    return !recorder.Cut();
}

// The model-view matrix TOrbelleScene::DrawFrame sets up for this moment
// (the same camera steps, made once here so the raw loop only loads it).
void RecordCamera(TOrbelleScene& scene, GLdouble modelview[16])
{
    const Motion& motion = scene.MotionState();
    Vec3 eye = EyePosition(motion.camPhase, scene.Settings().camera);
    sglMatrixMode(GL_MODELVIEW);
    sglPushMatrix();
    sglLoadIdentity();
    sgluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, 0, 1, 0);
    sglRotatef(motion.rotX, 1, 0, 0);
    sglRotatef(motion.rotY, 0, 1, 0);
    sglRotatef(motion.rotZ, 0, 0, 1);
    sglGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    sglPopMatrix();
}

// The tree walk alone into a counting sink: the CPU part of a frame that
// the raw loop does not do (no OpenGL calls at all).
double WalkMs(const RingTree& tree, const WalkInputs& in, double minSeconds)
{
    long walks = 0;
    double start = Seconds(), elapsed = 0;
    do {
        CountingSink sink;
        Walk(tree, in, sink);
        ++walks;
        elapsed = Seconds() - start;
    } while (walks < kMinFrames || elapsed < minSeconds);
    return elapsed * 1000.0 / walks;
}

// Timer events at the saver's pace (10 ms apart), per event.
double MotionMs(TOrbelleScene& scene)
{
    std::uint32_t now = 3500;
    double start = Seconds();
    for (int i = 0; i < kMotionSteps; ++i)
        scene.AdvanceTo(now += 10);
    return (Seconds() - start) * 1000.0 / kMotionSteps;
}

struct CaseResult {
    bool ran = false;
    char error[256] = "";
    int rings = 0;
    CountingSink counted;
    Timing ours, raw;
    Timing forwarded, sunk; // the raw replay through the sgl forwarders; into the saver's sink
    double walkMs = 0, motionMs = 0;
    long differing = -1;
    bool arrays = false; // ours drew from vertex arrays
};

void PrintRenderer()
{
    const GLubyte* renderer = sglGetString(GL_RENDERER);
    const GLubyte* version = sglGetString(GL_VERSION);
    std::printf("renderer: %s, OpenGL %s\n",
                renderer ? reinterpret_cast<const char*>(renderer) : "?",
                version ? reinterpret_cast<const char*>(version) : "?");
}

// What every frame costs before any ring: clearing and swapping the
// window's size, straight on opengl32.
void PrintEmptyFrame(TSglPanel& panel, double seconds)
{
    HDC dc = panel.DC();
    auto empty = [&] {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(dc);
    };
    Timing best;
    for (int round = 0; round < kRounds; ++round) {
        PumpMessages();
        best = Better(best, TimeFrames(empty, [] { glFinish(); }, seconds));
    }
    std::printf("empty frame (clear and swap only): %.1f fps, %.2f ms\n", best.Fps(), best.Ms());
}

// Draws this moment once both ways and compares the back buffers.
long CompareFrames(TSglPanel& panel, BenchOwner& owner, const RawFrame& raw)
{
    owner.capture = true;
    panel.Paint();
    DrawRawFrame(raw);
    Pixels rawPixels = ReadRawPixels();
    SwapBuffers(panel.DC());
    return DifferingPixels(owner.pixels, rawPixels);
}

void MeasureOnPanel(TSglPanel& panel, BenchOwner& owner, TOrbelleScene& scene, double seconds,
                    CaseResult& result)
{
    static RawFrame raw;      // up to tens of megabytes: kept off the stack
    static WalkInputs inputs; // its tilt table too
    PrepareWalk(scene, inputs);
    if (!RecordWalk(scene.Tree(), inputs, raw, result.counted)) {
        FormatText(result.error, sizeof result.error, "frame too large to record");
        return;
    }
    RecordCamera(scene, raw.modelview);
    result.differing = CompareFrames(panel, owner, raw);
    HDC dc = panel.DC();
    auto ours = [&] { panel.Paint(); };
    auto plain = [&] {
        DrawRawFrame(raw);
        SwapBuffers(dc);
    };
    auto forwarded = [&] {
        DrawRawFrameSgl(raw);
        SwapBuffers(dc);
    };
    auto sunk = [&] {
        SglImmediateSink sink;
        DrawRawFrameInto(raw, sink);
        SwapBuffers(dc);
    };
    for (int round = 0; round < kRounds; ++round) {
        PumpMessages();
        result.ours = Better(result.ours, TimeFrames(ours, [] { sglFinish(); }, seconds));
        PumpMessages();
        result.raw = Better(result.raw, TimeFrames(plain, [] { glFinish(); }, seconds));
        PumpMessages();
        result.forwarded = Better(result.forwarded, TimeFrames(forwarded, [] { glFinish(); }, seconds));
        PumpMessages();
        result.sunk = Better(result.sunk, TimeFrames(sunk, [] { glFinish(); }, seconds));
    }
    result.walkMs = WalkMs(scene.Tree(), inputs, seconds / 2);
    result.arrays = scene.FrameFromArrays();
    result.motionMs = MotionMs(scene);
    result.ran = true;
}

OrbelleSettings SettingsOf(const BenchCase& c)
{
    OrbelleSettings settings = DefaultSettings();
    settings.number = c.number;
    settings.flat = c.flat;
    settings.monochrome = c.monochrome;
    return settings;
}

void RunCase(const BenchCase& c, double seconds, bool first, CaseResult& result)
{
    TOrbelleScene scene(SettingsOf(c), kSeed);
    // The moment of the reference images: 25 time units in.
    scene.AdvanceTo(1000);
    scene.AdvanceTo(1000 + 2500);
    result.rings = scene.Tree().ringCount;
    HWND window = MakeSceneWindow(kWidth, kHeight);
    if (!window) {
        FormatText(result.error, sizeof result.error, "no window (error %lu)", GetLastError());
        return;
    }
    BenchOwner owner(scene);
    {
        TSglPanel panel(window, &owner);
        if (panel.GLHandleNeeded()) {
            if (first) {
                PrintRenderer();
                PrintEmptyFrame(panel, seconds);
            }
            MeasureOnPanel(panel, owner, scene, seconds, result);
        } else {
            FormatText(result.error, sizeof result.error, "no OpenGL context: %s", owner.Error());
        }
    }
    DestroyWindow(window);
    PumpMessages();
}

void CaseName(const BenchCase& c, char* text, std::size_t size)
{
    FormatText(text, size, "N%-2d %-4s %s", c.number, c.flat ? "flat" : "3D",
               c.monochrome ? "mono" : "colour");
}

void PrintHeader()
{
    std::printf("%-16s %6s %7s %8s %9s %8s %9s %8s %8s %7s %8s %8s %9s %7s %s\n", "case", "rings",
                "shapes", "vertices", "ours fps", "ours ms", "raw fps", "raw ms", "ours/raw",
                "fwd ms", "sink ms", "walk ms", "motion ms", "diff px", "path");
}

void PrintRow(const BenchCase& c, const CaseResult& r)
{
    char name[32];
    CaseName(c, name, sizeof name);
    if (!r.ran) {
        std::printf("%-16s failed: %s\n", name, r.error);
        return;
    }
    double ratio = r.raw.Ms() > 0 ? r.ours.Ms() / r.raw.Ms() : 0;
    std::printf("%-16s %6d %7lu %8lu %9.1f %8.2f %9.1f %8.2f %8.2f %7.2f %8.2f %8.3f %9.3f %7ld %s\n",
                name, r.rings, static_cast<unsigned long>(r.counted.shapes),
                static_cast<unsigned long>(r.counted.vertices), r.ours.Fps(), r.ours.Ms(),
                r.raw.Fps(), r.raw.Ms(), ratio, r.forwarded.Ms(), r.sunk.Ms(), r.walkMs,
                r.motionMs, r.differing,
                r.arrays ? "arrays" : "immediate");
}

double SecondsArgument(int argc, char** argv)
{
    double seconds = argc > 1 ? std::strtod(argv[1], nullptr) : 0.6;
    if (!(seconds >= 0.1))
        seconds = 0.1;
    return seconds > 60 ? 60 : seconds;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = SecondsArgument(argc, argv);
    std::printf("Orbelle frame benchmark: %d x %d, seed %u, %d rounds of %.1f s per case "
                "(best round)\n", kWidth, kHeight, static_cast<unsigned>(kSeed), kRounds, seconds);
    std::fflush(stdout);
    bool allRan = true;
    bool first = true;
    for (const BenchCase& c : kCases) {
        CaseResult result;
        RunCase(c, seconds, first, result);
        if (first)
            PrintHeader();
        first = false;
        PrintRow(c, result);
        std::fflush(stdout);
        allRan = allRan && result.ran;
    }
    return allRan ? 0 : 1;
}
