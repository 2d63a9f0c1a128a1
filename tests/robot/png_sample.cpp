// Writes a test picture as a PNG, for tests/robot/check_png.py to read
// back with another decoder. Usage: png_sample FILE WIDTH HEIGHT
// Rows: a flat colour, then a gradient, then noise.
#include "png.h"

#include <cstdint>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    if (width < 1 || height < 1)
        return 2;
    std::vector<std::uint8_t> rgb;
    std::uint32_t noise = 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (y < height / 3) {
                rgb.insert(rgb.end(), {40, 80, 120});
            } else if (y < 2 * height / 3) {
                rgb.insert(rgb.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                       static_cast<std::uint8_t>(x + y)});
            } else {
                for (int c = 0; c < 3; ++c) {
                    noise = noise * 1103515245u + 12345u;
                    rgb.push_back(static_cast<std::uint8_t>(noise >> 24));
                }
            }
        }
    }
    return WritePng(argv[1], width, height, rgb) ? 0 : 1;
}
