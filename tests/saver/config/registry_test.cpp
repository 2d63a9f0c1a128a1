#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "saver/config/registry.h"
#include "support.h"

namespace {

const char* const kProject = "orbelle";
const char* const kKey = "Software\\GlimMex\\orbelle";

struct Stored {
    bool present = false;
    DWORD type = 0;
    std::string bytes;
    DWORD Dword() const
    {
        DWORD v = 0;
        std::memcpy(&v, bytes.data(), bytes.size() < 4 ? bytes.size() : 4);
        return v;
    }
};

Stored Read(const char* key, const char* name)
{
    Stored stored;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return stored;
    char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(k, name, nullptr, &stored.type, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        stored.present = true;
        stored.bytes.assign(data, size);
    }
    RegCloseKey(k);
    return stored;
}

void Write(const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &k, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(k);
}

void WriteDword(const char* key, const char* name, DWORD value)
{
    Write(key, name, REG_DWORD, &value, sizeof value);
}

void WriteText(const char* key, const char* name, const char* text)
{
    Write(key, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

// Fills a settings record with values no load would produce.
OrbelleSettings Poisoned()
{
    OrbelleSettings s;
    std::memset(static_cast<void*>(&s), 0x5a, sizeof s);
    s.fileName[sizeof s.fileName - 1] = '\0';
    s.driver[sizeof s.driver - 1] = '\0';
    s.driverPath[sizeof s.driverPath - 1] = '\0';
    return s;
}

void ExpectDefaults(const OrbelleSettings& s)
{
    OrbelleSettings d = DefaultSettings();
    EXPECT_EQ(d.number, s.number);
    EXPECT_EQ(d.velocity, s.velocity);
    EXPECT_EQ(d.camera, s.camera);
    EXPECT_EQ(d.flat, s.flat);
    EXPECT_EQ(d.monochrome, s.monochrome);
    EXPECT_EQ(d.useImage, s.useImage);
    EXPECT_EQ(d.sync, s.sync);
    EXPECT_EQ(d.extraDetail, s.extraDetail);
    EXPECT_EQ(d.told3dfx, s.told3dfx);
    EXPECT_STREQ(d.fileName, s.fileName);
    EXPECT_STREQ(d.driver, s.driver);
    EXPECT_STREQ(d.driverPath, s.driverPath);
    EXPECT_TRUE(s.mode.IsNormal());
}

TEST(SettingsRegistry, AFreshProfileLoadsTheDefaultsAndWritesNothing)
{
    OrbelleSettings s = Poisoned();
    LoadSettings(kProject, &s);
    ExpectDefaults(s);
    EXPECT_EQ(8, s.number);
    HKEY k = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &k));
}

TEST(SettingsRegistry, OutOfSpanValuesLoadAsTheirDefaults)
{
    const struct { DWORD number; const char* velocity; DWORD flat; int expectNumber; double expectVelocity; bool expectFlat; } cases[] = {
        {0, "0.2", 2, 8, 0.015, false},
        {16, "-1", 0xffffffff, 8, 0.015, false},
        {15, "0.1", 1, 15, 0.1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        WriteDword(kKey, "Number", c.number);
        WriteText(kKey, "Velocity", c.velocity);
        WriteDword(kKey, "Flat", c.flat);
        OrbelleSettings s = Poisoned();
        LoadSettings(kProject, &s);
        EXPECT_EQ(c.expectNumber, s.number);
        EXPECT_DOUBLE_EQ(c.expectVelocity, s.velocity);
        EXPECT_EQ(c.expectFlat, s.flat);
    }
}

TEST(SettingsRegistry, WrongRegistryTypesLoadAsDefaults)
{
    DWORD five = 5;
    WriteText(kKey, "Number", "5");
    WriteDword(kKey, "Velocity", 1);
    Write(kKey, "Camera", REG_BINARY, "0.9", 4);
    Write(kKey, "Flat", REG_BINARY, &five, sizeof five);
    WriteText(kKey, "Monochrome", "0");
    Write(kKey, "Sync", REG_DWORD, &five, 2); // a DWORD of two bytes
    Write(kKey, "UseImage", REG_QWORD, "\0\0\0\0\0\0\0\0", 8);
    WriteDword(kKey, "FileName", 7);
    Write(kKey, "Driver", REG_EXPAND_SZ, "%windir%\\x.dll", 15);
    Write(kKey, "DriverPath", REG_MULTI_SZ, "a\0b\0", 5);
    WriteDword(kKey, "Mode", 800);
    WriteText(kKey, "Told3dfx", "1");
    OrbelleSettings s = Poisoned();
    LoadSettings(kProject, &s);
    ExpectDefaults(s);
}

TEST(SettingsRegistry, OverlongAndUnterminatedTextsAreHandled)
{
    std::string longText(5000, 'a');
    WriteText(kKey, "FileName", longText.c_str());
    Write(kKey, "Driver", REG_SZ, "abc", 3); // no terminating zero
    Write(kKey, "Mode", REG_SZ, "800x600", 7);
    WriteText(kKey, "DriverPath", std::string(999, 'b').c_str()); // one byte too many with its zero
    OrbelleSettings s = Poisoned();
    LoadSettings(kProject, &s);
    EXPECT_STREQ("*def", s.fileName);
    EXPECT_STREQ("abc", s.driver);
    EXPECT_STREQ("", s.driverPath);
    EXPECT_EQ(800, s.mode.width);
    EXPECT_EQ(600, s.mode.height);
    WriteText(kKey, "DriverPath", std::string(998, 'b').c_str());
    LoadSettings(kProject, &s);
    EXPECT_EQ(998u, std::strlen(s.driverPath));
}

TEST(SettingsRegistry, SavedSettingsReadBackWithTheirTypes)
{
    OrbelleSettings s = DefaultSettings();
    s.number = 12;
    s.velocity = 0.05;
    s.camera = 2.97;
    s.flat = true;
    s.monochrome = false;
    s.useImage = false;
    s.sync = false;
    s.extraDetail = true;
    s.told3dfx = true;
    std::strcpy(s.fileName, "C:\\pictures\\mine.bmp");
    std::strcpy(s.driver, "C:\\drivers\\3dfxvgl.dll");
    std::strcpy(s.driverPath, "C:\\drivers\\3dfxvgl.dll");
    s.mode = {800, 600, 16};
    SaveSettings(kProject, s);

    const struct { const char* name; DWORD type; const char* text; DWORD value; } cases[] = {
        {"Number", REG_DWORD, nullptr, 12},     {"Flat", REG_DWORD, nullptr, 1},
        {"Monochrome", REG_DWORD, nullptr, 0},  {"UseImage", REG_DWORD, nullptr, 0},
        {"Sync", REG_DWORD, nullptr, 0},        {"ExtraDetail", REG_DWORD, nullptr, 1},
        {"Told3dfx", REG_DWORD, nullptr, 1},    {"Velocity", REG_SZ, "0.05", 0},
        {"Camera", REG_SZ, "2.97", 0},          {"FileName", REG_SZ, "C:\\pictures\\mine.bmp", 0},
        {"Mode", REG_SZ, "800x600", 0},         {"DriverPath", REG_SZ, "C:\\drivers\\3dfxvgl.dll", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stored stored = Read(kKey, c.name);
        ASSERT_TRUE(stored.present);
        EXPECT_EQ(c.type, stored.type);
        if (c.text) {
            // The terminating zero is counted in the length.
            EXPECT_EQ(std::string(c.text) + '\0', stored.bytes);
        } else {
            EXPECT_EQ(4u, stored.bytes.size());
            EXPECT_EQ(c.value, stored.Dword());
        }
    }
    OrbelleSettings back = Poisoned();
    LoadSettings(kProject, &back);
    EXPECT_EQ(12, back.number);
    EXPECT_DOUBLE_EQ(0.05, back.velocity);
    EXPECT_DOUBLE_EQ(2.97, back.camera);
    EXPECT_TRUE(back.flat && !back.monochrome && !back.useImage && !back.sync && back.extraDetail && back.told3dfx);
    EXPECT_STREQ(s.fileName, back.fileName);
    EXPECT_STREQ(s.driver, back.driver);
    EXPECT_EQ(800, back.mode.width);
    EXPECT_EQ(-1, back.mode.depth);
}

// Doubles are written and read with the user's decimal separator; a text of
// another locale falls back to the default.
TEST(SettingsRegistry, DoublesFollowTheUsersDecimalSeparator)
{
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","));
    ASSERT_EQ(',', DecimalSeparator());
    OrbelleSettings s = DefaultSettings();
    s.velocity = 0.05;
    s.camera = 1.5;
    SaveSettings(kProject, s);
    EXPECT_EQ(std::string("0,05") + '\0', Read(kKey, "Velocity").bytes);
    OrbelleSettings back = Poisoned();
    LoadSettings(kProject, &back);
    EXPECT_DOUBLE_EQ(0.05, back.velocity);
    EXPECT_DOUBLE_EQ(1.5, back.camera);

    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, "."));
    LoadSettings(kProject, &back);
    EXPECT_DOUBLE_EQ(0.015, back.velocity);
    EXPECT_DOUBLE_EQ(0.45, back.camera);
}

