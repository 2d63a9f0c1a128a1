// The system's screen saver as the service sees it: its switch, whether a
// usable saver is configured, whether one runs now (each Windows answers
// that differently), and how the service asks for one to start.
#include "common/owners.h"
#include "hotcorners/launch.h"
#include "hotcorners/platform.h"
#include "hotcorners/registry.h"
#include "hotcorners/service.h"
#include "hotcorners/shared_block.h"

bool ServiceRecord::IsSaverActive()
{
    BOOL active = TRUE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

void ServiceRecord::SetSaverActive(bool on)
{
    SetSaverSwitch(on);
}

bool ServiceRecord::HasUsableSaver()
{
    char saver[kSaverPathSize] = {};
    if (!ConfiguredSaverPath(saver, sizeof saver))
        return false;
    FileHandle file(CreateFileA(saver, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    return static_cast<bool>(file);
}

bool ServiceRecord::IsSaverRunning() { return IsScreenSaverRunning(); }

bool ServiceRecord::RequestSaverStart()
{
    // The system starts the configured saver for the foreground window's
    // SC_SCREENSAVE (the window may refuse it, as a full-screen game does).
    HWND foreground = GetForegroundWindow();
    if (foreground && gServiceCalls.postMessage(foreground, WM_SYSCOMMAND, SC_SCREENSAVE, 0))
        return true;
    // The post fails where the window is out of reach (an elevated window
    // on Windows Vista and later, a full queue). On the Windows 95 family
    // the saver asks for the password itself, so starting it directly is
    // safe. On the NT family only the system's start locks the workstation
    // and asks for the password: the service asks the system itself.
    if (foreground && IsWindows95Family())
        return LaunchSaver();
    gServiceCalls.defWindowProc(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    return true;
}

void ServiceRecord::FeedbackChanged(int state, int corner)
{
    Feedback(nullptr, WM_HOTCORNERS, HC_FEEDBACK, MAKELPARAM(state, corner));
}

namespace {

using OpenDesktopFn = HDESK(WINAPI*)(LPCSTR, DWORD, BOOL, ACCESS_MASK);

// On NT a running saver has a desktop of its own; opening it is refused to
// anyone else, which tells as much as opening it.
bool HasSaverDesktop()
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto open = LibraryExport<OpenDesktopFn>(user32, "OpenDesktopA");
    auto close = LibraryExport<BOOL(WINAPI*)(HDESK)>(user32, "CloseDesktop");
    if (!open || !close)
        return false;
    static const char* const kNames[] = {"screen-saver", "Screen-Saver", "screen saver",
                                         "Screen Saver"};
    for (const char* name : kNames) {
        if (HDESK desktop = open(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS)) {
            close(desktop);
            return true;
        }
        if (GetLastError() == ERROR_ACCESS_DENIED)
            return true;
    }
    return false;
}

// On Windows 95 the flag is only settable: set it, learn the old value and
// put it back.
bool HasSaverRunningFlag()
{
    BOOL previous = FALSE, ignored = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, previous, &ignored, 0);
    return previous != FALSE;
}

} // namespace

bool IsScreenSaverRunning()
{
    if (IsWindows95Family())
        return HasSaverRunningFlag();
    // Windows 2000 and later answer the question; NT 4 does not, but gives
    // a running saver a desktop of its own.
    BOOL running = FALSE;
    if (IsWindows2000OrLater() &&
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0))
        return running != FALSE;
    return HasSaverDesktop();
}
