// Registry keys that the tests read and write as the system and other
// programs do, spelled once.
#pragma once

namespace support {

// The hot corners' property-page extension: its class, the class's key
// under HKEY_CLASSES_ROOT and its entry among the Display control panel's
// handlers (HKEY_LOCAL_MACHINE).
constexpr char kPageClassId[] = "{9CB48109-E0FC-11D0-8E0C-C52523886C3B}";
constexpr char kPageClassKey[] = "CLSID\\{9CB48109-E0FC-11D0-8E0C-C52523886C3B}";
constexpr char kPageKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers\\Quadrix Properties";
// The hot corners' setting ("Mouse Corners", HKEY_CURRENT_USER).
constexpr char kCornersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
// The uninstall helper's database and the system's Add/Remove entries
// (HKEY_LOCAL_MACHINE).
constexpr char kDatabase[] = "Software\\Tolvar\\Unglimex";
constexpr char kEntries[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The screen-saver settings of the user (HKEY_CURRENT_USER).
constexpr char kDesktop[] = "Control Panel\\Desktop";

} // namespace support
