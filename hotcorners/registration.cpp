// The registry entries that make the settings page appear in the Display
// control panel: the extension's class and the page handler's key.
#include <cstring>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "hotcorners/extension.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/settings.h"

namespace {

const char kPageKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers\\Quadrix Properties";

// A text value with its terminating zero counted, as readers of REG_SZ
// expect; a key that is not there skips it.
void WriteText(HKEY key, const char* name, const char* text)
{
    if (key)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
}

RegKey CreateKey(HKEY parent, const char* name)
{
    RegKey key;
    if (!parent || RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

} // namespace

void RegisterExtensionClass()
{
    char name[64] = "CLSID\\";
    AppendText(name, sizeof name, kExtensionClassText);
    RegKey classKey = CreateKey(HKEY_CLASSES_ROOT, name);
    WriteText(classKey.Get(), nullptr, "Quadrix");
    RegKey server = CreateKey(classKey.Get(), "InProcServer32");
    char module[kPathSize];
    DWORD length = GetModuleFileNameA(gModule, module, sizeof module);
    if (length > 0 && length < sizeof module)
        WriteText(server.Get(), nullptr, module);
    WriteText(server.Get(), "ThreadingModel", "Apartment");
}

bool PageRegistered()
{
    // Read access only: a limited user (Windows 2000 on, and every process
    // that is not elevated from Vista on) may read the key but not change it.
    RegKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPageKey, 0, KEY_QUERY_VALUE, key.Receive()) ==
           ERROR_SUCCESS;
}

bool RegisterPage(bool registered)
{
    if (registered == PageRegistered())
        return true;
    if (!registered) {
        LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPageKey);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    RegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPageKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    WriteText(key.Get(), nullptr, kExtensionClassText);
    return true;
}
