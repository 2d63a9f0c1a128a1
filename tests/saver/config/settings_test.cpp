#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/config/settings.h"

namespace {

TEST(SettingTable, EverySettingHasItsNameKindAndDefault)
{
    const struct { const char* name; SettingKind kind; double def; const char* text; } cases[] = {
        {"Number", SettingKind::Integer, 8, nullptr},
        {"Velocity", SettingKind::Double, 0.015, nullptr},
        {"Camera", SettingKind::Double, 0.45, nullptr},
        {"Flat", SettingKind::Boolean, 0, nullptr},
        {"Monochrome", SettingKind::Boolean, 1, nullptr},
        {"UseImage", SettingKind::Boolean, 1, nullptr},
        {"FileName", SettingKind::String, 0, "*def"},
        {"Sync", SettingKind::Boolean, 1, nullptr},
        {"ExtraDetail", SettingKind::Boolean, 0, nullptr},
        {"Driver", SettingKind::String, 0, "opengl32.dll"},
        {"DriverPath", SettingKind::String, 0, ""},
        {"Mode", SettingKind::ScreenMode, 0, "normal"},
        {"Told3dfx", SettingKind::Boolean, 0, nullptr},
    };
    ASSERT_EQ(kSettingCount, static_cast<int>(std::size(cases)));
    for (int i = 0; i < kSettingCount; ++i) {
        SCOPED_TRACE(cases[i].name);
        const SettingInfo& info = *kOrbelleSettings[i];
        EXPECT_STREQ(cases[i].name, info.name);
        EXPECT_EQ(cases[i].kind, info.kind);
        EXPECT_EQ(cases[i].def, info.def);
        if (cases[i].text) {
            EXPECT_STREQ(cases[i].text, info.textDefault);
        }
    }
    EXPECT_EQ(1, SpanMin(kNumber));
    EXPECT_EQ(15, SpanMax(kNumber));
    EXPECT_EQ(0.1, SpanMax(kVelocity));
    EXPECT_EQ(3.0, SpanMax(kCamera));
}

TEST(SettingTable, AFreshProfileGetsTheDefaults)
{
    OrbelleSettings s = DefaultSettings();
    EXPECT_EQ(8, s.number); // 255 rings
    EXPECT_TRUE(s.monochrome);
    EXPECT_TRUE(s.useImage);
    EXPECT_TRUE(s.sync);
    EXPECT_FALSE(s.flat);
    EXPECT_FALSE(s.extraDetail);
    EXPECT_FALSE(s.told3dfx);
    EXPECT_STREQ("*def", s.fileName);
    EXPECT_STREQ("opengl32.dll", s.driver);
    EXPECT_STREQ("", s.driverPath);
    EXPECT_TRUE(s.mode.IsNormal());
    EXPECT_TRUE(UsesBuiltInLogo(s.fileName));
    EXPECT_TRUE(UsesBuiltInLogo(""));
    EXPECT_FALSE(UsesBuiltInLogo("C:\\logo.bmp"));
}

TEST(SettingValidation, IntegersOutsideTheSpanLoadAsTheDefault)
{
    const struct { bool present; std::uint32_t stored; int expected; } cases[] = {
        {true, 0, 8}, {true, 16, 8}, {true, 1, 1}, {true, 15, 15}, {true, 12, 12},
        {true, 0xffffffffu, 8}, {true, 0x80000001u, 8}, {false, 3, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.present << " " << c.stored);
        EXPECT_EQ(c.expected, ValidInteger(kNumber, c.present, c.stored));
    }
}

TEST(SettingValidation, BooleansAreZeroOrOneElseTheDefault)
{
    EXPECT_FALSE(ValidBoolean(kFlat, true, 2));
    EXPECT_TRUE(ValidBoolean(kFlat, true, 1));
    EXPECT_TRUE(ValidBoolean(kMonochrome, true, 2));
    EXPECT_FALSE(ValidBoolean(kMonochrome, true, 0));
    EXPECT_TRUE(ValidBoolean(kSync, false, 0));
    EXPECT_FALSE(ValidBoolean(kTold3dfx, true, 0xffffffffu));
}

TEST(SettingValidation, DoublesOutsideTheSpanOrUnreadableLoadAsTheDefault)
{
    const struct { const char* stored; char separator; double expected; } cases[] = {
        {"0.2", '.', 0.015},   {"0.05", '.', 0.05}, {"0,05", ',', 0.05}, {"0,05", '.', 0.015},
        {"0.05", ',', 0.015},  {"", '.', 0.015},    {"garbage", '.', 0.015}, {"0.05x", '.', 0.015},
        {" 0.05", '.', 0.015}, {"-0.01", '.', 0.015}, {"0", '.', 0.0}, {"0.1", '.', 0.1},
        {"1e-2", '.', 0.01},   {"nan", '.', 0.015}, {"inf", '.', 0.015}, {"0x1p-4", '.', 0.015},
        {".", '.', 0.015},     {"5.", '.', 0.015},  {".05", '.', 0.05}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.stored << "\" " << c.separator);
        EXPECT_DOUBLE_EQ(c.expected, ValidDouble(kVelocity, c.stored, c.separator));
    }
    EXPECT_DOUBLE_EQ(0.015, ValidDouble(kVelocity, nullptr, '.'));
    EXPECT_DOUBLE_EQ(3.0, ValidDouble(kCamera, "3", '.'));
    std::string longText(5000, '1');
    EXPECT_DOUBLE_EQ(0.45, ValidDouble(kCamera, longText.c_str(), '.'));
}

