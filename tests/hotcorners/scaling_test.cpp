// The module's settings page and dialog under 150 % display scaling: the
// test bench starts this program's prefix at 144 dpi (ORBELLE_LOGPIXELS).
// The module has no manifest: it takes its host's awareness. This test
// program is DPI-aware, as the Display control panel is, and hosts the page;
// the dialog runs in rundll32 as the service's tray menu starts it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "robot.h"
#include "support.h"
#include "ui_support.h"

namespace {

using namespace hcui;

const bool gAware = SetProcessDPIAware() != FALSE;

TEST(HotCornersAt144Dpi, ThePagesTextsFitInADpiAwareHost)
{
    ASSERT_TRUE(gAware);
    ASSERT_EQ(144, robot::ScreenDpi());
    const std::string module = hc::InstallModule();
    PageHost shell(module);
    ASSERT_TRUE(shell.Loaded());
    ASSERT_EQ(S_OK, shell.GetFactory());
    ASSERT_EQ(S_OK, shell.CreateExtension());
    shell.Initialize();
    ASSERT_EQ(S_OK, shell.QuerySheetExtension());
    shell.AddPages();
    ASSERT_EQ(1u, shell.pages.size());
    HWND sheet = shell.OpenSheet();
    ASSERT_NE(nullptr, sheet);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(nullptr, page);
    hc::PumpFor(700);
    std::vector<std::string> clipped = robot::TextsThatDoNotFit(page, "MS Sans Serif", 8);
    EXPECT_TRUE(clipped.empty()) << robot::Lines(clipped);
    robot::WindowShot(sheet, support::ArtifactPath("hotcorners-page-144dpi.png"));
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
    hc::PumpUntil([&] { return PropSheet_GetCurrentPageHwnd(sheet) == nullptr; }, kWaitMs);
    shell.Close();
}

TEST(HotCornersAt144Dpi, TheSettingsDialogsTextsFit)
{
    ASSERT_EQ(144, robot::ScreenDpi());
    const std::string module = hc::InstallModule();
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    robot::Settle(child);
    std::vector<std::string> clipped = robot::TextsThatDoNotFit(dialog, "MS Sans Serif", 8);
    EXPECT_TRUE(clipped.empty()) << robot::Lines(clipped);
    robot::WindowShot(dialog, support::ArtifactPath("hotcorners-144dpi.png"));
    robot::Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs));
    robot::Finish(child);
}

} // namespace
