#include "saver/framework/saverform.h"

#include <new>

#include "saver/framework/control.h"
#include "saver/framework/trace.h"

namespace {
const UINT_PTR kFrameTimer = 1;
}

TSaverForm::TSaverForm(TScrMode kind)
    : TScrForm(kind), panel_(nullptr, this), scene_(CreateScrScene(kind))
{
}

TSaverForm::~TSaverForm()
{
    if (Handle() && timerSet_)
        KillTimer(Handle(), kFrameTimer);
    panel_.InvalidateGLHandle();
    if (Handle())
        DestroyWindow(Handle());
    scene_.reset();
}

TScrForm* TSaverForm::Make(TScrMode kind)
{
    return new (std::nothrow) TSaverForm(kind);
}

LRESULT TSaverForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        Created();
        return 0;
    case WM_ERASEBKGND:
        // OpenGL covers the window; without a context it stays black.
        return panel_.Context() ? 1 : TScrForm::HandleMessage(message, wParam, lParam);
    case WM_PAINT:
        PaintFirstFrame();
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer)
            Tick();
        return 0;
    case WM_DESTROY:
        if (timerSet_)
            KillTimer(Handle(), kFrameTimer);
        timerSet_ = false;
        panel_.InvalidateGLHandle();
        break;
    default:
        break;
    }
    return TScrForm::HandleMessage(message, wParam, lParam);
}

void TSaverForm::Created()
{
    panel_.Attach(Handle());
    panel_.SetSceneOnPrimary(IsFullScreen());
    if (scene_)
        scene_->Configure(panel_, Kind());
    unsigned interval = scene_ ? scene_->TimerInterval() : 0;
    if (interval)
        timerSet_ = SetTimer(Handle(), kFrameTimer, interval, nullptr) != 0;
    ScrDebug(tlUsr, "TSaverForm: created as %s, driver %s", ScrModeName(Kind()), panel_.glDriver());
}

// A dialog over the full-screen saver (the password box) must be seen: a
// full-screen-only driver such as a 3dfx one would hide it, so the panel
// changes to the system's OpenGL for the dialog's time.
void TSaverForm::ScrBeginDialog()
{
    TScrForm::ScrBeginDialog();
    if (IsFullScreen())
        panel_.SetglDriver("OPENGL32.DLL");
}

// Back to the chosen driver and display mode, unless the saver is closing.
void TSaverForm::ScrEndDialog(bool closing)
{
    TScrForm::ScrEndDialog(closing);
    if (closing || !IsFullScreen())
        return;
    if (scene_)
        scene_->Configure(panel_, Kind());
    ShowWindow(Handle(), SW_SHOW);
}

// Until the panel has subclassed the window, its first frame starts here.
void TSaverForm::PaintFirstFrame()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    panel_.Paint();
    if (!panel_.Context())
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(Handle(), &ps);
}

void TSaverForm::Tick()
{
    if (!ScrCheckPreviewHost())
        return;
    if (!scene_ || scene_->Timer())
        InvalidateRect(Handle(), nullptr, FALSE);
}

// Without a context every frame would only paint black again: the window
// paints when the system asks and the saver still closes on input.
void TSaverForm::StopFrames()
{
    if (timerSet_)
        KillTimer(Handle(), kFrameTimer);
    timerSet_ = false;
    if (scene_)
        scene_->StopFrames();
    ScrDebug(tlUsr, "TSaverForm: no OpenGL context; frames stopped");
}

void TSaverForm::SglPanelGLError(TSglPanel&, const char*)
{
    StopFrames();
}

void TSaverForm::SglPanelGLInit(TSglPanel& panel)
{
    scr::ScreenRect scene = panel.SceneViewport();
    ScrDebug(tlUsr, "TSaverForm: OpenGL ready, %dx%d, scene %dx%d at %d,%d", panel.Width(),
             panel.Height(), scene.width, scene.height, scene.left, scene.top);
    RenewStartPosition();
    if (scene_)
        scene_->GLInit(panel);
}

void TSaverForm::SglPanelGLPaint(TSglPanel& panel)
{
    if (scene_)
        scene_->GLPaint(panel);
}

void TSaverForm::SglPanelResize(TSglPanel& panel)
{
    if (scene_)
        scene_->Resize(panel);
}