TEST(SettingValidation, DoublesRoundTripWithEitherSeparator)
{
    for (char separator : {'.', ','}) {
        for (double value : {0.015, 0.45, 0.1, 0.0, 2.97, 0.001, 1.0 / 3}) {
            SCOPED_TRACE(testing::Message() << separator << " " << value);
            char text[64];
            ASSERT_TRUE(FormatDecimal(text, sizeof text, value, separator));
            double back = -1;
            ASSERT_TRUE(ParseDecimal(text, separator, &back));
            EXPECT_NEAR(value, back, 1e-14); // 15 significant digits
            EXPECT_EQ(nullptr, std::strchr(text, separator == '.' ? ',' : '.'));
        }
    }
    char text[64];
    FormatDecimal(text, sizeof text, 0.015, ',');
    EXPECT_STREQ("0,015", text);
    FormatDecimal(text, sizeof text, 0.45, '.');
    EXPECT_STREQ("0.45", text);
    char tiny[3];
    EXPECT_FALSE(FormatDecimal(tiny, sizeof tiny, 0.015, '.'));
}

// A locale may name a digit, a sign or an exponent mark as its decimal
// symbol; the value written must still read back as itself.
TEST(SettingValidation, DoublesRoundTripWhenTheSeparatorCouldBePartOfANumber)
{
    for (char separator : {'0', '8', '-', '+', 'e', 'E', '\0'}) {
        for (double value : {0.8, 0.015, 80.0, 1e-5}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(separator) << " " << value);
            char text[64];
            ASSERT_TRUE(FormatDecimal(text, sizeof text, value, separator));
            double back = -1;
            ASSERT_TRUE(ParseDecimal(text, separator, &back));
            EXPECT_NEAR(value, back, 1e-14);
        }
    }
    double value = -1;
    ASSERT_TRUE(ParseDecimal("08", '0', &value)); // eight, not 0.8
    EXPECT_DOUBLE_EQ(8.0, value);
}

