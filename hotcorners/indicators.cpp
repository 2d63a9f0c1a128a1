// What the service shows of itself: a tray icon by state with its menu,
// feedback marks drawn straight onto the screen in the active corner, and a
// diagnostic paint of its (never shown) window.
#include "common/text.h"
#include "hotcorners/launch.h"
#include "hotcorners/platform.h"
#include "hotcorners/registry.h"
#include "hotcorners/resource.h"
#include "hotcorners/service.h"
#include "hotcorners/shared_block.h"

namespace {

constexpr UINT kTrayIconId = 100;
constexpr char kTrayTip[] = "Hot Corners";
constexpr char kCoverClass[] = "PersistentCornerClass";
constexpr int kTrayIconSize = 16;

int TrayIconFor(int state)
{
    switch (state) {
    case kStateSuppressed: return IDI_TRAY_SUPPRESSED;
    case kStatePending: return IDI_TRAY_PENDING;
    case kStateStarting: return IDI_TRAY_STARTING;
    case kStateFailed: return IDI_TRAY_FAILED;
    default: return IDI_TRAY_IDLE;
    }
}

// 0 for states without a mark.
int MarkImageFor(int state)
{
    switch (state) {
    case kStateSuppressed: return IDB_MARK_SUPPRESSED;
    case kStatePending: return IDB_MARK_PENDING;
    case kStateStarting: return IDB_MARK_STARTING;
    case kStateFailed: return IDB_MARK_FAILED;
    default: return 0;
    }
}

IconOwner LoadTrayIcon(int state)
{
    IconOwner icon(static_cast<HICON>(LoadImageA(gModule, MAKEINTRESOURCEA(TrayIconFor(state)),
                                                 IMAGE_ICON, kTrayIconSize, kTrayIconSize, 0)));
    if (!icon)
        icon.Reset(static_cast<HICON>(LoadImageA(gModule, MAKEINTRESOURCEA(IDI_QUADRIX),
                                                 IMAGE_ICON, kTrayIconSize, kTrayIconSize, 0)));
    return icon;
}

// The record of the first shell's tray (88 bytes in the 32-bit build), which
// every later shell accepts.
NOTIFYICONDATAA TrayRecord(HWND window)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

void SetTrayIcon(ServiceRecord& service, DWORD operation, int state)
{
    IconOwner icon = LoadTrayIcon(state);
    NOTIFYICONDATAA data = TrayRecord(service.window);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = icon.Get();
    CopyText(data.szTip, sizeof data.szTip, kTrayTip);
    // Without a tray (no shell yet, or none at all) this fails; the icon is
    // an extra, so the service goes on.
    gServiceCalls.shellNotifyIcon(operation, &data);
}

// Makes the windows below the rectangle repaint it, wiping a mark off. The
// cover comes to the top without activation: the user's window keeps the
// keyboard.
void RepaintBelow(HWND cover, const RECT& rect)
{
    SetWindowPos(cover, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOACTIVATE);
    MoveWindow(cover, 0, 0, 0, 0, TRUE);
}

void EraseFeedbackMark(ServiceRecord& service)
{
    if (service.markCorner != kNoCorner && service.cover)
        RepaintBelow(service.cover, service.markRect);
    service.markBitmap.Reset();
    service.markCorner = kNoCorner;
}

POINT MarkPosition(const ServiceRecord& service, int corner, int w, int h)
{
    const CornerPoint& p = service.points[corner];
    switch (corner) {
    case kTopRight: return {p.x - w, p.y};
    case kBottomRight: return {p.x - w, p.y - h};
    case kBottomLeft: return {p.x, p.y - h};
    default: return {p.x, p.y};
    }
}

// The picture over what the screen shows there: the mask half (right) clears
// the picture's pixels, the picture half (left) is then XORed in.
void DrawMark(ServiceRecord& service, HBITMAP image, POINT at, int w, int h)
{
    WindowDc screen(nullptr);
    MemoryDc markDc(CreateCompatibleDC(screen.Get()));
    MemoryDc imageDc(CreateCompatibleDC(screen.Get()));
    if (!screen || !markDc || !imageDc)
        return;
    service.markBitmap.Reset(CreateCompatibleBitmap(screen.Get(), w, h));
    if (!service.markBitmap)
        return;
    SelectedObject markSelected(markDc.Get(), service.markBitmap.Get());
    SelectedObject imageSelected(imageDc.Get(), image);
    BitBlt(markDc.Get(), 0, 0, w, h, screen.Get(), at.x, at.y, SRCCOPY);
    BitBlt(markDc.Get(), 0, 0, w, h, imageDc.Get(), w, 0, SRCAND);
    BitBlt(markDc.Get(), 0, 0, w, h, imageDc.Get(), 0, 0, SRCINVERT);
    BitBlt(screen.Get(), at.x, at.y, w, h, markDc.Get(), 0, 0, SRCCOPY);
}

void DrawFeedbackMark(ServiceRecord& service, int state, int corner)
{
    service.markBitmap.Reset();
    service.markCorner = kNoCorner;
    MoveWindow(service.cover, 0, 0, 0, 0, TRUE);
    int id = MarkImageFor(state);
    GdiObject image(id ? LoadImageA(gModule, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)
                       : nullptr);
    BITMAP info = {};
    if (!image || !GetObjectA(image.Get(), sizeof info, &info))
        return;
    int w = info.bmWidth / 2, h = info.bmHeight;
    POINT at = MarkPosition(service, corner, w, h);
    service.markRect = {at.x, at.y, at.x + w, at.y + h};
    service.markCorner = corner;
    DrawMark(service, static_cast<HBITMAP>(image.Get()), at, w, h);
}

ServiceRecord* CoverOwner(HWND cover)
{
    return reinterpret_cast<ServiceRecord*>(GetWindowLongPtrA(cover, GWLP_USERDATA));
}

LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        BitBlt(dc, 0, 0, client.right, client.bottom, nullptr, 0, 0, BLACKNESS);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        // Closing the cover (a task list's "End task") ends the service.
        if (ServiceRecord* service = CoverOwner(window))
            PostMessageA(service->window, WM_CLOSE, 0, 0);
        break;
    case WM_NCDESTROY:
        if (ServiceRecord* service = CoverOwner(window))
            service->cover = nullptr;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}


