// The corner watch service: a hidden window in a rundll32 process that looks
// at the pointer twice a second and starts the saver, or holds it off, when
// the pointer rests in a corner.
#include "hotcorners/service.h"

#include "hotcorners/platform.h"
#include "hotcorners/registry.h"
#include "hotcorners/shared_block.h"

#include <new>

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 500;

// The primary screen's size, read again on every tick.
void PrimaryScreenCorners(CornerPoint points[kCornerCount], long* cx, long* cy)
{
    *cx = GetSystemMetrics(SM_CXSCREEN);
    *cy = GetSystemMetrics(SM_CYSCREEN);
    PrimaryCorners(points, *cx, *cy);
}

struct MonitorWalk {
    CornerPoint* points;
    long cx, cy;
};

BOOL CALLBACK ExtendCornersToMonitors(HMONITOR, HDC, LPRECT rect, LPARAM data)
{
    MonitorWalk* walk = reinterpret_cast<MonitorWalk*>(data);
    ExtendCornersToMonitor(walk->points, walk->cx, walk->cy, rect->left, rect->top, rect->right,
                           rect->bottom);
    return TRUE;
}

// The desktop is a visible popup the size of the screen too, and it is the
// foreground window once the user clicks on it: it is no full-screen program.
bool IsDesktop(HWND window)
{
    if (window == GetDesktopWindow())
        return true;
    // Looked up each time: asked only while the pointer is in a corner.
    using GetShellWindowFn = HWND(WINAPI*)();
    auto getShellWindow =
        ServiceExport<GetShellWindowFn>(GetModuleHandleA("user32.dll"), "GetShellWindow");
    if (getShellWindow)
        return window == getShellWindow();
    // Windows 95 has no GetShellWindow: its shell's desktop is Explorer's
    // "Progman" window.
    char name[16] = "";
    return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, "Progman") == 0;
}

bool IsForegroundFullScreen(long cx, long cy)
{
    HWND foreground = GetForegroundWindow();
    RECT rect;
    if (!foreground || IsDesktop(foreground) || !GetWindowRect(foreground, &rect))
        return false;
    DWORD style = static_cast<DWORD>(GetWindowLongA(foreground, GWL_STYLE));
    return IsFullScreenStyleAndRect(style, rect.left, rect.top, rect.right, rect.bottom, cx, cy);
}

void CheckCorners(ServiceRecord& service)
{
    long cx, cy;
    PrimaryScreenCorners(service.points, &cx, &cy);
    if (service.enumMonitors) {
        MonitorWalk walk = {service.points, cx, cy};
        service.enumMonitors(nullptr, nullptr, ExtendCornersToMonitors,
                             reinterpret_cast<LPARAM>(&walk));
    }
    // Off the input desktop (the logon desktop, a locked workstation, the
    // UAC prompt, another user switched in) the pointer cannot be read: the
    // tick is skipped and the watch left as it was.
    POINT cursor = {};
    if (!gServiceCalls.getCursorPos(&cursor))
        return;
    long d = GetSystemMetrics(SM_CYHSCROLL);
    int corner = HitCorner(service.points, {cursor.x, cursor.y}, d);
    // Only a corner can lead to an action the full-screen rule withholds.
    bool fullScreen = corner != kNoCorner && IsForegroundFullScreen(cx, cy);
    CornerTick(service.watch, service, corner, fullScreen);
    InvalidateRect(service.window, nullptr, TRUE);
}

void FindMonitorEnumerator(ServiceRecord& service)
{
    // EnumDisplayMonitors came with Windows 98 and 2000. Looked up whatever
    // the number of monitors now: one plugged in later has its corners too.
    service.user32.Reset(LoadLibraryA("user32.dll"));
    if (!service.user32)
        return;
    service.enumMonitors =
        ServiceExport<EnumDisplayMonitorsFn>(service.user32.Get(), "EnumDisplayMonitors");
    if (!service.enumMonitors)
        service.user32.Reset();
}

bool BeginService(HWND window)
{
    ServiceRecord* service = new (std::nothrow) ServiceRecord;
    if (!service)
        return false;
    service->window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(service));
    FindMonitorEnumerator(*service);
    long cx, cy;
    PrimaryScreenCorners(service->points, &cx, &cy);
    BuildTrayMenu(*service);
    service->taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // A service killed in a Never corner left screen saving off; this one
    // runs under the service mutex and is the session's service now.
    GiveBackOrphanedSaverSwitch();
    service->watch.wasActive = service->IsSaverActive();
    CreateCoverWindow(*service);
    service->timer = SetTimer(window, kTickTimer, kTickMs, nullptr);
    ReadCornerSettings(service->watch.codes);
    AddNotify(window);
    Notify(window, WM_HOTCORNERS, HC_SERVICE_STARTED, 0);
    ServiceSetShowIcon(*service, ReadOption(kOptionTrayIcon));
    ServiceSetShowFeedback(*service, ReadOption(kOptionFeedback));
    service->starting = false;
    return true;
}

