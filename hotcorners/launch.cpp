// The processes the module starts: its own entries through rundll32 and the
// Display control panel's screen-saver page.
#include "hotcorners/quadrix.h"
#include "common/owners.h"
#include "common/text.h"

namespace {

constexpr DWORD kModulePathSize = 1000;
// A longer module path leaves no room for the rest of the command line.
constexpr DWORD kModulePathLimit = 990;
constexpr DWORD kSaverPathSize = 500;
constexpr size_t kCommandSize = 1024;

} // namespace

bool LaunchCommandLine(char* commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return false;
    // Not waited for: the new process lives on its own.
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    return true;
}

namespace {

// This module's file; false when it is too long for a command line.
bool ModulePath(char path[kModulePathSize])
{
    DWORD length = GetModuleFileNameA(gModule, path, kModulePathSize);
    return length != 0 && length <= kModulePathLimit;
}

bool LaunchEntryOf(const char* path, const char* entry)
{
    char command[kCommandSize];
    return FormatText(command, sizeof command, "rundll32 %s,%s", path, entry) &&
           LaunchCommandLine(command);
}

} // namespace

bool LaunchModuleEntry(const char* entry)
{
    char path[kModulePathSize] = {};
    return ModulePath(path) && LaunchEntryOf(path, entry);
}

bool LaunchService()
{
    char path[kModulePathSize] = {};
    char parameters[kCommandSize];
    if (!ModulePath(path) || !FormatText(parameters, sizeof parameters, "%s,RunService", path))
        return false;
    // An elevated caller (an installer) leaves the start to the desktop
    // shell, so that the service runs as the user; anywhere else, or when the
    // shell cannot be asked, the service starts as this process's child.
    return LaunchAsDesktopUser("rundll32.exe", parameters) || LaunchEntryOf(path, "RunService");
}

bool LaunchSaverSettings()
{
    char saver[kSaverPathSize] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", saver, kSaverPathSize, "system.ini");
    char command[kCommandSize];
    if (!FormatText(command, sizeof command, "rundll32 desk.cpl,InstallScreenSaver %s", saver))
        return false;
    return LaunchCommandLine(command);
}
