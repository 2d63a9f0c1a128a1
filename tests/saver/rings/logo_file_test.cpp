// LoadLogo's file path under Wine: bitmap files of every layout the platform
// loads give their pixels; anything else gives the built-in logo.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "saver/rings/logo_file.h"
#include "support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Colour {
    std::uint8_t r, g, b;
};
// Four quadrants: red top-left, green top-right, blue bottom-left, white
// bottom-right, plus a yellow dot at the top-left pixel.
const Colour kPalette[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {255, 255, 0}};

int QuadrantIndex(int x, int y, int w, int h)
{
    if (x == 0 && y == 0)
        return 4;
    return (y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0);
}

void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}

enum class Layout { Rgb24, Rgb24TopDown, Rgb32, Rgb16, Pal8, Pal4, Pal1, Rle8, Core24 };

// The pixel rows of the quadrant image in a layout, bottom row first unless
// top-down.
Bytes Rows(Layout layout, int w, int h, int bits)
{
    Bytes data;
    bool topDown = layout == Layout::Rgb24TopDown;
    for (int row = 0; row < h; ++row) {
        int y = topDown ? row : h - 1 - row;
        Bytes line;
        if (layout == Layout::Rle8) {
            for (int x = 0; x < w;) {
                int index = QuadrantIndex(x, y, w, h), run = 1;
                while (x + run < w && run < 255 && QuadrantIndex(x + run, y, w, h) == index)
                    ++run;
                line.push_back(static_cast<std::uint8_t>(run));
                line.push_back(static_cast<std::uint8_t>(index));
                x += run;
            }
            line.push_back(0);
            line.push_back(row == h - 1 ? 1 : 0); // end of line, end of bitmap
            data.insert(data.end(), line.begin(), line.end());
            continue;
        }
        std::uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < w; ++x) {
            int index = QuadrantIndex(x, y, w, h);
            const Colour& c = kPalette[index];
            switch (bits) {
            case 24: line.insert(line.end(), {c.b, c.g, c.r}); break;
            case 32: line.insert(line.end(), {c.b, c.g, c.r, 0}); break;
            case 16: Put16(line, ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)); break;
            default:
                acc = (acc << bits) | static_cast<std::uint32_t>(index & ((1 << bits) - 1));
                accBits += bits;
                if (accBits == 8) {
                    line.push_back(static_cast<std::uint8_t>(acc));
                    acc = 0;
                    accBits = 0;
                }
            }
        }
        if (accBits)
            line.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
        while (line.size() % 4)
            line.push_back(0);
        data.insert(data.end(), line.begin(), line.end());
    }
    return data;
}

int BitsOf(Layout layout)
{
    switch (layout) {
    case Layout::Rgb32: return 32;
    case Layout::Rgb16: return 16;
    case Layout::Pal8: case Layout::Rle8: return 8;
    case Layout::Pal4: return 4;
    case Layout::Pal1: return 1;
    default: return 24;
    }
}

Bytes Bitmap(Layout layout, int w, int h)
{
    int bits = BitsOf(layout);
    Bytes pixels = Rows(layout, w, h, bits);
    Bytes palette;
    int colours = bits <= 8 ? (1 << bits) : 0;
    bool core = layout == Layout::Core24;
    for (int i = 0; i < colours; ++i) {
        const Colour& c = kPalette[i < 5 ? i : 0];
        palette.insert(palette.end(), {c.b, c.g, c.r, 0});
    }
    Bytes info;
    if (core) {
        Put32(info, 12);
        Put16(info, static_cast<std::uint32_t>(w));
        Put16(info, static_cast<std::uint32_t>(h));
        Put16(info, 1);
        Put16(info, 24);
    } else {
        Put32(info, 40);
        Put32(info, static_cast<std::uint32_t>(w));
        Put32(info, static_cast<std::uint32_t>(layout == Layout::Rgb24TopDown ? -h : h));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(bits));
        Put32(info, layout == Layout::Rle8 ? BI_RLE8 : BI_RGB);
        Put32(info, static_cast<std::uint32_t>(pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, static_cast<std::uint32_t>(colours));
        Put32(info, 0);
    }
    std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size() + palette.size());
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<std::uint32_t>(offset + pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), palette.begin(), palette.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

