// The service as other Windows systems treat it: conditions that Wine never
// produces (a pointer that cannot be read, a refused post, a missing export,
// a task bar made anew, more monitors than at the start) are given through
// the table of the service's calls; the service runs on a thread of this
// program, which links the module's code. Some tests run under several
// Windows versions as Wine reports them (ORBELLE_WINVER, see CMakeLists.txt).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "harness.h"
#include "hotcorners/launch.h"
#include "hotcorners/platform.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/registry.h"
#include "hotcorners/service.h"
#include "hotcorners/service_client.h"
#include "hotcorners/shared_block.h"

namespace {

// What the fakes give and what they saw; reached from the service thread.
POINT gPointer = {512, 384};
std::atomic<bool> gPointerReadable{true};
std::atomic<int> gPointerReads{0};
std::atomic<bool> gPostWorks{true};
std::atomic<int> gScreenSaveAsked{0}; // SC_SCREENSAVE through the default handling
std::vector<const char*> gMissingExports;
std::vector<RECT> gMonitors;
std::atomic<int> gIconAdds{0};
std::atomic<bool> gTrayWorks{true};

BOOL WINAPI FakeGetCursorPos(POINT* point)
{
    ++gPointerReads;
    if (!gPointerReadable)
        return FALSE; // the point is left as it was
    *point = gPointer;
    return TRUE;
}

BOOL WINAPI FakePostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return gPostWorks && PostMessageA(window, message, wParam, lParam);
}

LRESULT WINAPI FakeDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE)
        ++gScreenSaveAsked;
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL WINAPI FakeEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data)
{
    for (RECT monitor : gMonitors)
        if (!callback(nullptr, nullptr, &monitor, data))
            break;
    return TRUE;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    for (const char* missing : gMissingExports)
        if (lstrcmpA(name, missing) == 0)
            return nullptr;
    if (!gMonitors.empty() && lstrcmpA(name, "EnumDisplayMonitors") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeEnumDisplayMonitors));
    return GetProcAddress(module, name);
}

BOOL WINAPI FakeShellNotifyIcon(DWORD operation, NOTIFYICONDATAA*)
{
    if (operation == NIM_ADD)
        ++gIconAdds;
    return gTrayWorks;
}

DWORD WINAPI ServiceThread(void*)
{
    ServiceMain();
    return 0;
}

bool ReportsWindows95Family()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

class OtherSystems : public testing::Test {
protected:
    void SetUp() override
    {
        gServiceCalls = {FakeGetCursorPos, FakePostMessage, FakeDefWindowProc, FakeGetProcAddress,
                         FakeShellNotifyIcon};
        AttachProcess(GetModuleHandleA(nullptr));
        SetSaverSwitch(true);
    }
    void TearDown() override
    {
        if (service_)
            SendMessageA(service_, WM_CLOSE, 0, 0);
        if (thread_) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread_, hc::kExitTimeout));
            CloseHandle(thread_);
        }
        DetachProcess();
    }

    // The service with these corner codes, on a thread of this process.
    HWND StartService(const char* codes)
    {
        hc::SetCornerCodes(codes);
        thread_ = CreateThread(nullptr, 0, ServiceThread, nullptr, 0, nullptr);
        hc::PumpUntil([&] {
            service_ = GetServiceWindow();
            ReleaseServiceWindow();
            return service_ != nullptr;
        }, hc::kStartTimeout);
        return service_;
    }
    // Waits for n more reads of the pointer (n more ticks).
    void WaitTicks(int n)
    {
        int until = gPointerReads + n;
        hc::PumpUntil([&] { return gPointerReads >= until; }, hc::kTickTimeout);
    }
    int State() { return LOWORD(hc::ServiceState(service_)); }

    HWND service_ = nullptr;
    HANDLE thread_ = nullptr;
};

// Off the input desktop (Windows 2000/XP at the logon desktop; from Vista on
// whenever the workstation is locked or the UAC prompt shows) GetCursorPos
// fails and leaves its point as it was. A Never corner at the top left must
// not take that point for the pointer.
TEST_F(OtherSystems, APointerThatCannotBeReadIsNoCorner)
{
    gPointer = {0, 0};
    gPointerReadable = false;
    ASSERT_NE(nullptr, StartService("N---"));
    WaitTicks(4);
    EXPECT_EQ(kStateIdle, State());
    EXPECT_EQ("1", hc::StoredSaverSwitch());
    // Read again, the corner acts.
    gPointerReadable = true;
    EXPECT_TRUE(hc::PumpUntil([&] { return State() == kStateSuppressed; }, hc::kTickTimeout));
    EXPECT_EQ("0", hc::StoredSaverSwitch());
}

