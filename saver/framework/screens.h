// Where the full-screen saver goes and where on it the scene is drawn.
// No windows.h: the rules are also built natively and tested under the
// sanitizers; only ScrFullScreenArea asks the system.
#pragma once

namespace scr {

// A rectangle by its top-left corner and size, in pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What GetSystemMetrics reports. The monitor count and the virtual screen
// came with Windows 98 and 2000; Windows 95 and NT 4 answer 0 for them.
struct ScreenMetrics {
    int monitors = 0;      // SM_CMONITORS
    int virtualLeft = 0;   // SM_XVIRTUALSCREEN
    int virtualTop = 0;    // SM_YVIRTUALSCREEN
    int virtualWidth = 0;  // SM_CXVIRTUALSCREEN
    int virtualHeight = 0; // SM_CYVIRTUALSCREEN
    int primaryWidth = 0;  // SM_CXSCREEN
    int primaryHeight = 0; // SM_CYSCREEN
};

// The area a full-screen saver covers, in screen coordinates: the virtual
// screen (every monitor) when the system has more than one monitor and
// reports a virtual screen, otherwise the primary screen at (0, 0). The
// result always holds the whole primary screen.
ScreenRect FullScreenArea(const ScreenMetrics& metrics);

// The OpenGL viewport (x, y from the window's lower-left corner) that shows
// the scene on the primary screen only, for a client area at client (screen
// coordinates): the part of the primary screen (0, 0, primaryWidth,
// primaryHeight) that the client area covers. A client area that does not
// meet the primary screen at all gets the whole area.
ScreenRect PrimaryViewport(const ScreenRect& client, int primaryWidth, int primaryHeight);

} // namespace scr

// The area a full-screen saver covers now, in screen coordinates, from the
// system's metrics: every monitor where the system has several. Windows
// trees only (screens_system.cpp).
scr::ScreenRect ScrFullScreenArea();
