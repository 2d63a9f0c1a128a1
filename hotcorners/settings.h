// The settings dialog (template 108), the same procedure as the Display
// Properties page (template 107), and the About box (template 114).
#pragma once
#include <windows.h>
#include <shlobj.h>

enum DialogMode { kModeInstall = 0, kModeUninstall = 1, kModeNormal = 2 };

// The stand-alone dialog gets a launch record with the layout of
// PROPSHEETPAGEA: lParam 0 (a page has its extension object there) and these
// bits in dwFlags.
constexpr DWORD kLaunchInteractive = 0x1;
constexpr DWORD kLaunchInstall = 0x2;
constexpr DWORD kLaunchUninstall = 0x4;

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The shortcut named "Quadrix" in the user's Startup folder, as a loaded shell
// link the caller releases; null when there is none. With create, a missing
// one is made first ("rundll32.exe" with the module path and ",RunService").
// path (kPathSize bytes, may be null) receives the shortcut's file path.
IShellLinkA* FindStartupShortcut(HWND owner, bool create, char* path);

// Sends the running service WM_CLOSE and waits for its answer (the service
// first tells each of its listeners, each bounded) and then, at most
// 5000 ms, for its process to end, so that the module file is free
// afterwards. Sent messages are still handled while it waits. False when
// the service did not answer the close within its limit (it is stuck): it
// may still run.
bool StopServiceAndWait();
// Tells the user that the service could not be stopped.
void ReportServiceHangs(HWND owner);

// The class registration of the property-sheet extension and the page's
// key under the Display control panel.
void RegisterExtensionClass();
// PageRegistered reads with read access only; RegisterPage writes only a
// change, and returns false when the change was refused (a limited user).
bool PageRegistered();
bool RegisterPage(bool registered);
