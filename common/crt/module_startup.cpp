// The entry point of the shipped library: its static objects are made when a
// process loads it and destroyed when it goes, around the library's DllMain.
// The x87 is the host process's and is left as it is.
#include <windows.h>

#include "common/crt/exit_list.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        RunStaticConstructors();
        if (!DllMain(module, reason, reserved)) {
            RunExitFunctions();
            return FALSE;
        }
        return TRUE;
    }
    BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH)
        RunExitFunctions();
    return result;
}
