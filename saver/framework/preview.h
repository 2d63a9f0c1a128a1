// TScrPreview: the live-preview control of the configuration dialog, a child
// window of class "TScrPreview" that holds a saver window of kind smSPConfig
// (or, when a saver already runs, the plain default preview window).
#pragma once
#include <windows.h>

#include <memory>

#include "saver/framework/form.h"

class TScrPreview {
public:
    TScrPreview() = default;
    ~TScrPreview();
    TScrPreview(const TScrPreview&) = delete;
    TScrPreview& operator=(const TScrPreview&) = delete;

    // Takes over an existing child window (e.g. a dialog's static control)
    // as the preview's place, or creates one. With AutoPreview the preview
    // starts at once.
    bool Create(HWND parent, int x, int y, int width, int height);
    HWND Handle() const { return window_; }

    bool AutoPreview = true;
    bool PreviewPresent() const { return form_ != nullptr || defaultWindow_ != nullptr; }
    void SetPreviewPresent(bool present);
    void CreatePreview();
    // Sends WM_CLOSE to the first child window.
    void RemovePreview();

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND window_ = nullptr;
    std::unique_ptr<TScrForm> form_;
    HWND defaultWindow_ = nullptr;
};

// The fallback preview: a child window of class "ScrDefaultPreviewWindowClass"
// that paints the application icon centred. With endsRun its destruction ends
// the application.
HWND CreateDefaultPreviewWindow(HWND parent, bool endsRun);
