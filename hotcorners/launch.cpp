// The processes the module starts: its own entries through rundll32 and the
// Display control panel's screen-saver page.
#include "hotcorners/launch.h"

#include "hotcorners/quadrix.h"
#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

constexpr DWORD kModulePathSize = 1000;
// A longer module path leaves no room for the rest of the command line.
constexpr DWORD kModulePathLimit = 990;
constexpr size_t kCommandSize = 1024;

} // namespace

namespace {

// The 32-bit host of a 32-bit module on 64-bit Windows; 0 elsewhere. Both
// functions are looked up: Windows 95 and NT 4 have neither.
UINT Wow64Directory(char directory[kPathSize])
{
    using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
    using Wow64Directory = UINT(WINAPI*)(char*, UINT);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto isWow64 = LibraryExport<IsWow64>(kernel, "IsWow64Process");
    auto wow64Directory = LibraryExport<Wow64Directory>(kernel, "GetSystemWow64DirectoryA");
    BOOL wow64 = FALSE;
    if (!isWow64 || !wow64Directory || !isWow64(GetCurrentProcess(), &wow64) || !wow64)
        return 0;
    return wow64Directory(directory, kPathSize);
}

// rundll32.exe in directory (length characters, 0 for none), when it is
// there and fits.
bool RundllIn(char* path, unsigned size, const char* directory, UINT length)
{
    return length != 0 && length < kPathSize && JoinPath(path, size, directory, "rundll32.exe") &&
           GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool RundllPath(char* path, unsigned size)
{
    // A 32-bit module on 64-bit Windows names the 32-bit host in SysWOW64:
    // the plain name, resolved by a 64-bit caller such as the desktop shell,
    // would start the 64-bit host, which only starts the 32-bit one for this
    // module and waits beside it. The NT family keeps rundll32.exe in the
    // system directory, the Windows 95 family in the Windows directory.
    char wow64[kPathSize], system[kPathSize], windows[kPathSize];
    UINT wow64Length = Wow64Directory(wow64);
    UINT systemLength = GetSystemDirectoryA(system, sizeof system);
    if (RundllIn(path, size, wow64, wow64Length) || RundllIn(path, size, system, systemLength) ||
        RundllIn(path, size, windows, GetWindowsDirectoryA(windows, sizeof windows)))
        return true;
    // None seen (Wine, for one, runs its own host from a name with no file
    // behind it): the first directory's name.
    const char* directory = wow64Length != 0 && wow64Length < sizeof wow64 ? wow64 : system;
    UINT length = directory == wow64 ? wow64Length : systemLength;
    return length != 0 && length < kPathSize && JoinPath(path, size, directory, "rundll32.exe");
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

namespace {

// The configured saver as "system.ini" names it; false when none is.
bool ReadConfiguredSaver(char* path, unsigned size)
{
    return GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", path, size, "system.ini") != 0;
}

} // namespace

bool LaunchSaverSettings()
{
    char saver[kSaverPathSize] = {};
    ReadConfiguredSaver(saver, sizeof saver);
    char host[kPathSize];
    char command[kCommandSize];
    if (!RundllPath(host, sizeof host) ||
        !FormatText(command, sizeof command, "\"%s\" desk.cpl,InstallScreenSaver %s", host, saver))
        return false;
    return LaunchCommandLine(command);
}

namespace {

// True when path lies in directory (a prefix up to a backslash, letter case
// ignored); rest then points at the text after that backslash.
bool InDirectory(const char* path, const char* directory, const char** rest)
{
    int length = lstrlenA(directory);
    if (length == 0 || length >= static_cast<int>(kPathSize) || lstrlenA(path) <= length || path[length] != '\\')
        return false;
    char head[kPathSize];
    lstrcpynA(head, path, length + 1);
    if (lstrcmpiA(head, directory) != 0)
        return false;
    *rest = path + length + 1;
    return true;
}

// A 32-bit process on 64-bit Windows reads the system directory as
// SysWOW64; "Sysnative" in the Windows directory names the real one. The
// saver's path is named as Windows names it, in either its long or its
// short form.
bool MapToNativeSystemDirectory(char* path, unsigned size)
{
    char wow64[kPathSize], system[kPathSize], shortSystem[kPathSize], windows[kPathSize];
    if (Wow64Directory(wow64) == 0)
        return true;
    UINT length = GetSystemDirectoryA(system, sizeof system);
    DWORD shortLength = length ? GetShortPathNameA(system, shortSystem, sizeof shortSystem) : 0;
    if (shortLength == 0 || shortLength >= sizeof shortSystem)
        shortSystem[0] = 0;
    const char* rest = nullptr;
    UINT windowsLength = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof system || windowsLength == 0 ||
        windowsLength >= sizeof windows ||
        (!InDirectory(path, system, &rest) && !InDirectory(path, shortSystem, &rest)))
        return true;
    // Windows XP x64 has no Sysnative (short of a hotfix): the path stays.
    char mapped[kPathSize];
    if (!FormatText(mapped, sizeof mapped, "%s\\Sysnative\\%s", windows, rest) ||
        GetFileAttributesA(mapped) == INVALID_FILE_ATTRIBUTES)
        return true;
    return CopyText(path, size, mapped);
}

} // namespace

bool ConfiguredSaverPath(char* path, unsigned size)
{
    return ReadConfiguredSaver(path, size) && MapToNativeSystemDirectory(path, size);
}

bool LaunchSaver()
{
    char saver[kSaverPathSize] = {};
    char command[kCommandSize];
    if (!ConfiguredSaverPath(saver, sizeof saver) ||
        !FormatText(command, sizeof command, "\"%s\" /s", saver))
        return false;
    return LaunchCommandLine(command);
}