void EndService(HWND window, ServiceRecord* service)
{
    if (!service)
        return; // its start failed: nothing was announced or shown
    // Messages sent while the end waits for the lists go to the default
    // handling: the record is being taken apart.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // A service that ends in a Never corner would otherwise leave screen
    // saving off for good: the switch was stored in the user's profile.
    RestoreSaver(service->watch, *service, false);
    if (service->iconShown)
        RemoveTrayIcon(*service);
    if (service->feedbackShown) {
        ShowFeedbackMark(*service, kStateIdle, kNoCorner);
        RemoveFeedback(window);
    }
    service->markBitmap.Reset();
    DestroyCoverWindow(*service);
    Notify(window, WM_HOTCORNERS, HC_SERVICE_ENDED, 0);
    RemoveNotify(window);
    KillTimer(window, kTickTimer);
    delete service; // destroys the tray menu
    PostQuitMessage(0);
}

// The private messages; false for codes the service leaves to the default.
bool OnHotCorners(ServiceRecord& service, WPARAM code, LPARAM lParam, LRESULT* answer)
{
    switch (code) {
    case HC_FEEDBACK:
        OnFeedbackMessage(service, lParam);
        return false;
    case HC_CORNERS_CHANGED:
        UnpackCodes(static_cast<std::uint32_t>(lParam), service.watch.codes);
        return false;
    case HC_SET_ICON:
        ServiceSetShowIcon(service, lParam ? 1 : 0);
        return false;
    case HC_SET_FEEDBACK:
        ServiceSetShowFeedback(service, lParam ? 1 : 0);
        return false;
    case HC_GET_ICON:
        *answer = service.iconShown ? 1 : 0;
        return true;
    case HC_GET_FEEDBACK:
        *answer = service.feedbackShown ? 1 : 0;
        return true;
    case HC_GET_STATE:
        *answer = MAKELONG(service.watch.feedbackState, service.watch.lastCorner);
        return true;
    default:
        return false;
    }
}

// The session may end (log-off, shut-down): screen saving is given back
// now, as the system may end the process without another message.
LRESULT OnQueryEndSession(ServiceRecord& service)
{
    service.sessionEnding = true;
    RestoreSaver(service.watch, service, true);
    return TRUE;
}

// The session ends: this is the service's end. Otherwise it goes on.
void OnEndSession(ServiceRecord& service, bool ending)
{
    if (ending) {
        RestoreSaver(service.watch, service, true);
        DestroyWindow(service.window);
        return;
    }
    service.sessionEnding = false;
}

ServiceRecord* RecordOf(HWND window)
{
    return reinterpret_cast<ServiceRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK ServiceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return BeginService(window) ? 0 : -1;
    ServiceRecord* service = RecordOf(window);
    if (message == WM_DESTROY) {
        EndService(window, service);
        return 0;
    }
    if (!service)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == service->taskbarCreated && message != 0) {
        OnTaskbarCreated(*service);
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        if (service->starting) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_HOTCORNERS: {
        LRESULT answer = 0;
        if (OnHotCorners(*service, wParam, lParam, &answer))
            return answer;
        break;
    }
    case WM_TRAY_CALLBACK:
        OnTrayCallback(*service, lParam);
        break;
    case WM_TIMER:
        if (!service->sessionEnding)
            CheckCorners(*service);
        break;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(*service);
    case WM_ENDSESSION:
        OnEndSession(*service, wParam != FALSE);
        return 0;
    case WM_COMMAND:
        OnTrayCommand(*service, LOWORD(wParam));
        break;
    case WM_PAINT:
        PaintDiagnostics(*service);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void RegisterWindowClass(HINSTANCE module, const char* name, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(module, name, &existing))
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

void RegisterServiceClass(HINSTANCE module)
{
    RegisterWindowClass(module, kServiceClass, ServiceWindowProc,
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void ServiceMain()
{
    HWND window = nullptr;
    {
        ServiceSlot slot;
        if (HWND running = slot.Window()) {
            SetForegroundWindow(running);
            return;
        }
        window = CreateWindowExA(0, kServiceClass, "QuadrixService",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 200, 150, nullptr, nullptr, gModule, nullptr);
        if (window)
            slot.Set(window);
    }
    if (!window)
        return;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    // The window is gone by now; a look at the slot clears it, as it names a
    // window that no longer exists.
    ServiceSlot gone;
}
