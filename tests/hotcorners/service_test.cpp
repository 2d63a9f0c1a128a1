// The corner watch service as processes meet it: started through rundll32,
// asked by a peer (the probe, as the screen saver would), steered by the
// real pointer on the X display. Each test runs in a fresh prefix.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "harness.h"
#include "hotcorners/quadrix.h"
#include "support.h"

namespace {

using hc::Corner;
using hc::State;
using hc::kMiddle;
using hc::WaitForState;
using hc::WaitForSwitch;

// A running service in a rundll32 process, closed (as TerminateService
// does) when it goes.
class ServiceProcess {
public:
    ServiceProcess() : child_(hc::StartEntry("RunService"))
    {
        window = hc::WaitForService(hc::kStartTimeout);
    }
    ~ServiceProcess()
    {
        Close();
        robot::Finish(child_);
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // WM_CLOSE, then the host's end; its exit code, or STILL_ACTIVE.
    DWORD Close()
    {
        return hc::CloseService(window, child_);
    }
    const robot::Child& child() const { return child_; }

    HWND window = nullptr;

private:
    robot::Child child_;
};

// A second service finds the first and ends at once, leaving it be.
void ExpectSecondServiceEnds(const ServiceProcess& first)
{
    robot::Child second = hc::StartEntry("RunService");
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(second, hc::kExitTimeout));
    robot::Finish(second);
    EXPECT_EQ(1, hc::CountServiceWindows());
    EXPECT_EQ(first.window, FindWindowA("QuadrixService", "QuadrixService"));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(first.child(), 0));
}

TEST(Service, RunsOnceAndTellsPeersWhileItRuns)
{
    hc::InstallModule();
    EXPECT_EQ(0u, hc::Probe("detect"));
    {
        ServiceProcess first;
        ASSERT_NE(nullptr, first.window);
        EXPECT_EQ(1u, hc::Probe("detect"));

        ExpectSecondServiceEnds(first);

        // WM_CLOSE ends the service and its host.
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), first.Close());
    }
    EXPECT_EQ(0, hc::CountServiceWindows());
    EXPECT_EQ(0u, hc::Probe("detect"));
}

TEST(Service, StartsAfterAPeerDiedHoldingTheServiceMutex)
{
    hc::InstallModule();
    robot::Child holder =
        robot::Start("\"" + support::WinPath(QUADRIX_PROBE) + "\" hold QuadrixServiceMutex HolderReady");
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "HolderReady");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, hc::kStartTimeout));
    CloseHandle(ready);
    TerminateProcess(holder.process, 9);
    robot::WaitExit(holder, hc::kExitTimeout);
    robot::Finish(holder);

    // The mutex is abandoned now; the next taker owns it all the same.
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    EXPECT_EQ(1u, hc::Probe("detect"));
    ExpectSecondServiceEnds(service);
}

TEST(Service, StartsAgainAfterItsHostWasKilled)
{
    hc::InstallModule();
    {
        robot::Child killed = hc::StartEntry("RunService");
        ASSERT_NE(nullptr, hc::WaitForService(hc::kStartTimeout));
        TerminateProcess(killed.process, 9);
        robot::WaitExit(killed, hc::kExitTimeout);
        robot::Finish(killed);
    }
    // Its slot still names the dead window: that is no service.
    EXPECT_EQ(0u, hc::Probe("detect"));
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    EXPECT_EQ(1u, hc::Probe("detect"));
}

// A Never corner holds screen saving off while the pointer rests there and
// gives back only what was on, also when the service ends in the corner.
TEST(Service, NeverCornerHoldsTheSaverOffAndGivesBackWhatWasOn)
{
    struct Row {
        BOOL switchBefore;
        const char* stored;
    } rows[] = {{TRUE, "1"}, {FALSE, "0"}};
    hc::InstallModule();
    hc::SetCornerCodes("-N--");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, row.switchBefore, nullptr,
                              SPIF_UPDATEINIFILE);
        ASSERT_TRUE(WaitForSwitch(row.stored));
        ServiceProcess service;
        ASSERT_NE(nullptr, service.window);

        ASSERT_TRUE(hc::PointerTo({1023, 0}));
        ASSERT_TRUE(WaitForState(service.window, kStateSuppressed));
        EXPECT_EQ(1, Corner(hc::ServiceState(service.window)));
        EXPECT_TRUE(WaitForSwitch("0"));
        EXPECT_EQ(0u, hc::Probe("saveractive"));

        ASSERT_TRUE(hc::PointerTo(kMiddle));
        ASSERT_TRUE(WaitForState(service.window, kStateIdle));
        EXPECT_TRUE(WaitForSwitch(row.stored));

        // Ending while in the corner gives screen saving back as well.
        ASSERT_TRUE(hc::PointerTo({1023, 0}));
        ASSERT_TRUE(WaitForState(service.window, kStateSuppressed));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), service.Close());
        EXPECT_EQ(row.stored, hc::StoredSaverSwitch());
        EXPECT_EQ(static_cast<DWORD>(row.switchBefore), hc::Probe("saveractive"));
        ASSERT_TRUE(hc::PointerTo(kMiddle));
    }
}

