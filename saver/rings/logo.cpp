#include "saver/rings/logo.h"

namespace {

int PowerOfTwoAtLeast(int size)
{
    int p = 1;
    while (p < size)
        p *= 2;
    return p;
}

// The disc is measured from the square's centre, a texel corner for even
// sizes; the texel at the centre always stays, or a 1 × 1 logo (whose only
// texel's corner lies outside the disc of radius ½) would vanish.
bool DiscCovers(int x, int y, int size)
{
    if (x == size / 2 && y == size / 2)
        return true;
    double half = size / 2.0;
    double dx = x - half, dy = y - half;
    return dx * dx + dy * dy <= half * half;
}

bool ValidScale(int scale)
{
    return scale > 0 && (scale & (scale - 1)) == 0;
}

} // namespace

LogoFit FitLogo(int width, int height)
{
    LogoFit fit{width, height, 1};
    while (fit.width > kLogoSide || fit.height > kLogoSide) {
        fit.width /= 2;
        fit.height /= 2;
        fit.scale *= 2;
    }
    return fit;
}

LogoTexture BuildLogoTexture(const LogoImage& image)
{
    LogoTexture texture;
    if (image.width <= 0 || image.height <= 0 || !ValidScale(image.scale))
        return texture;
    const LogoFit fit = FitLogo(image.width, image.height);
    if (fit.scale % image.scale != 0)
        return texture;
    // The pixels the image holds, and the step between those the logo keeps.
    const std::size_t heldWidth = static_cast<std::size_t>(image.width / image.scale);
    const std::size_t heldHeight = static_cast<std::size_t>(image.height / image.scale);
    const std::size_t step = static_cast<std::size_t>(fit.scale / image.scale);
    if (heldWidth > 0 && image.rgb.size() / 3 / heldWidth < heldHeight)
        return texture;

    int w = fit.width, h = fit.height;
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
            std::uint8_t* texel =
                &texture.pixels[(static_cast<std::size_t>(y) * texture.size + x) * 4];
            int ix = x - xOff, iy = y - yOff;
            if (ix >= 0 && iy >= 0 && ix < w && iy < h) {
                // Point sampling of the halved image.
                std::size_t at = (iy * step * heldWidth + ix * step) * 3;
                texel[0] = image.rgb[at];
                texel[1] = image.rgb[at + 1];
                texel[2] = image.rgb[at + 2];
            }
            texel[3] = DiscCovers(x, y, size) ? 255 : 0;
        }
    }
    return texture;
}
