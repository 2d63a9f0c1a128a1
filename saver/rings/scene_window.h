// The Orbelle scene on a plain window of its own, drawn on demand: fixed
// frames for the reference-image test and the frame benchmark. Not part of
// the saver; those programs compile it with orbelle_scene.cpp.
#pragma once
#include <windows.h>

#include "saver/framework/panel.h"
#include "saver/rings/orbelle_scene.h"

// A visible popup window at the top left corner, with its own device
// context (CS_OWNDC, as OpenGL wants); null when it cannot be made.
HWND MakeSceneWindow(int width, int height);

// Owns nothing: hands a panel's events to the scene. Paint draws one frame,
// lets FrameDrawn look at the back buffer, then swaps.
class TSceneWindowOwner : public TSglPanelEvents {
public:
    explicit TSceneWindowOwner(TOrbelleScene& scene) : scene_(scene) {}
    void SglPanelGLInit(TSglPanel& panel) override;
    void SglPanelGLPaint(TSglPanel& panel) override;
    void SglPanelGLError(TSglPanel& panel, const char* text) override;
    // The frame is in the back buffer and not yet swapped.
    virtual void FrameDrawn(TSglPanel&) {}
    // The panel's last error, empty when none.
    const char* Error() const { return error_; }

private:
    TOrbelleScene& scene_;
    char error_[256] = "";
};
