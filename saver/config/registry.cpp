#include "saver/config/registry.h"

#include <cstring>

#include "common/owners.h"
#include "common/text.h"

namespace {

// On failure the out parameter is not the system's to promise: dropped
// without closing.
bool Kept(LONG status, RegKey* key)
{
    if (status == ERROR_SUCCESS)
        return true;
    key->Release();
    return false;
}

bool OpenKey(const char* path, RegKey* key)
{
    return Kept(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, key->Receive()), key);
}

bool CreateKey(const char* path, RegKey* key)
{
    return Kept(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, key->Receive(), nullptr),
                key);
}

bool ReadDword(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0, size = sizeof *value, data = 0;
    if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                                 &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data)
        return false;
    *value = data;
    return true;
}

// A REG_SZ value that fits the buffer; the stored text need not end in a zero.
bool ReadText(HKEY key, const char* name, char* out, std::size_t size)
{
    DWORD type = 0, bytes = static_cast<DWORD>(size - 1);
    if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out),
                                 &bytes) != ERROR_SUCCESS || type != REG_SZ) {
        out[0] = '\0';
        return false;
    }
    out[bytes < size ? bytes : size - 1] = '\0';
    return true;
}

void WriteDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

// The settings key of the project; all settings share it.
bool SettingsKey(const char* project, char* key, std::size_t size)
{
    char name[kSettingTextSize];
    return SettingPlace(project, "", key, size, name, sizeof name);
}

int LoadInteger(HKEY key, const SettingInfo& info)
{
    DWORD value = 0;
    bool present = ReadDword(key, info.name, &value);
    return ValidInteger(info, present, value);
}

bool LoadBoolean(HKEY key, const SettingInfo& info)
{
    DWORD value = 0;
    bool present = ReadDword(key, info.name, &value);
    return ValidBoolean(info, present, value);
}

double LoadDouble(HKEY key, const SettingInfo& info, char separator)
{
    char text[kSettingTextSize];
    bool present = ReadText(key, info.name, text, sizeof text);
    return ValidDouble(info, present ? text : nullptr, separator);
}

void LoadString(HKEY key, const SettingInfo& info, char* out, std::size_t size)
{
    if (!ReadText(key, info.name, out, size))
        CopyText(out, size, info.textDefault);
}

void WriteDouble(HKEY key, const SettingInfo& info, double value, char separator)
{
    char text[64];
    if (FormatDecimal(text, sizeof text, value, separator))
        WriteText(key, info.name, text);
}

const char* const kHotsLibraries[] = {"Sage.DLL", "Quadrix.dll"};

} // namespace

char DecimalSeparator()
{
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) < 2)
        return '.';
    return text[0];
}

bool OwnProjectName(char* out, std::size_t size)
{
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CopyText(out, size, "orbelle");
    return ProjectName(path, out, size);
}

void LoadSettings(const char* project, OrbelleSettings* s)
{
    *s = DefaultSettings();
    char path[kSettingTextSize];
    RegKey key;
    if (!SettingsKey(project, path, sizeof path) || !OpenKey(path, &key))
        return;
    char separator = DecimalSeparator();
    HKEY k = key.Get();
    s->number = LoadInteger(k, kNumber);
    s->velocity = LoadDouble(k, kVelocity, separator);
    s->camera = LoadDouble(k, kCamera, separator);
    s->flat = LoadBoolean(k, kFlat);
    s->monochrome = LoadBoolean(k, kMonochrome);
    s->useImage = LoadBoolean(k, kUseImage);
    s->sync = LoadBoolean(k, kSync);
    s->extraDetail = LoadBoolean(k, kExtraDetail);
    s->told3dfx = LoadBoolean(k, kTold3dfx);
    LoadString(k, kFileName, s->fileName, sizeof s->fileName);
    LoadString(k, kDriver, s->driver, sizeof s->driver);
    LoadString(k, kDriverPath, s->driverPath, sizeof s->driverPath);
    char mode[kSettingTextSize];
    LoadString(k, kMode, mode, sizeof mode);
    s->mode = ParseScreenMode(mode);
}

void SaveSettings(const char* project, const OrbelleSettings& s)
{
    char path[kSettingTextSize];
    RegKey key;
    if (!SettingsKey(project, path, sizeof path) || !CreateKey(path, &key))
        return;
    char separator = DecimalSeparator();
    HKEY k = key.Get();
    WriteDword(k, kNumber.name, static_cast<DWORD>(s.number));
    WriteDouble(k, kVelocity, s.velocity, separator);
    WriteDouble(k, kCamera, s.camera, separator);
    WriteDword(k, kFlat.name, s.flat ? 1 : 0);
    WriteDword(k, kMonochrome.name, s.monochrome ? 1 : 0);
    WriteDword(k, kUseImage.name, s.useImage ? 1 : 0);
    WriteDword(k, kSync.name, s.sync ? 1 : 0);
    WriteDword(k, kExtraDetail.name, s.extraDetail ? 1 : 0);
    WriteDword(k, kTold3dfx.name, s.told3dfx ? 1 : 0);
    WriteText(k, kFileName.name, s.fileName);
    WriteText(k, kDriver.name, s.driver);
    WriteText(k, kDriverPath.name, s.driverPath);
    // The system's mode list carries no colour depth, so none is written.
    ScreenMode mode = s.mode;
    mode.depth = -1;
    char text[64];
    if (FormatScreenMode(text, sizeof text, mode))
        WriteText(k, kMode.name, text);
}

