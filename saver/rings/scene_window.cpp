#include "saver/rings/scene_window.h"

#include "common/text.h"

namespace {

const char kClassName[] = "OrbelleSceneWindow";

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND MakeSceneWindow(int width, int height)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    // A second window finds the class already there; that is fine.
    RegisterClassExA(&wc);
    return CreateWindowExA(0, kClassName, "Orbelle", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, instance, nullptr);
}

void TSceneWindowOwner::SglPanelGLInit(TSglPanel& panel)
{
    scene_.GLInit(panel);
}

void TSceneWindowOwner::SglPanelGLPaint(TSglPanel& panel)
{
    scene_.DrawFrame();
    FrameDrawn(panel);
    panel.SwapBuffers();
}

void TSceneWindowOwner::SglPanelGLError(TSglPanel&, const char* text)
{
    CopyText(error_, sizeof error_, text ? text : "");
}