std::string SaveFile(const std::string& name, const Bytes& bytes)
{
    std::string path = support::TempDirectory() + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

const std::uint8_t* Texel(const LogoTexture& t, int x, int y)
{
    return &t.pixels[(static_cast<std::size_t>(y) * t.size + x) * 4];
}

LogoTexture BuiltIn()
{
    return LoadLogoTexture(GetModuleHandleA(nullptr), "*def");
}

TEST(LogoFile, TheBuiltInLogoIsAFullDisc)
{
    LogoTexture t = BuiltIn();
    ASSERT_EQ(256, t.size);
    EXPECT_FLOAT_EQ(1.0f, t.s1);
    EXPECT_EQ(255, Texel(t, 128, 128)[3]);
    EXPECT_EQ(0, Texel(t, 0, 0)[3]);
    // The logo's centre is its bright sun, its rim deep blue.
    EXPECT_GT(Texel(t, 128, 128)[0], 200);
    EXPECT_LT(Texel(t, 128, 3)[0], 60);
    EXPECT_EQ(t.pixels, LoadLogoTexture(GetModuleHandleA(nullptr), "").pixels);
}

TEST(LogoFile, EveryLayoutThePlatformLoadsGivesItsPixels)
{
    const struct { Layout layout; const char* name; } cases[] = {
        {Layout::Rgb24, "rgb24"}, {Layout::Rgb24TopDown, "topdown"}, {Layout::Rgb32, "rgb32"},
        {Layout::Rgb16, "rgb16"}, {Layout::Pal8, "pal8"},           {Layout::Pal4, "pal4"},
        {Layout::Pal1, "pal1"},   {Layout::Rle8, "rle8"},           {Layout::Core24, "core24"}};
    const int w = 64, h = 32;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = SaveFile(std::string(c.name) + ".bmp", Bitmap(c.layout, w, h));
        LogoImage image;
        ASSERT_TRUE(LoadLogoFile(path.c_str(), &image));
        ASSERT_EQ(w, image.width);
        ASSERT_EQ(h, image.height);
        LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), path.c_str());
        ASSERT_EQ(64, t.size);
        // The 64 × 32 image sits in rows 16 … 47 of the 64 × 64 texture.
        const struct { int x, y, index; } probes[] = {
            {16, 16 + 8, 0}, {48, 16 + 8, 1}, {16, 16 + 24, 2}, {48, 16 + 24, 3}, {0, 16, 4}};
        for (const auto& p : probes) {
            SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
            int y = p.y;
            int expected = p.index;
            // Wine 8's loader stretches a top-down file with its negative
            // height and draws nothing: the bitmap loads, all black. Windows
            // draws it upright.
            const std::uint8_t* dot = Texel(t, 0, 16);
            if (c.layout == Layout::Rgb24TopDown && (dot[0] | dot[1] | dot[2]) == 0) {
                const std::uint8_t* texel = Texel(t, p.x, y);
                EXPECT_EQ(0, texel[0] | texel[1] | texel[2]);
                continue;
            }
            if (c.layout == Layout::Pal1)
                expected &= 1; // two colours: red and green
            const Colour& colour = kPalette[expected];
            const std::uint8_t* texel = Texel(t, p.x, y);
            EXPECT_NEAR(colour.r, texel[0], 8);
            EXPECT_NEAR(colour.g, texel[1], 8);
            EXPECT_NEAR(colour.b, texel[2], 8);
        }
        EXPECT_EQ(0, Texel(t, 32, 8)[0]); // above the image: black
    }
}

TEST(LogoFile, AWideFileIsSampledEveryFourthPixel)
{
    std::string path = SaveFile("wide.bmp", Bitmap(Layout::Rgb24, 1024, 512));
    LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), path.c_str());
    ASSERT_EQ(256, t.size);
    // 256 × 128 in rows 64 … 191; the yellow dot at (0, 0) survives sampling.
    EXPECT_EQ(255, Texel(t, 0, 64)[1]);
    EXPECT_EQ(255, Texel(t, 0, 64)[0]);
    EXPECT_EQ(0, Texel(t, 0, 63)[0]);
    EXPECT_EQ(255, Texel(t, 200, 100)[1]); // green quadrant, top right
    EXPECT_EQ(255, Texel(t, 200, 180)[2]); // white, bottom right
    EXPECT_EQ(0, Texel(t, 2, 100)[3]);     // outside the disc
    EXPECT_EQ(255, Texel(t, 128, 128)[3]);
}

