// The OpenGL layer under Wine, in this process: driver loading with the test
// drivers (which forward to the system OpenGL), the panel on a top-level
// window, 3dfx sizing, the display-mode decisions with the platform call
// replaced, the driver list, and what a saver window leaves behind.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/framework/driverlist.h"
#include "saver/framework/panel.h"
#include "saver/framework/saverform.h"
#include "saver/framework/sgl.h"
#include "saver/framework/trace.h"
#include "support.h"

namespace {

std::string Driver(const char* name)
{
    return support::WinPath(SAVER_DRIVERS) + "\\" + name;
}

std::string ReadText(const std::string& path)
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Collects the trace in a temporary file for one test.
class TraceCapture {
public:
    TraceCapture()
    {
        path_ = support::TempDirectory() + "sgltrace.txt";
        DeleteFileA(path_.c_str());
        ScrTraceToFile(path_.c_str());
        ScrSetTraceLevel(tlUsr);
    }
    ~TraceCapture()
    {
        ScrTraceToFile(nullptr);
        ScrSetTraceLevel(tlErr);
        DeleteFileA(path_.c_str());
    }
    std::string Text() const { return ReadText(path_); }

private:
    std::string path_;
};

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// A top-level window with its own device context, as the saver window has.
HWND MakeWindow(int width, int height)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SglTestWindow";
    RegisterClassExA(&wc); // fails harmlessly the second time
    HWND window = CreateWindowExA(0, "SglTestWindow", "sgl test", WS_POPUP | WS_VISIBLE, 10, 10,
                                  width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return window;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

TEST(SglLoadLibrary, LoadsADriverWithEveryFunction)
{
    HMODULE library = sglLoadLibrary(Driver("forwardgl.dll").c_str());
    ASSERT_NE(nullptr, library);
    EXPECT_EQ(library, sglLibrary());
    EXPECT_FALSE(sglUses3dfxStyle());
    sglFreeLibrary();
    EXPECT_EQ(nullptr, sglLibrary());
}

TEST(SglLoadLibrary, RefusesADriverMissingRequiredFunctions)
{
    TraceCapture trace;
    std::string path = Driver("brokengl.dll");
    EXPECT_EQ(nullptr, sglLoadLibrary(path.c_str()));
    EXPECT_EQ(nullptr, sglLibrary());
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str())) << "the refused library stays loaded";
    std::string text = trace.Text();
    EXPECT_NE(std::string::npos, text.find("Failed to load " + path + ": glRectf, wglMakeCurrent"))
        << text;
}

