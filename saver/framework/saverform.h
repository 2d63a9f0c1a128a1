// TSaverForm: the saver window of full-screen and preview modes. It holds
// the OpenGL panel on its own window and the program's scene (scene.h).
#pragma once
#include <memory>

#include "saver/framework/form.h"
#include "saver/framework/panel.h"
#include "saver/framework/scene.h"

class TSaverForm : public TScrForm, private TSglPanelEvents {
public:
    explicit TSaverForm(TScrMode kind);
    ~TSaverForm() override;
    const char* ClassName() const override { return "TSaverForm"; }
    TSglPanel& Panel() { return panel_; }
    // Dialogs over the full-screen saver run on the system's OpenGL.
    void ScrBeginDialog() override;
    void ScrEndDialog(bool closing) override;

    static TScrForm* Make(TScrMode kind);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SglPanelGLInit(TSglPanel& panel) override;
    void SglPanelGLPaint(TSglPanel& panel) override;
    void SglPanelResize(TSglPanel& panel) override;
    void SglPanelGLError(TSglPanel& panel, const char* text) override;
    void Created();
    void PaintFirstFrame();
    void Tick();
    void StopFrames();

    TSglPanel panel_;
    std::unique_ptr<TScrScene> scene_;
    bool timerSet_ = false;
};
