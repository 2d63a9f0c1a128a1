// The Preview dialog: the saver started in its preview mode inside a black
// area of a small modal dialog.
#pragma once
#include <windows.h>

// Control ids of the dialog built in memory.
constexpr int kPreviewOk = IDOK;     // 1
constexpr int kPreviewStatus = 2;    // the status line; IDCANCEL comes from Escape and the close box
constexpr int kPreviewArea = 3;      // the black area the saver draws into
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewTickMs = 100;
constexpr DWORD kPreviewIdleWaitMs = 150;

// The dialog's procedure; its creation parameter is the saver's full path.
INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The preview area's procedure, put in place over the static control's own,
// which it keeps in the control's GWLP_USERDATA.
LRESULT CALLBACK PreviewAreaProc(HWND area, UINT message, WPARAM wParam, LPARAM lParam);