// The array path needs exactly the functions it calls: a driver without
// glColorPointer and glDrawArrays, which it never calls, still gets it; a
// driver with no vertex arrays at all does not. The trace says which.
TEST(SglLoadLibrary, TheArrayPathNeedsOnlyTheFunctionsItCalls)
{
    const struct {
        const char* name;
        std::string driver;
        bool arrays;
    } rows[] = {
        {"no vertex arrays", Driver("forwardgl.dll"), false},
        {"the array path's functions only", Driver("arrays\\arraysgl.dll"), true},
        {"the system OpenGL, every one", "OPENGL32.DLL", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TraceCapture trace;
        ASSERT_NE(nullptr, sglLoadLibrary(row.driver.c_str()));
        EXPECT_EQ(row.arrays, sglHasVertexArrays());
        std::string text = trace.Text();
        EXPECT_NE(std::string::npos,
                  text.find(row.arrays ? "draws from vertex arrays" : "draws in immediate mode"))
            << text;
        sglFreeLibrary();
        EXPECT_FALSE(sglHasVertexArrays()) << "nothing loaded, no arrays";
    }
}

TEST(SglLoadLibrary, MissingFileGivesNull)
{
    EXPECT_EQ(nullptr, sglLoadLibrary(Driver("nosuchgl.dll").c_str()));
}

TEST(SglLoadLibrary, CapitalThreeDfxNameSelectsTheThreeDfxStyle)
{
    ASSERT_NE(nullptr, sglLoadLibrary(Driver("my3DFXgl.dll").c_str()));
    EXPECT_TRUE(sglUses3dfxStyle());
    EXPECT_TRUE(sglIsDriver3dfx("C:\\x\\MY3DFXGL.DLL"));
    sglFreeLibrary();
    EXPECT_FALSE(sglUses3dfxStyle());
}

class PanelOwner : public TSglPanelEvents {
public:
    void SglPanelGLInit(TSglPanel&) override { ++inits; }
    void SglPanelGLPaint(TSglPanel& panel) override
    {
        sglClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        sglClear(GL_COLOR_BUFFER_BIT);
        unsigned char pixel[4] = {0, 0, 0, 0};
        sglPixelStorei(GL_PACK_ALIGNMENT, 1);
        sglReadPixels(panel.Width() / 2, panel.Height() / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        red = pixel[0];
        green = pixel[1];
        panel.SwapBuffers();
    }
    void SglPanelResize(TSglPanel& panel) override
    {
        ++resizes;
        contextAtResize = panel.Context() != nullptr && sglLibrary() != nullptr;
    }
    void SglPanelGLError(TSglPanel&, const char* text) override { error = text; }
    int SglPanelPixelFormat(TSglPanel&, HDC dc, int chosen) override
    {
        ++formatsChosen;
        formatWindow = WindowFromDC(dc);
        formatBefore = GetPixelFormat(dc);
        return chosen;
    }
    int inits = 0;
    int formatsChosen = 0;
    HWND formatWindow = nullptr;
    int formatBefore = -1;
    int resizes = 0;
    bool contextAtResize = false;
    int red = -1;
    int green = -1;
    std::string error;
};

TEST(SglPanel, DrawsThroughTheChosenDriverAndSubclassesItsWindow)
{
    HWND window = MakeWindow(200, 150);
    ASSERT_NE(nullptr, window);
    WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    PanelOwner owner;
    {
        TSglPanel panel(window, &owner);
        panel.SetglDriver(Driver("forwardgl.dll").c_str());
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        EXPECT_EQ(1, owner.inits);
        EXPECT_EQ(&panel, GetPropA(window, "ScrGLSubclass"));
        EXPECT_EQ(reinterpret_cast<HANDLE>(own), GetPropA(window, "ScrGLOldWndProc"));
        EXPECT_NE(own, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
        panel.Paint();
        EXPECT_EQ(255, owner.red);
        EXPECT_EQ(0, owner.green);
        EXPECT_EQ(1u, panel.Frames());
        EXPECT_TRUE(panel.GLHandleNeeded()); // one context only
        EXPECT_EQ(1, owner.inits);
        panel.InvalidateGLHandle();
        EXPECT_EQ(nullptr, panel.Context());
        EXPECT_EQ(nullptr, GetPropA(window, "ScrGLSubclass"));
        EXPECT_EQ(nullptr, GetPropA(window, "ScrGLOldWndProc"));
        EXPECT_EQ(own, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
        // A new context from the same driver keeps the window's pixel format.
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        EXPECT_EQ(2, owner.inits);
        EXPECT_EQ(1, owner.formatsChosen);
        EXPECT_EQ(window, panel.DrawingWindow());
    }
    DestroyWindow(window);
    sglFreeLibrary();
}

// A window keeps its first pixel format for life: every later driver
// chooses its own format on a fresh window, a child covering the panel's
// that the mouse passes through, and the driver that set the window's own
// format draws on the window again.
TEST(SglPanel, EachDriverChoosesItsOwnPixelFormat)
{
    const std::string forwarding = Driver("forwardgl.dll");
    const std::string threeDfx = Driver("my3DFXgl.dll");
    struct Step {
        const char* driver;
        bool onChild;        // draws on a child of the window
        bool chooses;        // a format is chosen (on a window without one)
        LONG width, height;  // the drawing window's client size
    } steps[] = {
        {forwarding.c_str(), false, true, 300, 200},
        {"OPENGL32.DLL", true, true, 300, 200},
        {threeDfx.c_str(), true, true, 512, 384},
        {forwarding.c_str(), false, false, 300, 200},
    };
    HWND window = MakeWindow(300, 200);
    ASSERT_NE(nullptr, window);
    PanelOwner owner;
    HWND child = nullptr;
    {
        TSglPanel panel(window, &owner);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.driver);
            panel.SetglDriver(step.driver);
            EXPECT_FALSE(child && IsWindow(child)) << "the last driver's child is gone";
            int chosen = owner.formatsChosen;
            owner.formatWindow = nullptr;
            ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
            EXPECT_EQ(GetModuleHandleA(step.driver), sglLibrary());
            HWND drawing = panel.DrawingWindow();
            EXPECT_EQ(step.onChild, drawing != window);
            EXPECT_EQ(step.chooses ? chosen + 1 : chosen, owner.formatsChosen);
            if (step.chooses) {
                EXPECT_EQ(drawing, owner.formatWindow);
                EXPECT_EQ(0, owner.formatBefore);
            }
            EXPECT_EQ(step.width, ClientSize(drawing).cx);
            EXPECT_EQ(step.height, ClientSize(drawing).cy);
            EXPECT_EQ(ClientSize(window).cx, ClientSize(drawing).cx);
            EXPECT_EQ(ClientSize(window).cy, ClientSize(drawing).cy);
            if (step.onChild) {
                EXPECT_EQ(window, GetParent(drawing));
                EXPECT_EQ(HTTRANSPARENT, SendMessageA(drawing, WM_NCHITTEST, 0, 0));
                EXPECT_FALSE(GetWindowLongPtrA(drawing, GWL_STYLE) & WS_POPUP);
                child = drawing;
            }
            owner.red = -1;
            panel.Paint();
            EXPECT_EQ(255, owner.red);
            EXPECT_EQ(0, owner.green);
        }
    }
    EXPECT_FALSE(IsWindow(child)) << "the panel takes its child with it";
    DestroyWindow(window);
    sglFreeLibrary();
}

TEST(SglPanel, AFailingDriverLeavesNoDrawingChild)
{
    HWND window = MakeWindow(100, 100);
    PanelOwner owner;
    {
        TSglPanel panel(window, &owner);
        panel.SetglDriver(Driver("forwardgl.dll").c_str());
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        panel.SetglDriver(Driver("brokengl.dll").c_str());
        EXPECT_FALSE(panel.GLHandleNeeded());
        EXPECT_EQ(window, panel.DrawingWindow());
        EXPECT_EQ(nullptr, GetWindow(window, GW_CHILD));
        // The next driver still gets a window of its own.
        panel.SetglDriver("OPENGL32.DLL");
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        EXPECT_NE(window, panel.DrawingWindow());
        panel.Paint();
        EXPECT_EQ(255, owner.red);
    }
    EXPECT_EQ(nullptr, GetWindow(window, GW_CHILD));
    DestroyWindow(window);
    sglFreeLibrary();
}

TEST(SglPanel, AnIncompleteDriverFailsOnceAndReportsIt)
{
    HWND window = MakeWindow(100, 100);
    PanelOwner owner;
    TSglPanel panel(window, &owner);
    panel.SetglDriver(Driver("brokengl.dll").c_str());
    EXPECT_FALSE(panel.GLHandleNeeded());
    EXPECT_TRUE(panel.Failed());
    EXPECT_EQ(0u, owner.error.find("Error loading library")) << owner.error;
    owner.error.clear();
    EXPECT_FALSE(panel.GLHandleNeeded());
    EXPECT_TRUE(owner.error.empty()) << "no second attempt";
    EXPECT_EQ(nullptr, GetPropA(window, "ScrGLSubclass"));
    DestroyWindow(window);
}

TEST(SglPanel, ThreeDfxDriverSizesThePanelFromTheRequestedHeight)
{
    struct Row {
        int requestedHeight;
        LONG width, height;
    } rows[] = {{600, 800, 600}, {768, 1024, 768}, {-1, 512, 384}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.requestedHeight);
        HWND window = MakeWindow(300, 200);
        PanelOwner owner;
        TSglPanel panel(window, &owner);
        panel.SetglDriver(Driver("my3DFXgl.dll").c_str());
        panel.SetScreenDimensions(-1, row.requestedHeight, -1);
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        EXPECT_TRUE(panel.Resized3dfx());
        EXPECT_EQ(row.width, ClientSize(window).cx);
        EXPECT_EQ(row.height, ClientSize(window).cy);
        EXPECT_EQ(1, owner.resizes);
        EXPECT_TRUE(owner.contextAtResize) << "the handler may set up OpenGL";
        panel.Paint();
        EXPECT_EQ(255, owner.red);
        // Leaving the mode gives the window its own size back and frees the mouse.
        panel.InvalidateGLHandle();
        EXPECT_FALSE(panel.Resized3dfx());
        EXPECT_EQ(300, ClientSize(window).cx);
        EXPECT_EQ(200, ClientSize(window).cy);
        RECT clip;
        GetClipCursor(&clip);
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), clip.right - clip.left);
        DestroyWindow(window);
        sglFreeLibrary();
    }
}

