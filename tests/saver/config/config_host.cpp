// Runs the configuration dialog as its own program, named orbelle.exe so that
// its settings live where the saver's do; the exit code is the dialog's result.
#include <windows.h>

#include "saver/config/configform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TConfigForm form(smCRegular);
    return static_cast<int>(form.ShowModalEx(nullptr, nullptr));
}
