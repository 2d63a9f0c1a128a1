#include "saver/rings/logo.h"

namespace {

int PowerOfTwoAtLeast(int size)
{
    int p = 1;
    while (p < size)
        p *= 2;
    return p;
}

bool DiscCovers(int x, int y, int size)
{
    double half = size / 2.0;
    double dx = x - half, dy = y - half;
    return dx * dx + dy * dy <= half * half;
}

} // namespace

LogoTexture BuildLogoTexture(const LogoImage& image)
{
    LogoTexture texture;
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() / 3 / static_cast<std::size_t>(image.width) <
            static_cast<std::size_t>(image.height))
        return texture;

    int w = image.width, h = image.height, scale = 1;
    while (w > kLogoSide || h > kLogoSide) {
        w /= 2;
        h /= 2;
        scale *= 2;
    }
    int size = w > h ? w : h;
    int xOff = 0, yOff = 0;
    if (w < size)
        xOff = (size - w) / 2;
    else
        yOff = (size - h) / 2;

    texture.size = PowerOfTwoAtLeast(size);
    texture.s1 = texture.t1 = static_cast<float>(size) / texture.size;
    texture.pixels.assign(static_cast<std::size_t>(texture.size) * texture.size * 4, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint8_t* texel = &texture.pixels[(static_cast<std::size_t>(y) * texture.size + x) * 4];
            int ix = x - xOff, iy = y - yOff;
            if (ix >= 0 && iy >= 0 && ix < w && iy < h) {
                // Point sampling of the halved image.
                std::size_t at = (static_cast<std::size_t>(iy) * scale * image.width +
                                  static_cast<std::size_t>(ix) * scale) * 3;
                texel[0] = image.rgb[at];
                texel[1] = image.rgb[at + 1];
                texel[2] = image.rgb[at + 2];
            }
            texel[3] = DiscCovers(x, y, size) ? 255 : 0;
        }
    }
    return texture;
}
