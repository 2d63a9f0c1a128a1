// orbelle.scr run as the system and the installer run it: as a process, with
// its command line, watched from outside. The trace file (ORBELLE_TRACE)
// shows what a preview draws, since under Wine nothing another process draws
// in a child window reaches the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "robot.h"
#include "support.h"

namespace {

const DWORD kExitMs = 20000;
const DWORD kWindowMs = 20000;

std::string SaverPath()
{
    return support::WinPath(ORBELLE_SAVER);
}

bool TraceHas(const std::string& text)
{
    return support::SaverTrace().find(text) != std::string::npos;
}

// Starts the saver with the arguments after its quoted path.
robot::Child StartSaver(const std::string& arguments)
{
    DeleteFileA(support::SaverTracePath().c_str());
    std::string line = "\"" + SaverPath() + "\"" + (arguments.empty() ? "" : " " + arguments);
    return robot::Start(line, support::SaverTraceEnvironment());
}

// Dispatches this thread's messages (the host window's) while waiting.
using support::PumpUntil;

bool Running(const robot::Child& child)
{
    return WaitForSingleObject(child.process, 0) == WAIT_TIMEOUT;
}

DWORD WaitExitPumping(const robot::Child& child, DWORD timeoutMs)
{
    PumpUntil([&] { return !Running(child); }, timeoutMs);
    return robot::WaitExit(child, 0);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window such as the Display Properties' preview monitor, in this process.
HWND MakeHost(int width = 200, int height = 150)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "SaverTestHost";
    RegisterClassExA(&wc);
    return CreateWindowExA(0, "SaverTestHost", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                           width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

using support::Frame;
using support::Frames;

HWND WaitForSaverWindow(const robot::Child& child)
{
    return robot::WaitForWindow("TSaverForm", nullptr, kWindowMs, child.id);
}

// Runs a full-screen saver until its window shows; the cursor starts at `at`.
struct FullScreen {
    explicit FullScreen(POINT at = {500, 400})
    {
        robot::MoveMouse(at);
        child = StartSaver("/s");
        window = WaitForSaverWindow(child);
        // The window shows before its OpenGL is set up, and the saver takes
        // the mouse's start again then: what follows must come after that.
        started = robot::WaitFor([] {
            return TraceHas("TSaverForm: OpenGL ready") || TraceHas("frames stopped");
        }, kWindowMs);
        EXPECT_TRUE(started) << support::SaverTrace();
    }
    ~FullScreen() { robot::Finish(child); }
    robot::Child child;
    HWND window = nullptr;
    bool started = false;
};

void ExpectCoversTheScreen(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), r.bottom);
}

bool StaysRunning(const robot::Child& child, DWORD ms = 800)
{
    return robot::WaitExit(child, ms) == STILL_ACTIVE;
}

TEST(SaverCommandLine, InvalidLinesEndAtOnceWithoutAWindow)
{
    HWND gone = MakeHost();
    char dead[32];
    std::snprintf(dead, sizeof dead, "/p %llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(gone)));
    DestroyWindow(gone);
    const char* lines[] = {"/p", "/p   ", "/preview 123", dead, "/p 010", "/x", "/-s", "/"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        robot::Child child = StartSaver(line);
        ASSERT_NE(nullptr, child.process);
        EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
        EXPECT_FALSE(TraceHas("NEW RUN")) << support::SaverTrace();
        EXPECT_FALSE(TraceHas("TSaverForm")) << support::SaverTrace();
        robot::Finish(child);
    }
}

TEST(SaverCommandLine, UnmatchedQuoteDoesNothing)
{
    DeleteFileA(support::SaverTracePath().c_str());
    std::string path = SaverPath();
    std::string line = "\"" + path + " /s";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    std::vector<char> environment = support::EnvironmentBlock(support::SaverTraceEnvironment());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                               environment.data(), nullptr, &startup, &info));
    CloseHandle(info.hThread);
    robot::Child child{info.hProcess, info.dwProcessId};
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    EXPECT_FALSE(TraceHas("TSaverForm")) << support::SaverTrace();
    robot::Finish(child);
}

TEST(SaverCommandLine, EverySpellingOfFullScreenShowsTheSaver)
{
    const char* lines[] = {"/s", "-S", "/S", "S", "/screen"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        robot::Child child = StartSaver(line);
        HWND window = WaitForSaverWindow(child);
        ASSERT_NE(nullptr, window);
        robot::Settle(child, 300);
        ExpectCoversTheScreen(window);
        robot::SendKey(window, VK_SPACE);
        EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
        robot::Finish(child);
    }
}

