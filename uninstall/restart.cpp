// Deleting a file when Windows next starts, for a file that cannot be
// deleted now: the way installers have always left such work to the system.
#include <cstring>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "uninstall/unglimex.h"

namespace {

// The whole [rename] section as the profile functions pass it: lines that
// each end in a zero, one more zero at the end. The Windows 95 family keeps
// a section under 32 KB.
constexpr std::size_t kSectionSize = 32768;
constexpr char kWininit[] = "wininit.ini";

} // namespace

bool IsWindows95Family()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

namespace {

// The NT family's session manager deletes the file early in the next start.
// Looked up, not imported: the first Windows 95 has no use for it.
bool ScheduleWithSessionManager(const char* path)
{
    typedef BOOL(WINAPI * MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);
    auto moveFileEx =
        LibraryExport<MoveFileExFunction>(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
    return moveFileEx && moveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Whether section (lines ending in zeros, an empty line at the end) holds line.
bool SectionHolds(const char* section, const char* line)
{
    for (const char* p = section; *p; p += std::strlen(p) + 1) {
        if (lstrcmpiA(p, line) == 0)
            return true;
    }
    return false;
}

// The Windows 95 family: before Windows starts, WININIT.EXE works through
// the [rename] section of WININIT.INI in the Windows directory, where
// "NUL=file" deletes the file. It runs under DOS and so takes short names.
// The section is written whole because its one key (NUL) may stand many
// times; other programs' lines are kept, and a section too full to be read
// whole is never written back cut.
bool ScheduleWithWininit(const char* path)
{
    char shortPath[kPathSize];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
    char line[kPathSize + 8];
    if (length == 0 || length >= sizeof shortPath ||
        !FormatText(line, sizeof line, "NUL=%s", shortPath))
        return false;
    static char section[kSectionSize];
    DWORD used = GetPrivateProfileSectionA("rename", section, sizeof section, kWininit);
    if (used >= sizeof section - 2)
        return false;
    if (SectionHolds(section, line))
        return true;
    std::size_t lineLength = std::strlen(line);
    if (used + lineLength + 2 > sizeof section)
        return false;
    std::memcpy(section + used, line, lineLength + 1);
    section[used + lineLength + 1] = '\0';
    return WritePrivateProfileSectionA("rename", section, kWininit) != FALSE;
}

} // namespace

bool DeleteAtRestart(const char* path)
{
    if (!path[0])
        return false;
    return IsWindows95Family() ? ScheduleWithWininit(path) : ScheduleWithSessionManager(path);
}
