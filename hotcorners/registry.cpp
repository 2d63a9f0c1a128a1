// The module's registry values: the corner setting it shares with the screen
// saver and the two options of the service's indicators.
#include "hotcorners/registry.h"

#include "hotcorners/corners.h"
#include "common/owners.h"

const char kOptionTrayIcon[] = "Quadrix Tray Icon";
const char kOptionFeedback[] = "Quadrix Feedback";

namespace {

const char kCornersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char kCornersValue[] = "Mouse Corners";
const char kOptionsKey[] = "Control Panel\\Desktop";
// Beside the switch itself ("ScreenSaveActive" on the NT family).
const char kHeldOffValue[] = "Quadrix Holds Saver Off";

// Opens a key of the current user's, creating it when it is missing.
RegKey OpenUserKey(const char* path, REGSAM access)
{
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

} // namespace

void ReadCornerSettings(char codes[4])
{
    RegKey key = OpenUserKey(kCornersKey, KEY_QUERY_VALUE);
    if (!key)
        return;
    // One byte more than a well-formed value, so that a longer one is told
    // apart from one that fits (the system leaves the buffer undefined when
    // the value does not fit).
    unsigned char data[kCornerValueSize + 1] = {};
    DWORD size = sizeof data;
    LONG result = RegQueryValueExA(key.Get(), kCornersValue, nullptr, nullptr, data, &size);
    if (result == ERROR_SUCCESS)
        CornerCodesFromValue(data, size, codes);
    else if (result == ERROR_MORE_DATA)
        CornerCodesFromValue(data, sizeof data, codes);
    else
        CornerCodesFromValue(nullptr, 0, codes);
}

void WriteCornerSettings(const char codes[4])
{
    RegKey key = OpenUserKey(kCornersKey, KEY_SET_VALUE);
    if (!key)
        return;
    BYTE value[kCornerValueSize] = {};
    CopyMemory(value, codes, kCornerCount);
    RegSetValueExA(key.Get(), kCornersValue, 0, REG_SZ, value, sizeof value);
}

int ReadOption(const char* name)
{
    RegKey key = OpenUserKey(kOptionsKey, KEY_QUERY_VALUE);
    if (!key)
        return 0;
    // Four bytes whatever the type; anything that is not four bytes counts
    // as unreadable (on), and any non-zero value as on.
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        size != sizeof value)
        return 1;
    return value ? 1 : 0;
}

void WriteOption(const char* name, int value)
{
    RegKey key = OpenUserKey(kOptionsKey, KEY_SET_VALUE);
    if (!key)
        return;
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                   sizeof data);
}

namespace {

bool SaverHeldOff()
{
    RegKey key = OpenUserKey(kOptionsKey, KEY_QUERY_VALUE);
    DWORD value = 0;
    DWORD size = sizeof value;
    return key &&
           RegQueryValueExA(key.Get(), kHeldOffValue, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           size == sizeof value && value != 0;
}

void RecordSaverHeldOff(bool held)
{
    RegKey key = OpenUserKey(kOptionsKey, KEY_SET_VALUE);
    if (!key)
        return;
    if (!held) {
        RegDeleteValueA(key.Get(), kHeldOffValue);
        return;
    }
    DWORD data = 1;
    RegSetValueExA(key.Get(), kHeldOffValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                   sizeof data);
}

} // namespace

void SetSaverSwitch(bool on)
{
    if (!on)
        RecordSaverHeldOff(true);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, on ? TRUE : FALSE, nullptr, SPIF_UPDATEINIFILE);
    if (on)
        RecordSaverHeldOff(false);
}

void GiveBackOrphanedSaverSwitch()
{
    if (SaverHeldOff())
        SetSaverSwitch(true);
}

