// What the command entries of quadrix.dll share: each runs in the shape of
// a rundll32 entry (caller's window, instance, command text, show command).
#pragma once
#include <windows.h>

// The module must run from the Windows directory (the Startup shortcut, the
// registration and the uninstall command name it there). Otherwise tells the
// user, owned by caller, and returns false: the entry then does nothing.
bool CheckDirectory(HWND caller);

// Renames the caller's window (under rundll32, the host's hidden window)
// "Quadrix", unless the command text is exactly "/notitle" or "-notitle".
void SetTitleUnlessAsked(HWND caller, const char* command);
void SetTitle(HWND caller);

// CoInitialize, then a probe of the shell-link class that loads the shell's
// COM server early; a failed probe changes nothing. True when COM was
// initialised here: only then is it paired with CoUninitialize (a thread the
// host initialised otherwise keeps its own).
bool EnterCom();