// Untrusted files and names: each falls back to the built-in logo, at once.
TEST(LogoFile, MalformedFilesAndNonFilesFallBackToTheBuiltInLogo)
{
    Bytes good = Bitmap(Layout::Rgb24, 64, 32);
    Bytes truncated(good.begin(), good.begin() + good.size() / 2);
    Bytes liar = good;
    liar[22] = 0xe8; // height 1000 with 32 rows of data
    liar[23] = 0x03;
    Bytes huge = good;
    for (int i : {18, 19, 22, 23}) // 65535 × 65535
        huge[i] = 0xff;
    Bytes hugeNegative = good;
    for (int i : {18, 19, 20, 21, 22, 23, 24, 25})
        hugeNegative[i] = 0xff; // width −1, height −1
    Bytes zeroWidth = good;
    for (int i : {18, 19, 20, 21})
        zeroWidth[i] = 0;
    Bytes notBm = good;
    notBm[0] = 'X';
    Bytes badOffset = good;
    badOffset[10] = 0xff;
    badOffset[11] = 0xff;
    badOffset[12] = 0xff;
    Bytes badBits = good;
    badBits[28] = 7;
    Bytes png = good;
    png[30] = 5; // BI_PNG
    Bytes rleGarbage = Bitmap(Layout::Rle8, 64, 32);
    for (std::size_t i = rleGarbage.size() - 200; i < rleGarbage.size(); ++i)
        rleGarbage[i] = static_cast<std::uint8_t>(i * 37);
    Bytes rleTopDown = Bitmap(Layout::Rle8, 64, 32);
    for (int i : {22, 23, 24, 25}) // height −32: RLE must be bottom-up
        rleTopDown[i] = i == 22 ? 0xe0 : 0xff;

    const struct { const char* name; const Bytes* bytes; } files[] = {
        {"truncated.bmp", &truncated}, {"liar.bmp", &liar},       {"huge.bmp", &huge},
        {"negative.bmp", &hugeNegative}, {"zero.bmp", &zeroWidth}, {"notbm.bmp", &notBm},
        {"offset.bmp", &badOffset},    {"bits.bmp", &badBits},    {"png.bmp", &png},
        {"rletopdown.bmp", &rleTopDown}};
    std::vector<std::string> paths;
    for (const auto& f : files)
        paths.push_back(SaveFile(f.name, *f.bytes));
    paths.push_back(SaveFile("empty.bmp", {}));
    paths.push_back(SaveFile("header.bmp", Bytes(good.begin(), good.begin() + 20)));
    paths.push_back(support::TempDirectory());                       // a directory
    paths.push_back(support::TempDirectory().substr(0, support::TempDirectory().size() - 1));
    paths.push_back(support::TempDirectory() + "missing.bmp");
    for (const char* device : {"NUL", "CON", "COM1", "LPT1", "\\\\.\\NUL", "CONIN$", "nul.bmp"})
        paths.push_back(device);
    paths.push_back(std::string(5000, 'x'));
    paths.push_back("C:\\");

    LogoTexture builtIn = BuiltIn();
    ASSERT_EQ(256, builtIn.size);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path.substr(0, 80));
        LogoImage image;
        EXPECT_FALSE(LoadLogoFile(path.c_str(), &image));
        LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), path.c_str());
        EXPECT_EQ(builtIn.size, t.size);
        EXPECT_TRUE(t.pixels == builtIn.pixels);
    }

    // RLE data is the platform's to decode: garbage must not crash it, and
    // whatever it makes of it is drawn or replaced, never a failure.
    std::string rle = SaveFile("rlegarbage.bmp", rleGarbage);
    LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), rle.c_str());
    EXPECT_GT(t.size, 0);
}

} // namespace
