// The settings dialog and the Display Properties page: one procedure over
// named helpers. The dialog listens to the notify list while it is open, so
// the service's start and end and corner changes saved anywhere reach it.
#include "hotcorners/settings.h"

#include <commctrl.h>
#include <prsht.h>

#include <new>

#include "common/owners.h"
#include "common/paths.h"
#include "hotcorners/corners.h"
#include "hotcorners/launch.h"
#include "hotcorners/mutexes.h"
#include "hotcorners/picker.h"
#include "hotcorners/platform.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/registry.h"
#include "hotcorners/resource.h"
#include "hotcorners/service_client.h"
#include "hotcorners/shared_block.h"

namespace {

struct SettingsDialog {
    HWND window = nullptr;
    bool registered = false;
    char codes[5] = "----";
    bool isPage = false;
    bool interactive = true;
    DialogMode mode = kModeNormal;
};

const char kUnreachable[] =
    "You want to turn Quadrix off, in the task bar and the Display Properties dialog.\r\n"
    "But that would make it unaccessible!\r\n"
    "If you want to uninstall Quadrix, do it from the Add/Remove programs menu. (Not here.)";
// Windows Vista and later have no Display Properties page for it.
const char kUnreachableWithoutPage[] =
    "You want to turn Quadrix off in the task bar, and this Windows has no Display Properties "
    "page for it.\r\n"
    "But that would make it unaccessible!\r\n"
    "If you want to uninstall Quadrix, do it from the Add/Remove programs menu. (Not here.)";
const char kNoPageHere[] = "No page in Display Properties on this Windows";
const char kPageRefused[] =
    "Only an administrator can change the page in the Display Properties dialog; it was left as "
    "it was.";
const char kNoRemoval[] = "For some reason, couldn't remove Quadrix from startup folder";

SettingsDialog* Record(HWND dialog)
{
    return reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// The property sheet's Apply button; a stand-alone dialog has no sheet, and
// its owner (any program's window) must not get the sheet's message.
void MarkChanged(const SettingsDialog& d)
{
    if (d.isPage)
        SendMessageA(GetParent(d.window), PSM_CHANGED, reinterpret_cast<WPARAM>(d.window), 0);
}

// The dialog's display follows HC_SERVICE_STARTED and HC_SERVICE_ENDED.
void ServiceControl(bool start)
{
    if (start)
        LaunchService();
    else
        SendToService(WM_CLOSE, 0, 0);
}

void ReadLaunch(SettingsDialog* d, const PROPSHEETPAGEA* launch)
{
    if (launch && launch->lParam) {
        d->isPage = true;
        ShowWindow(GetDlgItem(d->window, IDOK), SW_HIDE);
        ShowWindow(GetDlgItem(d->window, IDCANCEL), SW_HIDE);
        return;
    }
    DWORD flags = launch ? launch->dwFlags : kLaunchInteractive;
    d->interactive = (flags & kLaunchInteractive) != 0;
    DWORD modeBits = flags & (kLaunchInstall | kLaunchUninstall);
    d->mode = modeBits == kLaunchUninstall ? kModeUninstall
              : modeBits == kLaunchInstall ? kModeInstall
                                           : kModeNormal;
    SetForegroundWindow(d->window);
    // ShowSettingsDialog holds the dialog-window mutex for us.
    SetDialogWindowSlot(d->window);
    ReleaseDialogWindowMutex();
}

void ShowServiceState(HWND dialog, bool running)
{
    HWND focus = GetFocus();
    EnableWindow(GetDlgItem(dialog, IDC_CORNERS), running);
    EnableWindow(GetDlgItem(dialog, IDC_FEEDBACK), running);
    EnableWindow(GetDlgItem(dialog, IDC_TRAY_ICON), running);
    ShowWindow(GetDlgItem(dialog, IDC_RUNNING), running ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_NOT_RUNNING), running ? SW_HIDE : SW_SHOW);
    HWND start = GetDlgItem(dialog, IDC_START_SERVICE);
    HWND stop = GetDlgItem(dialog, IDC_STOP_SERVICE);
    EnableWindow(start, !running);
    EnableWindow(stop, running);
    if (focus && focus == (running ? start : stop)) {
        SetFocus(GetNextDlgTabItem(dialog, stop, FALSE));
        SendMessageA(start, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        SendMessageA(stop, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
}

void ShowOptions(const SettingsDialog& d)
{
    HWND dialog = d.window;
    bool forced = d.mode == kModeInstall || !d.interactive;
    ComPtr<IShellLinkA> shortcut(FindStartupShortcut(dialog, false, nullptr));
    Check(dialog, IDC_STARTUP, d.mode != kModeUninstall && (forced || shortcut));
    ShowServiceState(dialog, d.mode != kModeUninstall && ServiceRuns());
    Check(dialog, IDC_PAGE, d.mode != kModeUninstall && (forced || PageRegistered()));
    if (!HasDisplayPropertiesPages()) {
        // The box keeps the registration's state, which nothing shows here.
        SetDlgItemTextA(dialog, IDC_PAGE, kNoPageHere);
        EnableWindow(GetDlgItem(dialog, IDC_PAGE), FALSE);
    }
    bool install = d.mode == kModeInstall;
    Check(dialog, IDC_FEEDBACK, install || GetShowFeedback());
    Check(dialog, IDC_TRAY_ICON, install || GetShowIcon());
}

void Initialise(HWND dialog, SettingsDialog* d, const PROPSHEETPAGEA* launch)
{
    d->window = dialog;
    ReadLaunch(d, launch);
    // A service killed in a Never corner left screen saving off.
    GiveBackSaverSwitch();
    ShowWindow(GetDlgItem(dialog, IDC_START_HINT), SW_HIDE);
    AddNotify(dialog);
    d->registered = true;
    ReadCornerSettings(d->codes);
    if (d->mode == kModeInstall && lstrcmpA(d->codes, "----") == 0)
        lstrcpynA(d->codes, "YN--", sizeof d->codes);
    SetCorners(GetDlgItem(dialog, IDC_CORNERS), d->codes);
    ShowOptions(*d);
    if (d->mode == kModeInstall && d->interactive && !ServiceRuns())
        ServiceControl(true);
    if (!d->interactive)
        PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

bool RefuseUnreachable(const SettingsDialog& d)
{
    HWND dialog = d.window;
    bool pages = HasDisplayPropertiesPages();
    bool reachable = (pages && Checked(dialog, IDC_PAGE)) ||
                     (Checked(dialog, IDC_TRAY_ICON) && Checked(dialog, IDC_STARTUP));
    if (reachable || d.mode == kModeUninstall)
        return false;
    MessageBoxA(dialog, pages ? kUnreachable : kUnreachableWithoutPage, "Quadrix",
                MB_ICONEXCLAMATION);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
    MarkChanged(d);
    return true;
}

void ApplyStartup(HWND dialog)
{
    char path[kPathSize] = "";
    bool exists = ComPtr<IShellLinkA>(FindStartupShortcut(dialog, false, path)).Get() != nullptr;
    if (Checked(dialog, IDC_STARTUP)) {
        if (!exists)
            ComPtr<IShellLinkA>(FindStartupShortcut(dialog, true, nullptr));
    } else if (exists && !DeleteFileA(path)) {
        MessageBoxA(dialog, kNoRemoval, "Error", MB_OK);
    }
}

// 0, or 2 when the settings would become unreachable (nothing stored then).
int ApplySettings(SettingsDialog* d)
{
    HWND dialog = d->window;
    if (RefuseUnreachable(*d))
        return 2;
    GetCorners(GetDlgItem(dialog, IDC_CORNERS), d->codes);
    WriteCornerSettings(d->codes);
    HintCheckCorners(dialog);
    ApplyStartup(dialog);
    RegisterExtensionClass();
    if (!RegisterPage(Checked(dialog, IDC_PAGE)))
        MessageBoxA(dialog, kPageRefused, "Quadrix", MB_ICONINFORMATION);
    SetShowFeedback(Checked(dialog, IDC_FEEDBACK));
    SetShowIcon(Checked(dialog, IDC_TRAY_ICON));
    bool running = ServiceRuns();
    if (d->mode == kModeUninstall) {
        // The module file is deleted soon after: wait for the service's end.
        if (running && !StopServiceAndWait())
            ReportServiceHangs(dialog);
    } else if (!d->interactive) {
        ServiceControl(true);
    }
    return 0;
}

void CleanUp(SettingsDialog* d)
{
    if (d->registered)
        RemoveNotify(d->window);
    if (GetDialogWindowMutex()) {
        if (GetDialogWindowSlot() == d->window)
            SetDialogWindowSlot(nullptr);
        ReleaseDialogWindowMutex();
    }
}

INT_PTR Command(SettingsDialog* d, WORD id)
{
    switch (id) {
    case IDC_START_SERVICE:
        ServiceControl(true);
        return TRUE;
    case IDC_STOP_SERVICE:
        ServiceControl(false);
        return TRUE;
    case IDOK:
        if (!d->isPage && ApplySettings(d) != 2)
            EndDialog(d->window, 1);
        break;
    case IDCANCEL:
        if (!d->isPage)
            EndDialog(d->window, 2);
        break;
    default:
        break;
    }
    MarkChanged(*d);
    return TRUE;
}

INT_PTR Private(SettingsDialog* d, WPARAM code, LPARAM lParam)
{
    switch (code) {
    case HC_SERVICE_ENDED:
        ShowServiceState(d->window, false);
        break;
    case HC_SERVICE_STARTED:
        ShowServiceState(d->window, true);
        break;
    case HC_CORNERS_CHANGED: {
        char codes[kCornerCount];
        UnpackCodes(static_cast<std::uint32_t>(lParam), codes);
        SetCorners(GetDlgItem(d->window, IDC_CORNERS), codes);
        break;
    }
    default:
        break;
    }
    return TRUE;
}

INT_PTR InitDialog(HWND dialog, LPARAM lParam)
{
    SettingsDialog* d = new (std::nothrow) SettingsDialog;
    if (!d)
        return TRUE;
    Initialise(dialog, d, reinterpret_cast<const PROPSHEETPAGEA*>(lParam));
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    return TRUE;
}

INT_PTR Destroy(HWND dialog, SettingsDialog* d)
{
    CleanUp(d);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    delete d;
    return TRUE;
}

} // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return InitDialog(dialog, lParam);
    SettingsDialog* d = Record(dialog);
    if (!d)
        return FALSE;
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE)
            HintCheckCorners(nullptr);
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY))
            return ApplySettings(d);
        return TRUE;
    case WM_COMMAND:
        return Command(d, LOWORD(wParam));
    case WM_HOTCORNERS:
        return Private(d, wParam, lParam);
    case WM_DESTROY:
        return Destroy(dialog, d);
    default:
        return FALSE;
    }
}
