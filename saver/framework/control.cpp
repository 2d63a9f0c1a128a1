#include "saver/framework/control.h"

#include <tlhelp32.h>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "saver/framework/dialog.h"
#include "saver/framework/form.h"
#include "saver/framework/panel.h"
#include "saver/framework/screens.h"
#include "saver/framework/trace.h"

TScrMode gScrMode = smNone;
HWND gScrHWnd = nullptr;
TScrControl* gScrControl = nullptr;
TScrForm* gScrSaver = nullptr;
TScrDialog* gScrConfig = nullptr;

namespace {

const char kAppClass[] = "TApplication";
const char kProxyClass[] = "ScrPreviewProxyChild";
const int kProxyId = 100;
const int kMaxFormClasses = 8;

struct FormClass {
    const char* name;
    TScrFormFactory form;
    TScrDialogFactory dialog;
};
FormClass gClasses[kMaxFormClasses];
int gClassCount = 0;

const FormClass* FindClass(const char* name)
{
    for (int i = 0; i < gClassCount; ++i)
        if (name && lstrcmpA(gClasses[i].name, name) == 0)
            return &gClasses[i];
    return nullptr;
}

void AddClass(const char* name, TScrFormFactory form, TScrDialogFactory dialog)
{
    if (FindClass(name) || gClassCount >= kMaxFormClasses)
        return;
    gClasses[gClassCount++] = {name, form, dialog};
}

void ShowError(const char* text)
{
    MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR);
}

TScrPasswordVerifier gVerifier = nullptr;

bool HookIsWindow(std::uintptr_t window, void*)
{
    return IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

std::uintptr_t HookForeground(void*)
{
    return reinterpret_cast<std::uintptr_t>(GetForegroundWindow());
}

bool HookOwnedByBCB(std::uintptr_t window, void*)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId);
    // Toolhelp exists on Windows 95 and from Windows 2000 on, not on NT 4:
    // looked up by name so that the program still loads there.
    using SnapshotProc = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkProc = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto snapshot = reinterpret_cast<SnapshotProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    auto first = reinterpret_cast<WalkProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
    auto next = reinterpret_cast<WalkProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    if (!snapshot || !first || !next)
        return false;
    // A failed snapshot is INVALID_HANDLE_VALUE, as a failed file is.
    FileHandle processes(snapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes)
        return false;
    bool isBCB = false;
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = first(processes.Get(), &entry); more; more = next(processes.Get(), &entry)) {
        if (entry.th32ProcessID == processId) {
            isBCB = IsBCBExecutable(entry.szExeFile);
            break;
        }
    }
    return isBCB;
}

std::uintptr_t HookLumidex(void*)
{
    HWND host = CheckForLumidex();
    if (!host)
        ShowError("Could not find LumiDex for preview");
    return reinterpret_cast<std::uintptr_t>(host);
}

LRESULT CALLBACK ProxyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        // The host closed or destroyed us: the saver window goes with us,
        // and its destruction ends the run.
        ScrDebug(tlUsr, "ScrPreviewProxyChild: destroyed");
        if (gScrSaver && IsWindow(gScrSaver->Handle()))
            DestroyWindow(gScrSaver->Handle());
        if (gScrControl)
            gScrControl->Terminate();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void ScrRegisterFormClass(const char* name, TScrFormFactory factory)
{
    AddClass(name, factory, nullptr);
}

void ScrRegisterDialogClass(const char* name, TScrDialogFactory factory)
{
    AddClass(name, nullptr, factory);
}

TScrForm* ScrCreateForm(const char* name, TScrMode kind)
{
    const FormClass* found = FindClass(name);
    return found && found->form ? found->form(kind) : nullptr;
}

TScrDialog* ScrCreateDialog(const char* name, TScrMode kind)
{
    const FormClass* found = FindClass(name);
    return found && found->dialog ? found->dialog(kind) : nullptr;
}

