// The installer's main flow and the windows it shows before installing.
#pragma once
#include <windows.h>

#include "installer/flow/saver_names.h"
#include "installer/instance.h"

// The backdrop's window class.
constexpr char kInstallClassName[] = "InstallClass";

// Results of DIALOG_PRELIM.
constexpr INT_PTR kPrelimInstall = IDOK;            // install without Quadrix
constexpr INT_PTR kPrelimCancel = IDCANCEL;         // Cancel, Escape or the close box
constexpr INT_PTR kPrelimInstallWithQuadrix = IDYES; // install with Quadrix (6)

// The saver's texts from string-table entries 1 to 3, or their defaults.
struct SaverStrings {
    char DescriptiveName[kDescriptiveNameSize];
    char SaverFileName[kSaverFileNameSize];
    char SaverTitle[kSaverTitleSize];
};
void LoadSaverStrings(HINSTANCE instance, SaverStrings* strings);

ATOM RegisterInstallClass();
LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PrelimDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
