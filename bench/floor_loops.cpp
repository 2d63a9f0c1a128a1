#include "bench/floor_loops.h"

#include <windows.h>
#include <GL/gl.h>
#include <mmsystem.h>

#include "bench/raw_frame.h"
#include "saver/config/settings.h"
#include "saver/framework/anim_timer.h"
#include "saver/framework/pacing.h"
#include "saver/framework/sglmath.h"
#include "saver/rings/logo_file.h"
#include "saver/rings/orbelle_scene.h"

namespace {

const char kClassName[] = "OrbelleFloorWindow";
const std::uint32_t kSeed = 4242;
const DWORD kWarmUpMs = 1000;


// The loop's window, its context and what it draws.
struct FloorWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    int width = 0, height = 0;
    const RawFrame* frame = nullptr; // null: clear only
    unsigned long frames = 0;

    void Draw()
    {
        if (frame)
            DrawRawFrame(*frame);
        else
            glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(dc);
        ++frames;
    }
};

FloorWindow* gFloor = nullptr;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (gFloor && gFloor->context) {
            gFloor->Draw();
            ValidateRect(window, nullptr);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool OpenWindow(FloorWindow& w)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = &FloorProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc); // a second loop finds it there
    w.width = GetSystemMetrics(SM_CXSCREEN);
    w.height = GetSystemMetrics(SM_CYSCREEN);
    w.window = CreateWindowExA(WS_EX_TOPMOST, kClassName, "floor", WS_POPUP | WS_VISIBLE, 0, 0,
                               w.width, w.height, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    if (!w.window)
        return false;
    w.dc = GetDC(w.window);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    int format = ChoosePixelFormat(w.dc, &pfd);
    if (!format || !SetPixelFormat(w.dc, format, &pfd))
        return false;
    w.context = wglCreateContext(w.dc);
    return w.context && wglMakeCurrent(w.dc, w.context);
}

void CloseWindow(FloorWindow& w)
{
    if (w.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(w.context);
    }
    if (w.window)
        DestroyWindow(w.window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// The saver's state for its frames (TOrbelleScene::GLInit and Resize):
// blending, flat shading, the logo texture, the projection.
void PrepareState(const FloorWindow& w, const LogoTexture& logo)
{
    glClearColor(0, 0, 0, 0);
    glShadeModel(GL_FLAT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (logo.size > 0) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, logo.size, logo.size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     logo.pixels.data());
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glViewport(0, 0, w.width, w.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double aspect = static_cast<double>(w.width) / (w.height > 0 ? w.height : 1);
    double m[16];
    if (sgl::PerspectiveMatrix(90.0 / aspect, aspect, 0.001, 50.0, m))
        glMultMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
}

// The saver's default frame 25 time units in, as its walk draws it, with
// the model-view matrix its camera sets; false when it cannot be recorded.
bool RecordDefaultFrame(RawFrame& frame, LogoTexture& logo)
{
    OrbelleSettings settings = DefaultSettings();
    TOrbelleScene scene(settings, kSeed);
    scene.AdvanceTo(1000);
    scene.AdvanceTo(1000 + 2500);
    logo = LoadLogoTexture(GetModuleHandleA(nullptr), settings.fileName);
    LookOptions look = SceneLook(settings, logo);
    TexRect tex = LogoTexRect(logo);
    TiltTable tilt;
    BuildTilt(tilt);
    auto walk = [&](RingSink& sink) {
        if (settings.flat)
            DrawFlat(scene.Tree(), look, tex, sink);
        else
            Draw3D(scene.Tree(), tilt, look, tex, sink);
    };
    CountingSink counted;
    walk(counted);
    RecordingSink recorder(frame, counted.shapes, counted.vertices);
    walk(recorder);
    const Motion& motion = scene.MotionState();
    Vec3 eye = EyePosition(motion.camPhase, settings.camera);
    double m[16];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (sgl::LookAtMatrix(eye.x, eye.y, eye.z, 0, 0, 0, 0, 1, 0, m))
        glMultMatrixd(m);
    glRotatef(static_cast<float>(motion.rotX), 1, 0, 0);
    glRotatef(static_cast<float>(motion.rotY), 0, 1, 0);
    glRotatef(static_cast<float>(motion.rotZ), 0, 0, 1);
    glGetDoublev(GL_MODELVIEW_MATRIX, frame.modelview);
    return !recorder.Cut();
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Frames at the start of each period, counted from one start: Sleep to
// the next period's start after each frame.
void RunSleepLoop(FloorWindow& w, DWORD untilTick, std::uint32_t periodUs)
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    while (static_cast<LONG>(GetTickCount() - untilTick) < 0) {
        PumpMessages();
        w.Draw();
        QueryPerformanceCounter(&now);
        unsigned long long elapsedUs =
            static_cast<unsigned long long>(now.QuadPart - start.QuadPart) * 1000000ull /
            static_cast<unsigned long long>(frequency.QuadPart);
        unsigned long long next = (elapsedUs / periodUs + 1) * periodUs;
        Sleep(static_cast<DWORD>((next - elapsedUs + 999) / 1000));
    }
}

void AskForFrame(void* window)
{
    InvalidateRect(static_cast<HWND>(window), nullptr, FALSE);
}

// The saver's wake-ups: the animation timer's worker asks the window's
// thread for each frame, which paints it through the message loop.
void RunTimerLoop(FloorWindow& w, DWORD untilTick, const FramePace& pace)
{
    TAnimTimer timer(&AskForFrame, w.window);
    timer.Pace = pace;
    if (!timer.Start())
        return;
    MSG msg;
    while (static_cast<LONG>(GetTickCount() - untilTick) < 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void RunLoop(FloorLoop loop, FloorWindow& w, DWORD untilTick)
{
    FramePace pace = ScrFramePace(false);
    if (loop == FloorLoop::EmptyTimer)
        RunTimerLoop(w, untilTick, pace);
    else
        RunSleepLoop(w, untilTick, pace.periodUs);
}

} // namespace

FloorFigures MeasureFloorLoop(FloorLoop loop, unsigned seconds, double (*displayCpu)())
{
    FloorFigures figures;
    static RawFrame frame; // kept off the stack
    static LogoTexture logo;
    FloorWindow w;
    gFloor = &w;
    if (OpenWindow(w)) {
        bool drawn = loop != FloorLoop::PlainSleep || RecordDefaultFrame(frame, logo);
        PrepareState(w, logo);
        w.frame = loop == FloorLoop::PlainSleep ? &frame : nullptr;
        TIMECAPS caps;
        UINT period = timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR ? caps.wPeriodMin : 0;
        if (period)
            timeBeginPeriod(period); // as the saver's timer does
        if (drawn) {
            RunLoop(loop, w, GetTickCount() + kWarmUpMs);
            DWORD startTick = GetTickCount();
            double cpu = ProcessCpu();
            double display = displayCpu ? displayCpu() : -1;
            unsigned long frames = w.frames;
            RunLoop(loop, w, startTick + seconds * 1000);
            double wall = (GetTickCount() - startTick) / 1000.0;
            if (wall > 0) {
                figures.ran = true;
                figures.cpuShare = (ProcessCpu() - cpu) / wall;
                figures.fps = (w.frames - frames) / wall;
                double displayEnd = displayCpu ? displayCpu() : -1;
                if (display >= 0 && displayEnd >= 0)
                    figures.displayShare = (displayEnd - display) / wall;
            }
        }
        if (period)
            timeEndPeriod(period);
    }
    CloseWindow(w);
    gFloor = nullptr;
    return figures;
}

static double Seconds(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

double ProcessCpu()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return Seconds(kernel) + Seconds(user);
}
