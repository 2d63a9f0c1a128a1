#include "harness.h"

#include "support.h"

namespace hc {

std::string InstallModule()
{
    std::string path = support::WindowsDirectory() + "\\quadrix.dll";
    CopyFileA(support::WinPath(QUADRIX_DLL).c_str(), path.c_str(), FALSE);
    return path;
}

robot::Child StartEntry(const char* entry)
{
    return robot::Start("rundll32.exe " + support::WindowsDirectory() + "\\quadrix.dll," + entry);
}

HWND WaitForService(DWORD timeoutMs)
{
    HWND service = nullptr;
    robot::WaitFor([&] {
        service = FindWindowA("QuadrixService", "QuadrixService");
        return service != nullptr;
    }, timeoutMs);
    return service;
}

static BOOL CALLBACK CountServiceWindow(HWND window, LPARAM data)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "QuadrixService") == 0)
        ++*reinterpret_cast<int*>(data);
    return TRUE;
}

int CountServiceWindows()
{
    int count = 0;
    EnumWindows(CountServiceWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void SendClose(HWND service)
{
    if (service && IsWindow(service))
        SendMessageTimeoutA(service, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
}

DWORD CloseService(HWND service, const robot::Child& host)
{
    SendClose(service);
    return robot::WaitExit(host, kExitTimeout);
}

DWORD Probe(const std::string& arguments)
{
    robot::Child probe = robot::Start("\"" + support::WinPath(QUADRIX_PROBE) + "\" " + arguments);
    DWORD code = robot::WaitExit(probe, kExitTimeout);
    robot::Finish(probe);
    return code;
}

bool PointerTo(POINT screen)
{
    POINT nearby = {screen.x < 512 ? screen.x + 40 : screen.x - 40,
                  screen.y < 384 ? screen.y + 40 : screen.y - 40};
    return robot::MoveMouse(nearby) && robot::MoveMouse(screen);
}

void SetCornerCodes(const char* codes)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers", 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Mouse Corners", 0, REG_SZ, reinterpret_cast<const BYTE*>(codes),
                   lstrlenA(codes) + 1);
    RegCloseKey(key);
}

std::string StoredSaverSwitch()
{
    char value[16] = {};
    DWORD size = sizeof value - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return "";
    if (RegQueryValueExA(key, "ScreenSaveActive", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        value[0] = 0;
    RegCloseKey(key);
    return value;
}

long ServiceState(HWND service)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(service, WM_APP, 108, 0, SMTO_ABORTIFHUNG, 5000, &answer))
        return -1;
    return static_cast<long>(answer);
}

} // namespace hc