TScrControl::TScrControl(const char* commandLine)
{
    if (gScrControl) {
        ScrDebug(tlErr, "You can only have one ScrControl object!");
        ExitProcess(0);
    }
    gScrControl = this;
    valid_ = true;
    if (!CreateApplicationWindow()) {
        Terminate();
        return;
    }
    TScrParseHooks hooks;
    hooks.isWindow = &HookIsWindow;
    hooks.foregroundWindow = &HookForeground;
    hooks.ownedByBCB = &HookOwnedByBCB;
    hooks.checkForLumidex = &HookLumidex;
    std::uintptr_t window = 0;
    ParseCommandLine(commandLine ? commandLine : GetCommandLineA(), hooks, &gScrMode, &window);
    gScrHWnd = reinterpret_cast<HWND>(window);
    if (gScrMode == smNone) {
        ScrDebug(tlUsr, "TScrControl: nothing to do for this command line");
        Terminate();
        return;
    }
    // Executes once the owner object has loaded its settings.
    PostMessageA(appWindow_, WM_SCR_EXECUTE, 0, 0);
}

TScrControl::~TScrControl()
{
    EndSaver();
    if (appWindow_)
        DestroyWindow(appWindow_);
    if (gScrControl == this)
        gScrControl = nullptr;
}

bool TScrControl::CreateApplicationWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &AppWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.lpszClassName = kAppClass;
    RegisterClassExA(&wc);
    appWindow_ = CreateWindowExA(0, kAppClass, "Orbelle", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    if (!appWindow_)
        return false;
    // A tool window never gets a task-bar button.
    SetWindowLongPtrA(appWindow_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    ShowWindow(appWindow_, SW_HIDE);
    return true;
}

LRESULT CALLBACK TScrControl::AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCR_EXECUTE && gScrControl) {
        gScrControl->Execute();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int TScrControl::Run()
{
    MSG msg;
    while (!terminated_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EndRun();
    return 0;
}

void TScrControl::Terminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TScrControl::EndSaver()
{
    gScrSaver = nullptr;
    saver_.reset();
}

void TScrControl::EndRun()
{
    EndSaver();
    if (proxy_ && IsWindow(proxy_))
        DestroyWindow(proxy_);
    proxy_ = nullptr;
    if (screenSaverRunningSet_) {
        BOOL previous = FALSE;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
        screenSaverRunningSet_ = false;
        ScrDebug(tlUsr, "SPI_SCREENSAVERRUNNING 0");
    }
}

void TScrControl::Execute()
{
    ScrDebug(tlUsr, "====== NEW RUN EXECUTING =====");
    ScrDebug(tlUsr, "%s", GetCommandLineA());
    SYSTEMTIME now;
    GetLocalTime(&now);
    ScrDebug(tlUsr, "time=%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    ScrDebug(tlUsr, "mode=%s", ScrModeName(gScrMode));
    if (PrepareValues)
        PrepareValues();
    switch (gScrMode) {
    case smSFull:
        PerformFull();
        break;
    case smSPMain:
        PerformPreview(gScrHWnd);
        break;
    case smCRegular:
        PerformConfig(gScrHWnd, false, 0, 0, false);
        break;
    case smPasswordChange:
        PerformChangePassword(gScrHWnd);
        break;
    default:
        ScrDebug(tlErr, "Command line gave odd result");
        Terminate();
        break;
    }
}

// One full-screen saver of a program at a time: a second one, started
// together with the first, would close on losing activation and clear the
// system's "saver running" flag under the first. The named mutex lives as
// long as the process that created it.
bool TScrControl::FirstFullScreen()
{
    char module[kPathSize] = "";
    char file[kPathSize] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    FileNamePart(file, sizeof file, module);
    // The system may start it by its short name, in capitals.
    for (char* c = file; *c; ++c)
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c - 'A' + 'a');
    char name[kPathSize + 32];
    FormatText(name, sizeof name, "%s full-screen saver", file);
    fullScreenMutex_.Reset(CreateMutexA(nullptr, FALSE, name));
    return !fullScreenMutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

void TScrControl::PerformFull()
{
    // The release level is the real saver's, the one that sets the flag.
    if (DebugLevel == dlRelease && !FirstFullScreen()) {
        ScrDebug(tlUsr, "TScrControl: another full-screen saver runs; this one ends");
        Terminate();
        return;
    }
    std::unique_ptr<TScrForm> form(ScrCreateForm(FormFullScreen, smSFull));
    if (!form) {
        std::unique_ptr<TScrDialog> dialog(ScrCreateDialog(FormFullScreen, smSFull));
        if (!dialog)
            ScrDebug(tlErr, "No saver form found. Did you include ScrSysDefs in the main project? "
                     "FormFullScreen='%s'", FormFullScreen);
        else
            ScrDebug(tlErr, "Saver class doesn't descend from TScrForm");
        Terminate();
        return;
    }
    saver_ = std::move(form);
    gScrSaver = saver_.get();
    TScrForm* saver = gScrSaver;
    if (DebugLevel == dlFullTopmost || DebugLevel == dlRelease)
        SetWindowPos(appWindow_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // Every monitor is covered: a second one left showing the desktop would
    // show (and take clicks on) whatever a password is meant to guard.
    scr::ScreenRect area = ScrFullScreenArea();
    bool created;
    if (DebugLevel == dlCompact)
        created = saver->Create(nullptr, width / 10, height / 10, width / 4, height / 4,
                                WS_OVERLAPPEDWINDOW, 0);
    else
        created = saver->Create(nullptr, area.left, area.top, area.width, area.height, WS_POPUP,
                                DebugLevel == dlFull ? 0 : WS_EX_TOPMOST);
    if (!created) {
        ScrDebug(tlErr, "TScrControl: the saver window could not be created");
        Terminate();
        return;
    }
    if (DebugLevel == dlRelease) {
        BOOL previous = FALSE;
        screenSaverRunningSet_ = SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0) != 0;
        ScrDebug(tlUsr, "SPI_SCREENSAVERRUNNING 1: %s", screenSaverRunningSet_ ? "set" : "refused");
    }
    ShowWindow(saver->Handle(), SW_SHOW);
    SetForegroundWindow(saver->Handle());
    UpdateWindow(saver->Handle());
}

void TScrControl::CreateProxy(HWND parent)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, kProxyClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
        wc.lpfnWndProc = &ProxyWndProc;
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
        wc.lpszClassName = kProxyClass;
        RegisterClassExA(&wc);
    }
    RECT r;
    GetWindowRect(parent, &r);
    proxy_ = CreateWindowExA(0, kProxyClass, "Proxy", WS_CHILD | WS_VISIBLE, 0, 0,
                             r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProxyId)), instance,
                             nullptr);
}

