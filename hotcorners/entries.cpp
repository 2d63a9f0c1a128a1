// The command entries of quadrix.dll in the rundll32 shape, but RunService:
// the settings dialog in its four modes, the About box, and the service's
// stop. Each runs CheckDirectory first and keeps COM initialised while it runs.
#include "hotcorners/entries.h"

#include <objbase.h>
#include <prsht.h>
#include <shlobj.h>

#include <cstring>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "hotcorners/corners.h"
#include "hotcorners/mutexes.h"
#include "hotcorners/picker.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/resource.h"
#include "hotcorners/settings.h"
#include "hotcorners/shared_block.h"

namespace {

constexpr DWORD kServiceEndMs = 5000;
// The service answers WM_CLOSE once it has told its listeners that it ends:
// a full notify list where none answers, and then its own ending.
constexpr UINT kServiceCloseMs = kListCapacity * kListAnswerMs + kServiceEndMs;
// Settings windows of other processes get this long to close and their
// processes to end, before the removal goes on without them.
constexpr DWORD kSettingsCloseMs = 8000;
constexpr int kMessageSize = 1024;

const char kServiceHangs[] =
    "The hot corner service does not answer and could not be stopped. "
    "It may still be running.";

// The top-level window of a settings page is its property sheet.
HWND TopLevelOf(HWND window)
{
    while ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && GetParent(window))
        window = GetParent(window);
    return window;
}

bool IsServiceWindow(HWND window)
{
    char name[sizeof kServiceClass + 1] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, kServiceClass) == 0;
}

// The processes that show the windows, each once.
struct SettingsHosts {
    KernelHandle processes[kListCapacity];
    DWORD ids[kListCapacity] = {};
    int count = 0;

    void Add(DWORD id)
    {
        for (int i = 0; i < count; ++i)
            if (ids[i] == id)
                return;
        if (count == static_cast<int>(kListCapacity))
            return;
        processes[count].Reset(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (processes[count])
            ids[count++] = id;
    }
};

bool AllGone(const HWND* windows, int count)
{
    for (int i = 0; i < count; ++i)
        if (IsWindow(windows[i]))
            return false;
    return true;
}

// The settings dialogs, pages and About boxes of other processes keep the
// module loaded, so its file cannot be deleted while they are open: they
// are closed (as the user closes them, without applying anything), and
// their windows and then their processes get a bounded time to go.
void CloseSettingsWindows()
{
    HWND listed[kListCapacity];
    int count = NotifyWindows(listed, kListCapacity);
    HWND closing[kListCapacity];
    int closingCount = 0;
    SettingsHosts hosts;
    for (int i = 0; i < count; ++i) {
        DWORD id = 0;
        GetWindowThreadProcessId(listed[i], &id);
        if (!id || id == GetCurrentProcessId() || IsServiceWindow(listed[i]))
            continue;
        HWND top = TopLevelOf(listed[i]);
        PostMessageA(top, WM_CLOSE, 0, 0);
        closing[closingCount++] = top;
        hosts.Add(id);
    }
    DWORD start = GetTickCount();
    while (!AllGone(closing, closingCount) && GetTickCount() - start < kSettingsCloseMs)
        Sleep(50);
    for (int i = 0; i < hosts.count; ++i) {
        DWORD spent = GetTickCount() - start;
        if (spent >= kSettingsCloseMs)
            break;
        WaitDeliveringSent(hosts.processes[i].Get(), kSettingsCloseMs - spent);
    }
}

// A modal dialog of the module, one at a time across processes: the slot
// holds the open one. The dialog releases the mutex while it initialises.
void ShowOneDialog(HWND owner, int templateId, DLGPROC procedure, HWND (*slot)(), LPARAM launch,
                   bool evenIfOpen = false)
{
    if (!GetDialogWindowMutex())
        return;
    HWND open = slot();
    if (open && IsWindow(open) && !evenIfOpen) {
        SetForegroundWindow(open);
        ReleaseDialogWindowMutex();
        return;
    }
    LoadPickerResources();
    // Without a dialog (-1) nothing released the hold.
    if (DialogBoxParamA(gModule, MAKEINTRESOURCEA(templateId), owner, procedure, launch) == -1)
        ReleaseDialogWindowMutex();
}

void ShowSettingsDialog(HWND owner, DialogMode mode, bool interactive)
{
    PROPSHEETPAGEA launch;
    ZeroMemory(&launch, sizeof launch);
    launch.dwSize = PROPSHEETPAGEA_V1_SIZE;
    launch.dwFlags = (interactive ? kLaunchInteractive : 0) |
                     (mode == kModeInstall ? kLaunchInstall : 0) |
                     (mode == kModeUninstall ? kLaunchUninstall : 0);
    // The removal goes on beside a dialog that would not close (it is stuck):
    // the rest of the removal does not depend on it.
    ShowOneDialog(owner, IDD_SETTINGS, SettingsDialogProc, GetDialogWindowSlot,
                  reinterpret_cast<LPARAM>(&launch), mode == kModeUninstall && !interactive);
}

void ShowAboutDialog(HWND owner)
{
    ShowOneDialog(owner, IDD_ABOUT, AboutDialogProc, GetAboutWindowSlot, 0);
}

// The shape shared by the dialog entries: guard, title, COM, the dialog.
void RunDialogEntry(HWND caller, const char* command, DialogMode mode, bool interactive)
{
    if (!CheckDirectory(caller))
        return;
    SetTitleUnlessAsked(caller, command);
    bool com = EnterCom();
    // An open settings dialog would take the removal's place (one at a
    // time), and every open settings window keeps the module file in use.
    if (mode == kModeUninstall)
        CloseSettingsWindows();
    ShowSettingsDialog(caller, mode, interactive);
    if (com)
        CoUninitialize();
}

} // namespace

