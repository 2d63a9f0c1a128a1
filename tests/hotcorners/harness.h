// What the hot-corners tests under Wine share: the module installed in the
// Windows directory, services started through rundll32, the peer probe,
// the corner setting and the screen-saver switch as stored.
#pragma once
#include <windows.h>

#include <string>

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

} // namespace hc
