// TAnimTimer: paces the animation. A worker thread sends the hidden window
// a message for every frame, so the event runs on the window's own thread,
// and sleeps in between; input and painting are never starved.
#pragma once
#include <windows.h>

#include "saver/framework/frame_pacer.h"

struct TAnimShared;

class TAnimTimer {
public:
    using Event = void (*)(void* context);

    // The event runs on the thread that calls Start.
    TAnimTimer(Event onTimer, void* context);
    // Stops the timer without waiting for the worker: the record the two
    // share is freed by whichever of them ends last.
    ~TAnimTimer();
    TAnimTimer(const TAnimTimer&) = delete;
    TAnimTimer& operator=(const TAnimTimer&) = delete;

    bool Enabled = true; // false: the worker keeps pacing, no events run
    // How the frames are paced (10 ms apart by default); read by the worker
    // after every event, so a change holds from the next frame.
    FramePace Pace;

    // Creates the hidden window and the worker thread; false when either fails.
    bool Start();
    void Stop();
    bool Running() const;
    // Cuts the worker's current wait short.
    void Alert();

    // The private message of the hidden window and its wParam values.
    static const UINT kMessage = WM_APP;
    static const WPARAM kStop = 1, kTick = 2, kAlert = 3;
    // A tick's answer when the timer has stopped (the worker then ends).
    static const LRESULT kStopped = -2;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI Worker(void* shared);
    LRESULT Tick();

    Event onTimer_;
    void* context_;
    HWND window_ = nullptr;
    TAnimShared* shared_ = nullptr;
};

// Live shared records (for tests: 0 once every timer and worker has ended).
long AnimSharedRecords();
