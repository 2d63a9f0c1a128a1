#include "saver/framework/pacing.h"

#include <windows.h>


namespace {
bool gPacing = true;
}

unsigned ScrRefreshRate()
{
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    // The first Windows 95 knows no ENUM_CURRENT_SETTINGS and fails here.
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) || mode.dmDisplayFrequency <= 1)
        return 60;
    return mode.dmDisplayFrequency;
}

FramePace ScrFramePace(bool swapWaits)
{
    FramePace pace;
    pace.periodUs = gPacing ? FramePeriodUs(ScrRefreshRate()) : 1000;
    pace.swapWaits = gPacing && swapWaits;
    return pace;
}

int ScrSwapInterval()
{
    return gPacing ? 1 : 0;
}

void ScrSetFramePacing(bool on)
{
    gPacing = on;
}
