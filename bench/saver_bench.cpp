// Pacing benchmark: the saver's own full-screen mode (the controller, the
// saver window, the Orbelle scene and its animation timer, at the default
// settings of a fresh profile), measured for a while after a warm-up, then
// ended. Paced, it first measures the floor in the same process, for the same
// time each (floor_loops.h): an empty loop (clear and swap, Sleep to the next
// period), the same empty frames asked for by the saver's animation timer,
// and a plain immediate-mode loop drawing the saver's default frame.
// Prints a line per loop and for the saver: the process's CPU time as a
// share of one core, the frames drawn per second, and the display server's
// CPU share when its process is named; then the saver's share as a ratio of
// each loop's; then the intervals between the saver's swaps against the
// display's period: median, 99th percentile, maximum, the late ones (over
// 1.5 periods) and those over 2 periods after the first second. Not a test;
// its figures depend on the machine.
//
//   saver_bench [seconds]   (default 20)
//   ORBELLE_BENCH_UNCAPPED=1      draws without the frame pacing (the
//                                 benchmark's switch; the saver has none)
//   ORBELLE_BENCH_DISPLAY_PID=N   the display server's process (read from
//                                 /proc/N/stat through Wine's Z: drive)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/floor_loops.h"
#include "common/owners.h"
#include "common/text.h"
#include "saver/config/registry.h"
#include "saver/framework/control.h"
#include "saver/framework/pacing.h"
#include "saver/framework/saverform.h"

namespace {

const UINT kWarmUpMs = 3000;
// Thread timers: the system chooses their identifiers.
UINT_PTR gStartTimer = 0;

struct Sample {
    DWORD tick = 0;
    double cpu = 0;           // seconds of this process
    double displayCpu = -1;   // seconds of the display server; -1 unknown
    unsigned long frames = 0;
};

Sample gStart;
// The floor loops' figures (paced runs only), in FloorLoop order.
const struct {
    FloorLoop loop;
    const char* name;
    const char* shortName;
} kFloors[] = {
    {FloorLoop::EmptySleep, "empty loop (clear, swap, Sleep)", "empty"},
    {FloorLoop::EmptyTimer, "empty frames on the animation timer", "timer"},
    {FloorLoop::PlainSleep, "plain loop, default frame (immediate)", "plain"},
};
FloorFigures gFloors[sizeof kFloors / sizeof kFloors[0]];
double gSaverShare = 0;
UINT gSeconds = 20;
// The performance counter at every swap of the measured time.
std::vector<LONGLONG> gSwaps;
LARGE_INTEGER gFrequency;

void RecordSwap(void*)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (gSwaps.size() < gSwaps.capacity())
        gSwaps.push_back(now.QuadPart);
}

void ReportIntervals()
{
    if (gSwaps.size() < 3 || gFrequency.QuadPart <= 0)
        return;
    double period = 1000.0 / ScrRefreshRate();
    std::vector<double> ms;
    unsigned long late = 0, overTwo = 0;
    for (std::size_t i = 1; i < gSwaps.size(); ++i) {
        double interval = (gSwaps[i] - gSwaps[i - 1]) * 1000.0 / gFrequency.QuadPart;
        ms.push_back(interval);
        late += interval > 1.5 * period;
        double since = (gSwaps[i] - gSwaps[0]) * 1.0 / gFrequency.QuadPart;
        overTwo += interval > 2 * period && since > 1.0;
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1))]; };
    std::printf("         intervals (period %.2f ms): median %.2f, 99th %.2f (%.2f periods), "
                "max %.2f ms; late %lu, over 2 periods after 1 s %lu, of %lu\n",
                period, at(0.5), at(0.99), at(0.99) / period, ms.back(), late, overTwo,
                static_cast<unsigned long>(ms.size()));
}


// utime + stime of a Linux process, in seconds (100 ticks a second).
double DisplayCpu()
{
    char pid[32] = "";
    if (!GetEnvironmentVariableA("ORBELLE_BENCH_DISPLAY_PID", pid, sizeof pid) || !pid[0])
        return -1;
    char path[64];
    FormatText(path, sizeof path, "Z:\\proc\\%s\\stat", pid);
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    char text[1024] = "";
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), text, sizeof text - 1, &got, nullptr))
        return -1;
    text[got] = '\0';
    const char* field = std::strrchr(text, ')'); // the name may hold blanks
    unsigned long long utime = 0, stime = 0;
    if (!field || std::sscanf(field + 2, "%*c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu",
                              &utime, &stime) != 2)
        return -1;
    return static_cast<double>(utime + stime) / 100.0;
}

