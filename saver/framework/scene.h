// The seam between the saver window and what it draws.
//
// TSaverForm owns one TScrScene for its whole life and calls it on its own
// (window) thread:
//   Configure  once, after the window exists and before any OpenGL: set the
//              panel's driver and display mode for the window's kind;
//   GLInit     once the context is current (state, textures, viewport,
//              projection);
//   Resize     when the window's size changes (viewport, projection);
//   GLPaint    for every frame: draw, then panel.SwapBuffers();
//   Timer      every TimerInterval() ms (a WM_TIMER); return true to have
//              the window repaint. An interval of 0 sets no timer: a scene
//              with its own pacing (a timer thread) repaints the window
//              itself with InvalidateRect(panel.Window(), nullptr, FALSE),
//              at most once per refresh (pacing.h), and calls
//              ScrCheckPreviewHost (control.h) on each of its events;
//   StopFrames when no context could be made: pace no more frames (the next
//              Configure starts again).
// Everything drawn goes through the sgl layer (saver/framework/sgl.h).
#pragma once
#include "saver/framework/cmdline.h"

class TSglPanel;

class TScrScene {
public:
    virtual ~TScrScene() = default;
    virtual void Configure(TSglPanel&, TScrMode) {}
    virtual void GLInit(TSglPanel& panel) = 0;
    virtual void Resize(TSglPanel&) {}
    virtual void GLPaint(TSglPanel& panel) = 0;
    virtual bool Timer() { return true; }
    virtual void StopFrames() {}
    virtual unsigned TimerInterval() const { return 10; }
};

// The program's scene for a window of the kind (smSFull, smSPMain,
// smSPConfig); defined once per program. Null: the window stays black.
TScrScene* CreateScrScene(TScrMode kind);