void ShowTrayMenu(ServiceRecord& service)
{
    POINT at = {};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window; the null message afterwards lets the next
    // click on the icon open it again.
    SetForegroundWindow(service.window);
    TrackPopupMenu(service.trayMenu.Get(), TPM_RIGHTBUTTON, at.x, at.y, 0, service.window,
                   nullptr);
    PostMessageA(service.window, WM_NULL, 0, 0);
}

} // namespace

void AddTrayIcon(ServiceRecord& service, int state)
{
    SetTrayIcon(service, NIM_ADD, state);
    AddFeedback(service.window);
}

void ChangeTrayIcon(ServiceRecord& service, int state) { SetTrayIcon(service, NIM_MODIFY, state); }

void OnTaskbarCreated(ServiceRecord& service)
{
    if (service.iconShown)
        SetTrayIcon(service, NIM_ADD, service.watch.feedbackState);
}

void RemoveTrayIcon(ServiceRecord& service)
{
    NOTIFYICONDATAA data = TrayRecord(service.window);
    gServiceCalls.shellNotifyIcon(NIM_DELETE, &data);
    RemoveFeedback(service.window);
}

void ShowFeedbackMark(ServiceRecord& service, int state, int corner)
{
    if (state == kStateIdle || corner < 0 || corner >= kNoCorner || IsScreenSaverRunning())
        EraseFeedbackMark(service);
    else
        DrawFeedbackMark(service, state, corner);
}

void ServiceSetShowIcon(ServiceRecord& service, int show)
{
    bool on = show != 0;
    if (on == service.iconShown)
        return;
    service.iconShown = on;
    WriteOption(kOptionTrayIcon, on ? 1 : 0);
    if (on)
        AddTrayIcon(service, service.watch.feedbackState);
    else
        RemoveTrayIcon(service);
}

