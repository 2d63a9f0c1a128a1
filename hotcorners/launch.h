// The processes the module starts: rundll32 entries of its own, the service
// (as the desktop's user when elevated), the configured saver and its
// settings page.
#pragma once
#include <windows.h>

// The rundll32.exe that hosts this module: on 64-bit Windows the one of the
// module's own kind (SysWOW64 for a 32-bit module), else the first of the
// system directory's (NT family) and the Windows directory's (Windows 95
// family) that exists. False when it does not fit in size characters.
bool RundllPath(char* path, unsigned size);
// Starts "rundll32 <module path>,<entry>" as a process of its own, not
// waited for. Returns false when nothing was started.
bool LaunchModuleEntry(const char* entry);
// Starts the corner watch service ("rundll32 <module path>,RunService"),
// as the desktop's user when this process is elevated. Returns false when
// nothing was started.
bool LaunchService();
// In an elevated process (Windows Vista and later), has the desktop shell
// start file with parameters, so that it runs with the user's own token.
// False when this process is not elevated or the shell could not be asked.
bool LaunchAsDesktopUser(const char* file, const char* parameters);
// Starts the Display control panel's screen-saver page for the current saver
// ("SCRNSAVE.EXE" of "system.ini").
bool LaunchSaverSettings();
// Starts a command line (writable, as CreateProcessA wants it) as a process
// of its own, not waited for.
bool LaunchCommandLine(char* commandLine);
// Room for the configured saver's path, as read and as mapped.
constexpr unsigned kSaverPathSize = 500;
// The configured saver ("SCRNSAVE.EXE" of "system.ini"), a path in the
// system directory mapped past the 32-bit redirection on 64-bit Windows;
// false when none is configured or it does not fit in size characters.
bool ConfiguredSaverPath(char* path, unsigned size);
// Starts the configured saver with "/s".
bool LaunchSaver();
