#include "common/picker_geometry.h"

namespace picker {

namespace {

constexpr std::uint32_t kNowBit(int corner) { return 1u << (4 + 2 * corner); }
constexpr std::uint32_t kNeverBit(int corner) { return 1u << (5 + 2 * corner); }
constexpr std::uint32_t kCodeBits = 0xFF0u; // bits 4 to 11

Box MakeBox(int left, int top, int right, int bottom)
{
    Box box;
    box.left = left;
    box.top = top;
    box.right = right;
    box.bottom = bottom;
    return box;
}

// Reads one optionally signed decimal number after any spaces; nullptr when
// there is none or it is out of any picture's reach. The C runtime's scanf
// would do, but it brings a whole formatted reader into both programs.
const char* ReadNumber(const char* text, int* value)
{
    constexpr int kLimit = 100000;
    while (*text == ' ')
        ++text;
    bool negative = *text == '-';
    if (negative)
        ++text;
    if (*text < '0' || *text > '9')
        return nullptr;
    int number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        number = number * 10 + (*text - '0');
        if (number > kLimit)
            return nullptr;
    }
    *value = negative ? -number : number;
    return text;
}

} // namespace

int CodeIndex(char code)
{
    switch (code) {
    case '-': return 0;
    case 'Y': return 1;
    case 'N': return 2;
    default: return -1;
    }
}

char CodeAt(int index)
{
    static const char codes[] = {'-', 'Y', 'N'};
    return index >= 0 && index < 3 ? codes[index] : '-';
}

char CornerFromStyle(std::uint32_t style, int corner)
{
    if (corner < 0 || corner >= kCorners)
        return '-';
    bool now = (style & kNowBit(corner)) != 0;
    bool never = (style & kNeverBit(corner)) != 0;
    if (now == never)
        return '-';
    return now ? 'Y' : 'N';
}

void CornersFromStyle(std::uint32_t style, char codes[kCorners])
{
    for (int corner = 0; corner < kCorners; ++corner)
        codes[corner] = CornerFromStyle(style, corner);
}

std::uint32_t StyleWithCorner(std::uint32_t style, int corner, char code)
{
    if (corner < 0 || corner >= kCorners)
        return style;
    style &= ~(kNowBit(corner) | kNeverBit(corner));
    if (code == 'Y')
        style |= kNowBit(corner);
    else if (code == 'N')
        style |= kNeverBit(corner);
    return style;
}

std::uint32_t StyleWithCorners(std::uint32_t style, const char codes[kCorners])
{
    style = (style & ~(kCodeBits | 0x2u)) | 0x1u;
    for (int corner = 0; corner < kCorners; ++corner)
        style = StyleWithCorner(style, corner, codes[corner]);
    return style;
}

bool Contains(const Box& box, int x, int y)
{
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

bool LayoutFromAnchors(const char* anchors, int width, int height, Layout* layout)
{
    *layout = Layout();
    int x[kCorners], y[kCorners];
    const char* at = anchors;
    for (int corner = 0; corner < kCorners && at; ++corner) {
        at = ReadNumber(at, &x[corner]);
        at = at ? ReadNumber(at, &y[corner]) : nullptr;
    }
    if (!at)
        return false;
    layout->markers[0] = MakeBox(x[0], y[0], x[0] + width, y[0] + height);
    layout->markers[1] = MakeBox(x[1] - width, y[1], x[1], y[1] + height);
    layout->markers[2] = MakeBox(x[2] - width, y[2] - height, x[2], y[2]);
    layout->markers[3] = MakeBox(x[3], y[3] - height, x[3] + width, y[3]);
    layout->screen = MakeBox(x[0], y[0], x[2], y[2]);
    return true;
}

int CornerAt(const Layout& layout, int x, int y)
{
    int found = -1;
    for (int corner = 0; corner < kCorners; ++corner)
        if (Contains(layout.markers[corner], x, y))
            found = corner;
    return found;
}

unsigned MenuCommand(int corner, int codeIndex)
{
    return static_cast<unsigned>(corner) * 256u + static_cast<unsigned>(codeIndex);
}

bool DecodeCommand(unsigned id, int* corner, int* codeIndex)
{
    unsigned low = id & 0xFFFFu;
    unsigned c = low >> 8, code = low & 0xFFu;
    if (c >= static_cast<unsigned>(kCorners) || code > 2)
        return false;
    *corner = static_cast<int>(c);
    *codeIndex = static_cast<int>(code);
    return true;
}

} // namespace picker