TEST(SaverCommandLine, QuotedProgramPathWithBlanks)
{
    std::string directory = "C:\\Program Files\\My Savers";
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string copy = directory + "\\orbelle.scr";
    ASSERT_TRUE(CopyFileA(SaverPath().c_str(), copy.c_str(), FALSE));
    robot::Child child = robot::Start("\"" + copy + "\" /s", support::SaverTraceEnvironment());
    HWND window = WaitForSaverWindow(child);
    ASSERT_NE(nullptr, window);
    robot::Settle(child, 300);
    robot::SendKey(window, VK_ESCAPE);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    robot::Finish(child);
}

TEST(SaverCommandLine, HexadecimalAndOctalWindowHandles)
{
    HWND host = MakeHost();
    unsigned long long value = reinterpret_cast<UINT_PTR>(host);
    char hex[40];
    char octal[40];
    std::snprintf(hex, sizeof hex, "/P:0x%llX", value);
    std::snprintf(octal, sizeof octal, "/p 0%llo", value);
    for (const char* line : {static_cast<const char*>(hex), static_cast<const char*>(octal)}) {
        SCOPED_TRACE(line);
        robot::Child child = StartSaver(line);
        HWND proxy = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (proxy = GetWindow(host, GW_CHILD)) != nullptr; }, kWindowMs));
        EXPECT_EQ("ScrPreviewProxyChild", robot::ClassName(proxy));
        PostMessageA(proxy, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
        robot::Finish(child);
    }
    DestroyWindow(host);
}

TEST(SaverPreview, ProxyIsTheFirstChildAndTheSaverDrawsInIt)
{
    HWND host = MakeHost(240, 180);
    char line[40];
    std::snprintf(line, sizeof line, "/p %llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(host)));
    robot::Child child = StartSaver(line);
    ASSERT_NE(nullptr, child.process);
    // The installer waits for this before it looks for the child.
    DWORD idle = WAIT_FAILED;
    PumpUntil([&] { return (idle = WaitForInputIdle(child.process, 0)) == 0; }, kWindowMs);
    EXPECT_EQ(0u, idle);
    HWND proxy = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (proxy = GetWindow(host, GW_CHILD)) != nullptr; }, kWindowMs));
    EXPECT_EQ("ScrPreviewProxyChild", robot::ClassName(proxy));
    EXPECT_EQ("Proxy", robot::Text(proxy));
    EXPECT_EQ(100, GetDlgCtrlID(proxy));
    DWORD owner = 0;
    GetWindowThreadProcessId(proxy, &owner);
    EXPECT_EQ(child.id, owner);
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE), GetWindowLongA(proxy, GWL_STYLE) & 0xFFFF0000);
    HWND saver = GetWindow(proxy, GW_CHILD);
    ASSERT_NE(nullptr, saver);
    EXPECT_EQ("TSaverForm", robot::ClassName(saver));
    RECT hostClient, saverClient;
    GetClientRect(host, &hostClient);
    GetClientRect(saver, &saverClient);
    EXPECT_EQ(hostClient.right, saverClient.right);
    EXPECT_EQ(hostClient.bottom, saverClient.bottom);

    // Frames drawn, read back before each swap: lit, of the window's size,
    // and changing as the picture moves.
    ASSERT_TRUE(PumpUntil([] { return Frames(support::SaverTrace()).size() >= 8; }, kWindowMs)) << support::SaverTrace();
    std::vector<Frame> frames = Frames(support::SaverTrace());
    EXPECT_EQ(1u, frames.front().number);
    EXPECT_EQ(hostClient.right, frames.back().width);
    EXPECT_EQ(hostClient.bottom, frames.back().height);
    EXPECT_GT(frames.back().lit, 0u);
    EXPECT_NE(frames.front().checksum, frames.back().checksum);

    PostMessageA(proxy, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
    EXPECT_FALSE(IsWindow(proxy));
    EXPECT_TRUE(TraceHas("~TSglPanel. Finished destructor.")) << support::SaverTrace();
    robot::Finish(child);
    DestroyWindow(host);
}

