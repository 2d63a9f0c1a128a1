#include "saver/framework/panel.h"

#include <memory>
#include <new>

#include "common/syserror.h"
#include "common/text.h"
#include "saver/framework/pacing.h"
#include "saver/framework/sgl.h"
#include "saver/framework/sglmath.h"
#include "saver/framework/trace.h"

namespace {

const char kSubclassProp[] = "ScrGLSubclass";
const char kOldProcProp[] = "ScrGLOldWndProc";
const char kDrawingClass[] = "ScrGLDrawing";
TDisplayChanger gChanger = nullptr;

LONG ChangeDisplay(DEVMODEA* mode, DWORD flags)
{
    return gChanger ? gChanger(mode, flags) : ChangeDisplaySettingsA(mode, flags);
}

// Frames 1 to 16, then every 64th, are read back for the trace file.
bool IsTracedFrame(unsigned long frame)
{
    return frame <= 16 || frame % 64 == 0;
}

// The drawing child: the mouse passes through it to the saver window below
// (which keeps the focus). The frames come from the saver window's paint;
// the parent has no WS_CLIPCHILDREN, so invalidating it covers the child
// too, and the child's own WM_PAINT only validates (DefWindowProc).
LRESULT CALLBACK DrawingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1; // OpenGL covers it
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

void TSglPanel::SetDisplayChanger(TDisplayChanger changer)
{
    gChanger = changer;
}

TSglPanel::TSglPanel(HWND window, TSglPanelEvents* events) : window_(window), events_(events)
{
}

TSglPanel::~TSglPanel()
{
    ScrDebug(tlUsr, "~TSglPanel... commencing destructor.");
    InvalidateGLHandle();
    ScrDebug(tlUsr, "~TSglPanel. Finished destructor.");
}

void TSglPanel::SetScreenDimensions(int width, int height, int bits)
{
    requested_[0] = width;
    requested_[1] = height;
    requested_[2] = bits;
}

void TSglPanel::SetglDriver(const char* driver)
{
    if (lstrcmpiA(driver_, driver ? driver : "") == 0)
        return;
    InvalidateGLHandle();
    // A drawing child goes with the driver that set its format.
    drawing_.Reset();
    // One driver is loaded per process: the next context must come from the
    // new one (a dialog over a 3dfx saver needs the system's OpenGL).
    sglFreeLibrary();
    CopyText(driver_, sizeof driver_, driver ? driver : "");
    failed_ = false;
}

int TSglPanel::Width() const
{
    RECT r = {};
    GetClientRect(window_, &r);
    return r.right - r.left;
}

int TSglPanel::Height() const
{
    RECT r = {};
    GetClientRect(window_, &r);
    return r.bottom - r.top;
}

scr::ScreenRect TSglPanel::SceneViewport() const
{
    scr::ScreenRect client;
    client.width = Width();
    client.height = Height();
    // A 3dfx board shows the whole panel on a screen of its own.
    if (!sceneOnPrimary_ || resized3dfx_)
        return client;
    POINT origin = {0, 0};
    ClientToScreen(window_, &origin);
    client.left = origin.x;
    client.top = origin.y;
    return scr::PrimaryViewport(client, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void TSglPanel::CurrentMode(int mode[3]) const
{
    for (int i = 0; i < 3; ++i)
        mode[i] = current_[i];
}

void TSglPanel::GLError(const char* text)
{
    failed_ = true;
    ScrDebug(tlErr, "TSglPanel: %s", text);
    if (events_)
        events_->SglPanelGLError(*this, text);
}

bool TSglPanel::GLHandleNeeded()
{
    if (context_)
        return true;
    if (failed_ || !IsWindow(window_))
        return false;
    // 3dfx drivers show a start-up logo unless told not to.
    SetEnvironmentVariableA("FX_GLIDE_NO_SPLASH", "1");
    PrepareDisplay();
    if (!OpenDrawingDc() || !CreateContext()) {
        ReleaseDrawingDc();
        drawing_.Reset();
        // No driver, no 3dfx panel: the window covers what it covered.
        resizePending_ = false;
        Restore3dfxSize();
        return false;
    }
    EnterMode();
    if (events_) {
        events_->SglPanelGLInit(*this);
        if (resizePending_)
            events_->SglPanelResize(*this);
    }
    resizePending_ = false;
    return true;
}

void TSglPanel::PrepareDisplay()
{
    if (sglIsDriver3dfx(driver_)) {
        if (!resized3dfx_)
            Size3dfx();
        return;
    }
    switch (sgl::DecideModeAction(requested_, current_)) {
    case sgl::ModeAction::Reset:
        ScrDebug(tlUsr, "About to change screen mode");
        ResetScreenMode();
        ScrDebug(tlUsr, "Changed screen mode");
        break;
    case sgl::ModeAction::Change:
        ChangeScreenMode();
        break;
    case sgl::ModeAction::None:
        break;
    }
}

void TSglPanel::Size3dfx()
{
    GetWindowRect(window_, &saved3dfx_);
    // A child keeps its place in its parent's coordinates; a top-level
    // window (even an owned one) in the screen's.
    if (GetWindowLongPtrA(window_, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&saved3dfx_), 2);
    int width = 0;
    int height = 0;
    sgl::Size3dfxPanel(requested_[1], &width, &height);
    resized3dfx_ = true;
    if (width == Width() && height == Height())
        return;
    SetWindowPos(window_, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScrDebug(tlUsr, "TSglPanel: sized for 3dfx to %dx%d", width, height);
    // The driver is not loaded yet; the owner's resize handler sets up
    // OpenGL, so it runs once the context is current.
    resizePending_ = true;
}

void TSglPanel::Restore3dfxSize()
{
    if (!resized3dfx_)
        return;
    resized3dfx_ = false;
    SetWindowPos(window_, nullptr, saved3dfx_.left, saved3dfx_.top,
                 saved3dfx_.right - saved3dfx_.left, saved3dfx_.bottom - saved3dfx_.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window itself, unless another driver set its pixel format: that
// format is the other driver's index and cannot change, so this driver
// draws on a child covering the window and chooses from its own list.
bool TSglPanel::OpenDrawingDc()
{
    if (!drawing_) {
        dc_ = GetDC(window_);
        if (!dc_)
            return false;
        dcWindow_ = window_;
        if (GetPixelFormat(dc_) == 0 || lstrcmpiA(windowFormatDriver_, driver_) == 0)
            return true;
        ReleaseDrawingDc();
        if (!MakeDrawingWindow())
            return false;
    }
    FitDrawingWindow();
    dc_ = GetDC(drawing_.Get());
    dcWindow_ = drawing_.Get();
    return dc_ != nullptr;
}

bool TSglPanel::MakeDrawingWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC; // as OpenGL wants
    wc.lpfnWndProc = &DrawingProc;
    wc.hInstance = instance;
    wc.lpszClassName = kDrawingClass;
    RegisterClassExA(&wc); // already there from an earlier child: fine
    drawing_.Reset(CreateWindowExA(0, kDrawingClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                   0, 0, Width(), Height(), window_, nullptr, instance, nullptr));
    if (!drawing_) {
        GLError("Error creating the drawing window");
        return false;
    }
    ScrDebug(tlUsr, "TSglPanel: the window's pixel format belongs to %s; %s draws on a child",
             windowFormatDriver_[0] ? windowFormatDriver_ : "another driver", driver_);
    return true;
}

void TSglPanel::FitDrawingWindow()
{
    if (drawing_)
        SetWindowPos(drawing_.Get(), nullptr, 0, 0, Width(), Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSglPanel::ReleaseDrawingDc()
{
    if (dc_)
        ReleaseDC(dcWindow_, dc_);
    dc_ = nullptr;
    dcWindow_ = nullptr;
}

bool TSglPanel::CreateContext()
{
    if (!sglLibrary() && !sglLoadLibrary(driver_)) {
        char text[1024];
        FormatText(text, sizeof text, "Error loading library %s", driver_);
        GLError(text);
        return false;
    }
    int format = GetPixelFormat(dc_);
    if (format == 0) {
        // A window takes one pixel format for life; a window that already
        // has one (set by this driver) keeps it.
        int colorBits = requested_[2];
        int depthBits = glDepth;
        int doubleBuffer = glDblBuff;
        int acceleration = glAcc;
        format = sglChoosePixelFormatEx(dc_, &colorBits, &depthBits, &doubleBuffer, &acceleration);
        if (events_)
            format = events_->SglPanelPixelFormat(*this, dc_, format);
        if (format == 0) {
            GLError("ChoosePixelFormat failed");
            return false;
        }
        PIXELFORMATDESCRIPTOR pfd;
        if (!sglDescribePixelFormat(dc_, format, sizeof pfd, &pfd) ||
            !sglSetPixelFormat(dc_, format, &pfd)) {
            GLError("SetPixelFormat failed");
            return false;
        }
        if (dcWindow_ == window_)
            CopyText(windowFormatDriver_, sizeof windowFormatDriver_, driver_);
        ScrDebug(tlUsr, "TSglPanel: pixel format %d: %d colour bits, %d depth bits, double %d, "
                 "hardware %d", format, colorBits, depthBits, doubleBuffer, acceleration);
    }
    context_ = sglCreateContext(dc_);
    if (!context_) {
        char error[512];
        GetSystemErrorText(error, sizeof error);
        char text[1024];
        FormatText(text, sizeof text, "Error creating context: %s", error);
        GLError(text);
        return false;
    }
    sglMakeCurrent(dc_, context_);
    // Where the driver can wait for the refresh, a swap does.
    bool swapControl = sglSwapInterval(ScrSwapInterval());
    swapSynchronised_ = swapControl && ScrSwapInterval() > 0;
    ScrDebug(tlUsr, "TSglPanel: swap interval %d %s", ScrSwapInterval(),
             swapControl ? "set" : "not offered by the driver");
    if (hasColor)
        sglClearColor(GetRValue(Color) / 255.0f, GetGValue(Color) / 255.0f,
                      GetBValue(Color) / 255.0f, 0.0f);
    return true;
}

void TSglPanel::InvalidateGLHandle()
{
    if (context_) {
        sglMakeCurrent(nullptr, nullptr);
        sglDeleteContext(context_);
        context_ = nullptr;
    }
    swapSynchronised_ = false;
    ReleaseDrawingDc();
    ExitMode();
    ResetScreenMode();
}

void TSglPanel::Paint()
{
    if (!GLHandleNeeded())
        return;
    sglMakeCurrent(dc_, context_);
    if (events_)
        events_->SglPanelGLPaint(*this);
}

void TSglPanel::SwapBuffers()
{
    if (!context_)
        return;
    ++frames_;
    if (ScrTraceFileActive() && IsTracedFrame(frames_))
        TraceFrame();
    sglSwapBuffers(dc_);
    if (swapObserver_)
        swapObserver_(swapContext_);
}

void TSglPanel::TraceFrame()
{
    int width = Width();
    int height = Height();
    if (width <= 0 || height <= 0)
        return;
    const int kMaxSide = 2048;
    width = width > kMaxSide ? kMaxSide : width;
    height = height > kMaxSide ? kMaxSide : height;
    SIZE_T bytes = static_cast<SIZE_T>(width) * static_cast<SIZE_T>(height) * 4;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[bytes]);
    if (!block)
        return;
    BYTE* pixels = block.get();
    sglPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (sglReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels)) {
        // FNV-1a over the colour bytes; "lit" counts pixels that are not black.
        DWORD checksum = 2166136261u;
        unsigned long lit = 0;
        for (SIZE_T i = 0; i < bytes; i += 4) {
            for (int k = 0; k < 3; ++k)
                checksum = (checksum ^ pixels[i + k]) * 16777619u;
            if (pixels[i] | pixels[i + 1] | pixels[i + 2])
                ++lit;
        }
        ScrDebug(tlUsr, "frame %lu size %dx%d lit %lu checksum %08lx", frames_, width, height,
                 lit, static_cast<unsigned long>(checksum));
    }
}

void TSglPanel::EnterMode()
{
    if (entered_)
        return;
    entered_ = true;
    if (!GetPropA(window_, kSubclassProp)) {
        WNDPROC old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC));
        SetPropA(window_, kSubclassProp, this);
        SetPropA(window_, kOldProcProp, reinterpret_cast<HANDLE>(old));
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
        subclassed_ = true;
    }
    if (sglUses3dfxStyle())
        ClipMouse();
}

void TSglPanel::ExitMode()
{
    if (!entered_)
        return;
    entered_ = false;
    UnclipMouse();
    Restore3dfxSize();
    if (!subclassed_)
        return;
    subclassed_ = false;
    WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(window_, kOldProcProp));
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC)) == &SubclassProc)
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(window_, kSubclassProp);
    RemovePropA(window_, kOldProcProp);
}

