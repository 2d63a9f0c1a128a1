// The logo's bitmap reader on bitmap files made in memory: every layout,
// large pictures read at the logo's scale within a bounded memory, and
// malformed files refused or read no further than they go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "saver/rings/logo_bitmap.h"
#include "test_bitmaps.h"

using testbmp::Bytes;
using testbmp::Layout;

namespace {

class MemorySource : public LogoSource {
public:
    explicit MemorySource(const Bytes& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, void* into, std::size_t count) override
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset)
            return false;
        std::memcpy(into, bytes_.data() + offset, count);
        return true;
    }

private:
    const Bytes& bytes_;
};

// A 24-bit bottom-up quadrant file of any size, made byte by byte as it is
// read: nothing of it is held, so the reader's own memory can be measured.
class PictureSource : public LogoSource {
public:
    PictureSource(int w, int h)
        : w_(w), h_(h), head_(testbmp::Head(Layout::Rgb24, w, h)),
          stride_((static_cast<std::uint64_t>(w) * 3 + 3) / 4 * 4)
    {
    }
    std::uint64_t Size() const override
    {
        return head_.size() + stride_ * static_cast<std::uint64_t>(h_);
    }
    bool Read(std::uint64_t offset, void* into, std::size_t count) override
    {
        if (offset > Size() || count > Size() - offset)
            return false;
        largestRead = std::max(largestRead, count);
        bytesRead += count;
        auto* out = static_cast<std::uint8_t*>(into);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = At(offset + i);
        return true;
    }
    std::size_t largestRead = 0;
    std::uint64_t bytesRead = 0;

private:
    std::uint8_t At(std::uint64_t offset) const
    {
        if (offset < head_.size())
            return head_[static_cast<std::size_t>(offset)];
        std::uint64_t row = (offset - head_.size()) / stride_,
                      k = (offset - head_.size()) % stride_;
        if (k >= static_cast<std::uint64_t>(w_) * 3)
            return 0;
        const testbmp::Colour& c = testbmp::kPalette[testbmp::QuadrantIndex(
            static_cast<long long>(k / 3), h_ - 1 - static_cast<long long>(row), w_, h_)];
        return k % 3 == 0 ? c.b : k % 3 == 1 ? c.g : c.r;
    }
    int w_, h_;
    Bytes head_;
    std::uint64_t stride_;
};

const std::uint8_t* Kept(const LogoImage& image, int x, int y)
{
    return &image.rgb[(static_cast<std::size_t>(y) * (image.width / image.scale) + x) * 3];
}

void ExpectColour(const testbmp::Colour& expected, const std::uint8_t* rgb, int tolerance = 0)
{
    EXPECT_NEAR(expected.r, rgb[0], tolerance);
    EXPECT_NEAR(expected.g, rgb[1], tolerance);
    EXPECT_NEAR(expected.b, rgb[2], tolerance);
}

TEST(LogoBitmap, EveryLayoutGivesItsPixels)
{
    const int w = 37, h = 22; // odd sizes: rows with padding, a split nibble
    for (const auto& c : testbmp::kLayouts) {
        SCOPED_TRACE(c.name);
        Bytes file = testbmp::Bitmap(c.layout, w, h);
        MemorySource source(file);
        LogoImage image;
        image.rgb.assign(10, 0x5a); // poisoned
        ASSERT_TRUE(ReadLogoBitmap(source, &image));
        ASSERT_EQ(w, image.width);
        ASSERT_EQ(h, image.height);
        ASSERT_EQ(1, image.scale);
        ASSERT_EQ(static_cast<std::size_t>(w * h * 3), image.rgb.size());
        // Five bits a channel lose the low three bits of each colour.
        const int tolerance = c.layout == Layout::Rgb16 || c.layout == Layout::Fields16 ? 8 : 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int index = testbmp::QuadrantIndex(x, y, w, h);
                if (c.layout == Layout::Pal1)
                    index &= 1; // two colours: red and green
                SCOPED_TRACE(testing::Message() << x << "," << y);
                ExpectColour(testbmp::kPalette[index], Kept(image, x, y), tolerance);
                if (HasFailure())
                    return;
            }
    }
}

// Large pictures are read at the scale the logo keeps, with a memory bound
// that comes from the logo's size: at most kLogoSide² kept pixels, one read
// window and a palette, however large the file.
std::size_t gLiveBytes = 0, gPeakBytes = 0;
bool gCounting = false;

} // namespace

