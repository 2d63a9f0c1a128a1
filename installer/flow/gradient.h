// Geometry and colour of the backdrop's blue-to-black gradient.
// No windows.h: also built natively.
#pragma once

constexpr int kBackdropBands = 256;

struct BackdropBand {
    int left, top, right, bottom;   // a rectangle in client pixels
    unsigned char red, green, blue; // the band's solid colour
};

// Band index (0 = top, full blue; 255 = bottom, black) of a client area
// clientRight by clientBottom pixels. The band height is clientBottom / 256
// kept in single precision and each edge truncated toward zero, so bands of a
// client area under 256 pixels high may be empty (top == bottom). Each band
// reaches one pixel beyond the client width.
BackdropBand BackdropBandAt(int index, int clientRight, int clientBottom);
