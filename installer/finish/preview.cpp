#include "installer/finish/preview.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/owners.h"
#include "common/paths.h"
#include "common/syserror.h"
#include "common/text.h"
#include "installer/finish/finish.h"
#include "installer/finish/preview_text.h"
#include "installer/instance.h"

namespace {

constexpr std::size_t kMessageSize = 1024;
// A saver whose thread no longer answers must not hold the installer when
// the dialog asks it to close.
constexpr UINT kCloseTimeoutMs = 3000;

// Hangs on the dialog as its GWLP_USERDATA from WM_INITDIALOG to WM_DESTROY.
struct PreviewState {
    KernelHandle process; // the saver while the dialog watches it
    UINT_PTR timer = 0;   // 0 when no timer runs
    char saverPath[kPreviewTextSize] = {};
    char commandLine[kPreviewTextSize] = {}; // empty when the path does not fit in it
    bool launched = false;
};

// The in-memory dialog template: a DLGTEMPLATE and three DLGITEMTEMPLATEs,
// each followed by its WORD arrays and aligned on a DWORD.
class TemplateWriter {
public:
    const DLGTEMPLATE* Build()
    {
        Dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER |
              DS_SETFONT | DS_3DLOOK);
        Dword(0);
        Word(3);
        Rect(0, 0, 278, 196);
        Word(0); // no menu
        Word(0); // the standard dialog class
        Text("Preview");
        Word(8);
        Text("MS Sans Serif");
        Item(kPreviewOk, 0x0080, BS_DEFPUSHBUTTON, 113, 175, 50, 14);
        Item(kPreviewArea, 0x0082, SS_BLACKRECT, 7, 7, 264, 152);
        Item(kPreviewStatus, 0x0082, SS_CENTER, 7, 162, 264, 8);
        return reinterpret_cast<const DLGTEMPLATE*>(words_);
    }

private:
    void Word(WORD value) { words_[count_++] = value; }
    void Dword(DWORD value)
    {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Rect(short x, short y, short cx, short cy)
    {
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
    }
    void Text(const char* ascii)
    {
        do
            Word(static_cast<WORD>(static_cast<unsigned char>(*ascii)));
        while (*ascii++ != '\0');
    }
    void Item(int id, WORD classAtom, DWORD style, short x, short y, short cx, short cy)
    {
        if (count_ % 2 != 0)
            Word(0);
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        Rect(x, y, cx, cy);
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(classAtom);
        Word(0); // empty text
        Word(0); // no creation data
    }

    alignas(DWORD) WORD words_[128] = {};
    std::size_t count_ = 0;
};

PreviewState* StateOf(HWND dialog)
{
    return reinterpret_cast<PreviewState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void SetStatus(HWND dialog, PreviewStatus status)
{
    SetDlgItemTextA(dialog, kPreviewStatus, StatusText(status));
}

void StopTimer(HWND dialog, PreviewState* state)
{
    if (state->timer != 0)
        KillTimer(dialog, state->timer);
    state->timer = 0;
}

// The preview area keeps its black face whatever the saver's child draws.
void SubclassPreviewArea(HWND area)
{
    if (!area)
        return;
    SetWindowLongPtrA(area, GWLP_USERDATA, GetWindowLongPtrA(area, GWLP_WNDPROC));
    SetWindowLongPtrA(area, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewAreaProc));
}

std::unique_ptr<PreviewState> CreateState(HWND dialog, const char* saverPath)
{
    std::unique_ptr<PreviewState> state(new (std::nothrow) PreviewState());
    if (!state)
        return nullptr;
    HWND area = GetDlgItem(dialog, kPreviewArea);
    // Window handles carry 32 significant bits on 64-bit Windows too.
    auto handle = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(area));
    if (!CopyText(state->saverPath, sizeof state->saverPath, saverPath) ||
        !FormatPreviewCommandLine(state->commandLine, sizeof state->commandLine, saverPath,
                                  handle))
        state->commandLine[0] = '\0';
    return state;
}

INT_PTR InitPreviewDialog(HWND dialog, const char* saverPath)
{
    SetStatus(dialog, PreviewStatus::SettingUp);
    // The dialog owns its state from here on; WM_DESTROY takes it back.
    PreviewState* state = CreateState(dialog, saverPath ? saverPath : "").release();
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    SetDlgItemTextA(dialog, kPreviewOk, "OK");
    SubclassPreviewArea(GetDlgItem(dialog, kPreviewArea));
    if (!state) {
        // Without its state the dialog can only be closed again.
        SetStatus(dialog, PreviewStatus::LaunchFailed);
        return FALSE;
    }
    state->timer = SetTimer(dialog, kPreviewTimer, kPreviewTickMs, nullptr);
    // The first tick comes at once.
    PostMessageA(dialog, WM_TIMER, 0, 0);
    return FALSE;
}

void ReportLaunchFailure(HWND dialog, PreviewState* state)
{
    char reason[kPathSize];
    GetSystemErrorText(reason, sizeof reason);
    char text[kMessageSize];
    FormatText(text, sizeof text, "Unable to launch saver.\r\n%s\r\n%s", state->saverPath, reason);
    StopTimer(dialog, state);
    state->process.Reset();
    SetStatus(dialog, AfterLaunch(false));
    MessageBoxA(dialog, text, "Error", MB_ICONWARNING);
}

