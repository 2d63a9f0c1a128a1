// TScrDialog: the base of the saver's dialogs (the configuration dialog).
// Modal over its owner, with the "&About..." system-menu item.
#pragma once
#include <windows.h>

#include "saver/framework/cmdline.h"

// System-menu command of the "&About..." item.
const UINT kScrAboutCommand = 0xDAC;

class TScrDialog {
public:
    // templateName: the dialog resource of the program.
    TScrDialog(TScrMode kind, const char* templateName);
    virtual ~TScrDialog() = default;
    TScrDialog(const TScrDialog&) = delete;
    TScrDialog& operator=(const TScrDialog&) = delete;

    // Runs the dialog modally for the window it was created for; suggestion
    // (screen coordinates, may be null) becomes the dialog's centre. IDOK
    // saves the setting values; IDCANCEL in an active configuration reloads
    // them. Returns the dialog's result (IDOK, IDCANCEL, or -1 on failure).
    INT_PTR ShowModalEx(HWND parent, const POINT* suggestion);
    HWND Handle() const { return window_; }
    TScrMode Kind() const { return kind_; }

protected:
    virtual void InitDialog() {}
    // The default ends the dialog on IDOK and IDCANCEL.
    virtual bool Command(WORD id, WORD code);
    // Anything else; return TRUE when handled (DWLP_MSGRESULT as needed).
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void SaveValues() {}
    virtual void ReloadValues() {}
    virtual void ShowAbout();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise();
    void AddAboutItem();
    void Place();
    bool RefuseDeactivation(HWND activated) const;

    TScrMode kind_;
    const char* template_;
    HWND window_ = nullptr;
    POINT suggestion_ = {};
    bool hasSuggestion_ = false;
};
