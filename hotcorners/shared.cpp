// The block shared by every process that loads the module, its three named
// mutexes, the notify and feedback lists and the option accessors that go
// through the running service.
#include "hotcorners/corners.h"
#include "hotcorners/quadrix.h"
#include "common/owners.h"

namespace {

// One instance for all processes: the linker marks its section shared. Every
// field is read and written only while its mutex is held.
struct SharedBlock {
    WindowId serviceWindow;       // QuadrixServiceMutex
    WindowId dialogWindow;        // QuadrixDialogWindowMutex
    WindowId aboutWindow;         // QuadrixDialogWindowMutex
    WindowList notifyList;        // QuadrixListMutex
    WindowList feedbackList;      // QuadrixListMutex
    char cornerCopy[kCornerCount]; // QuadrixListMutex: "Mouse Corners" last seen
};

// A shared section must be initialised data: uninitialised data would land
// in .bss, which the linker does not share.
SharedBlock gShared __attribute__((section(".qshared"), shared)) = {
    0, 0, 0, {{0}, 0}, {{0}, 0}, {'-', '-', '-', '-'}};

constexpr DWORD kServiceTimeoutMs = 2000;
constexpr DWORD kListTimeoutMs = 1000;
constexpr DWORD kDialogTimeoutMs = 1000;

// Per process: the mutex handles, and which thread of this process holds
// the service mutex and how often (code that holds it may take it again
// without waiting). A mutex belongs to a thread: a count shared by all
// threads would let a second thread pass without waiting and then release
// a mutex it does not own, which leaves it held for good.
KernelHandle gServiceMutex;
KernelHandle gListMutex;
KernelHandle gDialogMutex;
volatile DWORD gServiceHolder;
LONG gServiceHolds;

bool HoldsServiceMutex()
{
    return gServiceHolds > 0 && gServiceHolder == GetCurrentThreadId();
}

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(id); }
WindowId AsId(HWND window) { return reinterpret_cast<WindowId>(window); }

struct ListMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

void SendListMessage(WindowId window, void* context)
{
    const ListMessage* m = static_cast<const ListMessage*>(context);
    SendMessageA(AsWindow(window), m->message, m->wParam, m->lParam);
}

void SendToList(WindowList& list, HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    HeldMutex held(gListMutex.Get(), kListTimeoutMs);
    if (!held)
        return;
    ListMessage m = {message, wParam, lParam};
    ListSend(list, AsId(excluded), SendListMessage, &m);
}

void AddToList(WindowList& list, HWND window)
{
    HeldMutex held(gListMutex.Get(), kListTimeoutMs);
    if (held)
        ListAdd(list, AsId(window));
}

void RemoveFromList(WindowList& list, HWND window)
{
    HeldMutex held(gListMutex.Get(), kListTimeoutMs);
    if (held)
        ListRemove(list, AsId(window));
}

} // namespace

void OpenSharedMutexes()
{
    gServiceMutex.Reset(CreateMutexA(nullptr, FALSE, kServiceMutexName));
    gListMutex.Reset(CreateMutexA(nullptr, FALSE, kListMutexName));
    gDialogMutex.Reset(CreateMutexA(nullptr, FALSE, kDialogMutexName));
}

void CloseSharedMutexes()
{
    if (HoldsServiceMutex() && gServiceMutex)
        ReleaseMutex(gServiceMutex.Get());
    gServiceHolds = 0;
    gServiceHolder = 0;
    gServiceMutex.Reset();
    gListMutex.Reset();
    gDialogMutex.Reset();
}

