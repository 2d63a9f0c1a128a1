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

const CLSID kExtension = {0x9CB48109, 0xE0FC, 0x11D0, {0x8E, 0x0C, 0xC5, 0x25, 0x23, 0x88, 0x6C, 0x3B}};
const int kApplyButton = 0x3021;

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages)
{
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

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
    WriteText(HKEY_LOCAL_MACHINE, kPageKey, nullptr, "{9CB48109-E0FC-11D0-8E0C-C52523886C3B}");
    robot::Child host = hc::StartEntry("RunService");
    HWND service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);

    CoInitialize(nullptr);
    HMODULE library = LoadLibraryA(module.c_str());
    ASSERT_NE(nullptr, library);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
    ASSERT_TRUE(getClassObject && canUnload);
    EXPECT_EQ(S_OK, canUnload());

    void* poisoned = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(CLSID_ShellLink, IID_IClassFactory, &poisoned));
    EXPECT_EQ(nullptr, poisoned);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClassObject(kExtension, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IShellExtInit* init = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(reinterpret_cast<IUnknown*>(factory),
                                                             IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    factory->Release();
    EXPECT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
    IShellPropSheetExt* sheetExt = nullptr;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExt)));
    std::vector<HPROPSHEETPAGE> pages;
    EXPECT_EQ(S_OK, sheetExt->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages)));
    ASSERT_EQ(1u, pages.size());

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = "Display Properties";
    header.nPages = 1;
    header.phpage = pages.data();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    ASSERT_NE(nullptr, sheet);
    // Windows counts the page in the module's object count (PSP_USEREFPARENT);
    // Wine 8 does not, so this host holds the extension while the sheet lives.
    EXPECT_EQ(S_FALSE, canUnload()) << "the sheet keeps the module";

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
    DestroyWindow(sheet);
    hc::PumpFor(200);
    sheetExt->Release();
    init->Release();
    EXPECT_EQ(S_OK, canUnload()) << "no object of the module is left";
    FreeLibrary(library);
    CoUninitialize();
    robot::Finish(host);
}

} // namespace
