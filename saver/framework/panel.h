// TSglPanel: one OpenGL rendering context on a window. The saver attaches
// it to its own window (not to a child control) in every mode, because an
// OpenGL child window stays black under some systems' window managers;
// EnterMode/ExitMode subclass that window. A window takes one pixel format
// for life, so only a driver that finds the window's format set by another
// one draws on a child of it made for that driver (see DrawingWindow).
#pragma once
#include <windows.h>

#include "common/owners.h"
#include "common/paths.h"
#include "saver/framework/screens.h"

class TSglPanel;

// The panel's drawing child, destroyed unless its parent took it already.
struct TSglDrawingWindowTraits {
    using Value = HWND;
    static Value Invalid() { return nullptr; }
    static void Close(Value v)
    {
        if (IsWindow(v))
            DestroyWindow(v);
    }
};

// What the owner of a panel hears. Every handler has a do-nothing default.
class TSglPanelEvents {
public:
    virtual ~TSglPanelEvents() = default;
    virtual void SglPanelGLInit(TSglPanel&) {}  // context ready and current
    virtual void SglPanelGLPaint(TSglPanel&) {} // draw one frame, then SwapBuffers
    virtual void SglPanelGLError(TSglPanel&, const char*) {}
    virtual void SglPanelResize(TSglPanel&) {}  // the window's size changed
    // May replace the chosen pixel format (0 refuses every format).
    virtual int SglPanelPixelFormat(TSglPanel&, HDC, int chosen) { return chosen; }
};

// ChangeDisplaySettingsA's shape; tests inject their own.
using TDisplayChanger = LONG(WINAPI*)(DEVMODEA* mode, DWORD flags);

class TSglPanel {
public:
    TSglPanel(HWND window, TSglPanelEvents* events);
    ~TSglPanel();
    TSglPanel(const TSglPanel&) = delete;
    TSglPanel& operator=(const TSglPanel&) = delete;

    // Pixel-format wishes (-1 any; double buffer and acceleration 0/1).
    int glBpp = -1;
    int glDepth = 16;
    int glDblBuff = 1;
    int glAcc = 1;
    // The clear colour at context creation, when hasColor.
    bool hasColor = false;
    COLORREF Color = 0;

    // The window the context goes on (once, before the first context).
    void Attach(HWND window)
    {
        window_ = window;
        windowFormatDriver_[0] = '\0';
        drawing_.Reset();
    }

    // Requested display mode (-1 each: leave the display alone).
    void SetScreenDimensions(int width, int height, int bits);
    // Driver name or path; a change drops the context.
    void SetglDriver(const char* driver);
    const char* glDriver() const { return driver_; }

    // Creates the context if there is none and no attempt failed before.
    bool GLHandleNeeded();
    // Deletes the context, leaves the mode and resets the display.
    void InvalidateGLHandle();
    // Makes the context current and asks the owner to draw one frame.
    void Paint();
    // Swaps (after reading the frame back for the trace file, if one is on).
    void SwapBuffers();

    void EnterMode();
    void ExitMode();
    // Tests the requested mode and applies it only if the test passes.
    bool ChangeScreenMode();
    void ResetScreenMode();
    void ClipMouse();
    void UnclipMouse();
    void GLError(const char* text);

    // A full-screen saver's scene goes on the primary monitor alone, at its
    // size and aspect; the other monitors show the cleared (black) window.
    void SetSceneOnPrimary(bool onPrimary) { sceneOnPrimary_ = onPrimary; }
    // Where the scene is drawn, as glViewport takes it (from the lower left).
    scr::ScreenRect SceneViewport() const;

    HWND Window() const { return window_; }
    // Where the context draws: the window, or the child covering it that a
    // driver got because the window's format belongs to another driver.
    HWND DrawingWindow() const { return drawing_ ? drawing_.Get() : window_; }
    HDC DC() const { return dc_; }
    HGLRC Context() const { return context_; }
    // Whether the context's swaps wait for the display's refresh (the
    // driver took the swap interval).
    bool SwapSynchronised() const { return swapSynchronised_; }
    bool Failed() const { return failed_; }
    bool Resized3dfx() const { return resized3dfx_; }
    int Width() const;
    int Height() const;
    unsigned long Frames() const { return frames_; }
    // Called after every swap, on the window's thread (the pacing
    // benchmark's clock); null for none.
    using SwapObserver = void (*)(void* context);
    void ObserveSwaps(SwapObserver observer, void* context)
    {
        swapObserver_ = observer;
        swapContext_ = context;
    }
    // The display mode changed to (-1 each: none).
    void CurrentMode(int mode[3]) const;

    // The platform's display-mode call; null restores ChangeDisplaySettingsA.
    static void SetDisplayChanger(TDisplayChanger changer);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleSubclassed(UINT message, WPARAM wParam, LPARAM lParam, WNDPROC old);
    void PrepareDisplay();
    void Size3dfx();
    void Restore3dfxSize();
    bool OpenDrawingDc();
    bool MakeDrawingWindow();
    void FitDrawingWindow();
    void ReleaseDrawingDc();
    bool CreateContext();
    void TraceFrame();

    HWND window_;
    TSglPanelEvents* events_;
    char driver_[kPathSize] = "OPENGL32.DLL";
    int requested_[3] = {-1, -1, -1};
    int current_[3] = {-1, -1, -1};
    bool modeChanged_ = false;
    // The driver that set the window's own pixel format (empty: none did).
    char windowFormatDriver_[kPathSize] = "";
    Owner<TSglDrawingWindowTraits> drawing_;
    HWND dcWindow_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    bool swapSynchronised_ = false;
    bool failed_ = false;
    bool entered_ = false;
    bool subclassed_ = false;
    bool resized3dfx_ = false;
    bool resizePending_ = false;
    RECT saved3dfx_ = {};
    bool clipped_ = false;
    RECT savedClip_ = {};
    unsigned long frames_ = 0;
    SwapObserver swapObserver_ = nullptr;
    void* swapContext_ = nullptr;
    bool sceneOnPrimary_ = false;
};
