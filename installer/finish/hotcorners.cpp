#include "common/paths.h"
#include "installer/finish/finish.h"
#include "installer/payload/payload.h"

bool InstallHotCorners(HWND owner, const char* resourceName)
{
    char windows[kPathSize];
    char path[kPathSize];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows ||
        !JoinPath(path, sizeof path, windows, "quadrix.dll"))
        return false;
    return InstallPayload(owner, path, resourceName, "Quadrix", nullptr, nullptr);
}
