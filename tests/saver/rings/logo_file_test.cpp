// LoadLogo's file path under Wine: bitmap files of every layout give their
// pixels, large ones too; anything else gives the built-in logo.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/owners.h"
#include "saver/rings/logo_file.h"
#include "support.h"
#include "test_bitmaps.h"

namespace {

using testbmp::Bytes;
using testbmp::Colour;
using testbmp::kPalette;
using testbmp::Layout;
using testbmp::Bitmap;

bool WriteBytes(HANDLE file, const Bytes& bytes)
{
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

std::string SaveFile(const std::string& name, const Bytes& bytes)
{
    std::string path = support::TempDirectory() + name;
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file && WriteBytes(file.Get(), bytes));
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

TEST(LogoFile, EveryLayoutGivesItsPixels)
{
    const int w = 64, h = 32;
    for (const auto& c : testbmp::kLayouts) {
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
            // Top-down files are read upright, also where Wine 8's own
            // loader draws them black.
            int expected = c.layout == Layout::Pal1 ? p.index & 1 : p.index; // two colours
            const Colour& colour = kPalette[expected];
            const std::uint8_t* texel = Texel(t, p.x, p.y);
            EXPECT_NEAR(colour.r, texel[0], 8);
            EXPECT_NEAR(colour.g, texel[1], 8);
            EXPECT_NEAR(colour.b, texel[2], 8);
        }
        EXPECT_EQ(0, Texel(t, 32, 8)[0]); // above the image: black
    }
}

// A camera's picture of 5000 × 3400 (51 MB), written here row by row.
std::string SaveLargeFile(const std::string& name, int w, int h)
{
    std::string path = support::TempDirectory() + name;
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    bool ok = file && WriteBytes(file.Get(), testbmp::Head(Layout::Rgb24, w, h));
    for (int row = 0; ok && row < h; ++row)
        ok = WriteBytes(file.Get(), testbmp::FileRow(Layout::Rgb24, w, h, row));
    EXPECT_TRUE(ok) << "disk full?";
    return path;
}

TEST(LogoFile, ALargePictureLoadsAtTheLogosSize)
{
    std::string path = SaveLargeFile("camera.bmp", 5000, 3400);
    LogoImage image;
    ASSERT_TRUE(LoadLogoFile(path.c_str(), &image));
    EXPECT_EQ(5000, image.width);
    EXPECT_EQ(3400, image.height);
    EXPECT_EQ(32, image.scale); // halved five times to 156 × 106
    EXPECT_EQ(156u * 106 * 3, image.rgb.size());
    LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), path.c_str());
    ASSERT_EQ(256, t.size);
    EXPECT_FLOAT_EQ(156.0f / 256, t.s1);
    // 156 × 106 in rows 25 … 130 of the 156 × 156 square.
    const struct { int x, y, index; } probes[] = {
        {0, 25, 4}, {40, 50, 0}, {120, 50, 1}, {40, 120, 2}, {120, 120, 3}, {78, 10, -1}};
    for (const auto& p : probes) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        const std::uint8_t* texel = Texel(t, p.x, p.y);
        Colour colour = p.index < 0 ? Colour{0, 0, 0} : kPalette[p.index];
        EXPECT_EQ(colour.r, texel[0]);
        EXPECT_EQ(colour.g, texel[1]);
        EXPECT_EQ(colour.b, texel[2]);
    }
    DeleteFileA(path.c_str());
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
// Untrusted files and names: each falls back to the built-in logo, at once.
// (The reader's refusals of lying headers are tested natively, in full.)
TEST(LogoFile, MalformedFilesAndNonFilesFallBackToTheBuiltInLogo)
{
    Bytes good = Bitmap(Layout::Rgb24, 64, 32);
    Bytes liar = good;
    liar[22] = 0xe8; // height 1000 with 32 rows of data
    liar[23] = 0x03;
    Bytes png = good;
    png[30] = 5; // BI_PNG
    Bytes rleGarbage = Bitmap(Layout::Rle8, 64, 32);
    for (std::size_t i = rleGarbage.size() - 200; i < rleGarbage.size(); ++i)
        rleGarbage[i] = static_cast<std::uint8_t>(i * 37);

    std::vector<std::string> paths;
    paths.push_back(SaveFile("truncated.bmp", Bytes(good.begin(), good.begin() + good.size() / 2)));
    paths.push_back(SaveFile("liar.bmp", liar));
    paths.push_back(SaveFile("png.bmp", png));
    paths.push_back(SaveFile("empty.bmp", {}));
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

    // Garbled run-length data draws what it can, never a failure.
    std::string rle = SaveFile("rlegarbage.bmp", rleGarbage);
    LogoTexture t = LoadLogoTexture(GetModuleHandleA(nullptr), rle.c_str());
    EXPECT_GT(t.size, 0);
}

} // namespace
