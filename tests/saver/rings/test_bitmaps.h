// Bitmap files made at run time for the logo tests: a picture of four
// coloured quadrants with a yellow dot at its top-left pixel, in every layout
// a bitmap file can have. No windows.h: used natively and under Wine.
#pragma once
#include <cstdint>
#include <vector>

namespace testbmp {

using Bytes = std::vector<std::uint8_t>;

struct Colour {
    std::uint8_t r, g, b;
};
// Red top-left, green top-right, blue bottom-left, white bottom-right, and
// the yellow dot.
extern const Colour kPalette[5];

// The palette index of pixel (x, y) of a w × h picture, y from the top.
int QuadrantIndex(long long x, long long y, long long w, long long h);

enum class Layout {
    Rgb24, Rgb24TopDown, Rgb32, Rgb16, Fields16, Fields32V5, Pal8, Pal4, Pal1, Rle8, Rle4,
    Core24, Core8
};
struct LayoutName {
    Layout layout;
    const char* name;
};
extern const LayoutName kLayouts[13];

// The whole file of a w × h quadrant picture.
Bytes Bitmap(Layout layout, int w, int h);

// An uncompressed file in parts, for pictures too large to hold: the
// headers and palette, then each row as stored (row 0 first in the file).
Bytes Head(Layout layout, int w, int h);
Bytes FileRow(Layout layout, int w, int h, long long fileRow);

} // namespace testbmp
