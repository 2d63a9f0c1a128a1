#include "hotcorners/platform.h"

ServiceCalls gServiceCalls = {GetCursorPos, PostMessageA, DefWindowProcA, GetProcAddress,
                              Shell_NotifyIconA};

namespace {

OSVERSIONINFOA SystemVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version;
}

} // namespace

bool IsWindows95Family()
{
    return SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool IsWindows2000OrLater()
{
    OSVERSIONINFOA version = SystemVersion();
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

bool HasDisplayPropertiesPages()
{
    OSVERSIONINFOA version = SystemVersion();
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6;
}
