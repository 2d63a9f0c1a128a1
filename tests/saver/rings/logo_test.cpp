#include <gtest/gtest.h>

#include "saver/rings/logo.h"

namespace {

// An image whose pixel (x, y) encodes its own position.
LogoImage Coded(int width, int height)
{
    LogoImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>((x >> 8) | ((y >> 8) << 4));
        }
    return image;
}

const std::uint8_t* Texel(const LogoTexture& t, int x, int y)
{
    return &t.pixels[(static_cast<std::size_t>(y) * t.size + x) * 4];
}

TEST(LogoTexture, AWideLogoIsSampledEveryFourthPixelAndCentred)
{
    LogoTexture t = BuildLogoTexture(Coded(1024, 512));
    ASSERT_EQ(256, t.size);
    EXPECT_FLOAT_EQ(1.0f, t.s1);
    EXPECT_FLOAT_EQ(1.0f, t.t1);
    // The 256 × 128 image sits in rows 64 … 191.
    const std::uint8_t* p = Texel(t, 10, 64 + 20);
    EXPECT_EQ(40, p[0]);
    EXPECT_EQ(80, p[1]);
    p = Texel(t, 200, 64 + 100);
    EXPECT_EQ((800) & 0xff, p[0]);
    EXPECT_EQ(400 & 0xff, p[1]);
    EXPECT_EQ((800 >> 8) | ((400 >> 8) << 4), p[2]);
    // Above and below the image: black, but inside the disc still opaque.
    p = Texel(t, 128, 40);
    EXPECT_EQ(0, p[0] | p[1] | p[2]);
    EXPECT_EQ(255, p[3]);
    // The corners are cut off.
    EXPECT_EQ(0, Texel(t, 0, 0)[3]);
    EXPECT_EQ(0, Texel(t, 255, 255)[3]);
    EXPECT_EQ(255, Texel(t, 128, 128)[3]);
    EXPECT_EQ(255, Texel(t, 0, 128)[3]);
}

TEST(LogoTexture, ATallLogoIsCentredAcross)
{
    LogoTexture t = BuildLogoTexture(Coded(100, 200));
    ASSERT_EQ(256, t.size);
    EXPECT_FLOAT_EQ(200.0f / 256, t.s1);
    EXPECT_FLOAT_EQ(200.0f / 256, t.t1);
    EXPECT_EQ(0, Texel(t, 49, 100)[0]); // left of the image
    EXPECT_EQ(0, Texel(t, 50, 100)[0]); // its first column
    EXPECT_EQ(5, Texel(t, 55, 100)[0]);
    EXPECT_EQ(100, Texel(t, 55, 100)[1]);
    // Beyond the 200 × 200 square everything is zero, alpha included.
    for (int x : {0, 100, 255})
        EXPECT_EQ(0, Texel(t, x, 230)[3] | Texel(t, x, 230)[0]);
    EXPECT_EQ(0, Texel(t, 210, 100)[3]);
}

TEST(LogoTexture, SizesRoundUpToPowersOfTwo)
{
    const struct { int w, h, size; float s1; } cases[] = {
        {1, 1, 1, 1.0f}, {3, 2, 4, 0.75f}, {256, 256, 256, 1.0f}, {257, 10, 128, 1.0f},
        {600, 600, 256, 150.0f / 256}, {4000, 3, 256, 250.0f / 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        LogoTexture t = BuildLogoTexture(Coded(c.w, c.h));
        EXPECT_EQ(c.size, t.size);
        EXPECT_FLOAT_EQ(c.s1, t.s1);
        EXPECT_EQ(static_cast<std::size_t>(c.size) * c.size * 4, t.pixels.size());
    }
    // The disc is measured from the square's centre: a 2 × 2 logo keeps the
    // texels that touch it and loses the far corner.
    LogoTexture two = BuildLogoTexture(Coded(2, 2));
    EXPECT_EQ(0, Texel(two, 0, 0)[3]);
    EXPECT_EQ(255, Texel(two, 1, 0)[3]);
    EXPECT_EQ(255, Texel(two, 1, 1)[3]);
}

TEST(LogoTexture, TheDiscAlwaysKeepsItsCentreTexel)
{
    for (int side : {1, 2, 3, 4, 5, 7, 16, 255}) {
        SCOPED_TRACE(side);
        LogoImage image = Coded(side, side);
        for (std::uint8_t& byte : image.rgb)
            byte = 200;
        LogoTexture t = BuildLogoTexture(image);
        const std::uint8_t* centre = Texel(t, side / 2, side / 2);
        EXPECT_EQ(255, centre[3]);
        EXPECT_EQ(200, centre[0]);
        int opaque = 0;
        for (int y = 0; y < t.size; ++y)
            for (int x = 0; x < t.size; ++x)
                opaque += Texel(t, x, y)[3] == 255;
        // The disc never covers more than its square.
        EXPECT_LE(opaque, side * side);
        EXPECT_GE(opaque, side == 1 ? 1 : side * side / 2);
    }
}

TEST(LogoTexture, AThinLogoHalvedToNothingLeavesABlackDisc)
{
    LogoTexture t = BuildLogoTexture(Coded(1, 1024));
    ASSERT_EQ(256, t.size);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(0, Texel(t, x, y)[0] | Texel(t, x, y)[1] | Texel(t, x, y)[2]);
    EXPECT_EQ(255, Texel(t, 128, 128)[3]);
}

TEST(LogoTexture, AnEmptyOrShortImageGivesNoTexture)
{
    LogoImage empty;
    EXPECT_EQ(0, BuildLogoTexture(empty).size);
    LogoImage zero = Coded(4, 4);
    zero.width = 0;
    EXPECT_EQ(0, BuildLogoTexture(zero).size);
    LogoImage shortImage = Coded(4, 4);
    shortImage.height = 5;
    EXPECT_EQ(0, BuildLogoTexture(shortImage).size);
}

} // namespace