TEST(SettingPlace, TheProjectAndNameExpandIntoKeyAndValue)
{
    char key[kSettingTextSize], value[kSettingTextSize];
    ASSERT_TRUE(SettingPlace("orbelle", "Number", key, sizeof key, value, sizeof value));
    EXPECT_STREQ("Software\\GlimMex\\orbelle", key);
    EXPECT_STREQ("Number", value);
    std::string longProject(2000, 'p');
    EXPECT_FALSE(SettingPlace(longProject.c_str(), "Number", key, sizeof key, value, sizeof value));

    char project[260];
    const struct { const char* path; const char* name; } cases[] = {
        {"C:\\WINDOWS\\orbelle.scr", "orbelle"}, {"orbelle.scr", "orbelle"},
        {"C:\\a.b\\ORBELLE.SCR", "ORBELLE"},    {"C:\\x\\noext", "noext"},
        {"C:\\x\\two.dots.scr", "two.dots"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(ProjectName(c.path, project, sizeof project));
        EXPECT_STREQ(c.name, project);
    }
}

TEST(ScreenModes, TextsParseIntoModesOrNormal)
{
    const struct { const char* text; int w, h, d; } cases[] = {
        {"normal", -1, -1, -1},   {"800x600", 800, 600, -1}, {"1024x768x16", 1024, 768, 16},
        {"", -1, -1, -1},         {"x", -1, -1, -1},         {"800x", -1, -1, -1},
        {"ax600", -1, -1, -1},    {"800x600x", -1, -1, -1},  {"800x600 ", -1, -1, -1},
        {"0x0", -1, -1, -1},      {"99999999999x600", -1, -1, -1}, {"640X480", -1, -1, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ScreenMode m = ParseScreenMode(c.text);
        EXPECT_EQ(c.w, m.width);
        EXPECT_EQ(c.h, m.height);
        EXPECT_EQ(c.d, m.depth);
    }
    EXPECT_TRUE(ParseScreenMode(nullptr).IsNormal());
    char text[32];
    ASSERT_TRUE(FormatScreenMode(text, sizeof text, ScreenMode{}));
    EXPECT_STREQ("normal", text);
    ASSERT_TRUE(FormatScreenMode(text, sizeof text, ScreenMode{800, 600, -1}));
    EXPECT_STREQ("800x600", text);
    ASSERT_TRUE(FormatScreenMode(text, sizeof text, ScreenMode{800, 600, 32}));
    EXPECT_STREQ("800x600x32", text);
}

TEST(ScreenModes, TheListIsNormalThenSortedModesWithoutRepeats)
{
    std::vector<ScreenMode> reported = {{1024, 768, 32}, {640, 480, 8}, {1024, 768, 16},
                                        {800, 600, 32},  {640, 480, 32}, {1024, 600, 32}};
    std::vector<ScreenMode> list = BuildScreenModeList(reported);
    ASSERT_EQ(5u, list.size());
    EXPECT_TRUE(list[0].IsNormal());
    const int expected[][2] = {{640, 480}, {800, 600}, {1024, 600}, {1024, 768}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], list[i + 1].width);
        EXPECT_EQ(expected[i][1], list[i + 1].height);
        EXPECT_EQ(-1, list[i + 1].depth);
    }
    EXPECT_EQ(1u, BuildScreenModeList({}).size());
    EXPECT_EQ(0, FindScreenMode(list, ParseScreenMode("normal")));
    EXPECT_EQ(2, FindScreenMode(list, ParseScreenMode("800x600x16")));
    EXPECT_EQ(-1, FindScreenMode(list, ParseScreenMode("512x384")));
}

TEST(ScreenModes, SwitchingListsKeepsTheSizeWhenItCan)
{
    std::vector<ScreenMode> plain = BuildScreenModeList({{800, 600, 32}, {1280, 1024, 32}});
    std::vector<ScreenMode> voodoo = ScreenModeList3dfx();
    ASSERT_EQ(4u, voodoo.size());
    EXPECT_EQ(-1, FindScreenMode(voodoo, ScreenMode{}));
    EXPECT_EQ(2, KeepScreenMode(voodoo, ScreenMode{800, 600, -1}));
    EXPECT_EQ(0, KeepScreenMode(voodoo, ScreenMode{1280, 1024, -1}));
    EXPECT_EQ(0, KeepScreenMode(voodoo, ScreenMode{}));
    EXPECT_EQ(1, KeepScreenMode(plain, voodoo[2]));
    EXPECT_EQ(0, KeepScreenMode(plain, voodoo[0]));
}

TEST(TrackBars, DoublesMapOntoAHundredSteps)
{
    EXPECT_EQ(15, TrackPosition(0.015, SpanMin(kVelocity), SpanMax(kVelocity)));
    EXPECT_DOUBLE_EQ(0.1, TrackValue(100, SpanMin(kVelocity), SpanMax(kVelocity)));
    EXPECT_DOUBLE_EQ(0.45, TrackValue(15, SpanMin(kCamera), SpanMax(kCamera)));
    EXPECT_EQ(15, TrackPosition(0.45, SpanMin(kCamera), SpanMax(kCamera)));
    EXPECT_NEAR(0.001, TrackValue(1, 0, 0.1), 1e-12);
    EXPECT_NEAR(0.03, TrackValue(1, 0, 3.0), 1e-12);
    for (int p = 0; p <= 100; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(p, TrackPosition(TrackValue(p, 0, 0.1), 0, 0.1));
        EXPECT_EQ(p, TrackPosition(TrackValue(p, 0, 3.0), 0, 3.0));
    }
    EXPECT_EQ(0, TrackPosition(-5, 0, 1));
    EXPECT_EQ(100, TrackPosition(7, 0, 1));
    EXPECT_EQ(0, TrackPosition(0.5, 1, 1));
}

