// The module's three named mutexes ("QuadrixServiceMutex",
// "QuadrixListMutex", "QuadrixDialogWindowMutex"), per process, and the one
// way this module waits: delivering the messages other threads send.
#pragma once
#include <windows.h>

// At process attach and detach: the mutex handles of this process (closing
// releases a hold this process still has).
void OpenSharedMutexes();
void CloseSharedMutexes();

// Waits at most timeoutMs for the object (a process ends, a mutex is
// free; an abandoned mutex, whose owner died holding it, is ours all the
// same), handling meanwhile the messages other threads send to this one: a
// holder or an ending service may be sending to one of our windows, and
// would otherwise wait for our time-out, or give up on us. True when the
// object was signalled in time.
bool WaitDeliveringSent(HANDLE object, DWORD timeoutMs);

// The service mutex (2000 ms at most to get it). A thread that holds it
// already counts one more hold; each TakeServiceMutex that returned true
// is paired with a ReleaseServiceMutex (ServiceSlot does both).
bool TakeServiceMutex();
void ReleaseServiceMutex();
// True while this thread holds the service mutex.
bool HoldsServiceMutex();

// The list mutex for as long as the scope lasts (1000 ms at most to get it).
class ListHold {
public:
    ListHold();
    ~ListHold();
    ListHold(const ListHold&) = delete;
    ListHold& operator=(const ListHold&) = delete;
    explicit operator bool() const { return held_; }

private:
    bool held_;
};

// The dialog-window mutex (1000 ms at most). Taken by the code that opens a
// dialog and released by the dialog once it has taken its slot, so it is
// held across calls rather than by a scope.
bool GetDialogWindowMutex();
void ReleaseDialogWindowMutex();