TEST(SglChoosePixelFormatEx, ChoosesAWindowFormatAndReportsIt)
{
    HWND window = MakeWindow(64, 64);
    ASSERT_NE(nullptr, sglLoadLibrary("opengl32.dll"));
    HDC dc = GetDC(window);
    int color = -1, depth = 16, doubleBuffer = 1, acceleration = -1;
    int format = sglChoosePixelFormatEx(dc, &color, &depth, &doubleBuffer, &acceleration);
    ASSERT_GT(format, 0);
    PIXELFORMATDESCRIPTOR pfd;
    ASSERT_NE(0, DescribePixelFormat(dc, format, sizeof pfd, &pfd));
    EXPECT_TRUE(pfd.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_TRUE(pfd.dwFlags & PFD_DRAW_TO_WINDOW);
    EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_EQ(1, doubleBuffer);
    EXPECT_EQ(pfd.cColorBits, color);
    EXPECT_EQ(pfd.cDepthBits, depth);
    EXPECT_EQ(0, sglChoosePixelFormatEx(nullptr, nullptr, nullptr, nullptr, nullptr));
    ReleaseDC(window, dc);
    DestroyWindow(window);
    sglFreeLibrary();
}

// The display-mode call, replaced: every call is recorded and answered.
struct ModeCall {
    bool record;
    DWORD fields, width, height, bits, flags;
};
std::vector<ModeCall> gCalls;
LONG gTestAnswer = DISP_CHANGE_SUCCESSFUL;

LONG WINAPI FakeChangeDisplay(DEVMODEA* mode, DWORD flags)
{
    ModeCall call = {mode != nullptr, 0, 0, 0, 0, flags};
    if (mode) {
        call.fields = mode->dmFields;
        call.width = mode->dmPelsWidth;
        call.height = mode->dmPelsHeight;
        call.bits = mode->dmBitsPerPel;
    }
    gCalls.push_back(call);
    return (flags & CDS_TEST) ? gTestAnswer : DISP_CHANGE_SUCCESSFUL;
}

void ExpectCalls(const std::vector<ModeCall>& expected, const std::vector<ModeCall>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].record, actual[i].record);
        EXPECT_EQ(expected[i].flags, actual[i].flags);
        EXPECT_EQ(expected[i].fields, actual[i].fields);
        if (!expected[i].record)
            continue;
        EXPECT_EQ(expected[i].width, actual[i].width);
        EXPECT_EQ(expected[i].height, actual[i].height);
        if (expected[i].fields & DM_BITSPERPEL) {
            EXPECT_EQ(expected[i].bits, actual[i].bits);
        }
    }
}

