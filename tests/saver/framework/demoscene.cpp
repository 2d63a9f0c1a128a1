// A small scene on the framework alone: three tilted rings of coloured
// segments under a slowly moving camera, paced by the window's timer. The
// framework's tests draw it to prove the panel, the frame timer, the sgl
// layer and the buffer swap without the ring animation.
#include <windows.h>

#include <cmath>
#include <new>

#include "saver/framework/panel.h"
#include "saver/framework/scene.h"
#include "saver/framework/sgl.h"

namespace {

const float kPi = 3.14159265f;
const int kSegments = 48;

class TDemoScene : public TScrScene {
public:
    // Full screen, the driver named by ORBELLE_DEMO_DRIVER when a test sets
    // it, as the saver's own scene takes the user's.
    void Configure(TSglPanel& panel, TScrMode kind) override
    {
        char driver[MAX_PATH] = "";
        DWORD length = GetEnvironmentVariableA("ORBELLE_DEMO_DRIVER", driver, sizeof driver);
        bool named = kind == smSFull && length > 0 && length < sizeof driver;
        panel.SetglDriver(named ? driver : "OPENGL32.DLL");
    }

    void GLInit(TSglPanel& panel) override
    {
        sglClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        sglShadeModel(GL_SMOOTH);
        sglEnable(GL_BLEND);
        sglBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        Resize(panel);
    }

    void Resize(TSglPanel& panel) override
    {
        int width = panel.Width() > 0 ? panel.Width() : 1;
        int height = panel.Height() > 0 ? panel.Height() : 1;
        sglViewport(0, 0, width, height);
        sglMatrixMode(GL_PROJECTION);
        sglLoadIdentity();
        double aspect = static_cast<double>(width) / height;
        sgluPerspective(90.0 / aspect, aspect, 0.001, 50.0);
        sglMatrixMode(GL_MODELVIEW);
    }

    void GLPaint(TSglPanel& panel) override
    {
        sglClear(GL_COLOR_BUFFER_BIT);
        sglMatrixMode(GL_MODELVIEW);
        sglPushMatrix();
        sglLoadIdentity();
        sgluLookAt(0.0, 0.6 * std::sin(phase_), 2.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        for (int ring = 0; ring < 3; ++ring)
            DrawRing(ring);
        sglPopMatrix();
        panel.SwapBuffers();
    }

    bool Timer() override
    {
        DWORD now = GetTickCount();
        if (last_ != 0)
            phase_ += 0.001f * static_cast<float>(now - last_);
        last_ = now;
        return true;
    }

private:
    void DrawRing(int ring)
    {
        float radius = 1.0f - 0.28f * static_cast<float>(ring);
        sglPushMatrix();
        sglRotatef(30.0f * static_cast<float>(ring) + 20.0f * phase_, 1.0f, 0.0f, 0.0f);
        sglRotatef((ring % 2 ? -40.0f : 40.0f) * phase_, 0.0f, 0.0f, 1.0f);
        sglBegin(GL_QUAD_STRIP);
        for (int k = 0; k <= kSegments; ++k) {
            float angle = 2.0f * kPi * static_cast<float>(k) / kSegments;
            float hue = static_cast<float>(k) / kSegments;
            sglColor4f(0.5f + 0.5f * std::cos(2.0f * kPi * hue),
                       0.5f + 0.5f * std::cos(2.0f * kPi * (hue + 0.33f)),
                       0.5f + 0.5f * std::cos(2.0f * kPi * (hue + 0.67f)), 0.8f);
            sglVertex3f(radius * std::cos(angle), radius * std::sin(angle), 0.0f);
            sglVertex3f(0.85f * radius * std::cos(angle), 0.85f * radius * std::sin(angle), 0.0f);
        }
        sglEnd();
        sglPopMatrix();
    }

    float phase_ = 0.0f;
    DWORD last_ = 0;
};

} // namespace

TScrScene* CreateScrScene(TScrMode)
{
    return new (std::nothrow) TDemoScene;
}
