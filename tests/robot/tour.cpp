// tour.exe INSTALLER SCREENSHOT_DIR: runs the installer as a user would,
// through "&Install" and the Preview dialog, answering every message box
// with its first button, and saves a screenshot of each stage.
#include <cstdio>
#include <string>

#include "robot.h"

namespace {

constexpr DWORD kTimeout = 30000;

std::string Shot(const std::string& directory, const char* name)
{
    std::string path = directory + "\\" + name;
    if (!robot::Screenshot(path))
        std::printf("  (no screenshot: %s)\n", path.c_str());
    return path;
}

// Answers message boxes until the Preview dialog shows or the installer ends.
HWND AnswerBoxesUntilPreview(const robot::Child& child)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2 * kTimeout) {
        if (robot::WaitExit(child, 50) != STILL_ACTIVE)
            return nullptr;
        for (HWND window : robot::TopWindows(child.id)) {
            if (robot::ClassName(window) != "#32770")
                continue;
            if (robot::Text(window) == "Preview")
                return window;
            robot::MessageBoxView box =
                robot::WaitForMessageBox(robot::Text(window).c_str(), 2000, child.id);
            if (box.buttons.empty())
                continue;
            std::printf("  message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
            robot::Press(window, box.buttons.front());
            robot::WaitUntilGone(window, 5000);
        }
    }
    return nullptr;
}

HWND FindService()
{
    HWND service = nullptr; // a hidden window
    robot::WaitFor([&] { return (service = FindWindowA("QuadrixService", nullptr)) != nullptr; }, 10000);
    return service;
}

// "rundll32.exe <Windows>\quadrix.dll,<entry>" run to its end.
void RunModuleEntry(const std::string& module, const char* entry)
{
    robot::Child child = robot::Start("rundll32.exe " + module + "," + entry);
    robot::WaitExit(child, kTimeout);
    robot::Finish(child);
}

// The hot corners after the installation: the service running, the settings
// dialog making the top-right corner a Never corner, and the service's
// feedback mark there while the pointer rests in it.
void ShowHotCorners(const std::string& directory)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string module = std::string(windows) + "\\quadrix.dll";
    HWND service = FindService();
    if (!service) {
        std::printf("hot corners: no service after the installation; InstallSilently\n");
        RunModuleEntry(module, "InstallSilently");
        service = FindService();
    }
    if (!service) {
        std::printf("hot corners: no service\n");
        return;
    }
    std::printf("hot corners: the service runs\n");

    // The settings dialog, where the user makes the top-right corner a
    // Never corner (the picker's marker menu: Default, Now, Never).
    robot::Child dialog = robot::Start("rundll32.exe " + module + ",RunDialog");
    if (HWND settings = robot::WaitForDialog("Hot Corners", kTimeout, dialog.id)) {
        robot::Settle(dialog);
        robot::Click(GetDlgItem(settings, 1012), {150, 25});
        robot::ChooseMenuItem(2, kTimeout);
        robot::Settle(dialog);
        std::printf("dialog \"Hot Corners\", top-right corner Never: %s\n",
                    Shot(directory, "3-hot-corners-settings.png").c_str());
        robot::Press(settings, IDOK);
        robot::WaitExit(dialog, kTimeout);
    }
    robot::Finish(dialog);

    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    robot::MoveMouse({width - 1, 0});
    // The service's state: 1 while a Never corner holds the saver off.
    bool held = robot::WaitFor([&] { return (SendMessageA(service, WM_APP, 108, 0) & 0xFFFF) == 1; }, 10000);
    Sleep(800);
    std::printf("hot corners: pointer in the top-right corner, saver %s, its mark: %s\n",
                held ? "held off" : "not held off", Shot(directory, "4-hot-corner.png").c_str());
    robot::MoveMouse({width / 2, height / 2});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tour INSTALLER SCREENSHOT_DIR\n");
        return 2;
    }
    std::string directory = argv[2];
    CreateDirectoryA(directory.c_str(), nullptr);

    robot::Child child = robot::Start(std::string("\"") + argv[1] + "\"");
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kTimeout, child.id);
    if (!prelim) {
        std::printf("the installer showed no dialog\n");
        robot::Finish(child);
        return 1;
    }
    robot::Settle(child);
    std::printf("dialog \"Orbelle screen saver\": %s\n", Shot(directory, "1-prelim.png").c_str());
    robot::Press(prelim, IDOK);

    if (HWND preview = AnswerBoxesUntilPreview(child)) {
        // Give the saver time to come up and the status line to settle.
        robot::WaitFor([&] {
            return robot::ItemText(preview, 2) == "Screen saver succesfully installed!";
        }, 10000);
        robot::Settle(child, 1500);
        std::printf("dialog \"Preview\" (%s): %s\n", robot::ItemText(preview, 2).c_str(),
                    Shot(directory, "2-preview.png").c_str());
        robot::Press(preview, IDOK);
    }
    DWORD code = robot::WaitExit(child, kTimeout);
    std::printf("installer exit code: %lu\n", static_cast<unsigned long>(code));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    for (const char* name : {"orbelle.scr", "quadrix.dll", "unglimex.exe"}) {
        std::string path = std::string(windows) + "\\" + name;
        bool present = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        std::printf("  %s: %s\n", path.c_str(), present ? "installed" : "missing");
    }
    robot::Finish(child);
    ShowHotCorners(directory);
    return code == 1 ? 0 : 1;
}
