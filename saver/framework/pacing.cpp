#include "saver/framework/pacing.h"

#include <windows.h>

#include "saver/framework/sglmath.h"

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

unsigned ScrFrameInterval()
{
    return gPacing ? sgl::FrameIntervalMs(ScrRefreshRate()) : 1;
}

unsigned ScrFrameRate()
{
    return gPacing ? ScrRefreshRate() : 0;
}

int ScrSwapInterval()
{
    return gPacing ? 1 : 0;
}

void ScrSetFramePacing(bool on)
{
    gPacing = on;
}