// One panel's display-mode decisions, the platform call replaced: an
// optional mode set beforehand, then the context for the requested mode.
TEST(DisplayMode, TestsFirstAppliesFullScreenOnlyAndResetsWhatItChanged)
{
    const DWORD wh = DM_PELSWIDTH | DM_PELSHEIGHT;
    const ModeCall test640 = {true, wh, 640, 480, 0, CDS_TEST};
    const ModeCall apply640 = {true, wh, 640, 480, 0, CDS_FULLSCREEN};
    const ModeCall restore = {false, 0, 0, 0, 0, 0};
    struct Row {
        const char* what;
        LONG testAnswer;
        int before[3]; // set first with ChangeScreenMode; -1 width: nothing
        int request[3];
        std::vector<ModeCall> calls; // made by creating the context
        int mode[3];                 // the mode in force afterwards
        std::vector<ModeCall> atEnd; // made when the panel goes
    } rows[] = {
        {"a mode is tested, then applied", DISP_CHANGE_SUCCESSFUL, {-1, -1, -1}, {640, 480, -1},
         {test640, apply640}, {640, 480, -1}, {restore}},
        {"all three values go into the record", DISP_CHANGE_SUCCESSFUL, {-1, -1, -1},
         {800, 600, 16},
         {{true, wh | DM_BITSPERPEL, 800, 600, 16, CDS_TEST},
          {true, wh | DM_BITSPERPEL, 800, 600, 16, CDS_FULLSCREEN}},
         {800, 600, 16}, {restore}},
        {"a refused test is never applied", DISP_CHANGE_BADMODE, {-1, -1, -1}, {640, 480, 16},
         {{true, wh | DM_BITSPERPEL, 640, 480, 16, CDS_TEST}}, {-1, -1, -1}, {}},
        {"normal after a change restores the stored settings", DISP_CHANGE_SUCCESSFUL,
         {640, 480, -1}, {-1, -1, -1}, {restore}, {-1, -1, -1}, {}},
        {"the same mode again changes nothing", DISP_CHANGE_SUCCESSFUL, {640, 480, -1},
         {640, 480, -1}, {}, {640, 480, -1}, {restore}},
    };
    TSglPanel::SetDisplayChanger(&FakeChangeDisplay);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        gCalls.clear();
        gTestAnswer = row.testAnswer;
        HWND window = MakeWindow(320, 240);
        PanelOwner owner;
        {
            TSglPanel panel(window, &owner);
            panel.SetglDriver("opengl32.dll");
            if (row.before[0] != -1) {
                panel.SetScreenDimensions(row.before[0], row.before[1], row.before[2]);
                ASSERT_TRUE(panel.ChangeScreenMode());
                gCalls.clear();
            }
            panel.SetScreenDimensions(row.request[0], row.request[1], row.request[2]);
            ASSERT_TRUE(panel.GLHandleNeeded()) << "the saver runs in the current mode";
            ExpectCalls(row.calls, gCalls);
            int mode[3];
            panel.CurrentMode(mode);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(row.mode[i], mode[i]) << i;
            gCalls.clear();
        }
        ExpectCalls(row.atEnd, gCalls);
        DestroyWindow(window);
        sglFreeLibrary();
    }
    TSglPanel::SetDisplayChanger(nullptr);
}