TEST(SaverPreview, EndsWhenTheHostWindowIsDestroyed)
{
    HWND host = MakeHost();
    char line[40];
    std::snprintf(line, sizeof line, "/p %llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(host)));
    robot::Child child = StartSaver(line);
    ASSERT_TRUE(PumpUntil([&] { return GetWindow(host, GW_CHILD) != nullptr; }, kWindowMs));
    ASSERT_TRUE(PumpUntil([] { return Frames(support::SaverTrace()).size() >= 2; }, kWindowMs)) << support::SaverTrace();
    DestroyWindow(host);
    // A clean end within the bound: every window, context and thread let go.
    EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
    robot::Finish(child);
}

TEST(SaverPreview, EndsWhenTheHostProcessIsKilled)
{
    robot::Child host = robot::Start("notepad.exe");
    HWND window = robot::WaitForWindow("Notepad", nullptr, kWindowMs, host.id);
    ASSERT_NE(nullptr, window);
    char line[40];
    std::snprintf(line, sizeof line, "/p %llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    robot::Child child = StartSaver(line);
    ASSERT_TRUE(robot::WaitFor([] { return Frames(support::SaverTrace()).size() >= 2; }, kWindowMs)) << support::SaverTrace();
    TerminateProcess(host.process, 9);
    DWORD killed = GetTickCount();
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    // Generous for a loaded machine; the saver sees it on its next frame.
    EXPECT_LT(GetTickCount() - killed, 5000u);
    EXPECT_TRUE(TraceHas("the preview's host window is gone")) << support::SaverTrace();
    robot::Finish(child);
    robot::Finish(host);
}

TEST(SaverFullScreen, CoversTheScreenHidesTheCursorAndFlagsTheSaverRunning)
{
    FullScreen saver;
    ASSERT_NE(nullptr, saver.window);
    ExpectCoversTheScreen(saver.window);
    EXPECT_TRUE(GetWindowLongA(saver.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(0, GetWindowLongA(saver.window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    // A small move within the threshold makes the window set its cursor.
    robot::MoveMouse({505, 402});
    Sleep(300);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ(nullptr, cursor.hCursor);
    EXPECT_TRUE(TraceHas("SPI_SCREENSAVERRUNNING 1: set")) << support::SaverTrace();
    // Read here for the first time in this process, so not from Wine's cache.
    BOOL running = 77;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
    EXPECT_EQ(TRUE, running);
    // Frames reach the screen: the full-screen window is top-level.
    ASSERT_TRUE(robot::WaitFor([] { return Frames(support::SaverTrace()).size() >= 4; }, kWindowMs));
    EXPECT_GT(Frames(support::SaverTrace()).back().lit, 0u);
    robot::Screenshot(support::ArtifactPath("saver.png"));
    EXPECT_TRUE(StaysRunning(saver.child));
    robot::SendKey(saver.window, VK_SPACE);
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
    EXPECT_TRUE(TraceHas("SPI_SCREENSAVERRUNNING 0")) << support::SaverTrace();
}

TEST(SaverFullScreen, KeyClickAndRightClickEachClose)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        FullScreen saver;
        ASSERT_NE(nullptr, saver.window);
        if (way == 0)
            robot::SendKey(saver.window, 'A');
        else
            robot::Click(saver.window, {500, 400}, {}, way == 2);
        EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
    }
}

TEST(SaverFullScreen, MouseMayMoveExactlyTheThresholdButNoFurther)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers", 0, nullptr, 0,
        KEY_SET_VALUE, nullptr, &key, nullptr));
    DWORD threshold = 50;
    RegSetValueExA(key, "Mouse Threshold", 0, REG_DWORD, reinterpret_cast<BYTE*>(&threshold),
                   sizeof threshold);
    RegCloseKey(key);
    FullScreen saver({500, 400});
    ASSERT_NE(nullptr, saver.window);
    // 30 and 40 pixels away: exactly 50.
    ASSERT_TRUE(robot::MoveMouse({530, 440}));
    EXPECT_TRUE(StaysRunning(saver.child, 1000));
    ASSERT_TRUE(robot::MoveMouse({470, 360}));
    EXPECT_TRUE(StaysRunning(saver.child, 1000));
    // One pixel more.
    ASSERT_TRUE(robot::MoveMouse({531, 440}));
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
    EXPECT_TRUE(TraceHas("mouse moved 31,40 beyond 50")) << support::SaverTrace();
}

// A 3dfx driver (here a test driver that forwards to the system OpenGL) in
// full screen: the panel is sized for the requested mode and the mouse is
// clipped to it; the saver draws there and keeps running.
TEST(SaverFullScreen, AThreeDfxDriverDrawsInItsPanelAndKeepsRunning)
{
    const std::string driver = support::WinPath(SAVER_DRIVERS "/my3DFXgl.dll");
    const char mode[] = "640x480";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\GlimMex\\orbelle", 0,
                                             nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, "Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(driver.c_str()),
                   static_cast<DWORD>(driver.size() + 1));
    RegSetValueExA(key, "Mode", 0, REG_SZ, reinterpret_cast<const BYTE*>(mode), sizeof mode);
    RegCloseKey(key);

    FullScreen saver({900, 700});
    ASSERT_NE(nullptr, saver.window);
    EXPECT_TRUE(StaysRunning(saver.child, 1500)) << support::SaverTrace();
    ASSERT_TRUE(robot::WaitFor([] { return !Frames(support::SaverTrace()).empty(); }, kWindowMs)) << support::SaverTrace();
    const support::Frame last = Frames(support::SaverTrace()).back();
    EXPECT_EQ(640, last.width);
    EXPECT_EQ(480, last.height);
    EXPECT_GT(last.lit, 0u);
    // The cursor was moved into the panel, scaled from the screen's size.
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_LT(cursor.x, 640);
    EXPECT_LT(cursor.y, 480);
    EXPECT_TRUE(StaysRunning(saver.child, 500));
    EXPECT_FALSE(TraceHas("mouse moved")) << support::SaverTrace();
}

