// The steps after the payloads are in place.
#pragma once
#include <windows.h>

// Installs quadrix.dll into the Windows directory from the resource
// resourceName. Returns non-zero when the module is in place.
int InstallHotCorners(HWND owner, const char* resourceName);
