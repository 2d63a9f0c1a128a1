// The corner watch service on two monitors side by side: the test bench
// gives this program's prefix a 1024 x 768 primary monitor and an 800 x 600
// one right of it (ORBELLE_SCREENS=2, scripts/two-monitors.conf).
#include <gtest/gtest.h>
#include <windows.h>

#include "harness.h"
#include "robot.h"

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

} // namespace
