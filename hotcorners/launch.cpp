// The processes the module starts: its own entries through rundll32 and the
// Display control panel's screen-saver page.
#include "hotcorners/quadrix.h"
#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

constexpr DWORD kModulePathSize = 1000;
// A longer module path leaves no room for the rest of the command line.
constexpr DWORD kModulePathLimit = 990;
constexpr DWORD kSaverPathSize = 500;
constexpr size_t kCommandSize = 1024;

} // namespace

bool RundllPath(char* path, unsigned size)
{
    // A 32-bit module on 64-bit Windows names the 32-bit host in SysWOW64:
    // the plain name, resolved by a 64-bit caller such as the desktop shell,
    // would start the 64-bit host, which only starts the 32-bit one for this
    // module and waits beside it. Both functions are looked up: Windows 95
    // and NT 4 have neither.
    using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
    using Wow64Directory = UINT(WINAPI*)(char*, UINT);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto isWow64 = LibraryExport<IsWow64>(kernel, "IsWow64Process");
    auto wow64Directory = LibraryExport<Wow64Directory>(kernel, "GetSystemWow64DirectoryA");
    char directory[kPathSize];
    BOOL wow64 = FALSE;
    UINT length = 0;
    if (isWow64 && wow64Directory && isWow64(GetCurrentProcess(), &wow64) && wow64)
        length = wow64Directory(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory)
        length = GetSystemDirectoryA(directory, sizeof directory);
    return length != 0 && length < sizeof directory &&
           JoinPath(path, size, directory, "rundll32.exe");
}

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
    char host[kPathSize];
    char command[kCommandSize];
    return RundllPath(host, sizeof host) &&
           FormatText(command, sizeof command, "\"%s\" %s,%s", host, path, entry) &&
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
    char host[kPathSize];
    char parameters[kCommandSize];
    if (!ModulePath(path) || !RundllPath(host, sizeof host) ||
        !FormatText(parameters, sizeof parameters, "%s,RunService", path))
        return false;
    // An elevated caller (an installer) leaves the start to the desktop
    // shell, so that the service runs as the user; anywhere else, or when the
    // shell cannot be asked, the service starts as this process's child.
    return LaunchAsDesktopUser(host, parameters) || LaunchEntryOf(path, "RunService");
}

bool LaunchSaverSettings()
{
    char saver[kSaverPathSize] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", saver, kSaverPathSize, "system.ini");
    char host[kPathSize];
    char command[kCommandSize];
    if (!RundllPath(host, sizeof host) ||
        !FormatText(command, sizeof command, "\"%s\" desk.cpl,InstallScreenSaver %s", host, saver))
        return false;
    return LaunchCommandLine(command);
}

bool LaunchSaver()
{
    char saver[kSaverPathSize] = {};
    char command[kCommandSize];
    if (GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", saver, kSaverPathSize,
                                 "system.ini") == 0 ||
        !FormatText(command, sizeof command, "\"%s\" /s", saver))
        return false;
    return LaunchCommandLine(command);
}