TEST(SharedValues, MissingValuesAreWrittenAndOutOfRangeIndicesReset)
{
    const struct { const char* name; bool present; std::uint32_t stored; bool writes; std::uint32_t value; } cases[] = {
        {"Password Delay", false, 0, true, 30},       {"Password Delay", true, 5000, false, 0},
        {"Password Delay Index", false, 0, true, 0},  {"Password Delay Index", true, 1, false, 0},
        {"Password Delay Index", true, 2, true, 0},   {"Mouse Threshold", false, 0, true, 100},
        {"Mouse Threshold", true, 0, false, 0},       {"Mouse Threshold Index", false, 0, true, 1},
        {"Mouse Threshold Index", true, 3, false, 0}, {"Mouse Threshold Index", true, 4, true, 1},
        {"Mute Sound", false, 0, true, 0},            {"Mute Sound", true, 7, false, 0},
        {"Active Config", false, 0, true, 0},         {"Active Config", true, 1, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.present << " " << c.stored);
        const SharedDword* value = nullptr;
        for (const SharedDword& v : kSharedDwords)
            if (std::strcmp(v.name, c.name) == 0)
                value = &v;
        ASSERT_NE(nullptr, value);
        std::uint32_t write = 0xdeadbeef;
        EXPECT_EQ(c.writes, SharedDwordFix(*value, c.present, c.stored, &write));
        EXPECT_EQ(c.writes ? c.value : 0xdeadbeef, write);
    }
}

TEST(SharedValues, PasswordDelayUnits)
{
    EXPECT_EQ(1u, PasswordDelayIndex(90));
    EXPECT_EQ(1u, PasswordDelayIndex(60));
    EXPECT_EQ(0u, PasswordDelayIndex(59));
    EXPECT_EQ(0u, PasswordDelayIndex(0));
    EXPECT_EQ(1, DelayInUnit(90, 1));
    EXPECT_EQ(90, DelayInUnit(90, 0));
    EXPECT_EQ(120, DelayFromUnit(2, 1));
    EXPECT_EQ(3600, DelayFromUnit(1000000000, 1));
    EXPECT_EQ(0, DelayFromUnit(-5, 0));
    EXPECT_EQ(3600, DelayUnitMost(0));
    EXPECT_EQ(60, DelayUnitMost(1));
    EXPECT_EQ(3600, DelayFromUnit(DelayUnitMost(1), 1)) << "the field's top is an hour in both units";
}

TEST(SharedValues, MouseSensitivityRanges)
{
    const struct { int pixels, index; } cases[] = {
        {0, 0}, {50, 0}, {51, 1}, {100, 1}, {300, 1}, {301, 2}, {10000, 2},
        {10001, 3}, {999999, 3}, {5000000, 3}, {-3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pixels);
        EXPECT_EQ(c.index, MouseRangeIndex(c.pixels));
    }
    EXPECT_EQ(999999, MouseThresholdForChoice(3));
    EXPECT_STREQ("Ignore mouse movement", kMouseRanges[3].caption);
    EXPECT_EQ(200, MouseThresholdForChoice(1));
    EXPECT_EQ(0, MouseThresholdForChoice(0));
    EXPECT_EQ(999999, MouseThresholdForChoice(9));
    for (int i = 0; i < kMouseRangeCount; ++i)
        EXPECT_EQ(i, MouseRangeIndex(MouseThresholdForChoice(i)));
}

struct Recorder : TSettingsFollower {
    unsigned changes = 0;
    int number = 0;
    void FollowSettings(const OrbelleSettings& settings, unsigned c) override
    {
        changes = c;
        number = settings.number;
    }
};

TEST(SettingFollower, OneFollowerAtATime)
{
    EXPECT_EQ(nullptr, ConfigPreviewFollower());
    Recorder recorder;
    SetConfigPreviewFollower(&recorder);
    ASSERT_EQ(&recorder, ConfigPreviewFollower());
    OrbelleSettings s = DefaultSettings();
    s.number = 4;
    ConfigPreviewFollower()->FollowSettings(s, kChangeNumber);
    EXPECT_EQ(4, recorder.number);
    EXPECT_EQ(static_cast<unsigned>(kChangeNumber), recorder.changes);
    SetConfigPreviewFollower(nullptr);
    EXPECT_EQ(nullptr, ConfigPreviewFollower());
}

} // namespace
