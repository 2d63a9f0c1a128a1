// The full-screen area as the system reports it now (screens.h).
#include "saver/framework/screens.h"

#include <windows.h>

scr::ScreenRect ScrFullScreenArea()
{
    scr::ScreenMetrics metrics;
    metrics.monitors = GetSystemMetrics(SM_CMONITORS);
    metrics.virtualLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    metrics.virtualTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    metrics.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    metrics.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    metrics.primaryWidth = GetSystemMetrics(SM_CXSCREEN);
    metrics.primaryHeight = GetSystemMetrics(SM_CYSCREEN);
    return scr::FullScreenArea(metrics);
}