// A top-level window of the test that counts the saver requests it gets
// (Wine itself starts no saver for them) and paints itself in one colour.
class TestWindow {
public:
    TestWindow(RECT rect, COLORREF colour) : brush_(CreateSolidBrush(colour))
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = brush_;
        wc.lpszClassName = "HotCornersTestWindow";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "Test", WS_POPUP | WS_VISIBLE, rect.left,
                                 rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(window);
        hc::PumpFor(300);
    }
    ~TestWindow()
    {
        DestroyWindow(window);
        DeleteObject(brush_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    static std::atomic<int> saverRequests;
    HWND window = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE) {
            ++saverRequests;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HBRUSH brush_;
};
std::atomic<int> TestWindow::saverRequests{0};

// A Now corner asks the foreground window for the saver once per visit, on
// the third tick; without a usable saver it shows the failure instead.
TEST(Service, NowCornerStartsTheSaverOncePerVisit)
{
    struct Row {
        const char* saver; // "SCRNSAVE.EXE" in system.ini; null: none
        long finalState;
        int requests;
    } rows[] = {
        {"C:\\windows\\corner.scr", kStateStarting, 1},
        {nullptr, kStateFailed, 0},
        {"C:\\windows\\missing.scr", kStateFailed, 0},
    };
    hc::InstallModule();
    hc::SetCornerCodes("Y---");
    HANDLE file = CreateFileA("C:\\windows\\corner.scr", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    CloseHandle(file);
    TestWindow front({300, 300, 500, 400}, RGB(255, 255, 255));
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    for (int visit = 0; visit < 2; ++visit) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << (row.saver ? row.saver : "no saver") << ", visit "
                                            << visit);
            WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", row.saver, "system.ini");
            // The service took no activation from it.
            ASSERT_EQ(front.window, GetForegroundWindow());
            TestWindow::saverRequests = 0;
            ASSERT_TRUE(hc::PointerTo({0, 0}));
            // The first ticks in the corner only wait.
            EXPECT_TRUE(WaitForState(service.window, kStatePending));
            EXPECT_EQ(0, TestWindow::saverRequests.load());
            ASSERT_TRUE(WaitForState(service.window, row.finalState));
            EXPECT_EQ(0, Corner(hc::ServiceState(service.window)));
            // Further ticks in the corner change nothing.
            hc::PumpFor(2000);
            EXPECT_EQ(row.finalState, State(hc::ServiceState(service.window)));
            EXPECT_EQ(row.requests, TestWindow::saverRequests.load());
            ASSERT_TRUE(hc::PointerTo(kMiddle));
            ASSERT_TRUE(WaitForState(service.window, kStateIdle));
        }
    }
}

// The service's window records the corner changes it is told of.
std::atomic<int> gCornerChanges{0};
std::atomic<LPARAM> gLastCodes{0};
WNDPROC gServiceProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTCORNERS && wParam == HC_CORNERS_CHANGED) {
        gLastCodes = lParam;
        ++gCornerChanges;
    }
    return CallWindowProcA(gServiceProc, window, message, wParam, lParam);
}

DWORD WINAPI HostService(void* entry)
{
    reinterpret_cast<void(CALLBACK*)(HWND, HINSTANCE, LPSTR, int)>(entry)(nullptr, nullptr,
                                                                         nullptr, 1);
    return 0;
}

// The screen saver, a process of its own, tells the module after it changed
// "Mouse Corners": every listening window hears of a real change once, and
// of no change nothing.
TEST(Service, CornerChangeFromAPeerReachesListenersOnce)
{
    std::string module = hc::InstallModule();
    HMODULE quadrix = LoadLibraryA(module.c_str());
    ASSERT_NE(nullptr, quadrix);
    FARPROC runService = GetProcAddress(quadrix, "RunService");
    ASSERT_NE(nullptr, runService);
    HANDLE thread = CreateThread(nullptr, 0, HostService, reinterpret_cast<void*>(runService), 0,
                                 nullptr);
    HWND service = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, service);
    gServiceProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        service, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));

    struct Step {
        const char* stored;
        int changes;
    } steps[] = {{"N-Y-", 1}, {"N-Y-", 1}, {"--Y-", 2}, {"--Y-", 2}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.stored);
        hc::SetCornerCodes(step.stored);
        EXPECT_EQ(0u, hc::Probe("changed"));
        EXPECT_EQ(step.changes, gCornerChanges.load());
        LPARAM packed = step.stored[0] | step.stored[1] << 8 | step.stored[2] << 16 |
                        static_cast<LPARAM>(step.stored[3]) << 24;
        EXPECT_EQ(packed, gLastCodes.load());
        if (step.stored[0] == 'N') {
            // The service took the new codes: top-left is a Never corner now.
            ASSERT_TRUE(hc::PointerTo({0, 0}));
            EXPECT_TRUE(WaitForState(service, kStateSuppressed));
            ASSERT_TRUE(hc::PointerTo(kMiddle));
            EXPECT_TRUE(WaitForState(service, kStateIdle));
        }
    }
    PostMessageA(service, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, hc::kExitTimeout));
    CloseHandle(thread);
}

