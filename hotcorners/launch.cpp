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

bool LaunchModuleEntry(const char* entry)
{
    char path[kModulePathSize] = {};
    DWORD length = GetModuleFileNameA(gModule, path, kModulePathSize);
    if (length == 0 || length > kModulePathLimit)
        return false;
    char command[kCommandSize];
    if (!FormatText(command, sizeof command, "rundll32 %s,%s", path, entry))
        return false;
    return LaunchCommandLine(command);
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
