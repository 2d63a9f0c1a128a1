// The saver's command line, with the platform's window checks replaced by a
// small table of "existing windows".
#include <gtest/gtest.h>

#include <string>

#include "saver/framework/cmdline.h"

namespace {

struct Platform {
    std::uintptr_t windows[4] = {0x1A2B, 8, 1234, 0x777};
    std::uintptr_t foreground = 0x777;
    bool foregroundIsBCB = false;
    std::uintptr_t lumidex = 0;
    int lumidexCalls = 0;
};

bool IsWindowHook(std::uintptr_t window, void* context)
{
    auto* platform = static_cast<Platform*>(context);
    for (std::uintptr_t w : platform->windows)
        if (w == window)
            return true;
    return false;
}

std::uintptr_t ForegroundHook(void* context)
{
    return static_cast<Platform*>(context)->foreground;
}

bool BCBHook(std::uintptr_t, void* context)
{
    return static_cast<Platform*>(context)->foregroundIsBCB;
}

std::uintptr_t LumidexHook(void* context)
{
    auto* platform = static_cast<Platform*>(context);
    ++platform->lumidexCalls;
    return platform->lumidex;
}

TScrParseHooks HooksFor(Platform* platform)
{
    TScrParseHooks hooks;
    hooks.isWindow = &IsWindowHook;
    hooks.foregroundWindow = &ForegroundHook;
    hooks.ownedByBCB = &BCBHook;
    hooks.checkForLumidex = &LumidexHook;
    hooks.context = platform;
    return hooks;
}

struct Parsed {
    TScrMode mode;
    std::uintptr_t window;
};

Parsed Parse(const std::string& line, Platform* platform)
{
    Parsed out{static_cast<TScrMode>(99), 0xdeadbeef}; // poisoned
    ParseCommandLine(line.c_str(), HooksFor(platform), &out.mode, &out.window);
    return out;
}

struct Case {
    const char* line;
    TScrMode mode;
    std::uintptr_t window;
};

TEST(SaverCommandLine, TableOfSwitches)
{
    const Case cases[] = {
        {"orbelle.scr", smCRegular, 0},
        {"orbelle.scr   ", smCRegular, 0},
        {"orbelle.scr /s", smSFull, 0},
        {"orbelle.scr -s", smSFull, 0},
        {"orbelle.scr -/s", smSFull, 0},
        {"orbelle.scr /-s", smNone, 0},
        {"orbelle.scr s", smSFull, 0},
        {"orbelle.scr -S", smSFull, 0},
        {"orbelle.scr /S", smSFull, 0},
        {"orbelle.scr S", smSFull, 0},
        {"orbelle.scr /screen", smSFull, 0},
        {"orbelle.scr /save 1234 anything", smSFull, 0},
        {"orbelle.scr /p 1234", smSPMain, 1234},
        {"orbelle.scr /p:1234", smSPMain, 1234},
        {"orbelle.scr /p: 1234", smSPMain, 1234},
        {"orbelle.scr /p :1234", smSPMain, 1234},
        {"orbelle.scr /l 1234", smSPMain, 1234},
        {"orbelle.scr /P:0x1A2B", smSPMain, 0x1A2B},
        {"orbelle.scr /p 0X1a2b", smSPMain, 0x1A2B},
        {"orbelle.scr /p 010", smSPMain, 8},
        {"orbelle.scr /p +010", smSPMain, 8},
        {"orbelle.scr /p", smNone, 0},
        {"orbelle.scr /p   ", smNone, 0},
        {"orbelle.scr /p 4321", smNone, 0},
        {"orbelle.scr /p 0", smNone, 0},
        {"orbelle.scr /p -1234", smNone, 0},
        {"orbelle.scr /preview 123", smNone, 0},
        {"orbelle.scr /p abc", smNone, 0},
        {"orbelle.scr /p 99999999999999999999999", smNone, 0},
        {"orbelle.scr /x", smNone, 0},
        {"orbelle.scr /", smNone, 0},
        {"orbelle.scr -", smNone, 0},
        {"orbelle.scr //s", smNone, 0},
        {"\"C:\\Program Files\\My Savers\\orbelle.scr\" /s", smSFull, 0},
        {"\"C:\\Program Files\\orbelle.scr\"/s", smSFull, 0},
        {"\"C:\\Program Files\\orbelle.scr /s", smNone, 0},
        {"\"", smNone, 0},
        {"\"\"", smCRegular, 0},
        {"", smCRegular, 0},
        {"orbelle.scr /c", smCRegular, 0x777},
        {"orbelle.scr /c:1234", smCRegular, 1234},
        {"orbelle.scr /c 4321", smCRegular, 0x777},
        {"orbelle.scr /config", smCRegular, 0x777},
        {"orbelle.scr /a 1234", smPasswordChange, 1234},
        {"orbelle.scr /A", smPasswordChange, 0x777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Platform platform;
        Parsed parsed = Parse(c.line, &platform);
        EXPECT_EQ(c.mode, parsed.mode) << ScrModeName(parsed.mode);
        EXPECT_EQ(c.window, parsed.window);
        EXPECT_EQ(0, platform.lumidexCalls);
    }
}

TEST(SaverCommandLine, ConfigurationIgnoresTheDevelopmentEnvironment)
{
    Platform platform;
    platform.foregroundIsBCB = true;
    EXPECT_EQ(0u, Parse("x.scr /c", &platform).window);
    EXPECT_EQ(0u, Parse("x.scr", &platform).window); // no argument: no parent at all
    EXPECT_EQ(0u, Parse("x.scr /a", &platform).window);
    EXPECT_EQ(1234u, Parse("x.scr /c 1234", &platform).window);
}

TEST(SaverCommandLine, PasswordChangeWithoutForegroundWindow)
{
    Platform platform;
    platform.foreground = 0;
    Parsed parsed = Parse("x.scr /a", &platform);
    EXPECT_EQ(smPasswordChange, parsed.mode);
    EXPECT_EQ(0u, parsed.window);
}

TEST(SaverCommandLine, LumidexOnlyInItsThreeSpellings)
{
    const char* accepted[] = {"x /p lumidex", "x /p LumiDex", "x /p:LUMIDEX", "x /l lumidex"};
    for (const char* line : accepted) {
        SCOPED_TRACE(line);
        Platform platform;
        platform.lumidex = 0x4242;
        Parsed parsed = Parse(line, &platform);
        EXPECT_EQ(1, platform.lumidexCalls);
        EXPECT_EQ(smSPMain, parsed.mode);
        EXPECT_EQ(0x4242u, parsed.window);
    }
    const char* refused[] = {"x /p LUMIdex", "x /p lumidex ", "x /p lumide", "x /p lumidexx"};
    for (const char* line : refused) {
        SCOPED_TRACE(line);
        Platform platform;
        platform.lumidex = 0x4242;
        EXPECT_EQ(smNone, Parse(line, &platform).mode);
        EXPECT_EQ(0, platform.lumidexCalls);
    }
}

TEST(SaverCommandLine, LumidexFailureLeavesNoMode)
{
    Platform platform;
    Parsed parsed = Parse("x /p lumidex", &platform);
    EXPECT_EQ(1, platform.lumidexCalls);
    EXPECT_EQ(smNone, parsed.mode);
    EXPECT_EQ(0u, parsed.window);
}

TEST(SaverCommandLine, MissingHooksAcceptNoWindow)
{
    TScrParseHooks none;
    TScrMode mode = smSFull;
    std::uintptr_t window = 1;
    ParseCommandLine("x /p 1234", none, &mode, &window);
    EXPECT_EQ(smNone, mode);
    ParseCommandLine("x /c", none, &mode, &window);
    EXPECT_EQ(smCRegular, mode);
    EXPECT_EQ(0u, window);
    ParseCommandLine(nullptr, none, &mode, &window);
    EXPECT_EQ(smNone, mode);
}

TEST(SaverCommandLine, VeryLongLinesEndSafely)
{
    Platform platform;
    std::string line = "x /p " + std::string(100000, '1');
    EXPECT_EQ(smNone, Parse(line, &platform).mode);
    std::string quoted = "\"" + std::string(100000, 'a');
    EXPECT_EQ(smNone, Parse(quoted, &platform).mode);
    std::string blanks = "x" + std::string(100000, ' ') + "/s";
    EXPECT_EQ(smSFull, Parse(blanks, &platform).mode);
}

TEST(ScanInteger, ReadsLikePercentI)
{
    struct Row {
        const char* text;
        bool ok;
        std::int64_t value;
    } rows[] = {
        {"0", true, 0},        {"12", true, 12},         {"012", true, 10},
        {"08", true, 0},       {"0x10", true, 16},       {"0x", true, 0},
        {"0xg", true, 0},      {"-7", true, -7},         {"+7", true, 7},
        {"  42z", true, 42},   {"", false, 0},           {"x", false, 0},
        {"-", false, 0},       {"9223372036854775807", true, INT64_MAX},
        {"-9223372036854775808", true, INT64_MIN},       {"9223372036854775808", false, 0},
        {"0xffffffffffffffff", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::int64_t value = 0x5a5a;
        EXPECT_EQ(row.ok, ReadScanInteger(row.text, &value));
        if (row.ok) {
            EXPECT_EQ(row.value, value);
        }
    }
}

TEST(ScrModeName, NamesEveryModeAndNothingElse)
{
    const char* names[] = {"smNone",   "smSaver",    "smSFull",   "smSPreview",
                           "smSPConfig", "smSPMain", "smConfig",  "smCRegular",
                           "smCActive", "smAbout",   "smPasswordChange", "smPasswordVerify"};
    for (int i = 0; i < 12; ++i)
        EXPECT_STREQ(names[i], ScrModeName(i));
    EXPECT_STREQ("sm_????", ScrModeName(12));
    EXPECT_STREQ("sm_????", ScrModeName(255));
    EXPECT_STREQ("sm_????", ScrModeName(-1));
}

TEST(BCBExecutable, ComparesTheBareUpperCasedName)
{
    EXPECT_TRUE(IsBCBExecutable("C:\\Borland\\CBuilder5\\Bin\\bcb.exe"));
    EXPECT_TRUE(IsBCBExecutable("BCB.EXE"));
    EXPECT_TRUE(IsBCBExecutable("bcb"));
    EXPECT_FALSE(IsBCBExecutable("C:\\bcb\\bcb2.exe"));
    EXPECT_FALSE(IsBCBExecutable("C:\\bcb\\explorer.exe"));
    EXPECT_FALSE(IsBCBExecutable("bc.exe"));
    EXPECT_FALSE(IsBCBExecutable(""));
}

} // namespace