TEST(DisplayModeUnderWine, OtherSizesAreRefusedAndTheSaverRunsInTheCurrentMode)
{
    // Xvfb offers one mode: the real call refuses 640x480 even as a test.
    HWND window = MakeWindow(320, 240);
    PanelOwner owner;
    {
        TSglPanel panel(window, &owner);
        panel.SetglDriver("opengl32.dll");
        panel.SetScreenDimensions(640, 480, -1);
        ASSERT_TRUE(panel.GLHandleNeeded()) << owner.error;
        int mode[3];
        panel.CurrentMode(mode);
        EXPECT_EQ(-1, mode[0]);
        EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    }
    DestroyWindow(window);
    sglFreeLibrary();
}

TEST(SglDriverList, FindsDescribesAndFlagsTheDrivers)
{
    TSglDriverList list;
    std::string directory = support::WinPath(SAVER_DRIVERS);
    std::string pattern = directory + "\\*gl.dll";
    std::string again = directory + "\\forward*.dll";
    list.SetSearchPath({pattern.c_str(), again.c_str()});
    const std::vector<TSglDriverDetails>& drivers = list.GetDrivers();
    ASSERT_EQ(4u, drivers.size()) << "each file listed once";
    int plain = list.IndexOfFileName("FORWARDGL.DLL");
    int capital = list.IndexOfFileName("my3dfxgl.dll");
    int voodoo = list.IndexOfFileName((directory + "\\voodoogl.dll").c_str());
    ASSERT_GE(plain, 0);
    ASSERT_GE(capital, 0);
    ASSERT_GE(voodoo, 0);
    EXPECT_EQ(-1, list.IndexOfFileName("opengl32.dll"));
    EXPECT_STREQ("Orbelle Tests Forwarding OpenGL driver 1.2.3.4", drivers[plain].text);
    EXPECT_FALSE(drivers[plain].is3dfx);
    EXPECT_TRUE(drivers[capital].is3dfx) << "by its name";
    EXPECT_TRUE(drivers[voodoo].is3dfx) << "by its version record";
    EXPECT_STREQ("3dfx Interactive, Inc. Voodoo OpenGL driver 1.2.3.4", drivers[voodoo].text);
}

TEST(SglDriverList, ExpandsThePlaceholders)
{
    char out[MAX_PATH];
    ASSERT_TRUE(TSglDriverList::ExpandPattern("<windows>\\opengl*.dll", out, sizeof out));
    EXPECT_EQ(support::WindowsDirectory() + "\\opengl*.dll", std::string(out));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_TRUE(TSglDriverList::ExpandPattern("<SYSTEM>\\opengl*.dll", out, sizeof out));
    EXPECT_EQ(std::string(system) + "\\opengl*.dll", std::string(out));
    ASSERT_TRUE(TSglDriverList::ExpandPattern("<project>\\3dfx*gl*.dll", out, sizeof out));
    EXPECT_NE(std::string::npos, std::string(out).find("\\3dfx*gl*.dll"));
    EXPECT_EQ(std::string::npos, std::string(out).find('<'));
    std::string longPattern = "<windows>\\" + std::string(400, 'x');
    EXPECT_FALSE(TSglDriverList::ExpandPattern(longPattern.c_str(), out, sizeof out));
}

