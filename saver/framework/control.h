// TScrControl: the one controller of the saver process. It parses the
// command line, keeps the hidden application window, and runs the mode.
#pragma once
#include <windows.h>

#include <memory>

#include "common/owners.h"
#include "saver/framework/cmdline.h"

class TScrForm;
class TScrDialog;

enum TScrDebugLevel : unsigned char { dlCompact = 0, dlFull = 1, dlFullTopmost = 2, dlRelease = 3 };

enum TScrControlOption : unsigned {
    scoHandleInput = 1u << 0,
    scoHandlePanelsAlso = 1u << 1,
    scoAboutMenuItem = 1u << 2,
    scoCheckActivePassword = 1u << 3,
    scoActiveDragging = 1u << 4,
};

// Form classes by name: the program registers a factory for each name it
// uses; the controller looks FormFullScreen, FormPreview and FormConfig up.
using TScrFormFactory = TScrForm* (*)(TScrMode kind);
using TScrDialogFactory = TScrDialog* (*)(TScrMode kind);
void ScrRegisterFormClass(const char* name, TScrFormFactory factory);
void ScrRegisterDialogClass(const char* name, TScrDialogFactory factory);
TScrForm* ScrCreateForm(const char* name, TScrMode kind);
TScrDialog* ScrCreateDialog(const char* name, TScrMode kind);

// The private message that starts the mode once the owner object is ready.
const UINT WM_SCR_EXECUTE = WM_APP;

class TScrControl {
public:
    // Parses the command line (null: GetCommandLineA) and posts the start
    // message.
    explicit TScrControl(const char* commandLine = nullptr);
    ~TScrControl();
    TScrControl(const TScrControl&) = delete;
    TScrControl& operator=(const TScrControl&) = delete;

    // Whether this object is the process's controller (a second one is not).
    bool Valid() const { return valid_; }

    TScrDebugLevel DebugLevel = dlFull;
    unsigned Options = 0;
    // Called by Execute before the mode runs: the program prepares the
    // shared screen-saver values there. May stay null.
    void (*PrepareValues)() = nullptr;
    // Form class names; empty where the program has none.
    const char* FormFullScreen = "";
    const char* FormPreview = "";
    const char* FormConfig = "";

    // Runs the application's message loop until Terminate; returns the exit code.
    int Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    HWND ApplicationWindow() const { return appWindow_; }
    bool HasOption(TScrControlOption option) const { return (Options & option) != 0; }

    void Execute();
    void PerformFull();
    // The "/p" preview: a proxy child of parent holds the saver window, and
    // the run ends with the proxy.
    void PerformPreview(HWND parent);
    // The configuration dialog's own preview inside parent, the caller's to
    // keep; null when it cannot be made.
    std::unique_ptr<TScrForm> CreateConfigPreview(HWND parent);
    void PerformConfig(HWND parent, bool active, int x, int y, bool flag);
    void PerformChangePassword(HWND parent);
    // The password check of a closing full-screen saver: true passes.
    bool VerifyScreenSavePassword(HWND saver);

private:
    static LRESULT CALLBACK AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateApplicationWindow();
    void CreateProxy(HWND parent);
    std::unique_ptr<TScrForm> CreatePreviewForm(HWND parent, HWND host, TScrMode kind);
    void EndSaver();
    void EndRun();
    bool FirstFullScreen();

    bool valid_ = false;
    bool terminated_ = false;
    bool screenSaverRunningSet_ = false;
    KernelHandle fullScreenMutex_; // held while this process runs full screen
    HWND appWindow_ = nullptr;
    HWND proxy_ = nullptr;
    std::unique_ptr<TScrForm> saver_; // gScrSaver while it runs
};

// Process-wide state, set once by the parser.
extern TScrMode gScrMode;
extern HWND gScrHWnd;
extern TScrControl* gScrControl;
extern TScrForm* gScrSaver; // the controller's saver window, not an owner
extern TScrDialog* gScrConfig;

// A "/p" preview whose host window has gone (its process ended or was
// killed, so no destroy message came) ends the run: false then. True in
// every other case. For the saver window's timer events.
bool ScrCheckPreviewHost();

// The password check of a closing saver on the Windows 95 family; tests
// replace it. Null restores "PASSWORD.CPL"'s VerifyScreenSavePwd.
using TScrPasswordVerifier = bool (*)(HWND saver);
void ScrSetPasswordVerifier(TScrPasswordVerifier verifier);

// Finds or starts the external preview host; its first child window, or null
// after telling the user why not.
HWND CheckForLumidex();
