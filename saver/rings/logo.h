// The logo texture: an image scaled down by halving, centred in a square
// power-of-two texture and cut to a disc. No windows.h: also built natively.
#pragma once
#include <cstdint>
#include <vector>

// A picture for the logo. width × height is the picture's own size; rgb
// holds every scale-th pixel of every scale-th row, (width / scale) ×
// (height / scale) pixels of 3 bytes R, G, B, rows top to bottom, no
// padding. Scale 1 is the whole picture; a large file is read at the scale
// the logo keeps (FitLogo), so it never needs the memory of its full size.
struct LogoImage {
    int width = 0;
    int height = 0;
    int scale = 1; // a power of two
    std::vector<std::uint8_t> rgb;
};

// The largest side a logo keeps; larger images are halved until they fit.
constexpr int kLogoSide = 256;

// How the logo halves a picture until both sides fit kLogoSide: the size it
// keeps (a very thin picture may keep 0 rows or columns) and the scale, a
// power of two.
struct LogoFit {
    int width, height, scale;
};
LogoFit FitLogo(int width, int height);

struct LogoTexture {
    int size = 0;                     // texWidth = texHeight, a power of two
    std::vector<std::uint8_t> pixels; // size · size · 4 bytes RGBA, rows top to bottom
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
};

// Builds the texture of an image. An image with no pixels (or whose pixel
// buffer is shorter than its dimensions say, or whose scale is coarser than
// the logo's) gives an empty texture (size 0); the caller then uses the
// built-in logo.
LogoTexture BuildLogoTexture(const LogoImage& image);
