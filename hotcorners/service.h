// The service's record and the indicators that show its state (tray icon,
// feedback marks, tray menu, diagnostic paint). Everything here runs on the
// service thread.
#pragma once
#include "hotcorners/corners.h"
#include "hotcorners/quadrix.h"
#include "common/owners.h"

using EnumDisplayMonitorsFn = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

// One per service, hung on the service window as its user data.
struct ServiceRecord final : SaverSystem {
    HWND window = nullptr;
    // Set while the start runs: a close that arrives then (a message sent
    // to the window while the start itself sends) waits for its end.
    bool starting = true;
    // Set between the system's question whether the session may end and
    // its answer: the ticks hold nothing off meanwhile.
    bool sessionEnding = false;
    MenuOwner trayMenu;
    UINT_PTR timer = 0;
    CornerWatch watch;
    CornerPoint points[kCornerCount];
    // Looked up at start, whatever the number of monitors then.
    Library user32;
    EnumDisplayMonitorsFn enumMonitors = nullptr;

    // The indicators. The shell broadcasts this message when its task bar
    // is made again (Explorer restarted): the icon is added anew then.
    UINT taskbarCreated = 0;
    bool iconShown = false;
    bool feedbackShown = false;
    RECT markRect = {};
    int markCorner = kNoCorner;
    GdiObject markBitmap;
    HWND cover = nullptr;

    // SaverSystem: the system's screen-saver switch and start.
    bool IsSaverActive() override;
    void SetSaverActive(bool on) override;
    bool HasUsableSaver() override;
    bool IsSaverRunning() override;
    bool RequestSaverStart() override;
    void FeedbackChanged(int state, int corner) override;
};

// The tray icon (the service's feedback-list entry comes and goes with it).
void AddTrayIcon(ServiceRecord& service, int state);
void ChangeTrayIcon(ServiceRecord& service, int state);
void RemoveTrayIcon(ServiceRecord& service);
// A new task bar has none of the old one's icons: the shown icon (or one
// whose adding failed, without a tray then) is added again.
void OnTaskbarCreated(ServiceRecord& service);

// Draws the state's mark in the corner, or erases the one shown (state 0,
// corner kNoCorner or a saver running).
void ShowFeedbackMark(ServiceRecord& service, int state, int corner);

// The options inside the service: stored in the registry and applied.
void ServiceSetShowIcon(ServiceRecord& service, int show);
void ServiceSetShowFeedback(ServiceRecord& service, int show);

// The service window's messages about its indicators.
void OnFeedbackMessage(ServiceRecord& service, LPARAM lParam);
void OnTrayCallback(ServiceRecord& service, LPARAM mouseMessage);
void OnTrayCommand(ServiceRecord& service, WORD command);
void PaintDiagnostics(const ServiceRecord& service);

// Built at start, freed at the end.
bool BuildTrayMenu(ServiceRecord& service);
bool CreateCoverWindow(ServiceRecord& service);
void DestroyCoverWindow(ServiceRecord& service);

// Registers a window class of the module's (arrow cursor) unless this
// process has it already.
void RegisterWindowClass(HINSTANCE module, const char* name, WNDPROC procedure, HBRUSH background);

// True when a screen saver runs now.
bool IsScreenSaverRunning();

// Registers the service window class unless this process has it already
// (at process attach).
void RegisterServiceClass(HINSTANCE module);
// The service behind RunService: returns when the service has ended.
void ServiceMain();