bool CheckDirectory(HWND caller)
{
    char module[kPathSize] = "", windows[kPathSize] = "", directory[kPathSize] = "";
    GetModuleFileNameA(gModule, module, sizeof module);
    module[sizeof module - 1] = '\0';
    if (GetWindowsDirectoryA(windows, sizeof windows) >= sizeof windows)
        windows[0] = '\0';
    DirectoryPart(directory, sizeof directory, module);
    // Compared without regard to case; shown as the system spells them.
    char a[kPathSize], b[kPathSize];
    CopyText(a, sizeof a, directory);
    CopyText(b, sizeof b, windows);
    CharLowerBuffA(a, lstrlenA(a));
    CharLowerBuffA(b, lstrlenA(b));
    if (std::strcmp(a, b) == 0)
        return true;
    char text[kMessageSize];
    FormatText(text, sizeof text,
               "Error: Quadrix must be in the windows directory, %s. It is currently in %s. "
               "Please move it.",
               windows, directory);
    MessageBoxA(caller, text, "Error: wrong directory", MB_OK);
    return false;
}

void SetTitle(HWND caller)
{
    SetWindowTextA(caller, "Quadrix");
}

void SetTitleUnlessAsked(HWND caller, const char* command)
{
    if (command && (std::strcmp(command, "/notitle") == 0 || std::strcmp(command, "-notitle") == 0))
        return;
    SetTitle(caller);
}

bool EnterCom()
{
    bool entered = SUCCEEDED(CoInitialize(nullptr));
    ComPtr<IShellLinkA> probe;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                     probe.ReceiveVoid());
    return entered;
}

bool StopServiceAndWait()
{
    KernelHandle process;
    bool answered = true;
    {
        ServiceSlot slot;
        if (HWND service = slot.Window()) {
            DWORD id = 0;
            GetWindowThreadProcessId(service, &id);
            // A service in this very process cannot end while we wait for it.
            if (id && id != GetCurrentProcessId())
                process.Reset(OpenProcess(SYNCHRONIZE, FALSE, id));
            DWORD_PTR ignored = 0;
            answered = SendMessageTimeoutA(service, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                                           kServiceCloseMs, &ignored) != 0;
        }
    }
    if (!answered)
        return false;
    // A service that ended its window but not yet its process has answered:
    // its host only lets go of the module.
    if (process)
        WaitDeliveringSent(process.Get(), kServiceEndMs);
    return true;
}

void ReportServiceHangs(HWND owner)
{
    MessageBoxA(owner, kServiceHangs, "Quadrix", MB_OK | MB_ICONEXCLAMATION);
}

extern "C" {

void CALLBACK TerminateService(HWND caller, HINSTANCE, LPSTR, int)
{
    if (!CheckDirectory(caller))
        return;
    bool com = EnterCom();
    if (!StopServiceAndWait())
        ReportServiceHangs(caller);
    if (com)
        CoUninitialize();
}

void CALLBACK RunDialog(HWND caller, HINSTANCE, LPSTR command, int)
{
    RunDialogEntry(caller, command, kModeNormal, true);
}

void CALLBACK RunInstallDialog(HWND caller, HINSTANCE, LPSTR command, int)
{
    RunDialogEntry(caller, command, kModeInstall, true);
}

void CALLBACK InstallSilently(HWND caller, HINSTANCE, LPSTR command, int)
{
    RunDialogEntry(caller, command, kModeNormal, false);
}

void CALLBACK UninstallSilently(HWND caller, HINSTANCE, LPSTR command, int)
{
    RunDialogEntry(caller, command, kModeUninstall, false);
}

void CALLBACK RunAboutDialog(HWND caller, HINSTANCE, LPSTR command, int)
{
    if (!CheckDirectory(caller))
        return;
    SetTitleUnlessAsked(caller, command);
    bool com = EnterCom();
    ShowAboutDialog(caller);
    if (com)
        CoUninitialize();
}

} // extern "C"
