// What the hot-corners tests under Wine share: the module installed in the
// Windows directory, services started through rundll32, the peer probe,
// the corner setting and the screen-saver switch as stored.
#pragma once
#include <windows.h>

#include <string>

#include "hotcorners/corners.h"
#include "robot.h"
#include "support.h"

namespace hc {

constexpr DWORD kStartTimeout = 30000;
constexpr DWORD kExitTimeout = 30000;
// Several ticks (500 ms each) on a loaded machine.
constexpr DWORD kTickTimeout = 15000;

// Copies the built quadrix.dll into the Windows directory (where it lives
// and where every process loads the same image, so the same shared block).
std::string InstallModule();
// "rundll32.exe <installed module>,<entry>".
robot::Child StartEntry(const char* entry);
// The service's window ("QuadrixService"), whichever process runs it.
HWND WaitForService(DWORD timeoutMs);
int CountServiceWindows();
// Closes a service as TerminateService does: WM_CLOSE, given 10 s to be
// answered (the service first tells its listeners). Nothing when the
// window is gone.
void SendClose(HWND service);
// The same, then the host's end: its exit code, or STILL_ACTIVE.
DWORD CloseService(HWND service, const robot::Child& host);
// Runs the peer probe with its arguments and returns its exit code.
DWORD Probe(const std::string& arguments);

// Moves the real pointer there (through a point nearby: under Wine a first
// absolute move straight to (0, 0) was seen to leave the X pointer where it
// was while this process already reported it there).
bool PointerTo(POINT screen);

// "Mouse Corners" as a REG_SZ of four codes and a zero.
void SetCornerCodes(const char* codes);
// HKCU\Control Panel\Desktop\ScreenSaveActive as stored ("" when absent).
std::string StoredSaverSwitch();
// FeedbackState (low word) and corner (high word) of the service, or -1.
long ServiceState(HWND service);

using support::PumpUntil;
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// The parts of a ServiceState answer.
inline long State(long answer) { return answer & 0xFFFF; }
inline long Corner(long answer) { return (answer >> 16) & 0xFFFF; }
// Until the service's FeedbackState is state; false at the time-out.
inline bool WaitForState(HWND service, long state, DWORD timeoutMs = kTickTimeout)
{
    return PumpUntil([&] { return State(ServiceState(service)) == state; }, timeoutMs);
}
// Until the stored screen-saver switch reads stored.
inline bool WaitForSwitch(const char* stored)
{
    return robot::WaitFor([&] { return StoredSaverSwitch() == stored; }, kTickTimeout);
}
// The middle of the primary screen: no corner.
constexpr POINT kMiddle = {512, 384};

} // namespace hc