TEST(SettingsRegistry, Told3dfxIsWrittenAlone)
{
    SaveTold3dfx(kProject, true);
    EXPECT_EQ(1u, Read(kKey, "Told3dfx").Dword());
    EXPECT_FALSE(Read(kKey, "Number").present);
    OrbelleSettings s = Poisoned();
    LoadSettings(kProject, &s);
    EXPECT_TRUE(s.told3dfx);
}

TEST(SharedRegistry, AFreshProfileGetsEverySharedValue)
{
    InitialiseRegistry();
    const struct { const char* name; DWORD value; } cases[] = {
        {"Password Delay", 30}, {"Password Delay Index", 0}, {"Mouse Threshold", 100},
        {"Mouse Threshold Index", 1}, {"Mute Sound", 0}, {"Active Config", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stored stored = Read(kScreenSaversKey, c.name);
        ASSERT_TRUE(stored.present);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored.type);
        EXPECT_EQ(c.value, stored.Dword());
    }
    Stored corners = Read(kScreenSaversKey, "Mouse Corners");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), corners.type);
    EXPECT_EQ(std::string("----") + '\0', corners.bytes);
    SharedSettings shared = LoadSharedSettings();
    EXPECT_EQ(30, shared.passwordDelay);
    EXPECT_EQ(100, shared.mouseThreshold);
    EXPECT_STREQ("----", shared.corners);
}

