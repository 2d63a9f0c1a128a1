// The settings dialog through its rundll32 entries, driven as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

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

bool Visible(HWND dialog, int id)
{
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// What the dialog shows of the service: the picker and the two option boxes
// usable, the running line shown, only the fitting button enabled.
void ExpectServiceShown(HWND dialog, bool running)
{
    SCOPED_TRACE(running ? "running" : "not running");
    // The dialog's process updates the controls one after the other.
    robot::WaitFor([&] {
        return Enabled(dialog, IDC_CORNERS) == running && Visible(dialog, IDC_RUNNING) == running &&
               Enabled(dialog, IDC_STOP_SERVICE) == running;
    }, kWaitMs);
    EXPECT_EQ(running, Enabled(dialog, IDC_CORNERS));
    EXPECT_EQ(running, Enabled(dialog, IDC_FEEDBACK));
    EXPECT_EQ(running, Enabled(dialog, IDC_TRAY_ICON));
    EXPECT_EQ(running, Visible(dialog, IDC_RUNNING));
    EXPECT_EQ(!running, Visible(dialog, IDC_NOT_RUNNING));
    EXPECT_EQ(!running, Enabled(dialog, IDC_START_SERVICE));
    EXPECT_EQ(running, Enabled(dialog, IDC_STOP_SERVICE));
}

HANDLE OpenServiceProcess(HWND service)
{
    DWORD id = 0;
    GetWindowThreadProcessId(service, &id);
    return OpenProcess(SYNCHRONIZE, FALSE, id);
}

// The dialog follows the service started and stopped anywhere, and a corner
// applied reaches the running service at once.
TEST(SettingsDialog, FollowsTheServiceAndTellsItTheCorners)
{
    const std::string module = InstallModule();
    hc::SetCornerCodes("Y-Y-");
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    ExpectServiceShown(dialog, false);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_START_HINT)));
    robot::Settle(child);
    robot::WindowShot(dialog, support::ArtifactPath("hotcorners-stopped.png"));

    robot::Press(dialog, IDC_START_SERVICE);
    HWND service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);
    ExpectServiceShown(dialog, true);
    robot::Settle(child);
    robot::WindowShot(dialog, support::ArtifactPath("hotcorners-running.png"));

    // "Never" for the top-right corner, applied with OK.
    HWND picker = GetDlgItem(dialog, IDC_CORNERS);
    robot::Click(picker, {150, 25});
    ASSERT_TRUE(robot::ChooseMenuItem(2, kWaitMs));
    robot::Press(dialog, IDC_PAGE); // reachable through the Display control panel
    Close(child, dialog, IDOK);
    EXPECT_EQ(std::string("YNY-", 5), RawText(HKEY_CURRENT_USER, kCornersKey, "Mouse Corners"));
    // The service took the new code: the top-right corner now holds the saver off.
    ASSERT_TRUE(robot::MoveMouse({1023, 0}));
    EXPECT_TRUE(robot::WaitFor([&] { return hc::ServiceState(service) == 0x10001; }, hc::kTickTimeout))
        << hc::ServiceState(service);
    ASSERT_TRUE(robot::MoveMouse({512, 384}));

    // Another dialog opens with the service shown running; its Terminate
    // button stops it and the dialog follows.
    robot::Child second = StartEntry(module, "RunDialog");
    dialog = WaitForSettings(second);
    ASSERT_NE(nullptr, dialog);
    ExpectServiceShown(dialog, true);
    robot::Press(dialog, IDC_STOP_SERVICE);
    EXPECT_TRUE(robot::WaitUntilGone(service, kWaitMs));
    ExpectServiceShown(dialog, false);

    // TerminateService returns once the service's process has let go of the module.
    robot::Press(dialog, IDC_START_SERVICE);
    service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);
    ExpectServiceShown(dialog, true);
    HANDLE process = OpenServiceProcess(service);
    robot::Child terminate = StartEntry(module, "TerminateService", "/notitle");
    EXPECT_EQ(0u, robot::WaitExit(terminate, kWaitMs));
    robot::Finish(terminate);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 0)) << "the service's process has ended";
    CloseHandle(process);
    ExpectServiceShown(dialog, false);
    Close(second, dialog, IDCANCEL);
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
    // Wine hands the foreground on through the display server: for a moment
    // after the second process ends there may be none.
    EXPECT_TRUE(robot::WaitFor([&] { return GetForegroundWindow() == dialog; }, kWaitMs))
        << "and brings the open one to the front";
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
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey));

    // The page alone keeps them reachable.
    robot::Press(dialog, IDC_PAGE);
    Close(child, dialog, IDOK);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    // Registry texts carry their terminating zero.
    EXPECT_EQ(std::string("{9CB48109-E0FC-11D0-8E0C-C52523886C3B}", 39),
              RawText(HKEY_LOCAL_MACHINE, kPageKey, nullptr));
    EXPECT_EQ(std::string("Quadrix", 8), RawText(HKEY_CLASSES_ROOT, kPageClassKey, nullptr));
    const std::string server = std::string(kPageClassKey) + "\\InProcServer32";
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
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey)) << "InstallSilently did nothing";
}