void ServiceSetShowFeedback(ServiceRecord& service, int show)
{
    bool on = show != 0;
    if (on == service.feedbackShown)
        return;
    service.feedbackShown = on;
    WriteOption(kOptionFeedback, on ? 1 : 0);
    if (on)
        AddFeedback(service.window);
    else
        RemoveFeedback(service.window);
    ShowFeedbackMark(service, kStateIdle, kNoCorner);
}

void OnFeedbackMessage(ServiceRecord& service, LPARAM lParam)
{
    int state = LOWORD(lParam);
    int corner = HIWORD(lParam);
    if (service.iconShown)
        ChangeTrayIcon(service, state);
    if (service.feedbackShown)
        ShowFeedbackMark(service, state, corner);
}

void OnTrayCallback(ServiceRecord& service, LPARAM mouseMessage)
{
    if (!service.iconShown)
        return;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        LaunchModuleEntry("RunDialog");
        break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        ShowTrayMenu(service);
        break;
    }
}

void OnTrayCommand(ServiceRecord& service, WORD command)
{
    switch (command) {
    case IDM_PROPERTIES:
        LaunchModuleEntry("RunDialog");
        break;
    case IDM_SAVE_NOW:
        StartSaverNow(service.watch, service, true);
        break;
    case IDM_SAVER_CONFIG:
        LaunchSaverSettings();
        break;
    case IDM_ABOUT:
        LaunchModuleEntry("RunAboutDialog");
        break;
    case IDM_QUIT:
        SendMessageA(service.window, WM_CLOSE, 0, 0);
        break;
    }
}

void PaintDiagnostics(const ServiceRecord& service)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(service.window, &paint);
    const CornerWatch& w = service.watch;
    char line[64];
    TextOutA(dc, 0, 0, w.codes, kCornerCount);
    FormatText(line, sizeof line, "LastCorner=%i", w.lastCorner);
    TextOutA(dc, 0, 16, line, lstrlenA(line));
    FormatText(line, sizeof line, "CornerCount=%i", w.cornerCount);
    TextOutA(dc, 0, 32, line, lstrlenA(line));
    if (w.isSuppressed) {
        const char* before = w.wasActive ? "(previously was enabled)" : "(previously was disabled)";
        TextOutA(dc, 0, 48, "IsSuppressed", 12);
        TextOutA(dc, 0, 64, before, lstrlenA(before));
    }
    EndPaint(service.window, &paint);
}

bool BuildTrayMenu(ServiceRecord& service)
{
    service.trayMenu.Reset(CreatePopupMenu());
    HMENU menu = service.trayMenu.Get();
    if (!menu)
        return false;
    AppendMenuA(menu, MF_STRING, IDM_PROPERTIES, "&Properties");
    AppendMenuA(menu, MF_STRING, IDM_SAVER_CONFIG, "Saver &config");
    AppendMenuA(menu, MF_STRING, IDM_SAVE_NOW, "&Save now");
    AppendMenuA(menu, MF_STRING, IDM_ABOUT, "&About");
    AppendMenuA(menu, MF_STRING, IDM_QUIT, "&Quit");
    SetMenuDefaultItem(menu, IDM_PROPERTIES, FALSE);
    return true;
}

bool CreateCoverWindow(ServiceRecord& service)
{
    RegisterWindowClass(gModule, kCoverClass, CoverWindowProc, nullptr);
    service.cover = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCoverClass, "Quadrix",
                                    WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, gModule, nullptr);
    if (!service.cover)
        return false;
    SetWindowLongPtrA(service.cover, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&service));
    // Shown without activation: created visible, it would take the keyboard
    // (and the foreground) from whatever the user was doing.
    ShowWindow(service.cover, SW_SHOWNA);
    return true;
}

void DestroyCoverWindow(ServiceRecord& service)
{
    // A closed cover window has destroyed itself already.
    if (service.cover && IsWindow(service.cover)) {
        SetWindowLongPtrA(service.cover, GWLP_USERDATA, 0);
        DestroyWindow(service.cover);
    }
    service.cover = nullptr;
}