TEST(SglDriverList, SystemOpenGLShowsItsVendor)
{
    TSglDriverList list;
    list.SetSearchPath({"<system>\\opengl32.dll"});
    ASSERT_EQ(1u, list.GetDrivers().size());
    std::string vendor = SystemOpenGLVendor();
    EXPECT_FALSE(vendor.empty());
    EXPECT_NE(std::string::npos, std::string(list.GetDrivers()[0].text).find("(" + vendor + ")"))
        << list.GetDrivers()[0].text;
    EXPECT_FALSE(list.GetDrivers()[0].is3dfx);
}

// Counts of what a process holds.
struct Holdings {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    int threads = 0;
};

Holdings Count()
{
    Holdings h;
    GetProcessHandleCount(GetCurrentProcess(), &h.handles);
    h.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    h.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++h.threads;
    CloseHandle(snapshot);
    return h;
}

void RunOnePreview(HWND host)
{
    TSaverForm* form = static_cast<TSaverForm*>(TSaverForm::Make(smSPConfig));
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(form->Create(host, 0, 0, 160, 120, WS_CHILD | WS_VISIBLE, 0));
    for (int i = 0; i < 5; ++i) {
        InvalidateRect(form->Handle(), nullptr, FALSE);
        UpdateWindow(form->Handle());
        Pump();
    }
    EXPECT_GE(form->Panel().Frames(), 1u);
    delete form;
    Pump();
}

TEST(SaverWindow, PreviewLeavesNoHandleGdiObjectOrThreadBehind)
{
    HWND host = MakeWindow(160, 120);
    RunOnePreview(host); // the first run loads the driver and its threads for good
    sglFreeLibrary();
    RunOnePreview(host);
    Holdings before = Count();
    for (int i = 0; i < 3; ++i)
        RunOnePreview(host);
    Holdings after = Count();
    // Wine answers 0 for the handle count and both GUI-object counts (Windows
    // counts them); there the thread count is what this checks, and the
    // process tests check that a preview process ends cleanly.
    EXPECT_EQ(before.gdiObjects, after.gdiObjects);
    EXPECT_EQ(before.userObjects, after.userObjects);
    EXPECT_EQ(before.handles, after.handles);
    EXPECT_EQ(before.threads, after.threads);
    DestroyWindow(host);
}

// The password box over a full-screen saver runs on the system's OpenGL:
// the window's format belongs to the user's driver, so the dialog's frames
// go to a child, and after it the user's driver draws on the window again.
TEST(SaverWindow, ADialogOverTheFullScreenSaverDrawsOnAWindowOfItsOwn)
{
    const std::string forwarding = Driver("forwardgl.dll");
    SetEnvironmentVariableA("ORBELLE_DEMO_DRIVER", forwarding.c_str());
    TSaverForm* form = static_cast<TSaverForm*>(TSaverForm::Make(smSFull));
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(form->Create(nullptr, 0, 0, 320, 240, WS_POPUP | WS_VISIBLE, 0));
    HWND window = form->Handle();
    struct Stage {
        const char* what;
        int dialog; // 1 begins one, -1 ends it
        const char* driver;
        bool onChild;
    } stages[] = {
        {"the user's driver", 0, forwarding.c_str(), false},
        {"the password box shows", 1, "opengl32.dll", true},
        {"the password box went", -1, forwarding.c_str(), false},
    };
    for (const Stage& stage : stages) {
        SCOPED_TRACE(stage.what);
        if (stage.dialog > 0)
            form->ScrBeginDialog();
        if (stage.dialog < 0)
            form->ScrEndDialog(false);
        unsigned long before = form->Panel().Frames();
        for (int i = 0; i < 3; ++i) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            Pump();
        }
        EXPECT_GT(form->Panel().Frames(), before);
        EXPECT_EQ(GetModuleHandleA(stage.driver), sglLibrary());
        HWND drawing = form->Panel().DrawingWindow();
        EXPECT_EQ(stage.onChild, drawing != window);
        EXPECT_EQ(stage.onChild ? drawing : nullptr, GetWindow(window, GW_CHILD));
        EXPECT_EQ(320, ClientSize(drawing).cx);
        EXPECT_EQ(240, ClientSize(drawing).cy);
    }
    delete form;
    Pump();
    SetEnvironmentVariableA("ORBELLE_DEMO_DRIVER", nullptr);
    sglFreeLibrary();
}

} // namespace
