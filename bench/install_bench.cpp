// install_bench.exe INSTALLER: the installer's time from its start to the
// Preview dialog on the screen, with the robot pressing "&Install" as soon as
// the first dialog shows, as scripts/bench.sh prints it. One run per call
// (each in a fresh Wine prefix): the first installation is what a user times.
#include <cstdio>
#include <string>

#include "robot.h"

namespace {

constexpr DWORD kTimeout = 60000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// The Preview dialog once it is visible, answering any message box on the way
// with its first button; null when the installer ends or time runs out.
HWND WaitForPreview(const robot::Child& child)
{
    HWND preview = nullptr;
    robot::WaitFor([&] {
        if (robot::WaitExit(child, 0) != STILL_ACTIVE)
            return true;
        for (HWND window : robot::TopWindows(child.id)) {
            if (robot::ClassName(window) != "#32770")
                continue;
            if (robot::Text(window) == "Preview") {
                preview = window;
                return true;
            }
            robot::MessageBoxView box = robot::ReadMessageBox(window);
            if (!box.buttons.empty())
                robot::Press(window, box.buttons.front());
        }
        return false;
    }, kTimeout);
    return preview;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: install_bench INSTALLER\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER started = Now();
    robot::Child child = robot::Start(std::string("\"") + argv[1] + "\"");
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kTimeout, child.id);
    if (!prelim) {
        std::printf("installer: no dialog\n");
        robot::Finish(child);
        return 1;
    }
    LARGE_INTEGER asked = Now();
    robot::Press(prelim, IDOK);
    HWND preview = WaitForPreview(child);
    LARGE_INTEGER shown = Now();
    if (!preview) {
        std::printf("installer: no Preview dialog\n");
        robot::Finish(child);
        return 1;
    }
    std::printf("installer: start to Preview shown %.2f s (start to first dialog %.2f s, "
                "Install pressed to Preview %.2f s)\n",
                Seconds(started, shown, frequency), Seconds(started, asked, frequency),
                Seconds(asked, shown, frequency));
    robot::Press(preview, IDOK);
    robot::WaitExit(child, kTimeout);
    robot::Finish(child);
    return 0;
}
