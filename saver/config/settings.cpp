#include "saver/config/settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/decimal.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

const ValueRange kNumberRanges[] = {{"Few", 1, 4, 2}, {"More", 5, 10, 8}, {"Lots", 11, 15, 12}};
const ValueRange kVelocityRanges[] = {{"Range0", 0, 0.1, 0.03}};
const ValueRange kCameraRanges[] = {{"Range0", 0, 3.0, 0.5}};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal symbol that can be part of a number itself (a digit, a sign, an
// exponent mark, nothing) would make the stored text ambiguous; the user's
// locale may name one all the same, and then '.' stands in for it.
char NumberSeparator(char separator)
{
    if (separator == '\0' || IsDigit(separator) || separator == '+' || separator == '-' ||
        separator == 'e' || separator == 'E')
        return '.';
    return separator;
}

// Skips a run of digits; returns how many there were.
int SkipDigits(const char*& p)
{
    int n = 0;
    while (IsDigit(*p)) {
        ++p;
        ++n;
    }
    return n;
}

bool IsDecimalText(const char* text, char separator)
{
    const char* p = text;
    if (*p == '+' || *p == '-')
        ++p;
    int digits = SkipDigits(p);
    if (*p == separator) {
        ++p;
        digits += SkipDigits(p);
    }
    if (digits == 0)
        return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (SkipDigits(p) == 0)
            return false;
    }
    return *p == '\0';
}

// Reads a non-negative decimal integer of at most 9 digits.
bool ReadCount(const char*& p, int* value)
{
    const char* start = p;
    long n = 0;
    while (IsDigit(*p) && p - start < 9)
        n = n * 10 + (*p++ - '0');
    if (p == start || IsDigit(*p))
        return false;
    *value = static_cast<int>(n);
    return true;
}

long long ModeKey(const ScreenMode& m)
{
    return static_cast<long long>(m.width) * 1048576 + static_cast<long long>(m.height) * 256 + m.depth;
}

} // namespace

const SettingInfo kNumber = {"Number", SettingKind::Integer, 8, nullptr, kNumberRanges, 3};
const SettingInfo kVelocity = {"Velocity", SettingKind::Double, 0.015, nullptr, kVelocityRanges, 1};
const SettingInfo kCamera = {"Camera", SettingKind::Double, 0.45, nullptr, kCameraRanges, 1};
const SettingInfo kFlat = {"Flat", SettingKind::Boolean, 0, nullptr, nullptr, 0};
const SettingInfo kMonochrome = {"Monochrome", SettingKind::Boolean, 1, nullptr, nullptr, 0};
const SettingInfo kUseImage = {"UseImage", SettingKind::Boolean, 1, nullptr, nullptr, 0};
const SettingInfo kFileName = {"FileName", SettingKind::String, 0, "*def", nullptr, 0};
const SettingInfo kSync = {"Sync", SettingKind::Boolean, 1, nullptr, nullptr, 0};
const SettingInfo kExtraDetail = {"ExtraDetail", SettingKind::Boolean, 0, nullptr, nullptr, 0};
const SettingInfo kDriver = {"Driver", SettingKind::String, 0, "opengl32.dll", nullptr, 0};
const SettingInfo kDriverPath = {"DriverPath", SettingKind::String, 0, "", nullptr, 0};
const SettingInfo kMode = {"Mode", SettingKind::ScreenMode, 0, "normal", nullptr, 0};
const SettingInfo kTold3dfx = {"Told3dfx", SettingKind::Boolean, 0, nullptr, nullptr, 0};

const SettingInfo* const kOrbelleSettings[kSettingCount] = {
    &kNumber, &kVelocity, &kCamera, &kFlat, &kMonochrome, &kUseImage, &kFileName,
    &kSync, &kExtraDetail, &kDriver, &kDriverPath, &kMode, &kTold3dfx};

double SpanMin(const SettingInfo& info)
{
    double lo = info.rangeCount > 0 ? info.ranges[0].min : 0;
    for (int i = 0; i < info.rangeCount; ++i)
        lo = std::min(lo, std::min(info.ranges[i].min, info.ranges[i].max));
    return lo;
}