// Windows Vista dropped the Display control panel's extension pages: there
// the box says so, cannot be used, and the page no longer counts as a way to
// the settings. Run under winxp (with the page) and win10 (without).
TEST(SettingsDialog, ThePageCountsOnlyWhereTheSystemHasIt)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const bool pages = version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6;
    const std::string module = InstallModule();
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(pages ? "Page in &Display Properties control panel"
                    : "No page in Display Properties on this Windows",
              robot::Text(GetDlgItem(dialog, IDC_PAGE)));
    EXPECT_EQ(pages, Enabled(dialog, IDC_PAGE));
    // The icon alone, without the start-up shortcut, keeps nothing reachable.
    robot::Press(dialog, IDOK);
    robot::MessageBoxView warning = robot::WaitForMessageBox("Quadrix", kWaitMs, child.id);
    ASSERT_NE(nullptr, warning.window);
    EXPECT_EQ(pages ? "You want to turn Quadrix off, in the task bar and the Display Properties "
                      "dialog.\r\n"
                    : "You want to turn Quadrix off in the task bar, and this Windows has no "
                      "Display Properties page for it.\r\n",
              warning.text.substr(0, warning.text.find('\n') + 1));
    robot::Press(warning.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(warning.window, kWaitMs));
    Close(child, dialog, IDCANCEL);
}

// The page's registration (under HKEY_LOCAL_MACHINE) as a limited user
// meets it on Windows 2000 and later: readable, not writable. The dialog
// shows it ticked.
TEST(SettingsDialog, ALimitedUserSeesThePageRegistered)
{
    WriteText(HKEY_LOCAL_MACHINE, kPageKey, nullptr, "{9CB48109-E0FC-11D0-8E0C-C52523886C3B}");
    // Everyone may read the key, nobody may change or delete it.
    EXPLICIT_ACCESSA readOnly = {};
    char everyone[] = "EVERYONE";
    BuildExplicitAccessWithNameA(&readOnly, everyone, KEY_READ, SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, SetEntriesInAclA(1, &readOnly, nullptr, &acl));
    char path[512] = "MACHINE\\";
    lstrcatA(path, kPageKey);
    ASSERT_EQ(ERROR_SUCCESS, SetNamedSecurityInfoA(path, SE_REGISTRY_KEY,
                                                   DACL_SECURITY_INFORMATION |
                                                       PROTECTED_DACL_SECURITY_INFORMATION,
                                                   nullptr, nullptr, acl, nullptr));
    LocalFree(acl);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPageKey, 0, KEY_ALL_ACCESS, &key))
        << "the key is not read-only";

    const std::string module = InstallModule();
    robot::Child child = StartEntry(module, "RunDialog");
    HWND dialog = WaitForSettings(child);
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(robot::IsChecked(dialog, IDC_PAGE));
    // Windows refuses the limited user the key's deletion when the box is
    // unticked, and the dialog then says that the page stays; Wine deletes
    // a key whose list grants only reading, so that part is not run here.
    Close(child, dialog, IDCANCEL);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
}

} // namespace
