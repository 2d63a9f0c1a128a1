// The saver's settings in the registry (HKEY_CURRENT_USER, key
// "Software\GlimMex\<project>"), and the screen-saver values shared with
// other savers and the hot-corners module.
#pragma once
#include <windows.h>

#include <vector>

#include "saver/config/settings.h"

// The user's decimal separator, used both to write and to read doubles.
char DecimalSeparator();
// The program's own project name: its file name without extension.
bool OwnProjectName(char* out, std::size_t size);

// Reads every setting; a missing, wrongly typed, over-long or out-of-span
// value gives its default. A key that cannot be opened gives all defaults.
void LoadSettings(const char* project, OrbelleSettings* settings);
// Writes every setting, creating the key when missing; a key that cannot be
// created skips the writes silently.
void SaveSettings(const char* project, const OrbelleSettings& settings);
// Writes Told3dfx alone (the dialog's first activation).
void SaveTold3dfx(const char* project, bool told);

// Writes each shared value that is missing and resets the two index values
// when out of range; never overwrites anything else.
void InitialiseRegistry();

struct SharedSettings {
    int passwordDelay;  // seconds
    int passwordDelayIndex; // 0 seconds, 1 minutes: the unit shown
    int mouseThreshold; // pixels
    char corners[5];    // four corner codes
};
SharedSettings LoadSharedSettings();
// "Password Delay" and its index (1 above 59 seconds).
void SavePasswordDelay(int seconds);
// "Mouse Threshold" and the index of the range that holds it.
void SaveMouseThreshold(int pixels);
// "Mouse Corners", then NotifyHots.
void SaveMouseCorners(const char* corners);

// Tell "Sage.DLL" and "Quadrix.dll" that the saver's settings changed;
// absent libraries or exports are skipped.
void NotifyHots();
// True when either library's System_Agent_Detect reports a running agent.
bool CheckForHots();

// The screen-mode list of an ordinary driver, from the system's modes.
std::vector<ScreenMode> SystemScreenModes();
