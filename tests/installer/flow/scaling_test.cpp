// The installer under 150 % display scaling: the test bench starts this
// program's prefix at 144 dpi (ORBELLE_LOGPIXELS). This test program is
// DPI-aware itself, so it sees the screen's real pixels, as the installer
// must.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "robot.h"
#include "support.h"

namespace {

const DWORD kWindowMs = 30000;
const DWORD kExitMs = 60000;
const bool gAware = SetProcessDPIAware() != FALSE;

// The backdrop over the physical work area, its gradient down to the last
// row; the preliminary dialog grown with its font, every text inside its
// control.
TEST(InstallerAt144Dpi, TheBackdropCoversThePhysicalWorkAreaAndTheDialogsTextsFit)
{
    ASSERT_TRUE(gAware);
    ASSERT_EQ(144, robot::ScreenDpi());
    robot::Child child = robot::Start("\"" + support::WinPath(ORBELLE_SETUP) + "\"");
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kWindowMs, child.id);
    ASSERT_NE(nullptr, prelim);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(1024, work.right - work.left) << "the physical work area";
    HWND backdrop = robot::FindTopWindow("InstallClass", "Install Saver", child.id);
    ASSERT_NE(nullptr, backdrop);
    RECT rect;
    GetWindowRect(backdrop, &rect);
    EXPECT_TRUE(EqualRect(&rect, &work))
        << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom;
    const int x = work.left + 3; // left of the centred dialog
    ASSERT_TRUE(robot::WaitFor([&] { return robot::ScreenPixel(x, work.top) == RGB(0, 0, 255); }, 5000));
    COLORREF last = robot::ScreenPixel(x, work.bottom - 1);
    EXPECT_EQ(0, GetRValue(last));
    EXPECT_LE(GetBValue(last), 1) << "the last band, black, on the last physical row";

    // 8-point text at 144 dpi: the dialog is half as large again as at 96.
    RECT client;
    GetClientRect(prelim, &client);
    EXPECT_GT(client.right, 199 * 2 * 5 / 4) << "199 dialog units wide, grown with the font";
    EXPECT_EQ(std::vector<std::string>{}, robot::TextsThatDoNotFit(prelim, "MS Sans Serif", 8))
        << robot::Lines(robot::TextsThatDoNotFit(prelim, "MS Sans Serif", 8));
    robot::Settle(child);
    robot::Screenshot(support::ArtifactPath("prelim-144dpi.png"));
    robot::Press(prelim, IDCANCEL);
    EXPECT_EQ(2u, robot::WaitExit(child, kExitMs));
    robot::Finish(child);
}

} // namespace
