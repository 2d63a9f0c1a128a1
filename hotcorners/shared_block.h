// The block shared by every process that loads the module: per session, the
// service, dialog and About slots, the notify and feedback lists and the
// corner setting last seen. Every field is read and written under its mutex.
#pragma once
#include <windows.h>

#include <cstdint>

// At process attach: the session this process runs in.
void LookUpCallerSession();
// The session of this process (0 where the system has none). Window
// handles and the mutexes' names are per session; the shared block is not.
std::uint32_t CallerSession();

// The service slot, under the service mutex. GetServiceWindow waits at most
// 2000 ms (0 on time-out, without holding); a thread that holds it already
// counts one more hold. Every call is paired with ReleaseServiceWindow:
// ServiceSlot does both.
HWND GetServiceWindow();
void ReleaseServiceWindow();
// True while this thread holds the service mutex (GetServiceWindow may also
// return 0 because it timed out).
bool HoldsServiceWindow();
void SetServiceWindowSlot(HWND window); // only while holding the service mutex

// The service slot held for as long as the scope lasts: the running
// service's window, or null when none runs (or the mutex did not come in
// time: Held() tells).
class ServiceSlot {
public:
    ServiceSlot() : window_(GetServiceWindow()) {}
    ~ServiceSlot() { ReleaseServiceWindow(); }
    ServiceSlot(const ServiceSlot&) = delete;
    ServiceSlot& operator=(const ServiceSlot&) = delete;

    HWND Window() const { return window_; }
    bool Held() const { return HoldsServiceWindow(); }
    // Announces the service; written even when the mutex did not come in
    // time (a service that cannot announce itself would be worse than a
    // rare second one).
    void Set(HWND window) { SetServiceWindowSlot(window); }

private:
    HWND window_;
};

// The dialog and About slots, under the dialog-window mutex.
HWND GetDialogWindowSlot();
void SetDialogWindowSlot(HWND window);
HWND GetAboutWindowSlot();
void SetAboutWindowSlot(HWND window);

// The notify and feedback lists (kListCapacity windows each, under the
// list mutex). A list window gets kListAnswerMs to answer each message; one
// that does not (busy, or stuck in a box of its own) misses that message
// and hears the next. The sender holds the list mutex meanwhile. Windows
// that are gone leave the lists at the next walk or addition.
constexpr UINT kListAnswerMs = 1000;
void AddNotify(HWND window);
void RemoveNotify(HWND window);
void Notify(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam);
// The live windows of this session's notify list, at most capacity; their
// number. Nothing is sent.
int NotifyWindows(HWND* windows, int capacity);
void AddFeedback(HWND window);
void RemoveFeedback(HWND window);
void Feedback(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam);

// Reads "Mouse Corners" and, when it differs from the copy last seen by any
// process, tells the notify list (HC_CORNERS_CHANGED) once.
void HintCheckCorners(HWND excluded);