void* operator new(std::size_t size)
{
    void* block = std::malloc(size + 16);
    if (!block)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    if (gCounting) {
        gLiveBytes += size;
        gPeakBytes = std::max(gPeakBytes, gLiveBytes);
    }
    return static_cast<char*>(block) + 16;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    void* block = static_cast<char*>(p) - 16;
    if (gCounting)
        gLiveBytes -= std::min(gLiveBytes, *static_cast<std::size_t*>(block));
    std::free(block);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

TEST(LogoBitmap, LargePicturesAreReadAtTheLogosScaleInBoundedMemory)
{
    const struct { int w, h, scale, textureSize; } cases[] = {
        {5000, 3400, 32, 256}, {30000, 20000, 128, 256}, {257, 3, 2, 128}, {1024, 512, 4, 256},
        {70000, 2, 512, 256}};
    const std::size_t bound = kLogoSide * kLogoSide * 3 + kLogoReadChunk + 4096;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        PictureSource source(c.w, c.h);
        LogoImage image;
        gLiveBytes = gPeakBytes = 0;
        gCounting = true;
        bool ok = ReadLogoBitmap(source, &image);
        gCounting = false;
        ASSERT_TRUE(ok);
        EXPECT_LE(gPeakBytes, bound);
        EXPECT_LE(source.largestRead, kLogoReadChunk);
        ASSERT_EQ(c.w, image.width);
        ASSERT_EQ(c.h, image.height);
        ASSERT_EQ(c.scale, image.scale);
        const int keptW = c.w / c.scale, keptH = c.h / c.scale;
        ASSERT_EQ(static_cast<std::size_t>(keptW) * keptH * 3, image.rgb.size());
        for (int y = 0; y < keptH; ++y)
            for (int x = 0; x < keptW; ++x) {
                int index = testbmp::QuadrantIndex(static_cast<long long>(x) * c.scale,
                                                   static_cast<long long>(y) * c.scale, c.w, c.h);
                ASSERT_EQ(testbmp::kPalette[index].g, Kept(image, x, y)[1]) << x << "," << y;
                ASSERT_EQ(testbmp::kPalette[index].b, Kept(image, x, y)[2]) << x << "," << y;
            }
        // The texture is the one a full read would give: the dot at the
        // top-left survives, the quadrants sit where they were.
        LogoTexture t = BuildLogoTexture(image);
        ASSERT_EQ(c.textureSize, t.size);
        if (keptH > 0) {
            const int yOff = (std::max(keptW, keptH) - keptH) / 2;
            const std::uint8_t* dot = &t.pixels[static_cast<std::size_t>(yOff) * t.size * 4];
            ExpectColour(testbmp::kPalette[4], dot);
        }
    }
    // The 51 MB file of 5000 × 3400 is read only in the rows the logo keeps.
    PictureSource camera(5000, 3400);
    LogoImage image;
    ASSERT_TRUE(ReadLogoBitmap(camera, &image));
    EXPECT_LT(camera.bytesRead, camera.Size() / 4);
}

// Each mutation of a good file names a lie or a layout the logo does not
// draw; the reader refuses each.
TEST(LogoBitmap, MalformedFilesAreRefused)
{
    const Bytes good = testbmp::Bitmap(Layout::Rgb24, 64, 32);
    auto with = [&](std::initializer_list<std::pair<int, std::uint8_t>> changes) {
        Bytes b = good;
        for (auto change : changes)
            b[static_cast<std::size_t>(change.first)] = change.second;
        return b;
    };
    const Bytes rle = testbmp::Bitmap(Layout::Rle8, 64, 32);
    Bytes rleTopDown = rle;
    for (int i : {22, 23, 24, 25}) // height −32: run-length data is bottom-up only
        rleTopDown[static_cast<std::size_t>(i)] = i == 22 ? 0xe0 : 0xff;
    const struct { const char* name; Bytes bytes; } cases[] = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 20)},
        {"truncated", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
        {"not BM", with({{0, 'X'}})},
        {"height 1000, 32 rows of data", with({{22, 0xe8}, {23, 0x03}})},
        {"65535 x 65535", with({{18, 0xff}, {19, 0xff}, {22, 0xff}, {23, 0xff}})},
        {"width -1", with({{18, 0xff}, {19, 0xff}, {20, 0xff}, {21, 0xff}})},
        {"width 0", with({{18, 0}, {19, 0}, {20, 0}, {21, 0}})},
        {"height 0", with({{22, 0}, {23, 0}, {24, 0}, {25, 0}})},
        {"height -2^31", with({{22, 0}, {23, 0}, {24, 0}, {25, 0x80}})},
        {"data beyond the end", with({{10, 0xff}, {11, 0xff}, {12, 0xff}})},
        {"data inside the header", with({{10, 20}, {11, 0}, {12, 0}, {13, 0}})},
        {"7 bits", with({{28, 7}})},
        {"0 bits", with({{28, 0}})},
        {"2 planes", with({{26, 2}})},
        {"JPEG", with({{30, 4}})},
        {"PNG", with({{30, 5}})},
        {"24-bit run-length", with({{30, 1}})},
        {"header of 20 bytes", with({{14, 20}})},
        {"header of 4 GiB", with({{14, 0xf0}, {15, 0xff}, {16, 0xff}, {17, 0xff}})},
        {"run-length top-down", rleTopDown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySource source(c.bytes);
        LogoImage image;
        EXPECT_FALSE(ReadLogoBitmap(source, &image));
    }
}