void TScrControl::PerformPreview(HWND parent)
{
    if (!parent || !IsWindow(parent)) {
        Terminate();
        return;
    }
    CreateProxy(parent);
    if (!proxy_) {
        ScrDebug(tlErr, "TScrControl: no preview proxy");
        Terminate();
        return;
    }
    saver_ = CreatePreviewForm(parent, proxy_, smSPMain);
    gScrSaver = saver_.get();
    if (!saver_)
        Terminate();
}

std::unique_ptr<TScrForm> TScrControl::CreateConfigPreview(HWND parent)
{
    if (!parent || !IsWindow(parent))
        return nullptr;
    return CreatePreviewForm(parent, parent, smSPConfig);
}

// The preview form on host, sized to parent's client area.
std::unique_ptr<TScrForm> TScrControl::CreatePreviewForm(HWND parent, HWND host, TScrMode kind)
{
    std::unique_ptr<TScrForm> form(ScrCreateForm(FormPreview, kind));
    if (!form) {
        ScrDebug(tlErr, "No preview form found. FormPreview='%s'", FormPreview);
        return nullptr;
    }
    RECT client;
    GetClientRect(parent, &client);
    if (!form->Create(host, 0, 0, client.right, client.bottom, WS_CHILD | WS_VISIBLE, 0))
        return nullptr;
    return form;
}

