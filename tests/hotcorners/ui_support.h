// What the tests of the settings dialog, the page and the picker share
// beyond the service's harness: entries started with a command text, the
// settings dialog, and the registry values as stored.
#pragma once
#include <windows.h>

#include <string>

#include "harness.h"
#include "robot.h"

namespace hcui {

constexpr DWORD kWaitMs = 20000;
constexpr char kCornersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
constexpr char kPageKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers\\Quadrix Properties";
constexpr char kClassKey[] = "CLSID\\{9CB48109-E0FC-11D0-8E0C-C52523886C3B}";

// Starts "rundll32.exe <module>,<entry> <command>" (no command: nothing after
// the entry).
robot::Child StartEntry(const std::string& module, const char* entry, const char* command = nullptr);
// The settings dialog "Hot Corners" of a process.
HWND WaitForSettings(const robot::Child& child);

// A REG_SZ value as stored: its bytes, the terminating zero included when it
// was written; "<missing>" when there is none.
std::string RawText(HKEY root, const char* key, const char* name);
void WriteText(HKEY root, const char* key, const char* name, const char* text);
bool KeyExists(HKEY root, const char* key);

} // namespace hcui
