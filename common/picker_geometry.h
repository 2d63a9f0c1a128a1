// The corner picker's rules, apart from any window: the corner codes kept
// in a window style, the marker rectangles laid out from the anchor string,
// the hit test, the menu command ids and the disabled checkerboard. No
// windows.h: also built natively.
#pragma once
#include <cstdint>

namespace picker {

// Corners in the order of the stored codes: top-left, top-right,
// bottom-right, bottom-left.
constexpr int kCorners = 4;

// A corner's code: '-' default, 'Y' start the saver now, 'N' never start it.
// Index of a code in the menus: 0 '-', 1 'Y', 2 'N'; -1 for anything else.
int CodeIndex(char code);
char CodeAt(int index); // '-' for an index out of range

// The codes live in the style: bit 4 + 2i means 'Y', bit 5 + 2i 'N' for
// corner i; neither or both read as '-'.
char CornerFromStyle(std::uint32_t style, int corner);
void CornersFromStyle(std::uint32_t style, char codes[kCorners]);
// Sets one corner's bits, the others unchanged. Codes other than 'Y' and 'N'
// count as '-'.
std::uint32_t StyleWithCorner(std::uint32_t style, int corner, char code);
// Writes all four: clears bits 1 and 4 to 11, sets bit 0, then the codes.
std::uint32_t StyleWithCorners(std::uint32_t style, const char codes[kCorners]);

// Left, top, right, bottom; right and bottom are outside, as in a RECT.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
};
bool Contains(const Box& box, int x, int y);

// The marker rectangles and the screen area of the monitor picture.
struct Layout {
    Box markers[kCorners];
    Box screen;
};

// Reads the anchor string "x0 y0  x1 y1  x2 y2  x3 y3" (top-left, top-right,
// bottom-right, bottom-left) and lays markers of width by height against
// them. Returns false, with an all-empty layout, when the text does not hold
// eight numbers.
bool LayoutFromAnchors(const char* anchors, int width, int height, Layout* layout);

// The corner whose marker holds (x, y), the last one in corner order when
// markers overlap; -1 on no marker.
int CornerAt(const Layout& layout, int x, int y);

// Menu command of a corner's item: the corner in the high byte, the code
// index in the low one. DecodeCommand accepts only corners 0 to 3 and code
// indexes 0 to 2 in the low word.
unsigned MenuCommand(int corner, int codeIndex);
bool DecodeCommand(unsigned id, int* corner, int* codeIndex);

// The pixels of a marker that the disabled control covers with the desktop
// colour: in row r, the columns r mod 2, r mod 2 + 2, ...
inline bool IsCheckerPixel(int column, int row)
{
    return column >= 0 && row >= 0 && column % 2 == row % 2;
}

} // namespace picker
