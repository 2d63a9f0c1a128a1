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
#include "hotcorners/picker.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/resource.h"
#include "hotcorners/settings.h"

namespace {

constexpr DWORD kServiceEndMs = 5000;
constexpr int kMessageSize = 1024;

// Waits for the process to end while still handling the messages other
// threads send to this one (the ending service tells the notify list).
void WaitForProcessEnd(HANDLE process, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs)
            return;
        DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - spent, QS_SENDMESSAGE);
        if (wait != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // delivers sent messages
    }
}

// A modal dialog of the module, one at a time across processes: the slot
// holds the open one. The dialog releases the mutex while it initialises.
void ShowOneDialog(HWND owner, int templateId, DLGPROC procedure, HWND (*slot)(), LPARAM launch)
{
    if (!GetDialogWindowMutex())
        return;
    HWND open = slot();
    if (open && IsWindow(open)) {
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
    ShowOneDialog(owner, IDD_SETTINGS, SettingsDialogProc, GetDialogWindowSlot,
                  reinterpret_cast<LPARAM>(&launch));
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

void StopServiceAndWait()
{
    HWND service = GetServiceWindow();
    KernelHandle process;
    if (service) {
        DWORD id = 0;
        GetWindowThreadProcessId(service, &id);
        // A service in this very process cannot end while we wait for it.
        if (id && id != GetCurrentProcessId())
            process.Reset(OpenProcess(SYNCHRONIZE, FALSE, id));
        SendMessageA(service, WM_CLOSE, 0, 0);
    }
    ReleaseServiceWindow();
    if (process)
        WaitForProcessEnd(process.Get(), kServiceEndMs);
}

extern "C" {

void CALLBACK TerminateService(HWND caller, HINSTANCE, LPSTR, int)
{
    if (!CheckDirectory(caller))
        return;
    bool com = EnterCom();
    StopServiceAndWait();
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
