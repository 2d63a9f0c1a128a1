// The logo texture: an image scaled down by halving, centred in a square
// power-of-two texture and cut to a disc. No windows.h: also built natively.
#pragma once
#include <cstdint>
#include <vector>

// A plain image: 3 bytes R, G, B per pixel, rows top to bottom, no padding.
struct LogoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The largest side a logo keeps; larger images are halved until they fit.
constexpr int kLogoSide = 256;

struct LogoTexture {
    int size = 0;                     // texWidth = texHeight, a power of two
    std::vector<std::uint8_t> pixels; // size · size · 4 bytes RGBA, rows top to bottom
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
};

// Builds the texture of an image. An image with no pixels (or whose pixel
// buffer is shorter than its dimensions say) gives an empty texture (size 0);
// the caller then uses the built-in logo.
LogoTexture BuildLogoTexture(const LogoImage& image);