// A Now corner whose post to the foreground window is refused (on Vista and
// later an elevated window refuses a normal process's post): on the NT
// family the system's own start (which locks the workstation and asks for
// the password) is asked through the default handling; only the Windows 95
// family, whose savers ask for the password themselves, starts the saver
// directly. Run under win98 and under Wine's default (NT) version.
TEST_F(OtherSystems, ARefusedPostLeavesTheSaversStartToTheSystemOnNt)
{
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, "ProbeSaverStarted");
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", support::WinPath(QUADRIX_PROBE).c_str(),
                               "system.ini");
    HWND front = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 300, 300, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(front);
    ASSERT_EQ(front, GetForegroundWindow());
    gPostWorks = false;
    gPointer = {0, 0};
    ASSERT_NE(nullptr, StartService("Y---"));
    EXPECT_TRUE(hc::PumpUntil([&] { return State() == kStateStarting; }, hc::kTickTimeout));
    if (ReportsWindows95Family()) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, hc::kStartTimeout));
        EXPECT_EQ(0, gScreenSaveAsked);
    } else {
        EXPECT_EQ(1, gScreenSaveAsked);
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(started, 0));
    }
    DestroyWindow(front);
    CloseHandle(started);
}

// Windows 95 has no GetShellWindow: Explorer's desktop there is the
// "Progman" window, a visible popup the size of the screen, in front once
// the user clicks on the desktop. It is no full-screen program.
TEST_F(OtherSystems, TheProgmanDesktopWithoutGetShellWindowIsNoFullScreenProgram)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Progman";
    RegisterClassA(&wc);
    HWND desktop = CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP | WS_VISIBLE, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(desktop);
    ASSERT_EQ(desktop, GetForegroundWindow());
    gMissingExports = {"GetShellWindow"};
    gPointer = {0, 0};
    ASSERT_NE(nullptr, StartService("N---"));
    EXPECT_TRUE(hc::PumpUntil([&] { return State() == kStateSuppressed; }, hc::kTickTimeout))
        << State();
    gMissingExports.clear();
    DestroyWindow(desktop);
}

// A monitor plugged in after the service started (one monitor then, two
// now) has its corners: the far top-right corner of a second monitor to the
// right of the primary is a corner.
TEST_F(OtherSystems, AMonitorAddedLaterHasItsCorners)
{
    ASSERT_EQ(1, GetSystemMetrics(SM_CMONITORS));
    long cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    gMonitors = {{0, 0, cx, cy}, {cx, 0, cx + 800, 600}};
    gPointer = {cx + 799, 0};
    ASSERT_NE(nullptr, StartService("-N--"));
    EXPECT_TRUE(hc::PumpUntil([&] { return State() == kStateSuppressed; }, hc::kTickTimeout))
        << State();
    gMonitors.clear();
}

// Explorer that restarts makes a new task bar without the old icons and
// broadcasts "TaskbarCreated": the icon is added again, also one whose
// first adding failed (no task bar yet at log-on).
TEST_F(OtherSystems, TheTrayIconComesBackWithANewTaskBar)
{
    WriteOption(kOptionTrayIcon, 1);
    gTrayWorks = false;
    ASSERT_NE(nullptr, StartService("----"));
    EXPECT_EQ(1, gIconAdds);
    gTrayWorks = true;
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(service_, taskbarCreated, 0, 0);
    EXPECT_EQ(2, gIconAdds);
    // Without the icon there is nothing to add.
    SetShowIcon(0);
    SendMessageA(service_, taskbarCreated, 0, 0);
    EXPECT_EQ(2, gIconAdds);
}

// Whether a saver runs: Windows 2000 and later answer it themselves, the
// Windows 95 family keeps a flag (set and put back), NT 4 gives the saver a
// desktop of its own. A flag set here (as a Windows 95 saver sets it) is
// what the system answers from Windows 2000 on; NT 4's answer comes from
// the desktop, which Wine never makes. Run under win98, nt40 and win2k.
TEST_F(OtherSystems, WhetherASaverRunsIsAskedAsTheSystemAnswersIt)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    bool nt4 = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion < 5;
    bool family95 = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_FALSE(IsScreenSaverRunning());
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    // Windows 95 hands back the flag's previous value when it is set; Wine
    // hands back nothing, so there the question reads "not running" (and
    // puts back a cleared flag). Windows 2000's getter answers under Wine.
    EXPECT_EQ(!nt4 && !family95, IsScreenSaverRunning());
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_EQ(!family95, running != FALSE) << "only the Windows 95 family's question sets the flag";
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    EXPECT_FALSE(IsScreenSaverRunning());
}

// A 32-bit module on 64-bit Windows reads the system directory as SysWOW64:
// a saver configured there is reached through Sysnative.
TEST_F(OtherSystems, ASaverInThe64BitSystemDirectoryIsFound)
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (!wow64)
        GTEST_SKIP() << "only a 32-bit process on 64-bit Windows has the redirection";
    std::string windows = support::WindowsDirectory();
    ASSERT_TRUE(CopyFileA(support::WinPath(QUADRIX_PROBE).c_str(),
                          (windows + "\\Sysnative\\qprobe.scr").c_str(), FALSE));
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, "ProbeSaverStarted");
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", (windows + "\\system32\\qprobe.scr").c_str(),
                               "system.ini");
    char path[MAX_PATH] = "";
    ASSERT_TRUE(ConfiguredSaverPath(path, sizeof path));
    EXPECT_STRCASEEQ((windows + "\\Sysnative\\qprobe.scr").c_str(), path);
    EXPECT_TRUE(LaunchSaver());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, hc::kStartTimeout));
    CloseHandle(started);
}

} // namespace
