// Reading a bitmap file (untrusted) straight into the size the logo keeps:
// only every scale-th pixel of every scale-th row is decoded, so the memory
// used is bounded by the logo's size (kLogoSide² pixels, one read buffer and
// a palette), whatever the file's size. No windows.h: also built natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "saver/rings/logo.h"

// Where the bytes of a bitmap file come from (a file on disk, memory in
// tests). Size() is the file's size; Read fills count bytes from offset and
// is false when they cannot all be read.
class LogoSource {
public:
    virtual ~LogoSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool Read(std::uint64_t offset, void* into, std::size_t count) = 0;
};

// The most a source is asked to read at once.
constexpr std::size_t kLogoReadChunk = 64 * 1024;

// Decodes a bitmap file: a core or an info header of any later version;
// 1, 4 and 8 bits with a palette, 16, 24 and 32 bits, uncompressed or with
// bit fields; 8- and 4-bit run-length data; rows bottom-up or top-down.
// Fills image with the picture's size and its pixels at the scale of
// FitLogo. False for a file that is not such a bitmap: a header that lies
// about its data, no pixels, a compression the logo does not draw (JPEG,
// PNG). Run-length data that breaks off keeps the rows it drew, as the
// platform does; the rest stays black.
bool ReadLogoBitmap(LogoSource& source, LogoImage* image);
