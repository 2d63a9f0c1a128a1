// The module's settings page and dialog under 150 % display scaling: the
// test bench starts this program's prefix at 144 dpi (ORBELLE_LOGPIXELS).
// The module has no manifest: it takes its host's awareness. This test
// program is DPI-aware, as the Display control panel is, and hosts the page;
// the dialog runs in rundll32 as the service's tray menu starts it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "robot.h"
#include "support.h"
#include "ui_support.h"

namespace {

using namespace hcui;

const bool gAware = SetProcessDPIAware() != FALSE;
const CLSID kExtension = {0x9CB48109, 0xE0FC, 0x11D0, {0x8E, 0x0C, 0xC5, 0x25, 0x23, 0x88, 0x6C, 0x3B}};
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages)
{
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

TEST(HotCornersAt144Dpi, ThePagesTextsFitInADpiAwareHost)
{
    ASSERT_TRUE(gAware);
    ASSERT_EQ(144, robot::ScreenDpi());
    const std::string module = hc::InstallModule();
    CoInitialize(nullptr);
    HMODULE library = LoadLibraryA(module.c_str());
    ASSERT_NE(nullptr, library);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    ASSERT_NE(nullptr, getClassObject);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClassObject(kExtension, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IShellExtInit* init = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    factory->Release();
    init->Initialize(nullptr, nullptr, nullptr);
    IShellPropSheetExt* sheetExt = nullptr;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExt)));
    std::vector<HPROPSHEETPAGE> pages;
    sheetExt->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
    ASSERT_EQ(1u, pages.size());
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = "Display Properties";
    header.nPages = 1;
    header.phpage = pages.data();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    ASSERT_NE(nullptr, sheet);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(nullptr, page);
    hc::PumpFor(700);
    std::vector<std::string> clipped = robot::TextsThatDoNotFit(page, "MS Sans Serif", 8);
    EXPECT_TRUE(clipped.empty()) << robot::Lines(clipped);
    robot::WindowShot(sheet, support::ArtifactPath("hotcorners-page-144dpi.png"));
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
    hc::PumpUntil([&] { return PropSheet_GetCurrentPageHwnd(sheet) == nullptr; }, kWaitMs);
    DestroyWindow(sheet);
    hc::PumpFor(200);
    sheetExt->Release();
    init->Release();
    FreeLibrary(library);
    CoUninitialize();
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