LRESULT CALLBACK TSglPanel::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TSglPanel* panel = static_cast<TSglPanel*>(GetPropA(window, kSubclassProp));
    WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProp));
    if (!panel || !old)
        return DefWindowProcA(window, message, wParam, lParam);
    return panel->HandleSubclassed(message, wParam, lParam, old);
}

LRESULT TSglPanel::HandleSubclassed(UINT message, WPARAM wParam, LPARAM lParam, WNDPROC old)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // OpenGL covers the whole window
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window_, &ps);
        Paint();
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_SIZE:
        FitDrawingWindow();
        if (events_ && context_)
            events_->SglPanelResize(*this);
        break;
    case WM_NCDESTROY:
        // The window goes: leave it with its own procedure first.
        InvalidateGLHandle();
        return CallWindowProcA(old, window_, message, wParam, lParam);
    default:
        break;
    }
    return CallWindowProcA(old, window_, message, wParam, lParam);
}

bool TSglPanel::ChangeScreenMode()
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (requested_[0] != -1) {
        mode.dmPelsWidth = static_cast<DWORD>(requested_[0]);
        mode.dmFields |= DM_PELSWIDTH;
    }
    if (requested_[1] != -1) {
        mode.dmPelsHeight = static_cast<DWORD>(requested_[1]);
        mode.dmFields |= DM_PELSHEIGHT;
    }
    if (requested_[2] != -1) {
        mode.dmBitsPerPel = static_cast<DWORD>(requested_[2]);
        mode.dmFields |= DM_BITSPERPEL;
    }
    LONG tested = ChangeDisplay(&mode, CDS_TEST);
    if (tested != DISP_CHANGE_SUCCESSFUL) {
        ScrDebug(tlUsr, "TSglPanel: display mode %dx%dx%d refused (%ld); keeping the current one",
                 requested_[0], requested_[1], requested_[2], tested);
        return false;
    }
    if (ChangeDisplay(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
        return false;
    modeChanged_ = true;
    for (int i = 0; i < 3; ++i)
        current_[i] = requested_[i];
    // The primary monitor changed size, and with it the virtual screen.
    scr::ScreenRect area = ScrFullScreenArea();
    SetWindowPos(window_, nullptr, area.left, area.top, area.width, area.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ScrDebug(tlUsr, "TSglPanel: display mode %dx%dx%d set", requested_[0], requested_[1],
             requested_[2]);
    return true;
}

void TSglPanel::ResetScreenMode()
{
    if (!modeChanged_)
        return;
    ChangeDisplay(nullptr, 0);
    modeChanged_ = false;
    for (int i = 0; i < 3; ++i)
        current_[i] = -1;
}

void TSglPanel::ClipMouse()
{
    if (clipped_)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (screenWidth > 0 && screenHeight > 0)
        SetCursorPos(MulDiv(cursor.x, Width(), screenWidth), MulDiv(cursor.y, Height(), screenHeight));
    GetClipCursor(&savedClip_);
    RECT panel;
    GetWindowRect(window_, &panel);
    ClipCursor(&panel);
    clipped_ = true;
}

void TSglPanel::UnclipMouse()
{
    if (!clipped_)
        return;
    ClipCursor(&savedClip_);
    clipped_ = false;
}
