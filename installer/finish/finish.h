// The steps after the payloads are in place: the hot-corners module's
// set-up, registration with the uninstall support, activation and preview.
#pragma once
#include <windows.h>

#include <cstddef>

#include "installer/payload/payload.h"

// Installs quadrix.dll into the Windows directory from the resource
// resourceName. An installed copy about to be replaced is first told to stop
// (its TerminateService entry, then a pause); the copy in place is then set
// going with its InstallSilently entry. Each entry is called as rundll32
// would call it, with owner, the installer's instance, "/notitle" and
// SW_SHOWNORMAL. Returns true when the module is in place and set up; the
// same version already installed is kept and set up again.
bool InstallHotCorners(HWND owner, const char* resourceName);

// InstallHotCorners' handler of InstallPayload's events; data is its state.
void HotCornersEventHandler(PayloadEvent event, HWND owner, const char* destination, void* data);

// What the registration command lines are made of (all zero-terminated).
struct RegistrationNames {
    const char* UninstallerPath; // the installed unglimex.exe
    const char* SaverFileName;   // the saver's token
    const char* SaverTitle;
    const char* SaverPath;
    const char* SaverKeyName;
    const char* HotCornersPath;
};

// Tells the installed uninstall support about the saver (when saverInstalled)
// and the hot-corners module (when hotCornersSetUp), one command line at a
// time, each formatted into commandBuffer (commandSize bytes) and waited for.
void RegisterProducts(const RegistrationNames& names, bool saverInstalled, bool hotCornersSetUp,
                      char* commandBuffer, std::size_t commandSize);

// Makes the saver at saverPath the system's screen saver and switches
// screen saving on.
void ActivateSaver(const char* saverPath);

// Whether the users of two processes are one: 1 yes, 0 no, -1 cannot tell
// (the Windows 95 family, or a token that cannot be read).
int ProcessesShareUser(HANDLE first, HANDLE second);

// Whether the installer runs under another account than the desktop's shell
// (an administrator's, given at the elevation prompt by a standard user), so
// that its per-user steps went into that account's profile. False where it
// cannot tell.
bool RunsAsAnotherUser();

// Tells the user that the per-user steps went to another account and what
// to do in their own: choose the saver (saverTitle) and, when hotCorners,
// have the hot corners start at logon. Modal, with caption.
constexpr std::size_t kAnotherUserTextSize = 1024;
void TellAboutAnotherUser(HWND owner, const char* caption, const char* saverTitle, bool hotCorners);

// Shows the saver running in the modal "Preview" dialog until the user
// closes it.
void ShowPreviewDialog(HWND owner, const char* saverPath);