void LaunchSaver(HWND dialog, PreviewState* state)
{
    state->launched = true;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    BOOL started = FALSE;
    if (state->commandLine[0] == '\0')
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    else
        started = CreateProcessA(state->saverPath, state->commandLine, nullptr, nullptr, TRUE,
                                 IDLE_PRIORITY_CLASS, nullptr, nullptr, &startup, &info);
    if (!started) {
        ReportLaunchFailure(dialog, state);
        return;
    }
    KernelHandle thread(info.hThread); // only the process is watched
    state->process.Reset(info.hProcess);
    SetStatus(dialog, AfterLaunch(true));
}

void ReportWaitFailure(HWND dialog, PreviewState* state)
{
    char reason[kPathSize];
    GetSystemErrorText(reason, sizeof reason);
    char text[kMessageSize];
    FormatText(text, sizeof text, "Error waiting for screen saver to show itself.\r\n%s", reason);
    SetStatus(dialog, PreviewStatus::WaitFailed);
    StopTimer(dialog, state);
    state->process.Reset();
    MessageBoxA(dialog, text, "Error", MB_ICONWARNING);
}

void ShowWaitingProgress(HWND dialog)
{
    char line[kPreviewTextSize];
    GetDlgItemTextA(dialog, kPreviewStatus, line, sizeof line);
    GrowWaitingDots(line, sizeof line);
    SetDlgItemTextA(dialog, kPreviewStatus, line);
}

void WatchSaver(HWND dialog, PreviewState* state)
{
    DWORD wait = WaitForInputIdle(state->process.Get(), kPreviewIdleWaitMs);
    IdleWait outcome = wait == 0              ? IdleWait::Idle
                       : wait == WAIT_TIMEOUT ? IdleWait::Timeout
                                              : IdleWait::Failed;
    PreviewStatus status = AfterWait(outcome);
    switch (status) {
    case PreviewStatus::Shown:
        SetStatus(dialog, status);
        StopTimer(dialog, state);
        state->process.Reset();
        break;
    case PreviewStatus::Waiting:
        ShowWaitingProgress(dialog);
        break;
    default:
        ReportWaitFailure(dialog, state);
        break;
    }
}

INT_PTR TickPreview(HWND dialog)
{
    PreviewState* state = StateOf(dialog);
    if (!state)
        return FALSE;
    if (!state->launched)
        LaunchSaver(dialog, state);
    if (state->process)
        WatchSaver(dialog, state);
    return FALSE;
}

// Asks the saver's preview window to close; a window of another thread
// cannot be destroyed from here, but it goes with the preview area.
void ClosePreviewWindow(HWND dialog)
{
    HWND area = GetDlgItem(dialog, kPreviewArea);
    if (!area)
        return;
    if (HWND child = GetWindow(area, GW_CHILD)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(child, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseTimeoutMs, &ignored);
    }
    if (HWND child = GetWindow(area, GW_CHILD))
        DestroyWindow(child);
}

INT_PTR ClosePreviewDialog(HWND dialog, int id)
{
    if (id != kPreviewOk && id != IDCANCEL)
        return FALSE;
    ClosePreviewWindow(dialog);
    EndDialog(dialog, id);
    return TRUE;
}

void DestroyPreviewState(HWND dialog)
{
    std::unique_ptr<PreviewState> state(StateOf(dialog));
    if (!state)
        return;
    StopTimer(dialog, state.get());
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
}

LRESULT PaintBlack(HWND area)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(area, &paint);
    if (dc) {
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(area, &paint);
    }
    return 0;
}

} // namespace

void ActivateSaver(const char* saverPath)
{
    char shortPath[kPathSize];
    DWORD length = GetShortPathNameA(saverPath, shortPath, sizeof shortPath);
    // The long path still names the installed saver where no short one is
    // to be had (a file system without short names).
    if (length == 0 || length >= sizeof shortPath)
        CopyText(shortPath, sizeof shortPath, saverPath);
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", shortPath, "system.ini");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE);
}

void ShowPreviewDialog(HWND owner, const char* saverPath)
{
    TemplateWriter writer;
    DialogBoxIndirectParamA(gInstance, writer.Build(), owner, PreviewDialogProc,
                            reinterpret_cast<LPARAM>(saverPath));
}

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitPreviewDialog(dialog, reinterpret_cast<const char*>(lParam));
    case WM_TIMER:
        return TickPreview(dialog);
    case WM_COMMAND:
        return ClosePreviewDialog(dialog, LOWORD(wParam));
    case WM_DESTROY:
        DestroyPreviewState(dialog);
        return FALSE;
    }
    return FALSE;
}

LRESULT CALLBACK PreviewAreaProc(HWND area, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(area, GWLP_USERDATA));
    switch (message) {
    case WM_DESTROY:
        if (previous)
            SetWindowLongPtrA(area, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    case WM_PAINT:
        return PaintBlack(area);
    }
    return previous ? CallWindowProcA(previous, area, message, wParam, lParam)
                    : DefWindowProcA(area, message, wParam, lParam);
}
