// The module's named mutexes in this process: made at process attach with
// the user's security, waited for while sent messages are delivered.
#include "hotcorners/mutexes.h"

#include "common/owners.h"
#include "hotcorners/mutex_security.h"
#include "hotcorners/quadrix.h"

namespace {

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

bool TakeMutex(HANDLE mutex, DWORD timeoutMs)
{
    return mutex && WaitDeliveringSent(mutex, timeoutMs);
}

} // namespace

bool WaitDeliveringSent(HANDLE object, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent > timeoutMs)
            return false;
        DWORD wait = MsgWaitForMultipleObjects(1, &object, FALSE, timeoutMs - spent, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED_0)
            return true;
        if (wait != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // delivers sent messages
    }
}

void OpenSharedMutexes()
{
    MutexSecurity security;
    gServiceMutex.Reset(MakeMutex(security.Get(), kServiceMutexName));
    gListMutex.Reset(MakeMutex(security.Get(), kListMutexName));
    gDialogMutex.Reset(MakeMutex(security.Get(), kDialogMutexName));
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

bool HoldsServiceMutex()
{
    return gServiceHolds > 0 && gServiceHolder == GetCurrentThreadId();
}

bool TakeServiceMutex()
{
    if (!gServiceMutex)
        return false;
    if (!HoldsServiceMutex()) {
        if (!TakeMutex(gServiceMutex.Get(), kServiceTimeoutMs))
            return false;
        gServiceHolder = GetCurrentThreadId();
        gServiceHolds = 0;
    }
    ++gServiceHolds;
    return true;
}

void ReleaseServiceMutex()
{
    if (!HoldsServiceMutex())
        return;
    if (--gServiceHolds == 0) {
        gServiceHolder = 0;
        ReleaseMutex(gServiceMutex.Get());
    }
}

ListHold::ListHold() : held_(TakeMutex(gListMutex.Get(), kListTimeoutMs)) {}

ListHold::~ListHold()
{
    if (held_)
        ReleaseMutex(gListMutex.Get());
}

bool GetDialogWindowMutex()
{
    return TakeMutex(gDialogMutex.Get(), kDialogTimeoutMs);
}

void ReleaseDialogWindowMutex()
{
    if (gDialogMutex)
        ReleaseMutex(gDialogMutex.Get());
}
