// libFuzzer target for the built-in logo's packed form. Built and run by
// scripts/fuzz-parsers.sh (clang), not by the ordinary build.
#include <cstddef>
#include <cstdint>

#include "saver/rings/logo_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LogoImage image;
    bool whole = UnpackLogo(data, size, &image);
    bool sized = image.width > 0 && image.height > 0 &&
                 image.rgb.size() == static_cast<std::size_t>(image.width) * image.height * 3;
    if (whole != sized || (!whole && !image.rgb.empty()))
        __builtin_trap();
    return 0;
}
