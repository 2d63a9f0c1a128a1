// The saver's settings: names, kinds, defaults and valid spans, validation of
// stored values, decimal text, screen modes, track-bar mappings and the
// shared screen-saver values. No windows.h: also built natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Registry names and values are at most this long, terminator included.
constexpr std::size_t kSettingTextSize = 1000;

enum class SettingKind { Integer, Double, Boolean, String, ScreenMode };

// A named part of a value's span, with its own default.
struct ValueRange {
    const char* caption;
    double min, max, def;
};

struct SettingInfo {
    const char* name;        // the registry value name
    SettingKind kind;
    double def;              // integers, doubles and booleans (0 or 1)
    const char* textDefault; // strings and screen modes
    const ValueRange* ranges;
    int rangeCount;
};

extern const SettingInfo kNumber, kVelocity, kCamera, kFlat, kMonochrome, kUseImage,
    kFileName, kSync, kExtraDetail, kDriver, kDriverPath, kMode, kTold3dfx;
constexpr int kSettingCount = 13;
extern const SettingInfo* const kOrbelleSettings[kSettingCount];

// The valid span runs from the smallest bound of any range to the largest.
double SpanMin(const SettingInfo& info);
double SpanMax(const SettingInfo& info);

// Stored DWORD → value: missing or outside the span gives the default.
int ValidInteger(const SettingInfo& info, bool present, std::uint32_t stored);
// Stored DWORD → value: 0 false, 1 true, anything else or missing the default.
bool ValidBoolean(const SettingInfo& info, bool present, std::uint32_t stored);
// Stored text → value: missing (null), not decimal text with this separator,
// or outside the span gives the default.
double ValidDouble(const SettingInfo& info, const char* stored, char separator);

// Decimal text with the given separator: an optional sign, digits, an
// optional separator and digits, an optional exponent; nothing else, no
// blanks. Returns false, leaving *value alone, for anything else.
bool ParseDecimal(const char* text, char separator, double* value);
// General format with up to 15 significant digits and the given separator.
bool FormatDecimal(char* out, std::size_t size, double value, char separator);

// "Software\GlimMex\<project>\<name>" split at its last backslash into the key
// under HKEY_CURRENT_USER and the value name. False when either does not fit.
bool SettingPlace(const char* project, const char* name, char* key, std::size_t keySize,
                  char* valueName, std::size_t valueSize);
// The program's file name without its folder and extension ("orbelle").
bool ProjectName(const char* programPath, char* out, std::size_t size);

// A display mode; −1 everywhere means "normal" (no change), a depth of −1
// any colour depth.
struct ScreenMode {
    int width = -1, height = -1, depth = -1;
    bool IsNormal() const { return width < 0 || height < 0; }
};
// "normal" or width "x" height, optionally "x" depth. A text without an "x"
// or with numbers that do not read gives "normal".
ScreenMode ParseScreenMode(const char* text);
bool FormatScreenMode(char* out, std::size_t size, const ScreenMode& mode);

// The mode list of an ordinary driver: "normal" first, then the reported
// modes without depth, without repeats, ascending.
std::vector<ScreenMode> BuildScreenModeList(const std::vector<ScreenMode>& reported);
// The fixed list of a 3dfx driver (no "normal").
std::vector<ScreenMode> ScreenModeList3dfx();
// The entry with the mode's width and height; "normal" matches the entry
// "normal". −1 when the list has none.
int FindScreenMode(const std::vector<ScreenMode>& list, const ScreenMode& mode);
// The index to select after switching lists: the same width and height if
// the new list has them, else its first entry.
int KeepScreenMode(const std::vector<ScreenMode>& list, const ScreenMode& selected);

// Track bars of doubles run 0 … 100 over the value's span.
int TrackPosition(double value, double min, double max);
double TrackValue(int position, double min, double max);

// The saver's settings, as the saver and the dialog use them.
struct OrbelleSettings {
    int number;
    double velocity, camera;
    bool flat, monochrome, useImage, sync, extraDetail, told3dfx;
    char fileName[kSettingTextSize];
    char driver[kSettingTextSize];
    char driverPath[kSettingTextSize];
    ScreenMode mode;
};
OrbelleSettings DefaultSettings();

// What a change in the configuration dialog touched, for the live preview.
enum SettingChange : unsigned {
    kChangeNumber = 1u << 0,      // the tree
    kChangeSpins = 1u << 1,       // Velocity or Sync
    kChangeFileName = 1u << 2,    // the logo
    kChangeExtraDetail = 1u << 3, // the level tables
    kChangeLook = 1u << 4,        // read every frame: Flat, Monochrome, UseImage, Camera
};
// The saver window inside the dialog's live preview follows every change
// before anything is saved. At most one follower; null when none.
class TSettingsFollower {
public:
    virtual ~TSettingsFollower() = default;
    virtual void FollowSettings(const OrbelleSettings& settings, unsigned changes) = 0;
};
void SetConfigPreviewFollower(TSettingsFollower* follower);
TSettingsFollower* ConfigPreviewFollower();
// "*def" or the empty text: the built-in logo.
bool UsesBuiltInLogo(const char* fileName);

// The screen-saver values shared with other savers and the hot-corners module.
constexpr const char* kScreenSaversKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
struct SharedDword {
    const char* name;
    std::uint32_t initial; // written when missing
    std::uint32_t resetAbove; // an index above this is reset to initial; 0xffffffff: never
};
constexpr int kSharedDwordCount = 6;
extern const SharedDword kSharedDwords[kSharedDwordCount];
constexpr const char* kMouseCornersName = "Mouse Corners";
constexpr const char* kMouseCornersInitial = "----";
// What preparing a shared DWORD writes: false when the stored value stays.
bool SharedDwordFix(const SharedDword& value, bool present, std::uint32_t stored,
                    std::uint32_t* write);

// Password delay in seconds: ranges "seconds" and "minutes".
extern const ValueRange kPasswordDelayRanges[2];
// The unit stored as "Password Delay Index": 1 (minutes) above 59 seconds.
std::uint32_t PasswordDelayIndex(int seconds);
// The number shown in the dialog's field for a delay in this unit, and back.
int DelayInUnit(int seconds, int unitIndex);
int DelayFromUnit(int number, int unitIndex);
// The largest number the field takes in the unit: 3600 seconds, 60 minutes.
int DelayUnitMost(int unitIndex);

// Mouse threshold in pixels: "High", "Normal", "Low", "Ignore mouse movement".
constexpr int kMouseRangeCount = 4;
extern const ValueRange kMouseRanges[kMouseRangeCount];
// The range holding a threshold; beyond the last range the nearest one.
int MouseRangeIndex(int pixels);
// The threshold a choice in the sensitivity list sets: its range's default.
int MouseThresholdForChoice(int index);