// Run-length data is read as far as it goes: rows it never reaches, pixels
// it skips and runs past the edge leave black, never a read out of bounds.
TEST(LogoBitmap, BrokenRunsKeepWhatTheyDrew)
{
    const int w = 64, h = 32;
    const Bytes rle = testbmp::Bitmap(Layout::Rle8, w, h);
    const long head = 14 + 40 + 256 * 4; // the headers and the palette
    // A full row of this picture is 6 bytes (two runs and the end of line):
    // twenty rows from the bottom and the first run of the next.
    Bytes cut(rle.begin(), rle.begin() + head + 20 * 6 + 3);
    Bytes wild(rle.begin(), rle.begin() + head);
    wild.insert(wild.end(), {0, 2, 250, 3,     // move far right and up three rows
                             255, 1, 255, 1,   // runs beyond the right edge
                             0, 0,             // end of line: row 4 from the bottom
                             0, 200, 1, 1, 1}); // an absolute run that breaks off
    Bytes endless(rle.begin(), rle.begin() + head);
    for (int i = 0; i < 5000; ++i)
        endless.insert(endless.end(), {0, 2, 255, 255}); // moves past the top
    auto picture = [&](int x, int y) {
        return &testbmp::kPalette[testbmp::QuadrantIndex(x, y, w, h)];
    };
    const testbmp::Colour* black = nullptr;
    const struct {
        const char* name;
        const Bytes* bytes;
        std::function<const testbmp::Colour*(int, int)> expected;
    } cases[] = {
        {"cut off", &cut,
         [&](int x, int y) { return y >= 12 || (y == 11 && x < 32) ? picture(x, y) : black; }},
        {"wild", &wild,
         [&](int x, int y) { return y == h - 1 - 4 && x < 3 ? &testbmp::kPalette[1] : black; }},
        {"endless moves", &endless, [&](int, int) { return black; }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySource source(*c.bytes);
        LogoImage image;
        ASSERT_TRUE(ReadLogoBitmap(source, &image));
        ASSERT_EQ(static_cast<std::size_t>(w * h * 3), image.rgb.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                SCOPED_TRACE(testing::Message() << x << "," << y);
                const testbmp::Colour* colour = c.expected(x, y);
                ExpectColour(colour ? *colour : testbmp::Colour{0, 0, 0}, Kept(image, x, y));
                if (HasFailure())
                    return;
            }
    }
}

// Bytes changed at random in good files of every layout: each is read or
// refused, and the sanitizers see no access outside the reader's buffers.
TEST(LogoBitmap, RandomDamageIsReadOrRefusedSafely)
{
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 8) & 0xffffff; };
    for (const auto& c : testbmp::kLayouts) {
        SCOPED_TRACE(c.name);
        const Bytes good = testbmp::Bitmap(c.layout, 23, 17);
        for (int round = 0; round < 300; ++round) {
            Bytes bad = good;
            int changes = 1 + static_cast<int>(next() % 4);
            for (int i = 0; i < changes; ++i) {
                std::size_t at =
                    next() % (round % 2 ? bad.size() : std::min<std::size_t>(bad.size(), 80));
                bad[at] = static_cast<std::uint8_t>(next());
            }
            if (round % 7 == 0)
                bad.resize(next() % bad.size());
            MemorySource source(bad);
            LogoImage image;
            if (ReadLogoBitmap(source, &image)) {
                ASSERT_GT(image.width, 0);
                ASSERT_GT(image.height, 0);
                ASSERT_LE(image.rgb.size(), static_cast<std::size_t>(kLogoSide * kLogoSide * 3));
                BuildLogoTexture(image);
            }
        }
    }
}

} // namespace
