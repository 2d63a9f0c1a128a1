// TScrForm: the saver window's rules. What ends a full-screen saver, which
// messages it refuses, how closing asks for the password, how input on child
// windows is caught, and how its destruction ends the process.
#pragma once
#include <windows.h>

#include "saver/framework/cmdline.h"

class TScrForm {
public:
    explicit TScrForm(TScrMode kind);
    virtual ~TScrForm();
    TScrForm(const TScrForm&) = delete;
    TScrForm& operator=(const TScrForm&) = delete;

    // Creates the window of class ClassName(); false on failure.
    bool Create(HWND parent, int x, int y, int width, int height, DWORD style, DWORD exStyle);
    HWND Handle() const { return window_; }
    TScrMode Kind() const { return kind_; }
    bool IsFullScreen() const { return kind_ == smSFull; }
    virtual const char* ClassName() const = 0;

    // Input rules; false: the message is not to be passed on.
    bool CommonWndProc(UINT message, WPARAM wParam, LPARAM lParam);
    void DoScrAction();
    bool TestRequirePassword();
    bool VerifyPassword();
    void Close();
    bool CloseQuery();
    // The active configuration at a screen position (none in this program).
    virtual void ActiveConfig(int x, int y, bool flag);
    virtual void ScrBeginDialog();
    virtual void ScrEndDialog(bool closing);
    void ParentNotifyCheck(UINT event, HWND child);
    bool InDialog() const { return inDialog_; }

    // Shared screen-saver values this window uses (read at creation).
    int MouseThreshold() const { return mouseThreshold_; }

protected:
    // The ordinary handling after the rules; the base gives DefWindowProcA.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes the cursor's position as the start again: a 3dfx panel moves
    // the cursor into itself when it takes the screen, and that is no
    // user's movement.
    void RenewStartPosition() { GetCursorPos(&start_); }

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ChildWatchProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool ApplyRules(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    bool SysCommandRule(WPARAM command);
    void PerformAction(int action);
    bool RunsInput() const;
    void HandleMouseMove();
    void HandleRightButton(LPARAM lParam);
    void RecordStart();
    void ReadSharedValues();
    void Destroyed();

    TScrMode kind_;
    HWND window_ = nullptr;
    POINT start_ = {};
    DWORD startTime_ = 0;
    DWORD ignoreUntil_ = 0;
    int swallow_ = 0;
    bool inDialog_ = false;
    int pendingAction_ = 0; // 0 none, 1 close, 2 active configuration
    POINT actionAt_ = {};
    UINT scrMessage_ = 0;   // "Glimmex_msg"
    int depth_ = 0;         // messages being handled
    int mouseThreshold_ = 100;
    int passwordDelay_ = 30;
};

// Whether the system is of the NT family, which guards a running saver
// itself; tests replace the check. Null restores the system's answer.
using TScrFamilyCheck = bool (*)();
void ScrSetFamilyCheck(TScrFamilyCheck check);

// Trace-friendly name of a window message.
const char* ScrMessageName(UINT message);
