// The settings dialog through its rundll32 entries, driven as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hotcorners/resource.h"
#include "robot.h"
#include "support.h"
#include "ui_support.h"

namespace {

using namespace hcui;
using hc::InstallModule;

void Close(robot::Child& child, HWND dialog, int button)
{
    robot::Press(dialog, button);
    EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs)) << "rundll32 always ends with 0";
    robot::Finish(child);
}

TEST(SettingsDialog, TitleOfTheCallersWindowFollowsTheCommandText)
{
    const std::string module = InstallModule();
    struct Case {
        const char* command;
        bool titled;
    } const cases[] = {
        {"/notitle", false}, {"-notitle", false}, {"/NOTITLE", true}, {nullptr, true}, {"/notitle x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command ? c.command : "(no command text)");
        robot::Child child = StartEntry(module, "RunDialog", c.command);
        HWND dialog = WaitForSettings(child);
        ASSERT_NE(nullptr, dialog);
        HWND host = GetWindow(dialog, GW_OWNER);
        ASSERT_NE(nullptr, host) << "the dialog is owned by rundll32's window";
        EXPECT_EQ(c.titled, robot::Text(host) == "Quadrix") << robot::Text(host);
        Close(child, dialog, IDCANCEL);
    }
}

TEST(SettingsDialog, OnlyOneOpensAcrossProcesses)
{
    const std::string module = InstallModule();
    robot::Child first = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(first);
    ASSERT_NE(nullptr, dialog);
    robot::Child about = StartEntry(module, "RunAboutDialog");
    HWND box = robot::WaitForDialog("About", kWaitMs, about.id);
    ASSERT_NE(nullptr, box) << "the About box has a slot of its own";
    const std::vector<std::string> texts = robot::StaticTexts(box);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "Quadrix 3.0"));

    robot::Child second = StartEntry(module, "RunDialog");
    EXPECT_EQ(0u, robot::WaitExit(second, kWaitMs)) << "the second one returns at once";
    robot::Finish(second);
    EXPECT_EQ(dialog, GetForegroundWindow()) << "and brings the open one to the front";
    EXPECT_EQ(1u, robot::TopWindows(first.id).size());

    Close(about, box, IDOK);
    Close(first, dialog, IDCANCEL);
    // With the first one gone, the next one opens.
    robot::Child third = StartEntry(module, "RunDialog");
    HWND again = WaitForSettings(third);
    ASSERT_NE(nullptr, again);
    Close(third, again, IDCANCEL);
}

TEST(SettingsDialog, RefusesSettingsThatWouldBeUnreachable)
{
    const std::string module = InstallModule();
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    // A fresh profile: no shortcut, no page, the icon on.
    EXPECT_FALSE(robot::IsChecked(dialog, IDC_STARTUP));
    EXPECT_FALSE(robot::IsChecked(dialog, IDC_PAGE));
    EXPECT_TRUE(robot::IsChecked(dialog, IDC_TRAY_ICON));

    robot::Press(dialog, IDOK);
    robot::MessageBoxView warning = robot::WaitForMessageBox("Quadrix", kWaitMs, child.id);
    ASSERT_NE(nullptr, warning.window);
    EXPECT_EQ("You want to turn Quadrix off, in the task bar and the Display Properties dialog.\r\n"
              "But that would make it unaccessible!\r\n"
              "If you want to uninstall Quadrix, do it from the Add/Remove programs menu. (Not here.)",
              warning.text);
    robot::Press(warning.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(warning.window, kWaitMs));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays";
    EXPECT_EQ("<missing>", RawText(HKEY_CURRENT_USER, kCornersKey, "Mouse Corners")) << "nothing stored";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));

    // The page alone keeps them reachable.
    robot::Press(dialog, IDC_PAGE);
    Close(child, dialog, IDOK);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    // Registry texts carry their terminating zero.
    EXPECT_EQ(std::string("{9CB48109-E0FC-11D0-8E0C-C52523886C3B}", 39),
              RawText(HKEY_LOCAL_MACHINE, kPageKey, nullptr));
    EXPECT_EQ(std::string("Quadrix", 8), RawText(HKEY_CLASSES_ROOT, kClassKey, nullptr));
    const std::string server = std::string(kClassKey) + "\\InProcServer32";
    EXPECT_EQ(module + std::string(1, '\0'), RawText(HKEY_CLASSES_ROOT, server.c_str(), nullptr));
    EXPECT_EQ(std::string("Apartment", 10), RawText(HKEY_CLASSES_ROOT, server.c_str(), "ThreadingModel"));
    EXPECT_EQ(std::string("YNN-", 5), RawText(HKEY_CURRENT_USER, kCornersKey, "Mouse Corners"));
}

TEST(SettingsDialog, ModuleOutsideTheWindowsDirectoryOnlyExplains)
{
    const std::string directory = "C:\\Elsewhere";
    CreateDirectoryA(directory.c_str(), nullptr);
    const std::string module = directory + "\\quadrix.dll";
    ASSERT_TRUE(CopyFileA(support::WinPath(QUADRIX_DLL).c_str(), module.c_str(), FALSE));
    for (const char* entry : {"RunDialog", "InstallSilently", "TerminateService"}) {
        SCOPED_TRACE(entry);
        robot::Child child = StartEntry(module, entry);
        robot::MessageBoxView box = robot::WaitForMessageBox("Error: wrong directory", kWaitMs, child.id);
        ASSERT_NE(nullptr, box.window);
        EXPECT_EQ("Error: Quadrix must be in the windows directory, " + support::WindowsDirectory() +
                      ". It is currently in " + directory + ". Please move it.",
                  box.text);
        robot::Press(box.window, IDOK);
        EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs));
        robot::Finish(child);
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey)) << "InstallSilently did nothing";
}

} // namespace
