// The corner watch service on two monitors side by side: the test bench
// gives this program's prefix a 1024 x 768 primary monitor and an 800 x 600
// one right of it (ORBELLE_SCREENS=2, scripts/two-monitors.conf).
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "harness.h"
#include "robot.h"
#include "support.h"

namespace {

// The right-hand corners move to the second monitor's outer corners,
// (1824, 0) and (1824, 600); the left-hand ones stay on the primary. A
// Never corner there holds the saver off as on the primary.
TEST(TwoMonitors, TheCornersAreTheOutermostMonitorCorners)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    hc::InstallModule();
    hc::SetCornerCodes("NNN-");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    robot::Child host = hc::StartEntry("RunService");
    HWND service = hc::WaitForService(hc::kTickTimeout);
    ASSERT_NE(nullptr, service);
    struct Row {
        const char* what;
        POINT at;
        long state; // corner in the high word, feedback state in the low one
    } rows[] = {
        {"the second monitor's top-right", {1823, 0}, 0x10001},
        {"the second monitor's bottom-right", {1823, 599}, 0x20001},
        {"the primary's top-left", {0, 0}, 0x00001},
        {"the primary's top-right, now inside", {1023, 0}, 0x40000},
        {"the primary's bottom-right, now inside", {1023, 767}, 0x40000},
        {"the second monitor's top-left, inside", {1024, 0}, 0x40000},
        {"just out of the top-right corner", {1807, 1}, 0x40000},
        {"the edge of the top-right corner", {1808, 0}, 0x10001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(hc::PointerTo(row.at));
        EXPECT_TRUE(hc::PumpUntil([&] { return hc::ServiceState(service) == row.state; }, hc::kTickTimeout))
            << std::hex << hc::ServiceState(service);
    }
    // The system's screen saver is switched off while the pointer rests in
    // the second monitor's Never corner, and on again once it leaves.
    ASSERT_TRUE(hc::PointerTo({1823, 0}));
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::StoredSaverSwitch() == "0"; }, hc::kTickTimeout))
        << hc::StoredSaverSwitch();
    ASSERT_TRUE(hc::PointerTo({512, 384}));
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::StoredSaverSwitch() == "1"; }, hc::kTickTimeout))
        << hc::StoredSaverSwitch();
    PostMessageA(service, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, robot::WaitExit(host, hc::kTickTimeout));
    robot::Finish(host);
}

// Pixels that differ between two captures of the same rectangle.
int Changed(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return -1;
    int changed = 0;
    for (std::size_t i = 0; i + 2 < a.size(); i += 3)
        changed += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return changed;
}

// True when every pixel is the first, and that one is light: the background
// below has painted (the bare X root is not light).
bool PaintedLight(const std::vector<unsigned char>& rgb)
{
    if (rgb.size() < 3 || rgb[0] < 150 || rgb[1] < 150 || rgb[2] < 150)
        return false;
    for (std::size_t i = 3; i + 2 < rgb.size(); i += 3)
        if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2])
            return false;
    return true;
}

// A window of one colour across the top of both monitors: what a wiped mark
// gives back is its own repaint (the bare X root's is not this process's).
HWND MakeBackground()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(200, 220, 240));
    wc.lpszClassName = "TwoMonitorsBackground";
    RegisterClassA(&wc);
    return CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Background", WS_POPUP | WS_VISIBLE,
                           700, 0, 1124, 200, nullptr, nullptr, wc.hInstance, nullptr);
}

// The feedback mark (22 x 16) goes into the corner where the pointer rests,
// the second monitor's top-right, and is wiped off when it leaves; the
// primary's top-right, no corner now, is left alone.
TEST(TwoMonitors, TheFeedbackMarkIsDrawnInTheSecondMonitorsCorner)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    hc::InstallModule();
    hc::SetCornerCodes("-N--");
    HWND background = MakeBackground();
    ASSERT_NE(nullptr, background);
    ASSERT_TRUE(hc::PointerTo({1400, 300}));
    const RECT outer = {1824 - 22, 0, 1824, 16};
    const RECT primary = {1024 - 22, 0, 1024, 16};
    auto capture = [](const RECT& r) {
        return robot::ScreenRgb(r.left, r.top, r.right - r.left, r.bottom - r.top);
    };
    robot::Child host = hc::StartEntry("RunService");
    HWND service = hc::WaitForService(hc::kTickTimeout);
    ASSERT_NE(nullptr, service);
    // "Before": the service sees no corner and the background shows in both.
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::ServiceState(service) == 0x40000; }, hc::kTickTimeout));
    EXPECT_TRUE(hc::PumpUntil([&] { return PaintedLight(capture(outer)) && PaintedLight(capture(primary)); },
                              5000));
    const std::vector<unsigned char> outerBefore = capture(outer);
    const std::vector<unsigned char> primaryBefore = capture(primary);

    ASSERT_TRUE(hc::PointerTo({1823, 0}));
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::ServiceState(service) == 0x10001; }, hc::kTickTimeout));
    EXPECT_TRUE(hc::PumpUntil([&] { return Changed(outerBefore, capture(outer)) > 40; }, 5000))
        << Changed(outerBefore, capture(outer));
    EXPECT_EQ(0, Changed(primaryBefore, capture(primary)));
    robot::Screenshot(support::ArtifactPath("feedback-mark-two-monitors.png"));

    ASSERT_TRUE(hc::PointerTo({1400, 300}));
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::ServiceState(service) == 0x40000; }, hc::kTickTimeout));
    EXPECT_TRUE(hc::PumpUntil([&] { return Changed(outerBefore, capture(outer)) == 0; }, 5000))
        << "wiped off: " << Changed(outerBefore, capture(outer));
    PostMessageA(service, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, robot::WaitExit(host, hc::kTickTimeout));
    robot::Finish(host);
    DestroyWindow(background);
}

} // namespace
