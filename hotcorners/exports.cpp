// The module's exports. The command entries have rundll32's shape: the
// host's window, its instance, the command text and a show command.
#include "hotcorners/entries.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/service.h"
#include "hotcorners/service_client.h"
#include "hotcorners/shared_block.h"

// Runs the corner watch service until it ends; a second one ends at once.
extern "C" void CALLBACK RunService(HWND caller, HINSTANCE, LPSTR, int)
{
    if (!CheckDirectory(caller))
        return;
    SetTitle(caller);
    bool com = EnterCom();
    ServiceMain();
    if (com)
        CoUninitialize();
}

// For the screen saver: 1 while a corner watch service runs in any process.
extern "C" DWORD WINAPI System_Agent_Detect()
{
    // The saver's settings ask first: a service that was killed holding
    // screen saving off gives it back here at the latest.
    return ServiceRunsElseGiveBack() ? 1 : 0;
}

// For the screen saver, after it changed "Mouse Corners".
extern "C" void WINAPI Screen_Saver_Changed()
{
    HintCheckCorners(nullptr);
    GiveBackSaverSwitch();
}
