#include "ui_support.h"

#include "support.h"

namespace hcui {

robot::Child StartEntry(const std::string& module, const char* entry, const char* command)
{
    // rundll32 takes the module's path unquoted (Wine's does not strip quotes).
    std::string line = "rundll32.exe " + module + "," + entry;
    if (command)
        line += std::string(" ") + command;
    return robot::Start(line);
}

HWND WaitForSettings(const robot::Child& child)
{
    return robot::WaitForDialog("Hot Corners", kWaitMs, child.id);
}

std::string RawText(HKEY root, const char* key, const char* name)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "<missing>";
    char data[1000];
    DWORD size = sizeof data, type = 0;
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    return std::string(data, size);
}

void WriteText(HKEY root, const char* key, const char* name, const char* text)
{
    RegSetKeyValueA(root, key, name, REG_SZ, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

bool KeyExists(HKEY root, const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

} // namespace hcui