TEST(SharedRegistry, ExistingValuesAreNeverOverwritten)
{
    WriteDword(kScreenSaversKey, "Password Delay", 5);
    WriteDword(kScreenSaversKey, "Password Delay Index", 1);
    WriteDword(kScreenSaversKey, "Mouse Threshold", 999999);
    WriteDword(kScreenSaversKey, "Mouse Threshold Index", 3);
    WriteDword(kScreenSaversKey, "Mute Sound", 1);
    WriteText(kScreenSaversKey, "Active Config", "other saver's text");
    WriteText(kScreenSaversKey, "Mouse Corners", "YN-N");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        InitialiseRegistry();
        EXPECT_EQ(5u, Read(kScreenSaversKey, "Password Delay").Dword());
        EXPECT_EQ(1u, Read(kScreenSaversKey, "Password Delay Index").Dword());
        EXPECT_EQ(999999u, Read(kScreenSaversKey, "Mouse Threshold").Dword());
        EXPECT_EQ(3u, Read(kScreenSaversKey, "Mouse Threshold Index").Dword());
        EXPECT_EQ(1u, Read(kScreenSaversKey, "Mute Sound").Dword());
        EXPECT_EQ(std::string("other saver's text") + '\0', Read(kScreenSaversKey, "Active Config").bytes);
        EXPECT_EQ(std::string("YN-N") + '\0', Read(kScreenSaversKey, "Mouse Corners").bytes);
    }
    EXPECT_STREQ("YN-N", LoadSharedSettings().corners);
}

