// The corner picker in the settings dialog, read and clicked as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/picker_geometry.h"
#include "hotcorners/resource.h"
#include "robot.h"
#include "ui_support.h"

namespace {

using namespace hcui;

std::string CodesOf(HWND control)
{
    char codes[picker::kCorners];
    picker::CornersFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrA(control, GWL_STYLE)), codes);
    return std::string(codes, picker::kCorners);
}

// The popup menu window on screen, or null when none shows within waitMs.
HWND OpenMenu(DWORD waitMs)
{
    return robot::WaitForWindow("#32768", nullptr, waitMs);
}

// The item of a three-item menu that shows a check mark, read from the
// screen as a user would (Wine's menus cannot be read from another
// process): the row with dark pixels left of the item texts; -1 for none.
int CheckedItem(HWND menu)
{
    RECT r;
    GetWindowRect(menu, &r);
    const int border = 3, rowHeight = (r.bottom - r.top - 2 * border) / 3;
    int best = -1, bestCount = 4;
    for (int item = 0; item < 3; ++item) {
        int count = 0;
        for (int y = r.top + border + item * rowHeight; y < r.top + border + (item + 1) * rowHeight; ++y)
            for (int x = r.left + border; x < r.left + border + 14; ++x) {
                COLORREF c = robot::ScreenPixel(x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200)
                    ++count;
            }
        if (count > bestCount) {
            best = item;
            bestCount = count;
        }
    }
    return best;
}

void CloseMenu(HWND control)
{
    HWND window = robot::FindTopWindow("#32768", nullptr);
    robot::SendKey(control, VK_ESCAPE);
    robot::WaitUntilGone(window, kWaitMs);
}

// Pixels of the top-left marker (16, 17 in the control) that the disabled
// control covers in the desktop colour, and how many of them show it.
int CheckerPixelsInDesktopColour(HWND control, int* total)
{
    const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    int matching = 0;
    *total = 0;
    for (int row = 0; row < 22; ++row)
        for (int column = 0; column < 24; ++column) {
            if (!picker::IsCheckerPixel(column, row))
                continue;
            POINT at = {16 + column, 17 + row};
            ClientToScreen(control, &at);
            ++*total;
            if (robot::ScreenPixel(at.x, at.y) == desktop)
                ++matching;
        }
    return matching;
}

TEST(Picker, ShowsTheCodesAndOffersEachCornersMenu)
{
    const std::string module = hc::InstallModule();
    hc::SetCornerCodes("Y--N");
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    HWND control = GetDlgItem(dialog, IDC_CORNERS);
    ASSERT_NE(nullptr, control);
    EXPECT_EQ("GlimmexMonitorClass", robot::ClassName(control));
    RECT client;
    GetClientRect(control, &client);
    EXPECT_EQ(184, client.right);
    EXPECT_EQ(170, client.bottom);
    EXPECT_EQ("Y--N", CodesOf(control));
    robot::Settle(child);

    // No service: disabled, the markers checkered, clicks ignored.
    EXPECT_FALSE(IsWindowEnabled(control));
    int total = 0;
    EXPECT_EQ(CheckerPixelsInDesktopColour(control, &total), total);
    robot::Click(control, {20, 20});
    EXPECT_EQ(nullptr, OpenMenu(1500));

    // Enabled (as when the service runs), the markers show whole.
    EnableWindow(control, TRUE);
    robot::Settle(child);
    EXPECT_LT(CheckerPixelsInDesktopColour(control, &total), total / 2);

    struct Click {
        POINT at;
        int checked; // -1: no menu
    } const clicks[] = {{{20, 20}, 1 /* Now */}, {{100, 70}, -1}, {{160, 35}, 0 /* Default */},
                        {{20, 120}, 2 /* Never */}};
    for (const Click& c : clicks) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        robot::Click(control, c.at);
        HWND menu = OpenMenu(c.checked < 0 ? 1500 : kWaitMs);
        if (c.checked < 0) {
            EXPECT_EQ(nullptr, menu);
            continue;
        }
        ASSERT_NE(nullptr, menu);
        robot::Settle(child);
        EXPECT_EQ(c.checked, CheckedItem(menu));
        CloseMenu(control);
    }

    // Both bits of a corner read as the default.
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | 0x300);
    robot::Click(control, {160, 120});
    HWND menu = OpenMenu(kWaitMs);
    ASSERT_NE(nullptr, menu);
    robot::Settle(child);
    EXPECT_EQ(0, CheckedItem(menu));
    // "Never" for the bottom-right corner: bit 9 set, bit 8 cleared.
    ASSERT_TRUE(robot::ChooseMenuItem(2, kWaitMs));
    ASSERT_TRUE(robot::WaitFor([&] { return CodesOf(control) == "Y-NN"; }, kWaitMs)) << CodesOf(control);
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    EXPECT_NE(0, style & 0x200);
    EXPECT_EQ(0, style & 0x100);

    robot::Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs));
    robot::Finish(child);
}

} // namespace
