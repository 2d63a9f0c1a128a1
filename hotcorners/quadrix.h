// What the parts of quadrix.dll share inside the module: the module handle,
// the process attach and detach, the private messages and the names every
// process agrees on. The registry's settings are registry.h, the processes
// the module starts launch.h, the shared block shared_block.h, its mutexes
// mutexes.h, the service as other processes reach it service_client.h.
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

// Process attach and detach: the mutexes, the session and the service
// window class; at detach also the corner picker's resources.
void AttachProcess(HINSTANCE module);
void DetachProcess();