double SpanMax(const SettingInfo& info)
{
    double hi = info.rangeCount > 0 ? info.ranges[0].max : 0;
    for (int i = 0; i < info.rangeCount; ++i)
        hi = std::max(hi, std::max(info.ranges[i].min, info.ranges[i].max));
    return hi;
}

int ValidInteger(const SettingInfo& info, bool present, std::uint32_t stored)
{
    // A DWORD holds a signed 32-bit integer.
    int value = static_cast<int>(static_cast<std::int32_t>(stored));
    if (!present || value < SpanMin(info) || value > SpanMax(info))
        return static_cast<int>(info.def);
    return value;
}

bool ValidBoolean(const SettingInfo& info, bool present, std::uint32_t stored)
{
    if (present && (stored == 0 || stored == 1))
        return stored == 1;
    return info.def != 0;
}

double ValidDouble(const SettingInfo& info, const char* stored, char separator)
{
    double value = 0;
    if (!stored || !ParseDecimal(stored, separator, &value) || value < SpanMin(info) ||
        value > SpanMax(info))
        return info.def;
    return value;
}

bool ParseDecimal(const char* text, char separator, double* value)
{
    separator = NumberSeparator(separator);
    if (!text || std::strlen(text) >= kSettingTextSize || !IsDecimalText(text, separator))
        return false;
    // The separator becomes '.', whatever the user's locale is.
    char copy[kSettingTextSize];
    CopyText(copy, sizeof copy, text);
    for (char* p = copy; *p; ++p)
        if (*p == separator)
            *p = '.';
    double parsed;
    if (!ReadDecimal(copy, &parsed))
        return false;
    *value = parsed;
    return true;
}

bool FormatDecimal(char* out, std::size_t size, double value, char separator)
{
    separator = NumberSeparator(separator);
    if (!WriteDecimal(out, size, value, 15))
        return false;
    for (char* p = out; *p; ++p)
        if (*p == '.')
            *p = separator;
    return true;
}

bool SettingPlace(const char* project, const char* name, char* key, std::size_t keySize,
                  char* valueName, std::size_t valueSize)
{
    char place[kSettingTextSize];
    if (!FormatText(place, sizeof place, "Software\\GlimMex\\%s\\%s", project, name))
        return false;
    return DirectoryPart(key, keySize, place) && FileNamePart(valueName, valueSize, place);
}

bool ProjectName(const char* programPath, char* out, std::size_t size)
{
    if (!FileNamePart(out, size, programPath))
        return false;
    char* dot = std::strrchr(out, '.');
    if (dot && dot != out)
        *dot = '\0';
    return true;
}

ScreenMode ParseScreenMode(const char* text)
{
    ScreenMode mode;
    if (!text || !std::strchr(text, 'x'))
        return mode;
    const char* p = text;
    int width = 0, height = 0, depth = -1;
    if (!ReadCount(p, &width) || *p++ != 'x' || !ReadCount(p, &height))
        return mode;
    if (*p == 'x') {
        ++p;
        if (!ReadCount(p, &depth))
            return mode;
    }
    if (*p != '\0' || width <= 0 || height <= 0)
        return mode;
    mode.width = width;
    mode.height = height;
    mode.depth = depth;
    return mode;
}

bool FormatScreenMode(char* out, std::size_t size, const ScreenMode& mode)
{
    if (mode.IsNormal())
        return CopyText(out, size, "normal");
    if (mode.depth < 0)
        return FormatText(out, size, "%dx%d", mode.width, mode.height);
    return FormatText(out, size, "%dx%dx%d", mode.width, mode.height, mode.depth);
}

std::vector<ScreenMode> BuildScreenModeList(const std::vector<ScreenMode>& reported)
{
    std::vector<ScreenMode> modes;
    for (ScreenMode m : reported) {
        if (m.IsNormal())
            continue;
        m.depth = -1;
        if (FindScreenMode(modes, m) < 0)
            modes.push_back(m);
    }
    std::sort(modes.begin(), modes.end(),
              [](const ScreenMode& a, const ScreenMode& b) { return ModeKey(a) < ModeKey(b); });
    modes.insert(modes.begin(), ScreenMode{});
    return modes;
}

std::vector<ScreenMode> ScreenModeList3dfx()
{
    return {{512, 384, -1}, {640, 480, -1}, {800, 600, -1}, {1024, 768, -1}};
}

