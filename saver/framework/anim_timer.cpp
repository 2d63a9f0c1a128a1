#include "saver/framework/anim_timer.h"

#include <mmsystem.h>

#include <new>

#include "common/owners.h"

struct TAnimShared {
    CRITICAL_SECTION lock;
    LONG refs = 2; // the component and its worker
    bool running = true;
    HWND window = nullptr;
    KernelHandle wake;
    DWORD threadId = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    // Copied from the component by each tick, while the worker waits for it.
    FramePace pace;
};

namespace {

const char* const kWindowClass = "TAnimTimerWindow";
// Once one timer has seen the process idle, later timers skip the wait.
LONG gSeenIdle = 0;
LONG gSharedRecords = 0;

TAnimShared* NewShared()
{
    TAnimShared* shared = new (std::nothrow) TAnimShared;
    if (!shared)
        return nullptr;
    InitializeCriticalSection(&shared->lock);
    shared->wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr)); // auto-reset
    InterlockedIncrement(&gSharedRecords);
    return shared;
}

void Release(TAnimShared* shared)
{
    if (InterlockedDecrement(&shared->refs) != 0)
        return;
    DeleteCriticalSection(&shared->lock);
    delete shared;
    InterlockedDecrement(&gSharedRecords);
}

// The window to send the next frame to; null once the timer has stopped.
HWND RunningWindow(TAnimShared* shared)
{
    EnterCriticalSection(&shared->lock);
    HWND window = shared->running ? shared->window : nullptr;
    LeaveCriticalSection(&shared->lock);
    return window;
}

void StopShared(TAnimShared* shared)
{
    EnterCriticalSection(&shared->lock);
    shared->running = false;
    shared->window = nullptr;
    LeaveCriticalSection(&shared->lock);
    PostThreadMessageA(shared->threadId, WM_QUIT, 0, 0);
    SetEvent(shared->wake.Get());
}

// Waits until the process takes input; false when the timer stops first.
// A process that cannot report its own idleness (Wine fails the wait with
// WAIT_FAILED, where Windows waits) is taken as idle: the frames only
// arrive as sent messages, so starting early does no harm, and ending here
// would leave the saver still.
bool WaitUntilIdle(TAnimShared* shared)
{
    while (!gSeenIdle) {
        DWORD result = WaitForInputIdle(GetCurrentProcess(), 100);
        if (result != WAIT_TIMEOUT)
            InterlockedExchange(&gSeenIdle, 1);
        else if (!RunningWindow(shared))
            return false;
    }
    return true;
}

bool QuitPosted()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            return true;
    return false;
}

// The pacer's clock, in microseconds: the performance counter, or the
// multimedia timer where the system has no counter. Chosen once per worker.
class PaceClock {
public:
    PaceClock()
    {
        LARGE_INTEGER frequency;
        if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
            frequency_ = static_cast<std::uint64_t>(frequency.QuadPart);
    }
    std::uint64_t NowUs()
    {
        LARGE_INTEGER counter;
        if (frequency_ && QueryPerformanceCounter(&counter)) {
            std::uint64_t c = static_cast<std::uint64_t>(counter.QuadPart);
            return c / frequency_ * 1000000 + c % frequency_ * 1000000 / frequency_;
        }
        // timeGetTime wraps after 49.7 days: keep counting past it.
        DWORD ms = timeGetTime();
        msTotal_ += static_cast<DWORD>(ms - msLast_);
        msLast_ = ms;
        return msTotal_ * 1000;
    }

private:
    std::uint64_t frequency_ = 0;
    DWORD msLast_ = timeGetTime();
    std::uint64_t msTotal_ = 0;
};

// Waits the pacer's time, rounded up to whole milliseconds (a wait ends at
// the earliest when asked, so frames never come early; the schedule, not
// the waits, keeps the rate); with no time left, yields the time slice.
void WaitForNextFrame(const TAnimShared& shared, std::uint64_t waitUs)
{
    if (waitUs == 0) {
        Sleep(0);
        return;
    }
    std::uint64_t ms = (waitUs + 999) / 1000;
    WaitForSingleObject(shared.wake.Get(), ms < INFINITE ? static_cast<DWORD>(ms) : INFINITE - 1);
}