void SaveTold3dfx(const char* project, bool told)
{
    char path[kSettingTextSize];
    RegKey key;
    if (SettingsKey(project, path, sizeof path) && CreateKey(path, &key))
        WriteDword(key.Get(), kTold3dfx.name, told ? 1 : 0);
}

void InitialiseRegistry()
{
    RegKey key;
    if (!CreateKey(kScreenSaversKey, &key))
        return;
    for (const SharedDword& value : kSharedDwords) {
        DWORD stored = 0, type = 0;
        std::uint32_t write = 0;
        // A value of another type is somebody's data: leave it be.
        bool exists = RegQueryValueExA(key.Get(), value.name, nullptr, &type, nullptr,
                                       nullptr) == ERROR_SUCCESS;
        bool present = ReadDword(key.Get(), value.name, &stored);
        if (exists && !present)
            continue;
        if (SharedDwordFix(value, present, stored, &write))
            WriteDword(key.Get(), value.name, write);
    }
    if (RegQueryValueExA(key.Get(), kMouseCornersName, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        WriteText(key.Get(), kMouseCornersName, kMouseCornersInitial);
}

SharedSettings LoadSharedSettings()
{
    SharedSettings shared{};
    shared.passwordDelay = static_cast<int>(kSharedDwords[0].initial);
    shared.passwordDelayIndex = static_cast<int>(kSharedDwords[1].initial);
    shared.mouseThreshold = static_cast<int>(kSharedDwords[2].initial);
    CopyText(shared.corners, sizeof shared.corners, kMouseCornersInitial);
    RegKey key;
    if (!OpenKey(kScreenSaversKey, &key))
        return shared;
    DWORD value = 0;
    if (ReadDword(key.Get(), "Password Delay", &value) && value <= 3600)
        shared.passwordDelay = static_cast<int>(value);
    if (ReadDword(key.Get(), "Password Delay Index", &value) && value <= 1)
        shared.passwordDelayIndex = static_cast<int>(value);
    if (ReadDword(key.Get(), "Mouse Threshold", &value) && value <= 999999)
        shared.mouseThreshold = static_cast<int>(value);
    char corners[kSettingTextSize];
    if (ReadText(key.Get(), kMouseCornersName, corners, sizeof corners) &&
        std::strlen(corners) == 4)
        CopyText(shared.corners, sizeof shared.corners, corners);
    return shared;
}

void SavePasswordDelay(int seconds)
{
    RegKey key;
    if (!CreateKey(kScreenSaversKey, &key))
        return;
    WriteDword(key.Get(), "Password Delay", static_cast<DWORD>(seconds));
    WriteDword(key.Get(), "Password Delay Index", PasswordDelayIndex(seconds));
}

void SaveMouseThreshold(int pixels)
{
    RegKey key;
    if (!CreateKey(kScreenSaversKey, &key))
        return;
    WriteDword(key.Get(), "Mouse Threshold", static_cast<DWORD>(pixels));
    WriteDword(key.Get(), "Mouse Threshold Index", static_cast<DWORD>(MouseRangeIndex(pixels)));
}

void SaveMouseCorners(const char* corners)
{
    {
        RegKey key;
        if (!CreateKey(kScreenSaversKey, &key))
            return;
        WriteText(key.Get(), kMouseCornersName, corners);
    }
    NotifyHots();
}

void NotifyHots()
{
    using ChangedProc = void(WINAPI*)();
    for (const char* name : kHotsLibraries) {
        Library library(LoadLibraryA(name));
        if (!library)
            continue;
        if (ChangedProc changed = LibraryExport<ChangedProc>(library.Get(), "Screen_Saver_Changed"))
            changed();
    }
}

bool CheckForHots()
{
    using DetectProc = DWORD(WINAPI*)();
    bool running = false;
    for (const char* name : kHotsLibraries) {
        Library library(LoadLibraryA(name));
        if (!library)
            continue;
        if (DetectProc detect = LibraryExport<DetectProc>(library.Get(), "System_Agent_Detect"))
            running = detect() != 0 || running;
    }
    return running;
}

std::vector<ScreenMode> SystemScreenModes()
{
    std::vector<ScreenMode> reported;
    DEVMODEA mode;
    for (DWORD i = 0;; ++i) {
        ZeroMemory(&mode, sizeof mode);
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsA(nullptr, i, &mode))
            break;
        reported.push_back({static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight),
                            static_cast<int>(mode.dmBitsPerPel)});
    }
    return BuildScreenModeList(reported);
}
