// The entry point of each shipped program: no C library beneath it, so that
// the programs load on a Windows 95 that has no MSVCRT.DLL, and nothing in
// them was compiled for a newer processor than ours. Static objects are made
// before WinMain and destroyed after it; the process ends with its result.
#include <windows.h>

#include "common/crt/command_line.h"
#include "common/crt/exit_list.h"

namespace {

int ShowCommand()
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace

extern "C" void WinMainCRTStartup()
{
    // The x87 as the compiler's own start-up leaves it: every exception
    // masked, 64-bit precision for long double (decimal.cpp counts on it).
    asm volatile("fninit");
    RunStaticConstructors();
    char* arguments = const_cast<char*>(SkipProgramName(GetCommandLineA()));
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, arguments, ShowCommand());
    RunExitFunctions();
    ExitProcess(static_cast<UINT>(result));
}