void WriteDriver(const std::string& driver)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\GlimMex\\orbelle", 0,
                                             nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, "Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(driver.c_str()),
                   static_cast<DWORD>(driver.size() + 1));
    RegCloseKey(key);
}

TEST(SaverFullScreen, ADriverThatFailsToLoadDrawsNothingCoversTheScreenAndStillCloses)
{
    const std::string text = support::TempDirectory() + "notgl.dll";
    FILE* file = std::fopen(text.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("This is a text file, not a library.\r\n", file);
    std::fclose(file);
    struct Row {
        const char* what;
        std::string driver;
    } rows[] = {
        {"a missing file", "C:\\nowhere\\nosuchgl.dll"},
        {"a library that is no OpenGL driver", "user32.dll"},
        {"a text file", text},
        {"a 333-character path", "C:\\" + std::string(319, 'x') + "\\opengl.dll"},
        {"a missing driver named like a 3dfx one", "C:\\nowhere\\3dfxvgl.dll"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteDriver(row.driver);
        FullScreen saver;
        ASSERT_NE(nullptr, saver.window);
        ASSERT_TRUE(robot::WaitFor([] { return TraceHas("frames stopped"); }, kWindowMs)) << support::SaverTrace();
        EXPECT_TRUE(StaysRunning(saver.child, 1000));
        EXPECT_TRUE(Frames(support::SaverTrace()).empty()) << support::SaverTrace();
        ExpectCoversTheScreen(saver.window);
        robot::SendKey(saver.window, VK_SPACE);
        EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
    }
    DeleteFileA(text.c_str());
}

TEST(SaverFullScreen, ASecondSaverEndsAtOnceAndLeavesTheFlagSet)
{
    FullScreen first;
    ASSERT_NE(nullptr, first.window);
    ASSERT_TRUE(TraceHas("SPI_SCREENSAVERRUNNING 1: set")) << support::SaverTrace();
    robot::Child second = robot::Start("\"" + SaverPath() + "\" /s", support::SaverTraceEnvironment());
    EXPECT_EQ(0u, robot::WaitExit(second, kExitMs));
    robot::Finish(second);
    EXPECT_TRUE(TraceHas("another full-screen saver runs; this one ends")) << support::SaverTrace();
    EXPECT_TRUE(StaysRunning(first.child));
    BOOL running = 77;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
    EXPECT_EQ(TRUE, running);
    EXPECT_FALSE(TraceHas("SPI_SCREENSAVERRUNNING 0")) << support::SaverTrace();
    robot::SendKey(first.window, VK_SPACE);
    EXPECT_EQ(0u, robot::WaitExit(first.child, kExitMs));
}

TEST(SaverFullScreen, MovesRightAfterADisplayChangeAreIgnored)
{
    FullScreen saver({500, 400});
    ASSERT_NE(nullptr, saver.window);
    PostMessageA(saver.window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    // The grace runs from when the saver took the message (it may still be
    // setting up its OpenGL), which is before its trace shows it.
    ASSERT_TRUE(robot::WaitFor([] { return TraceHas("display changed"); }, 5000));
    DWORD changed = GetTickCount();
    // Far moves inside the 3000 ms that follow.
    ASSERT_TRUE(robot::MoveMouse({900, 700}));
    EXPECT_TRUE(StaysRunning(saver.child, 400));
    ASSERT_TRUE(robot::MoveMouse({100, 100}));
    EXPECT_TRUE(StaysRunning(saver.child, 400));
    DWORD waited = GetTickCount() - changed;
    if (waited < 3300)
        Sleep(3300 - waited);
    // Then four more are swallowed, and the fifth closes.
    const POINT distant[] = {{900, 700}, {100, 100}, {900, 100}, {100, 700}};
    for (POINT at : distant) {
        ASSERT_TRUE(robot::MoveMouse(at));
        EXPECT_TRUE(StaysRunning(saver.child, 300));
    }
    ASSERT_TRUE(robot::MoveMouse({880, 680}));
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs)) << support::SaverTrace();
}

TEST(SaverFullScreen, SystemCommandsWhileRunning)
{
    FullScreen saver;
    ASSERT_NE(nullptr, saver.window);
    // The system's own request to start a saver does nothing.
    PostMessageA(saver.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_TRUE(StaysRunning(saver.child));
    EXPECT_TRUE(TraceHas("SC_SCREENSAVE ignored")) << support::SaverTrace();
    EXPECT_EQ(1u, robot::TopWindows(saver.child.id).size());
    // A plain close is refused; the system menu's close is the saver's own.
    PostMessageA(saver.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(StaysRunning(saver.child));
    PostMessageA(saver.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
}

TEST(SaverFullScreen, LosingActivationCloses)
{
    FullScreen saver;
    ASSERT_NE(nullptr, saver.window);
    HWND other = MakeHost();
    robot::BringToFront(other);
    EXPECT_EQ(0u, WaitExitPumping(saver.child, kExitMs));
    DestroyWindow(other);
}

// The configuration dialog shows a one-time driver hint at its first
// activation; these tests are about the mode, not the dialog, so it is
// marked as already shown. Settings belong to the program's file name.
void SkipDriverHint(const std::string& project = "orbelle")
{
    DWORD told = 1;
    RegSetKeyValueA(HKEY_CURRENT_USER, ("Software\\GlimMex\\" + project).c_str(), "Told3dfx",
                    REG_DWORD, &told, sizeof told);
}

TEST(SaverConfiguration, NoArgumentAndSlashCShowTheDialog)
{
    SkipDriverHint();
    for (const char* line : {"", "/c", "/c:0"}) {
        SCOPED_TRACE(line);
        robot::Child child = StartSaver(line);
        HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, child.id);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ("OK", robot::ItemText(dialog, IDOK));
        EXPECT_EQ("Cancel", robot::ItemText(dialog, IDCANCEL));
        EXPECT_TRUE(robot::Press(dialog, std::string(line) == "/c" ? IDCANCEL : IDOK));
        EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
        robot::Finish(child);
    }
}

TEST(SaverConfiguration, OwnedByTheForegroundWindowOrTheOneNamed)
{
    SkipDriverHint();
    HWND host = MakeHost(300, 200);
    SetWindowPos(host, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    robot::BringToFront(host);
    char named[40];
    std::snprintf(named, sizeof named, "/c:%llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(host)));
    for (const char* line : {"/c", static_cast<const char*>(named)}) {
        SCOPED_TRACE(line);
        robot::BringToFront(host);
        robot::Child child = StartSaver(line);
        HWND dialog = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            return (dialog = robot::FindTopWindow("#32770", "Options for Orbelle", child.id)) != nullptr;
        }, kWindowMs));
        EXPECT_EQ(host, GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(host)) << "the owner waits for the dialog";
        // Placed on the owner's centre.
        RECT owner, placed;
        GetWindowRect(host, &owner);
        GetWindowRect(dialog, &placed);
        EXPECT_NEAR((owner.left + owner.right) / 2, (placed.left + placed.right) / 2, 1);
        EXPECT_NEAR((owner.top + owner.bottom) / 2, (placed.top + placed.bottom) / 2, 1);
        robot::Press(dialog, IDCANCEL);
        EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
        EXPECT_TRUE(IsWindowEnabled(host));
        robot::Finish(child);
    }
    DestroyWindow(host);
}

TEST(SaverConfiguration, TheDevelopmentEnvironmentIsNoOwner)
{
    SkipDriverHint();
    // A program named BCB in front: the dialog goes without an owner.
    SkipDriverHint("bcb");
    std::string bcb = support::TempDirectory() + "bcb.scr";
    ASSERT_TRUE(CopyFileA(SaverPath().c_str(), bcb.c_str(), FALSE));
    robot::Child environment = robot::Start("\"" + bcb + "\" /c");
    HWND front = robot::WaitForDialog("Options for Orbelle", kWindowMs, environment.id);
    ASSERT_NE(nullptr, front);
    robot::BringToFront(front);
    ASSERT_EQ(front, GetForegroundWindow());
    robot::Child child = StartSaver("/c");
    HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, child.id);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, GetWindow(dialog, GW_OWNER));
    EXPECT_TRUE(IsWindowEnabled(front));
    robot::Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    robot::Press(front, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(environment, kExitMs));
    robot::Finish(child);
    robot::Finish(environment);
}