// The picture (left half) and mask (right half) of a mark bitmap, as the
// system reads the file (the marks are stored with a palette).
struct Mark {
    int width = 0, height = 0;
    std::vector<COLORREF> picture, mask; // top-down, width x height each
};

Mark ReadMark(const std::string& path)
{
    Mark mark;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, support::WinPath(path).c_str(),
                                                     IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) != sizeof info) {
        if (bitmap)
            DeleteObject(bitmap);
        return mark;
    }
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight; // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                         &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    if (rows != info.bmHeight)
        return mark;
    mark.width = info.bmWidth / 2;
    mark.height = info.bmHeight;
    for (int y = 0; y < mark.height; ++y)
        for (int x = 0; x < info.bmWidth; ++x) {
            std::uint32_t p = pixels[static_cast<std::size_t>(y) * info.bmWidth + x];
            COLORREF c = RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
            (x < mark.width ? mark.picture : mark.mask).push_back(c);
        }
    return mark;
}

// Pixels of the screen that differ from what is expected at (left, top).
int Differences(int left, int top, const Mark& mark, COLORREF background, bool withMark)
{
    int differences = 0;
    for (int y = 0; y < mark.height; ++y) {
        for (int x = 0; x < mark.width; ++x) {
            std::size_t i = static_cast<std::size_t>(y) * mark.width + x;
            bool covered = withMark && mark.mask[i] == RGB(0, 0, 0);
            COLORREF expected = covered ? mark.picture[i] : background;
            differences += robot::ScreenPixel(left + x, top + y) != expected;
        }
    }
    return differences;
}

// Feedback marks on: resting in a Never corner draws the suppressed mark
// over what the screen shows there, and leaving the corner wipes it off.
TEST(Indicators, FeedbackMarkIsDrawnInTheCornerAndWipedOff)
{
    const COLORREF kBackground = RGB(200, 220, 240);
    Mark mark = ReadMark(QUADRIX_ART "/mark-suppressed.bmp");
    ASSERT_EQ(22, mark.width);
    ASSERT_EQ(16, mark.height);
    hc::InstallModule();
    hc::SetCornerCodes("-N--");
    TestWindow behind({1024 - 320, 0, 1024, 200}, kBackground);
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    const int left = 1024 - mark.width, top = 0;
    ASSERT_EQ(0, Differences(left, top, mark, kBackground, false));

    ASSERT_TRUE(hc::PointerTo({1023, 0}));
    ASSERT_TRUE(WaitForState(service.window, kStateSuppressed));
    EXPECT_TRUE(hc::PumpUntil([&] { return Differences(left, top, mark, kBackground, true) == 0; },
                              5000));
    robot::Screenshot(support::ArtifactPath("feedback-mark.png"));

    ASSERT_TRUE(hc::PointerTo(kMiddle));
    ASSERT_TRUE(WaitForState(service.window, kStateIdle));
    EXPECT_TRUE(hc::PumpUntil(
        [&] { return Differences(left, top, mark, kBackground, false) == 0; }, 5000));
}

// A right click on the tray icon opens the menu; its third item saves now
// (here without a saver: the failed state) and its fifth ends the service.
TEST(Indicators, TrayMenuSavesNowAndQuits)
{
    hc::InstallModule();
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    struct Row {
        int item;
        long state;
    } rows[] = {{2, kStateFailed}, {4, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        PostMessageA(service.window, WM_APP + 1, 100, WM_RBUTTONDOWN);
        ASSERT_TRUE(robot::ChooseMenuItem(row.item, hc::kStartTimeout));
        if (row.state >= 0) {
            EXPECT_TRUE(WaitForState(service.window, row.state));
        }
    }
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(service.child(), hc::kExitTimeout));
    EXPECT_EQ(0u, hc::Probe("detect"));
}

} // namespace
