// libFuzzer target for the reader of a user's logo bitmap file: the input is
// the whole file. Built and run by scripts/fuzz-parsers.sh (clang), not by
// the ordinary build. With FUZZ_LOGO_SEEDS naming a folder, it first writes
// small well-formed files of every layout there as seeds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "saver/rings/logo_bitmap.h"
#include "test_bitmaps.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The file in an exact-size heap block, so that a read past its end is
// caught; the reader must never ask for bytes the file does not have.
class CheckedSource : public LogoSource {
public:
    explicit CheckedSource(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, void* into, std::size_t count) override
    {
        Check(count <= kLogoReadChunk);
        Check(offset <= bytes_.size() && count <= bytes_.size() - offset);
        std::memcpy(into, bytes_.data() + offset, count);
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
};

void WriteSeed(const std::string& folder, const char* name, int w, int h,
               const testbmp::Bytes& bytes)
{
    std::string path = folder + "/seed-" + name + "-" + std::to_string(w) + "x" + std::to_string(h);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("FUZZ_LOGO_SEEDS");
    if (!folder)
        return 0;
    const struct {
        int w, h;
    } sizes[] = {{1, 1}, {5, 3}, {7, 4}};
    for (const testbmp::LayoutName& layout : testbmp::kLayouts)
        for (const auto& size : sizes)
            WriteSeed(folder, layout.name, size.w, size.h,
                      testbmp::Bitmap(layout.layout, size.w, size.h));
    // Larger than the logo keeps: read at a coarser scale.
    WriteSeed(folder, "pal1", 300, 260, testbmp::Bitmap(testbmp::Layout::Pal1, 300, 260));
    WriteSeed(folder, "rle8", 600, 9, testbmp::Bitmap(testbmp::Layout::Rle8, 600, 9));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    CheckedSource source(bytes);
    LogoImage image;
    if (!ReadLogoBitmap(source, &image))
        return 0;
    // A picture read is as large as its headers say, kept at the logo's scale.
    Check(image.width > 0 && image.height > 0);
    const LogoFit fit = FitLogo(image.width, image.height);
    Check(image.scale == fit.scale);
    Check(image.rgb.size() == static_cast<std::size_t>(fit.width) * fit.height * 3);
    BuildLogoTexture(image);
    return 0;
}