TEST(SaverTrace, WithoutTheVariableNothingIsWritten)
{
    std::vector<std::string> environment = support::EnvironmentWithout("ORBELLE_TRACE=");
    HWND host = MakeHost();
    char line[300];
    std::snprintf(line, sizeof line, "\"%s\" /p %llu", SaverPath().c_str(),
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(host)));
    support::CreationWatch temporary(support::TempDirectory());
    support::Snapshot before = support::TakeSnapshot(support::TempDirectory());
    robot::Child child = robot::Start(line, environment);
    HWND proxy = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (proxy = GetWindow(host, GW_CHILD)) != nullptr; }, kWindowMs));
    PumpUntil([] { return false; }, 1000); // frames are drawn meanwhile
    PostMessageA(proxy, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitExitPumping(child, kExitMs));
    robot::Finish(child);
    EXPECT_TRUE(temporary.Stop().empty());
    EXPECT_TRUE(support::Differences(before, support::TakeSnapshot(support::TempDirectory())).empty());
    DestroyWindow(host);
}

TEST(SaverConfiguration, SystemMenuCarriesTheAboutItem)
{
    SkipDriverHint();
    robot::Child child = StartSaver("/c");
    HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, child.id);
    ASSERT_NE(nullptr, dialog);
    robot::Settle(child, 200);
    ASSERT_TRUE(robot::SysCommand(dialog, 0xDAC));
    robot::MessageBoxView about = robot::WaitForMessageBox("About Orbelle", kWindowMs, child.id);
    ASSERT_NE(nullptr, about.window);
    EXPECT_NE(std::string::npos, about.text.find("Orbelle"));
    robot::Press(about.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(about.window, kWindowMs));
    robot::Press(dialog, IDOK);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    robot::Finish(child);
}