void TScrControl::PerformConfig(HWND parent, bool active, int, int, bool)
{
    if (!FormConfig || !FormConfig[0]) {
        MessageBoxA(parent, "This screen saver has no settings to configure", "Screen saver",
                    MB_OK);
        Terminate();
        return;
    }
    std::unique_ptr<TScrDialog> dialog(ScrCreateDialog(FormConfig, active ? smCActive : smCRegular));
    if (!dialog) {
        ScrDebug(tlErr, "Config class doesn't descend from TScrDialog");
        Terminate();
        return;
    }
    gScrConfig = dialog.get();
    POINT centre = {0, 0};
    POINT* suggestion = nullptr;
    if (parent && IsWindow(parent)) {
        RECT r;
        GetWindowRect(parent, &r);
        centre.x = (r.left + r.right) / 2;
        centre.y = (r.top + r.bottom) / 2;
        suggestion = &centre;
    }
    dialog->ShowModalEx(parent, suggestion);
    gScrConfig = nullptr;
    Terminate();
}

void TScrControl::PerformChangePassword(HWND parent)
{
    using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    Library library(LoadLibraryA("MPR.DLL"));
    if (library) {
        auto change = reinterpret_cast<PwdChangePasswordProc>(
            reinterpret_cast<void*>(GetProcAddress(library.Get(), "PwdChangePasswordA")));
        if (change)
            ScrDebug(tlUsr, "PwdChangePasswordA: %lu",
                     static_cast<unsigned long>(change("SCRSAVE", parent, 0, nullptr)));
        else
            ScrDebug(tlUsr, "MPR.DLL has no PwdChangePasswordA");
    } else {
        ScrDebug(tlUsr, "No MPR.DLL");
    }
    Terminate();
}

void ScrSetPasswordVerifier(TScrPasswordVerifier verifier)
{
    gVerifier = verifier;
}

bool TScrControl::VerifyScreenSavePassword(HWND saver)
{
    if (gVerifier)
        return gVerifier(saver);
    using VerifyProc = BOOL(WINAPI*)(HWND);
    Library library(LoadLibraryA("PASSWORD.CPL"));
    if (!library)
        return true; // no password service: nothing to verify against
    auto verify = reinterpret_cast<VerifyProc>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), "VerifyScreenSavePwd")));
    return verify ? verify(saver) != FALSE : true;
}

bool ScrCheckPreviewHost()
{
    if (gScrMode != smSPMain || !gScrControl || gScrControl->Terminated() || IsWindow(gScrHWnd))
        return true;
    ScrDebug(tlUsr, "TScrControl: the preview's host window is gone");
    gScrControl->Terminate();
    return false;
}

HWND CheckForLumidex()
{
    HWND host = FindWindowA("Lumidex", nullptr);
    if (!host) {
        char commandLine[] = "Lumidex";
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                            CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                            &startup, &process)) {
            ShowError("Error creating Lumidex process");
            return nullptr;
        }
        KernelHandle started(process.hProcess);
        KernelHandle thread(process.hThread);
        DWORD waited = WaitForInputIdle(started.Get(), 2000);
        if (waited == WAIT_TIMEOUT) {
            ShowError("Lumidex never becomes idle");
            return nullptr;
        }
        if (waited != 0) {
            ShowError("Miscellaneous error after Lumidex execution");
            return nullptr;
        }
        host = FindWindowA("Lumidex", nullptr);
        if (!host) {
            ShowError("Unable to find Lumidex window");
            return nullptr;
        }
    }
    SetForegroundWindow(host);
    HWND child = GetWindow(host, GW_CHILD);
    if (!child)
        ShowError("Could not find Lumidex child");
    return child;
}
