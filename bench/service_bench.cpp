// The corner watch service's cost (scripts/bench.sh): the CPU time of a real
// service process over a minute of ticks with the pointer outside the
// corners, beside a process that runs only an empty 500 ms timer; and the
// time of one tick in-process, beside the system calls it is made of.
//   service_bench [SECONDS]      (default 60)
//   service_bench --idle-timer   the baseline process (ends after 10 minutes)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hotcorners/quadrix.h"

namespace {

constexpr int kTicks = 2000;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The CPU time of a program's main thread (the service's thread in its
// host); Wine gives no process times of other processes, but thread times.
double CpuSeconds(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](FILETIME f) {
        return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

int IdleTimer()
{
    SetTimer(nullptr, 1, 500, nullptr);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 600000 && GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// "/work/x" as Windows sees it: "Z:\work\x".
std::string WinPath(const char* unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

PROCESS_INFORMATION Start(std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    return process;
}

void Stop(PROCESS_INFORMATION& process)
{
    if (!process.hProcess)
        return;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

HWND WaitForServiceWindow()
{
    for (int i = 0; i < 600; ++i) {
        if (HWND service = FindWindowA(kServiceClass, kServiceClass))
            return service;
        Sleep(50);
    }
    return nullptr;
}

// CPU time of the service process and of the baseline over the same span.
bool MeasureProcesses(double seconds)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string module = std::string(windows) + "\\quadrix.dll";
    if (!CopyFileA(WinPath(QUADRIX_DLL).c_str(), module.c_str(), FALSE)) {
        std::printf("service bench: quadrix.dll could not be installed\n");
        return false;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SetCursorPos(512, 384);
    PROCESS_INFORMATION service = Start("rundll32.exe " + module + ",RunService");
    PROCESS_INFORMATION idle = Start(std::string("\"") + self + "\" --idle-timer");
    bool ok = WaitForServiceWindow() != nullptr && idle.hProcess;
    if (ok) {
        Sleep(3000); // past the start-up of both
        double start = Now();
        double serviceStart = CpuSeconds(service.hThread), idleStart = CpuSeconds(idle.hThread);
        Sleep(static_cast<DWORD>(seconds * 1000));
        double wall = Now() - start;
        double serviceCpu = CpuSeconds(service.hThread) - serviceStart;
        double idleCpu = CpuSeconds(idle.hThread) - idleStart;
        std::printf("%-30s %9s %12s %14s\n", "process", "wall s", "cpu ms", "% of one core");
        std::printf("%-30s %9.1f %12.1f %14.4f\n", "service (rundll32, RunService)", wall,
                    serviceCpu * 1000, 100 * serviceCpu / wall);
        std::printf("%-30s %9.1f %12.1f %14.4f\n", "empty 500 ms timer loop", wall,
                    idleCpu * 1000, 100 * idleCpu / wall);
    } else {
        std::printf("service bench: the service did not start\n");
    }
    Stop(service);
    Stop(idle);
    return ok;
}

template <typename Call> double MicrosecondsPer(Call call)
{
    call();
    double start = Now();
    for (int i = 0; i < kTicks; ++i)
        call();
    return (Now() - start) * 1e6 / kTicks;
}

// One tick (WM_TIMER to the service window, handled on this thread) and
// the calls it makes, each alone.
void MeasureTick()
{
    AttachProcess(GetModuleHandleA(nullptr));
    HWND service = CreateWindowExA(0, kServiceClass, kServiceClass, WS_OVERLAPPEDWINDOW, 0, 0,
                                   200, 150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!service) {
        std::printf("service bench: no service window in-process\n");
        return;
    }
    SetCursorPos(512, 384);
    POINT cursor;
    std::printf("\n%-44s %10s\n", "one tick and its parts (in-process)", "us");
    std::printf("%-44s %10.2f\n", "tick (WM_TIMER, pointer outside the corners)",
                MicrosecondsPer([&] { SendMessageA(service, WM_TIMER, 1, 0); }));
    std::printf("%-44s %10.2f\n", "  empty message (HC_GET_STATE)",
                MicrosecondsPer([&] { SendMessageA(service, WM_HOTCORNERS, HC_GET_STATE, 0); }));
    std::printf("%-44s %10.2f\n", "  GetCursorPos", MicrosecondsPer([&] { GetCursorPos(&cursor); }));
    std::printf("%-44s %10.2f\n", "  GetSystemMetrics x3", MicrosecondsPer([] {
                    GetSystemMetrics(SM_CXSCREEN);
                    GetSystemMetrics(SM_CYSCREEN);
                    GetSystemMetrics(SM_CYHSCROLL);
                }));
    std::printf("%-44s %10.2f\n", "  InvalidateRect (hidden window)",
                MicrosecondsPer([&] { InvalidateRect(service, nullptr, TRUE); }));
    DestroyWindow(service);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ;
    DetachProcess();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--idle-timer") == 0)
        return IdleTimer();
    double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    if (seconds <= 0)
        seconds = 60;
    std::printf("Quadrix service benchmark: %.0f s with the pointer outside the corners, "
                "a tick every 500 ms\n",
                seconds);
    bool ok = MeasureProcesses(seconds);
    MeasureTick();
    return ok ? 0 : 1;
}