TEST(SharedRegistry, OutOfRangeIndicesAreReset)
{
    WriteDword(kScreenSaversKey, "Password Delay Index", 2);
    WriteDword(kScreenSaversKey, "Mouse Threshold Index", 4);
    InitialiseRegistry();
    EXPECT_EQ(0u, Read(kScreenSaversKey, "Password Delay Index").Dword());
    EXPECT_EQ(1u, Read(kScreenSaversKey, "Mouse Threshold Index").Dword());
}

TEST(SharedRegistry, DelayAndThresholdCarryTheirIndices)
{
    const struct { int seconds; DWORD index; } delays[] = {{90, 1}, {60, 1}, {59, 0}, {0, 0}, {3600, 1}};
    for (const auto& c : delays) {
        SCOPED_TRACE(c.seconds);
        SavePasswordDelay(c.seconds);
        EXPECT_EQ(static_cast<DWORD>(c.seconds), Read(kScreenSaversKey, "Password Delay").Dword());
        EXPECT_EQ(c.index, Read(kScreenSaversKey, "Password Delay Index").Dword());
    }
    SaveMouseThreshold(MouseThresholdForChoice(3)); // "Ignore mouse movement"
    EXPECT_EQ(999999u, Read(kScreenSaversKey, "Mouse Threshold").Dword());
    EXPECT_EQ(3u, Read(kScreenSaversKey, "Mouse Threshold Index").Dword());
    SaveMouseThreshold(200);
    EXPECT_EQ(1u, Read(kScreenSaversKey, "Mouse Threshold Index").Dword());
    EXPECT_EQ(200, LoadSharedSettings().mouseThreshold);
}

TEST(Hots, AbsentLibrariesDoNothing)
{
    SetEnvironmentVariableA("FAKE_CHANGED", nullptr);
    EXPECT_EQ(nullptr, GetModuleHandleA("Quadrix.dll"));
    EXPECT_FALSE(CheckForHots());
    NotifyHots();
    SaveMouseCorners("Y---");
    EXPECT_EQ(std::string("Y---") + '\0', Read(kScreenSaversKey, "Mouse Corners").bytes);
    EXPECT_EQ(0u, GetEnvironmentVariableA("FAKE_CHANGED", nullptr, 0));
}

TEST(Hots, APresentAgentIsAskedAndTold)
{
    ASSERT_TRUE(SetDllDirectoryA(support::WinPath(FAKE_HOTS_DIR).c_str()));
    SetEnvironmentVariableA("FAKE_AGENT", "0");
    EXPECT_FALSE(CheckForHots());
    SetEnvironmentVariableA("FAKE_AGENT", "1");
    EXPECT_TRUE(CheckForHots());
    SaveMouseCorners("NNYY");
    char text[16] = {};
    GetEnvironmentVariableA("FAKE_CHANGED", text, sizeof text);
    EXPECT_STREQ("1", text);
    EXPECT_EQ(std::string("NNYY") + '\0', Read(kScreenSaversKey, "Mouse Corners").bytes);
    // The library is loaded only for the call.
    EXPECT_EQ(nullptr, GetModuleHandleA("Quadrix.dll"));
}

TEST(ScreenModeList, TheSystemsModesFollowNormal)
{
    std::vector<ScreenMode> list = SystemScreenModes();
    ASSERT_GE(list.size(), 2u);
    EXPECT_TRUE(list[0].IsNormal());
    // Xvfb reports 1024x768 at three depths: one entry without depth.
    EXPECT_NE(-1, FindScreenMode(list, ScreenMode{1024, 768, -1}));
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_EQ(-1, list[i].depth);
}

} // namespace