HWND GetServiceWindow()
{
    if (!gServiceMutex)
        return nullptr;
    if (!HoldsServiceMutex()) {
        // A holder that died leaves the mutex abandoned: ours all the same.
        DWORD wait = WaitForSingleObject(gServiceMutex.Get(), kServiceTimeoutMs);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
            return nullptr;
        gServiceHolder = GetCurrentThreadId();
        gServiceHolds = 0;
    }
    ++gServiceHolds;
    // A service that was killed never cleared its slot; a window that is gone
    // is no service, or no service could ever start again.
    if (gShared.serviceWindow && !IsWindow(AsWindow(gShared.serviceWindow)))
        gShared.serviceWindow = 0;
    return AsWindow(gShared.serviceWindow);
}

void ReleaseServiceWindow()
{
    if (!HoldsServiceMutex())
        return;
    if (--gServiceHolds == 0) {
        gServiceHolder = 0;
        ReleaseMutex(gServiceMutex.Get());
    }
}

void SetServiceWindowSlot(HWND window)
{
    gShared.serviceWindow = AsId(window);
}

bool GetDialogWindowMutex()
{
    if (!gDialogMutex)
        return false;
    DWORD wait = WaitForSingleObject(gDialogMutex.Get(), kDialogTimeoutMs);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void ReleaseDialogWindowMutex()
{
    if (gDialogMutex)
        ReleaseMutex(gDialogMutex.Get());
}

HWND GetDialogWindowSlot() { return AsWindow(gShared.dialogWindow); }
void SetDialogWindowSlot(HWND window) { gShared.dialogWindow = AsId(window); }
HWND GetAboutWindowSlot() { return AsWindow(gShared.aboutWindow); }
void SetAboutWindowSlot(HWND window) { gShared.aboutWindow = AsId(window); }

void AddNotify(HWND window) { AddToList(gShared.notifyList, window); }
void RemoveNotify(HWND window) { RemoveFromList(gShared.notifyList, window); }
void Notify(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    SendToList(gShared.notifyList, excluded, message, wParam, lParam);
}

void AddFeedback(HWND window) { AddToList(gShared.feedbackList, window); }
void RemoveFeedback(HWND window) { RemoveFromList(gShared.feedbackList, window); }
void Feedback(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    SendToList(gShared.feedbackList, excluded, message, wParam, lParam);
}

void HintCheckCorners(HWND excluded)
{
    char fresh[kCornerCount];
    bool changed;
    {
        HeldMutex held(gListMutex.Get(), kListTimeoutMs);
        if (!held)
            return;
        // A read that fails leaves the copy, so it changes nothing.
        CopyMemory(fresh, gShared.cornerCopy, sizeof fresh);
        ReadCornerSettings(fresh);
        changed = UpdateCornerCopy(gShared.cornerCopy, fresh);
    }
    if (changed)
        Notify(excluded, WM_HOTCORNERS, HC_CORNERS_CHANGED, static_cast<LPARAM>(PackCodes(fresh)));
}

LRESULT SendToService(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HWND service = GetServiceWindow())
        result = SendMessageA(service, message, wParam, lParam);
    ReleaseServiceWindow();
    return result;
}

namespace {

int GetOption(HotCornersCode code, const char* name)
{
    int value;
    if (HWND service = GetServiceWindow())
        value = SendMessageA(service, WM_HOTCORNERS, code, 0) ? 1 : 0;
    else
        value = ReadOption(name);
    ReleaseServiceWindow();
    return value;
}

void SetOption(HotCornersCode code, const char* name, int show)
{
    show = show ? 1 : 0;
    if (HWND service = GetServiceWindow())
        SendMessageA(service, WM_HOTCORNERS, code, show);
    else
        WriteOption(name, show);
    ReleaseServiceWindow();
}

} // namespace

int GetShowIcon() { return GetOption(HC_GET_ICON, kOptionTrayIcon); }
void SetShowIcon(int show) { SetOption(HC_SET_ICON, kOptionTrayIcon, show); }
int GetShowFeedback() { return GetOption(HC_GET_FEEDBACK, kOptionFeedback); }
void SetShowFeedback(int show) { SetOption(HC_SET_FEEDBACK, kOptionFeedback, show); }