TEST(SaverPasswordChange, HandsTheChangeToTheSystem)
{
    // Wine's MPR.DLL has PwdChangePasswordA as a stub that shows nothing and
    // returns at once; Windows 9x shows its password dialog.
    robot::Child child = StartSaver("/a");
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    EXPECT_TRUE(TraceHas("mode=smPasswordChange")) << support::SaverTrace();
    EXPECT_TRUE(TraceHas("PwdChangePasswordA: ")) << support::SaverTrace();
    EXPECT_TRUE(robot::TopWindows(child.id).empty());
    robot::Finish(child);
}

TEST(SaverPreview, LumidexThatCannotBeFoundIsReported)
{
    robot::Child child = StartSaver("/p lumidex");
    robot::MessageBoxView first = robot::WaitForMessageBox("Error", kWindowMs, child.id);
    ASSERT_NE(nullptr, first.window);
    EXPECT_EQ("Error creating Lumidex process", first.text);
    robot::Press(first.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(first.window, kWindowMs));
    robot::MessageBoxView second = robot::WaitForMessageBox("Error", kWindowMs, child.id);
    ASSERT_NE(nullptr, second.window);
    EXPECT_EQ("Could not find LumiDex for preview", second.text);
    robot::Press(second.window, IDOK);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    EXPECT_FALSE(TraceHas("TSaverForm")) << support::SaverTrace();
    robot::Finish(child);
}

} // namespace
