// quadrix.dll: the hot-corners module. Each process that loads it opens the
// shared mutexes and registers the service window class.
#include "hotcorners/mutexes.h"
#include "hotcorners/picker.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/service.h"
#include "hotcorners/shared_block.h"

HINSTANCE gModule;

void AttachProcess(HINSTANCE module)
{
    gModule = module;
    RegisterServiceClass(module);
    LookUpCallerSession();
    // A mutex that cannot be made stays null; what needs it then fails softly.
    OpenSharedMutexes();
}

void DetachProcess()
{
    FreePickerResources();
    CloseSharedMutexes();
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(module);
        AttachProcess(module);
        break;
    case DLL_PROCESS_DETACH:
        DetachProcess();
        break;
    }
    return TRUE;
}
