// The settings page in a real property sheet, hosted as the Display control
// panel hosts it: the module loaded in-process and asked through COM.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "common/picker_geometry.h"
#include "hotcorners/resource.h"
#include "robot.h"
#include "support.h"
#include "ui_support.h"

namespace {

using namespace hcui;

const int kApplyButton = 0x3021;

std::string Codes(HWND picker)
{
    char codes[picker::kCorners];
    picker::CornersFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrA(picker, GWL_STYLE)), codes);
    return std::string(codes, picker::kCorners);
}

TEST(SettingsPage, EditedAndAppliedInAPropertySheet)
{
    const std::string module = hc::InstallModule();
    hc::SetCornerCodes("Y-Y-");
    WriteText(HKEY_LOCAL_MACHINE, kPageKey, nullptr, kPageClassId);
    robot::Child host = hc::StartEntry("RunService");
    HWND service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);

    PageHost shell(module);
    ASSERT_TRUE(shell.Loaded());
    EXPECT_EQ(S_OK, shell.CanUnloadNow());

    void* poisoned = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, shell.GetClassObject(CLSID_ShellLink, IID_IClassFactory, &poisoned));
    EXPECT_EQ(nullptr, poisoned);

    ASSERT_EQ(S_OK, shell.GetFactory());
    ComRef<IShellExtInit> aggregated;
    IUnknown* outer = reinterpret_cast<IUnknown*>(shell.factory.Get());
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              shell.factory->CreateInstance(outer, IID_IShellExtInit, aggregated.Out()));
    ASSERT_EQ(S_OK, shell.CreateExtension());
    EXPECT_EQ(S_OK, shell.Initialize());
    ASSERT_EQ(S_OK, shell.QuerySheetExtension());
    EXPECT_EQ(S_OK, shell.AddPages());
    ASSERT_EQ(1u, shell.pages.size());

    HWND sheet = shell.OpenSheet();
    ASSERT_NE(nullptr, sheet);
    // Windows counts the page in the module's object count (PSP_USEREFPARENT);
    // Wine 8 does not, so this host holds the extension while the sheet lives.
    EXPECT_EQ(S_FALSE, shell.CanUnloadNow()) << "the sheet keeps the module";

    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(nullptr, page);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDOK)));
    HWND picker = GetDlgItem(page, IDC_CORNERS);
    EXPECT_EQ("Y-Y-", Codes(picker));
    EXPECT_TRUE(hc::PumpUntil([&] { return IsWindowEnabled(picker) != FALSE; }, kWaitMs));
    EXPECT_TRUE(robot::IsChecked(page, IDC_PAGE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));

    // "Never" for the top-right corner, as its menu gives it: the page
    // hears of it and the sheet's Apply button wakes.
    SendMessageA(picker, WM_COMMAND, picker::MenuCommand(1, 2), 0);
    EXPECT_EQ("YNY-", Codes(picker));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    hc::PumpFor(500);
    robot::WindowShot(sheet, support::ArtifactPath("hotcorners-page.png"));
    PropSheet_PressButton(sheet, PSBTN_APPLYNOW);
    EXPECT_TRUE(hc::PumpUntil([] {
        return RawText(HKEY_CURRENT_USER, kCornersKey, "Mouse Corners") == std::string("YNY-", 5);
    }, kWaitMs));
    ASSERT_TRUE(robot::MoveMouse({1023, 0}));
    EXPECT_TRUE(hc::PumpUntil([&] { return hc::ServiceState(service) == 0x10001; }, hc::kTickTimeout));
    ASSERT_TRUE(robot::MoveMouse({512, 384}));

    PropSheet_PressButton(sheet, PSBTN_OK);
    EXPECT_TRUE(hc::PumpUntil([&] { return PropSheet_GetCurrentPageHwnd(sheet) == nullptr; }, kWaitMs));
    shell.Close();
    EXPECT_EQ(S_OK, shell.CanUnloadNow()) << "no object of the module is left";
    robot::Finish(host);
}

} // namespace