void RunFrames(TAnimShared* shared)
{
    PaceClock clock;
    FramePacer pacer;
    while (!QuitPosted()) {
        HWND window = RunningWindow(shared);
        if (!window)
            return;
        if (SendMessageA(window, TAnimTimer::kMessage, TAnimTimer::kTick, 0) == TAnimTimer::kStopped) {
            PostMessageA(window, TAnimTimer::kMessage, TAnimTimer::kStop, 0);
            continue;
        }
        WaitForNextFrame(*shared, pacer.WaitAfterFrame(shared->pace, clock.NowUs()));
    }
}

bool ClassRegistered()
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    return GetClassInfoExA(GetModuleHandleA(nullptr), kWindowClass, &wc) != 0;
}

} // namespace

long AnimSharedRecords()
{
    return InterlockedCompareExchange(&gSharedRecords, 0, 0);
}

TAnimTimer::TAnimTimer(Event onTimer, void* context) : onTimer_(onTimer), context_(context) {}

TAnimTimer::~TAnimTimer()
{
    Stop();
}

bool TAnimTimer::Start()
{
    if (shared_)
        return true;
    if (!ClassRegistered()) {
        WNDCLASSEXA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TAnimTimer::WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExA(&wc))
            return false;
    }
    // A message-only window where the system has them (Windows 2000 on);
    // before that, a hidden top-level window does the same work.
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_)
        window_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window_)
        return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    shared_ = NewShared();
    if (!shared_ || !shared_->wake) {
        if (shared_)
            shared_->refs = 1; // no worker to release it
        Stop();
        return false;
    }
    shared_->window = window_;
    shared_->priority = GetThreadPriority(GetCurrentThread());
    KernelHandle thread(CreateThread(nullptr, 0, &TAnimTimer::Worker, shared_, CREATE_SUSPENDED,
                                     &shared_->threadId));
    if (!thread) {
        shared_->refs = 1; // no worker to release it
        Stop();
        return false;
    }
    // One step below the caller's, where there is a step below.
    if (shared_->priority > THREAD_PRIORITY_LOWEST && shared_->priority <= THREAD_PRIORITY_HIGHEST)
        SetThreadPriority(thread.Get(), shared_->priority - 1);
    ResumeThread(thread.Get());
    return true;
}

void TAnimTimer::Stop()
{
    // The worker is told first, so that it sends nothing more to a window
    // whose handle the system may soon give to another.
    if (shared_)
        StopShared(shared_);
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (shared_) {
        Release(shared_);
        shared_ = nullptr;
    }
}

bool TAnimTimer::Running() const
{
    return shared_ && RunningWindow(shared_) != nullptr;
}

void TAnimTimer::Alert()
{
    if (window_)
        PostMessageA(window_, kMessage, kAlert, 0);
    if (shared_)
        SetEvent(shared_->wake.Get());
}

LRESULT TAnimTimer::Tick()
{
    if (Enabled && onTimer_)
        onTimer_(context_);
    // The event may have stopped the timer.
    if (!shared_)
        return kStopped;
    shared_->pace = Pace;
    return 0;
}

LRESULT CALLBACK TAnimTimer::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TAnimTimer* timer = reinterpret_cast<TAnimTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != kMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    if (!timer)
        return kStopped;
    switch (wParam) {
    case kTick:
        return timer->Tick();
    case kStop:
        if (timer->shared_)
            StopShared(timer->shared_);
        return 0;
    case kAlert:
        if (timer->shared_)
            SetEvent(timer->shared_->wake.Get());
        return 0;
    default:
        return 0;
    }
}

DWORD WINAPI TAnimTimer::Worker(void* parameter)
{
    TAnimShared* shared = static_cast<TAnimShared*>(parameter);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // this thread's queue, for WM_QUIT
    if (WaitUntilIdle(shared)) {
        TIMECAPS caps;
        UINT period = 0;
        if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR)
            period = caps.wPeriodMin;
        if (period)
            timeBeginPeriod(period);
        RunFrames(shared);
        if (period)
            timeEndPeriod(period);
    }
    Release(shared);
    return 0;
}
