#include "test_bitmaps.h"

namespace testbmp {

const Colour kPalette[5] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {255, 255, 0}};

const LayoutName kLayouts[13] = {{Layout::Rgb24, "rgb24"},       {Layout::Rgb24TopDown, "topdown"},
                                 {Layout::Rgb32, "rgb32"},       {Layout::Rgb16, "rgb16"},
                                 {Layout::Fields16, "fields16"}, {Layout::Fields32V5, "fields32v5"},
                                 {Layout::Pal8, "pal8"},         {Layout::Pal4, "pal4"},
                                 {Layout::Pal1, "pal1"},         {Layout::Rle8, "rle8"},
                                 {Layout::Rle4, "rle4"},         {Layout::Core24, "core24"},
                                 {Layout::Core8, "core8"}};

namespace {

void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v & 0xff));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}

int BitsOf(Layout layout)
{
    switch (layout) {
    case Layout::Rgb32: case Layout::Fields32V5: return 32;
    case Layout::Rgb16: case Layout::Fields16: return 16;
    case Layout::Pal8: case Layout::Rle8: case Layout::Core8: return 8;
    case Layout::Pal4: case Layout::Rle4: return 4;
    case Layout::Pal1: return 1;
    default: return 24;
    }
}

bool IsCore(Layout layout)
{
    return layout == Layout::Core24 || layout == Layout::Core8;
}

bool IsRle(Layout layout)
{
    return layout == Layout::Rle8 || layout == Layout::Rle4;
}

std::uint32_t Compression(Layout layout)
{
    switch (layout) {
    case Layout::Rle8: return 1;
    case Layout::Rle4: return 2;
    case Layout::Fields16: case Layout::Fields32V5: return 3;
    default: return 0;
    }
}

// The masks of the bit-field layouts: 5-6-5, and bytes in an unusual order.
const std::uint32_t kMasks565[3] = {0xf800, 0x07e0, 0x001f};
const std::uint32_t kMasksV5[3] = {0x0000ff00, 0x00ff0000, 0xff000000};

void PutPixel(Bytes& line, Layout layout, int index)
{
    const Colour& c = kPalette[index];
    switch (layout) {
    case Layout::Rgb32: line.insert(line.end(), {c.b, c.g, c.r, 0}); break;
    case Layout::Rgb16: Put16(line, ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)); break;
    case Layout::Fields16: Put16(line, ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)); break;
    case Layout::Fields32V5:
        Put32(line, (static_cast<std::uint32_t>(c.r) << 8) |
                        (static_cast<std::uint32_t>(c.g) << 16) |
                        (static_cast<std::uint32_t>(c.b) << 24));
        break;
    default: line.insert(line.end(), {c.b, c.g, c.r});
    }
}

// One run-length row: runs of equal indices, then the end of the line (or
// of the bitmap after the last row).
Bytes RleRow(Layout layout, int w, int h, int y, bool last)
{
    Bytes line;
    const bool four = layout == Layout::Rle4;
    for (int x = 0; x < w;) {
        int index = QuadrantIndex(x, y, w, h), run = 1;
        while (x + run < w && run < 255 && QuadrantIndex(x + run, y, w, h) == index)
            ++run;
        line.push_back(static_cast<std::uint8_t>(run));
        line.push_back(static_cast<std::uint8_t>(four ? (index << 4) | index : index));
        x += run;
    }
    line.push_back(0);
    line.push_back(last ? 1 : 0);
    return line;
}

Bytes HeadFor(Layout layout, int w, int h, std::uint32_t dataSize)
{
    const int bits = BitsOf(layout);
    const bool core = IsCore(layout);
    Bytes palette;
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i) {
        const Colour& c = kPalette[i < 5 ? i : 0];
        palette.insert(palette.end(), {c.b, c.g, c.r});
        if (!core)
            palette.push_back(0);
    }
    Bytes info;
    if (core) {
        Put32(info, 12);
        Put16(info, static_cast<std::uint32_t>(w));
        Put16(info, static_cast<std::uint32_t>(h));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(bits));
    } else {
        const bool v5 = layout == Layout::Fields32V5;
        Put32(info, v5 ? 124 : 40);
        Put32(info, static_cast<std::uint32_t>(w));
        Put32(info, static_cast<std::uint32_t>(layout == Layout::Rgb24TopDown ? -h : h));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(bits));
        Put32(info, Compression(layout));
        Put32(info, dataSize);
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, static_cast<std::uint32_t>(bits <= 8 ? 1 << bits : 0));
        Put32(info, 0);
        if (layout == Layout::Fields16)
            for (std::uint32_t mask : kMasks565)
                Put32(info, mask);
        if (v5) {
            for (std::uint32_t mask : kMasksV5)
                Put32(info, mask);
            info.resize(124, 0); // alpha mask, colour space, intent, profile: none
        }
    }
    std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + palette.size());
    Bytes file = {'B', 'M'};
    Put32(file, offset + dataSize);
    Put32(file, 0);
    Put32(file, offset);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), palette.begin(), palette.end());
    return file;
}

} // namespace

int QuadrantIndex(long long x, long long y, long long w, long long h)
{
    if (x == 0 && y == 0)
        return 4;
    return (y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0);
}

Bytes FileRow(Layout layout, int w, int h, long long fileRow)
{
    const int bits = BitsOf(layout);
    const long long y = layout == Layout::Rgb24TopDown ? fileRow : h - 1 - fileRow;
    Bytes line;
    std::uint32_t acc = 0;
    int accBits = 0;
    for (int x = 0; x < w; ++x) {
        int index = QuadrantIndex(x, y, w, h);
        if (bits > 8) {
            PutPixel(line, layout, index);
            continue;
        }
        acc = (acc << bits) | static_cast<std::uint32_t>(index & ((1 << bits) - 1));
        accBits += bits;
        if (accBits == 8) {
            line.push_back(static_cast<std::uint8_t>(acc));
            acc = 0;
            accBits = 0;
        }
    }
    if (accBits)
        line.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
    while (line.size() % 4)
        line.push_back(0);
    return line;
}

Bytes Head(Layout layout, int w, int h)
{
    std::uint32_t stride =
        static_cast<std::uint32_t>((static_cast<long long>(w) * BitsOf(layout) + 31) / 32 * 4);
    return HeadFor(layout, w, h, stride * static_cast<std::uint32_t>(h));
}

Bytes Bitmap(Layout layout, int w, int h)
{
    Bytes data;
    for (int row = 0; row < h; ++row) {
        Bytes line = IsRle(layout) ? RleRow(layout, w, h, h - 1 - row, row == h - 1)
                                   : FileRow(layout, w, h, row);
        data.insert(data.end(), line.begin(), line.end());
    }
    Bytes file = HeadFor(layout, w, h, static_cast<std::uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

} // namespace testbmp