int FindScreenMode(const std::vector<ScreenMode>& list, const ScreenMode& mode)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ScreenMode& m = list[i];
        bool same = mode.IsNormal() ? m.IsNormal()
                                    : m.width == mode.width && m.height == mode.height;
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

int KeepScreenMode(const std::vector<ScreenMode>& list, const ScreenMode& selected)
{
    return std::max(0, FindScreenMode(list, selected));
}

int TrackPosition(double value, double min, double max)
{
    if (!(max > min))
        return 0;
    double position = std::floor((value - min) * 100 / (max - min) + 0.5);
    return static_cast<int>(std::min(100.0, std::max(0.0, position)));
}

double TrackValue(int position, double min, double max)
{
    return min + position * 0.01 * (max - min);
}

OrbelleSettings DefaultSettings()
{
    OrbelleSettings s{};
    s.number = static_cast<int>(kNumber.def);
    s.velocity = kVelocity.def;
    s.camera = kCamera.def;
    s.flat = kFlat.def != 0;
    s.monochrome = kMonochrome.def != 0;
    s.useImage = kUseImage.def != 0;
    s.sync = kSync.def != 0;
    s.extraDetail = kExtraDetail.def != 0;
    s.told3dfx = kTold3dfx.def != 0;
    CopyText(s.fileName, sizeof s.fileName, kFileName.textDefault);
    CopyText(s.driver, sizeof s.driver, kDriver.textDefault);
    CopyText(s.driverPath, sizeof s.driverPath, kDriverPath.textDefault);
    s.mode = ParseScreenMode(kMode.textDefault);
    return s;
}

namespace {
TSettingsFollower* gPreviewFollower = nullptr;
}

void SetConfigPreviewFollower(TSettingsFollower* follower)
{
    gPreviewFollower = follower;
}

TSettingsFollower* ConfigPreviewFollower()
{
    return gPreviewFollower;
}

bool UsesBuiltInLogo(const char* fileName)
{
    return !fileName || fileName[0] == '\0' || std::strcmp(fileName, "*def") == 0;
}

const SharedDword kSharedDwords[kSharedDwordCount] = {
    {"Password Delay", 30, 0xffffffffu},
    {"Password Delay Index", 0, 1},
    {"Mouse Threshold", 100, 0xffffffffu},
    {"Mouse Threshold Index", 1, 3},
    {"Mute Sound", 0, 0xffffffffu},
    {"Active Config", 0, 0xffffffffu},
};

bool SharedDwordFix(const SharedDword& value, bool present, std::uint32_t stored,
                    std::uint32_t* write)
{
    if (present && stored <= value.resetAbove)
        return false;
    *write = value.initial;
    return true;
}

// An hour: the longest delay either unit offers.
constexpr int kMostDelaySeconds = 3600;

const ValueRange kPasswordDelayRanges[2] = {{"seconds", 0, 60, 15}, {"minutes", 61, 3600, 120}};

std::uint32_t PasswordDelayIndex(int seconds)
{
    return seconds > 59 ? 1 : 0;
}

int DelayInUnit(int seconds, int unitIndex)
{
    return unitIndex == 1 ? seconds / 60 : seconds;
}

int DelayFromUnit(int number, int unitIndex)
{
    long long seconds = unitIndex == 1 ? static_cast<long long>(number) * 60 : number;
    return static_cast<int>(std::min<long long>(kMostDelaySeconds, std::max<long long>(0, seconds)));
}

int DelayUnitMost(int unitIndex)
{
    return DelayInUnit(kMostDelaySeconds, unitIndex);
}

const ValueRange kMouseRanges[kMouseRangeCount] = {
    {"High", 0, 50, 0},
    {"Normal", 51, 300, 200},
    {"Low", 301, 10000, 400},
    {"Ignore mouse movement", 10001, 999999, 999999},
};

int MouseRangeIndex(int pixels)
{
    for (int i = 0; i < kMouseRangeCount; ++i)
        if (pixels <= kMouseRanges[i].max)
            return i;
    return kMouseRangeCount - 1;
}

int MouseThresholdForChoice(int index)
{
    index = std::min(kMouseRangeCount - 1, std::max(0, index));
    return static_cast<int>(kMouseRanges[index].def);
}
