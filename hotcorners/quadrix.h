// What the parts of quadrix.dll share inside the module: the module handle,
// the private messages and the names every process agrees on; and, still
// here, the registry's settings and options and the processes the module
// starts. The shared block is shared_block.h, its mutexes mutexes.h, the
// service as other processes reach it service_client.h.
#pragma once
#include <windows.h>

extern HINSTANCE gModule;

// Private messages: WM_APP with the code in wParam.
constexpr UINT WM_HOTCORNERS = WM_APP;
enum HotCornersCode : WPARAM {
    HC_SERVICE_ENDED = 100,   // lParam 0; service to the notify list
    HC_SERVICE_STARTED = 101, // lParam 0; service to the notify list
    HC_FEEDBACK = 102,        // FeedbackState low 16 bits, corner high 16 bits
    HC_CORNERS_CHANGED = 103, // packed corner codes
    HC_SET_ICON = 104,        // 0 or 1
    HC_SET_FEEDBACK = 105,    // 0 or 1
    HC_GET_ICON = 106,        // answers 0 or 1
    HC_GET_FEEDBACK = 107,    // answers 0 or 1
    HC_GET_STATE = 108,       // answers FeedbackState low, last corner high
};
// The tray icon's callback message (wParam the icon id, lParam the mouse message).
constexpr UINT WM_TRAY_CALLBACK = WM_APP + 1;

// Names every process agrees on.
constexpr char kServiceClass[] = "QuadrixService";
constexpr char kServiceMutexName[] = "QuadrixServiceMutex";
constexpr char kListMutexName[] = "QuadrixListMutex";
constexpr char kDialogMutexName[] = "QuadrixDialogWindowMutex";

// Process attach and detach: the mutexes and the service window class.
void AttachProcess(HINSTANCE module);
void DetachProcess();
void RegisterServiceClass(HINSTANCE module);
// Frees the corner picker's bitmaps and menus if this process loaded them;
// called at process detach.
void FreePickerResources();

// "Mouse Corners": four codes ('-', 'Y', 'N') in corner order.
void ReadCornerSettings(char codes[4]);
void WriteCornerSettings(const char codes[4]);

// The registry options "Quadrix Tray Icon" and "Quadrix Feedback".
extern const char kOptionTrayIcon[];
extern const char kOptionFeedback[];
int ReadOption(const char* name);
void WriteOption(const char* name, int value);

// The screen-saver switch as a service turns it off and on: the user's
// registry records that the service holds it off, before it does, so that
// a service killed meanwhile (or ended with the session) does not leave
// screen saving off for good.
void SetSaverSwitch(bool on);
// Turns the switch back on when the record says a service holds it off;
// for a caller that holds the service mutex and found no service (or is the
// service that starts). GiveBackSaverSwitch (service_client.h) looks first.
void GiveBackOrphanedSaverSwitch();

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

// The service behind RunService: returns when the service has ended.
void ServiceMain();