Sample Take()
{
    Sample s;
    s.tick = GetTickCount();
    s.cpu = ProcessCpu();
    s.displayCpu = DisplayCpu();
    if (gScrSaver)
        s.frames = static_cast<TSaverForm*>(gScrSaver)->Panel().Frames();
    return s;
}

void PrintFloor(const char* name, const FloorFigures& f)
{
    if (!f.ran) {
        std::printf("floor    %-40s failed\n", name);
        return;
    }
    std::printf("floor    %-40s %5.1f %% of a core, %6.1f fps, %5.2f ms a frame", name,
                100.0 * f.cpuShare, f.fps, f.fps > 0 ? 1000.0 * f.cpuShare / f.fps : 0.0);
    if (f.displayShare >= 0)
        std::printf(", display server %5.1f %%", 100.0 * f.displayShare);
    std::printf("\n");
}

void MeasureFloors()
{
    for (std::size_t i = 0; i < sizeof kFloors / sizeof kFloors[0]; ++i) {
        gFloors[i] = MeasureFloorLoop(kFloors[i].loop, gSeconds, &DisplayCpu);
        PrintFloor(kFloors[i].name, gFloors[i]);
        std::fflush(stdout);
    }
}

void ReportRatios()
{
    bool any = false;
    for (std::size_t i = 0; i < sizeof kFloors / sizeof kFloors[0]; ++i) {
        if (!gFloors[i].ran || gFloors[i].cpuShare <= 0)
            continue;
        std::printf("%s saver / %s %.2f x", any ? "," : "         CPU share:", kFloors[i].shortName,
                    gSaverShare / gFloors[i].cpuShare);
        any = true;
    }
    if (any)
        std::printf("\n");
}

void Report(const Sample& end)
{
    double wall = (end.tick - gStart.tick) / 1000.0;
    if (wall <= 0)
        wall = 1;
    gSaverShare = (end.cpu - gStart.cpu) / wall;
    double fps = (end.frames - gStart.frames) / wall;
    std::printf("%-8s saver, refresh %3u Hz, period %5u us    %5.1f %% of a core, %6.1f fps, "
                "%5.2f ms a frame",
                ScrSwapInterval() ? "paced" : "uncapped", ScrRefreshRate(),
                static_cast<unsigned>(ScrFramePace(false).periodUs), 100.0 * gSaverShare, fps,
                fps > 0 ? 1000.0 * gSaverShare / fps : 0.0);
    if (gStart.displayCpu >= 0 && end.displayCpu >= 0)
        std::printf(", display server %5.1f %%", 100.0 * (end.displayCpu - gStart.displayCpu) / wall);
    std::printf(" (%.1f s)\n", wall);
    std::fflush(stdout);
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (id == gStartTimer) {
        gStart = Take();
        if (gScrSaver)
            static_cast<TSaverForm*>(gScrSaver)->Panel().ObserveSwaps(&RecordSwap, nullptr);
        SetTimer(nullptr, 0, gSeconds * 1000, &OnTimer);
        return;
    }
    Report(Take());
    ReportRatios();
    ReportIntervals();
    if (gScrControl)
        gScrControl->Terminate();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::atoi(argv[1]) > 0)
        gSeconds = static_cast<UINT>(std::atoi(argv[1]));
    char uncapped[8] = "";
    GetEnvironmentVariableA("ORBELLE_BENCH_UNCAPPED", uncapped, sizeof uncapped);
    ScrSetFramePacing(uncapped[0] != '1');
    if (ScrSwapInterval())
        MeasureFloors();
    QueryPerformanceFrequency(&gFrequency);
    gSwaps.reserve(static_cast<std::size_t>(gSeconds) * 2000 + 16);
    ScrRegisterFormClass("TSaverForm", &TSaverForm::Make);
    TScrControl control("saver_bench.exe /s");
    control.DebugLevel = dlRelease;
    control.Options = scoHandleInput | scoHandlePanelsAlso;
    control.FormFullScreen = "TSaverForm";
    control.PrepareValues = &InitialiseRegistry;
    // The controller's message loop dispatches the thread's timers.
    gStartTimer = SetTimer(nullptr, 0, kWarmUpMs, &OnTimer);
    return control.Run();
}
