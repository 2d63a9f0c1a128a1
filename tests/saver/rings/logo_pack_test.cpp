// The built-in logo's packed form: the saver gets back exactly the pixels of
// the drawn bitmap, and nothing that is not a whole packed logo decodes.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "saver/rings/logo_pack.h"

namespace {

std::vector<std::uint8_t> ReadArt(const char* name)
{
    std::ifstream file(std::string(ORBELLE_ART) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Dword(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// logo.bmp's pixels (24-bit, bottom-up) as R, G, B rows from the top.
LogoImage BitmapPixels(const std::vector<std::uint8_t>& bmp)
{
    LogoImage image;
    image.width = static_cast<int>(Dword(bmp, 18));
    image.height = static_cast<int>(Dword(bmp, 22));
    std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
    for (int y = 0; y < image.height; ++y) {
        std::size_t row = Dword(bmp, 10) + (image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* bgr = &bmp.at(row + x * 3 + 2) - 2;
            image.rgb.insert(image.rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    }
    return image;
}

} // namespace

TEST(LogoPack, TheBuiltInLogoUnpacksToTheDrawnBitmapsPixels)
{
    std::vector<std::uint8_t> pack = ReadArt("logo.pack");
    std::vector<std::uint8_t> bmp = ReadArt("logo.bmp");
    ASSERT_GT(pack.size(), 800u);
    ASSERT_GT(bmp.size(), 54u);
    ASSERT_EQ(24, bmp[28]);
    LogoImage unpacked;
    ASSERT_TRUE(UnpackLogo(pack.data(), pack.size(), &unpacked));
    LogoImage drawn = BitmapPixels(bmp);
    EXPECT_EQ(drawn.width, unpacked.width);
    EXPECT_EQ(drawn.height, unpacked.height);
    EXPECT_TRUE(drawn.rgb == unpacked.rgb);
    // A quarter of the bitmap's room, or less.
    EXPECT_LT(pack.size() * 4, bmp.size());
}

TEST(LogoPack, AnythingButAWholePackedLogoIsRefused)
{
    const std::vector<std::uint8_t> good = ReadArt("logo.pack");
    ASSERT_GT(good.size(), 800u);
    auto with = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> b = good;
        b[at] = value;
        return b;
    };
    std::vector<std::uint8_t> noCode = good, overfull = good, cut = good;
    std::fill(noCode.begin() + 8, noCode.begin() + 8 + 256, 0);       // red has no symbol
    std::fill(overfull.begin() + 8, overfull.begin() + 8 + 256, 1);   // 256 one-bit codes
    cut.resize(cut.size() - 1);
    const struct {
        const char* what;
        std::vector<std::uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 8)},
        {"wrong mark", with(0, 'X')},
        {"zero width", with(5, 0)}, // 256 is 00 01
        {"too wide", with(5, 0x40)},
        {"zero height", with(7, 0)},
        {"length over 24 bits", with(8, 25)},
        {"no symbol in a code", noCode},
        {"over-subscribed code", overfull},
        {"cut short by a byte", cut},
        {"codes cut off", std::vector<std::uint8_t>(good.begin(), good.begin() + 8 + 768 + 100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogoImage image;
        image.width = 7;
        EXPECT_FALSE(UnpackLogo(c.data.data(), c.data.size(), &image));
        EXPECT_EQ(0, image.width);
        EXPECT_TRUE(image.rgb.empty());
    }
    LogoImage image;
    EXPECT_FALSE(UnpackLogo(nullptr, 100, &image));
}
