// The UI robot: finds another process's windows as a user would see them,
// reads their texts, presses their buttons and sends real input. Every wait
// has a time-out.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace robot {

// A started program.
struct Child {
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Starts commandLine; environment, when not empty, replaces the child's
// environment ("NAME=value" entries). Returns a child with a null process on
// failure.
Child Start(const std::string& commandLine, const std::vector<std::string>& environment = {});
// Waits for the child's end and returns its exit code, or STILL_ACTIVE
// (259) after timeoutMs. Closes nothing.
DWORD WaitExit(const Child& child, DWORD timeoutMs);
// Lets the child finish what it is drawing: waits until it is idle for
// input, then a little more for the X server to show it.
void Settle(const Child& child, DWORD extraMs = 500);
// Ends a child that is still running, and closes its handle.
void Finish(Child& child);

// A visible top-level window of the class and caption (null matches any),
// belonging to processId (0: any process).
HWND FindTopWindow(const char* className, const char* caption, DWORD processId = 0);
HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs,
                   DWORD processId = 0);
// A dialog box ("#32770") with the caption.
HWND WaitForDialog(const char* caption, DWORD timeoutMs, DWORD processId = 0);
bool WaitUntilGone(HWND window, DWORD timeoutMs);
// Every visible top-level window of the process.
std::vector<HWND> TopWindows(DWORD processId);

std::string Text(HWND window);
std::string ClassName(HWND window);
std::string ItemText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
// Texts of the dialog's static text controls, in z-order.
std::vector<std::string> StaticTexts(HWND dialog);

// The texts of a dialog's visible static texts, buttons, check boxes and
// group boxes that do not fit their controls when drawn in the font face at
// points (the template's font, at the screen's DPI as this process sees
// it), each with the control's id. A caller that checks a scaled display
// must be DPI-aware itself.
std::vector<std::string> TextsThatDoNotFit(HWND dialog, const char* face, int points);
// The screen's dots per inch, as this process sees them.
int ScreenDpi();
// Texts one to a line, each indented, for a failure message.
std::string Lines(const std::vector<std::string>& texts);

// Presses a button as a click would (BM_CLICK), checks and unchecks
// automatic check boxes included.
bool Press(HWND dialog, int id);
bool SysCommand(HWND window, WPARAM command);

// A message box as the user sees it.
struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // ids of its push buttons
};
MessageBoxView ReadMessageBox(HWND box);
// Waits for a message box of the process with the caption.
MessageBoxView WaitForMessageBox(const char* caption, DWORD timeoutMs, DWORD processId = 0);
// The icon a message box shows, told by its colours on screen as a user
// tells them: "none" (no icon), "red" (error), "blue" (information or
// question), "yellow" (warning), or "unknown" while it is not drawn yet.
std::string MessageBoxIcon(HWND box);

// Real keyboard and mouse input, to the foreground window.
void BringToFront(HWND window);
void SendKey(HWND window, WORD virtualKey);
// A click at a point of window's client area, with modifier keys held
// (VK_SHIFT, VK_CONTROL).
void Click(HWND window, POINT client, const std::vector<WORD>& modifiers = {}, bool right = false);
// Moves the mouse to a screen position with real input; true once the
// cursor stands exactly there.
bool MoveMouse(POINT screen, DWORD timeoutMs = 1000);
// Chooses the item at index of the popup menu on screen, by keyboard.
bool ChooseMenuItem(int index, DWORD timeoutMs);

// The screen as the X display shows it.
COLORREF ScreenPixel(int x, int y);
// A rectangle of the screen as top-down RGB bytes (empty on failure).
std::vector<unsigned char> ScreenRgb(int x, int y, int width, int height);
// Every monitor's pixels (the virtual screen).
bool Screenshot(const std::string& pngPath);
// The client area of a window (e.g. a top-level OpenGL window).
bool WindowShot(HWND window, const std::string& pngPath);
// True once the screen under window's client area shows a picture that
// moves: black background and lit pixels, and at least ten pixels that
// change within 0.3 s (a saver's rings turning), before timeoutMs passes.
bool ShowsMovingPicture(HWND window, DWORD timeoutMs);

// Polls predicate every 10 ms until it holds or timeoutMs passes.
template <typename Predicate> bool WaitFor(Predicate predicate, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (predicate())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

} // namespace robot
