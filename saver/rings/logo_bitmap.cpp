#include "saver/rings/logo_bitmap.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMasksInHeaderSize = 52; // the first header with its own masks

// The compressions of the info header.
enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

struct Rgb {
    std::uint8_t r, g, b;
};

// What the headers say.
struct BitmapShape {
    std::int64_t width = 0, height = 0; // height negative: rows top to bottom
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint64_t dataOffset = 0;
    std::uint64_t paletteOffset = 0;
    int paletteEntrySize = 4; // 3 in a core header
    int paletteCount = 0;
    std::uint32_t masks[3] = {}; // red, green, blue
};

std::uint32_t Word(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}

std::uint32_t Dword(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads through one window of kLogoReadChunk bytes, refilled on a miss.
class ChunkReader {
public:
    explicit ChunkReader(LogoSource& source) : source_(source), size_(source.Size()) {}

    bool Byte(std::uint64_t offset, std::uint8_t* byte)
    {
        if (offset < start_ || offset - start_ >= length_) {
            if (!Fill(offset))
                return false;
        }
        *byte = window_[static_cast<std::size_t>(offset - start_)];
        return true;
    }

    // Up to four bytes, little-endian.
    bool Value(std::uint64_t offset, int count, std::uint32_t* value)
    {
        *value = 0;
        for (int i = 0; i < count; ++i) {
            std::uint8_t byte;
            if (!Byte(offset + i, &byte))
                return false;
            *value |= static_cast<std::uint32_t>(byte) << (8 * i);
        }
        return true;
    }

private:
    bool Fill(std::uint64_t offset)
    {
        length_ = 0;
        if (offset >= size_)
            return false;
        std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kLogoReadChunk, size_ - offset));
        window_.resize(kLogoReadChunk);
        if (!source_.Read(offset, window_.data(), length))
            return false;
        start_ = offset;
        length_ = length;
        return true;
    }

    LogoSource& source_;
    const std::uint64_t size_;
    std::vector<std::uint8_t> window_;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

bool ReadCoreHeader(const std::uint8_t* info, BitmapShape* shape)
{
    shape->width = Word(info + 4);
    shape->height = Word(info + 6);
    shape->bits = static_cast<int>(Word(info + 10));
    shape->paletteEntrySize = 3;
    if (shape->bits <= 8)
        shape->paletteCount = 1 << shape->bits;
    return Word(info + 8) == 1;
}

// BITMAPINFOHEADER and its longer successors; bit-field masks follow a
// 40-byte header and sit inside the longer ones.
bool ReadInfoHeader(ChunkReader& reader, const std::uint8_t* info, std::uint32_t infoSize,
                    BitmapShape* shape)
{
    shape->width = static_cast<std::int32_t>(Dword(info + 4));
    shape->height = static_cast<std::int32_t>(Dword(info + 8));
    shape->bits = static_cast<int>(Word(info + 14));
    shape->compression = Dword(info + 16);
    std::uint64_t masksAt = kFileHeaderSize + kInfoHeaderSize;
    if (shape->compression == kBitFields) {
        for (int i = 0; i < 3; ++i)
            if (!reader.Value(masksAt + 4 * i, 4, &shape->masks[i]))
                return false;
        if (infoSize < kMasksInHeaderSize)
            shape->paletteOffset += 12;
    }
    if (shape->bits <= 8 && shape->bits > 0) {
        std::uint32_t used = Dword(info + 32);
        std::uint32_t most = 1u << shape->bits;
        shape->paletteCount = static_cast<int>(used == 0 || used > most ? most : used);
    }
    return Word(info + 12) == 1;
}

bool KnownLayout(const BitmapShape& s)
{
    switch (s.compression) {
    case kRgb:
        if (s.paletteEntrySize == 3)
            return s.bits == 1 || s.bits == 4 || s.bits == 8 || s.bits == 24;
        return s.bits == 1 || s.bits == 4 || s.bits == 8 || s.bits == 16 || s.bits == 24 ||
               s.bits == 32;
    case kBitFields: return s.bits == 16 || s.bits == 32;
    case kRle8: return s.bits == 8 && s.height > 0; // run-length data is bottom-up only
    case kRle4: return s.bits == 4 && s.height > 0;
    default: return false; // JPEG, PNG and the rest: not bitmaps this saver draws
    }
}

std::uint64_t Stride(const BitmapShape& s)
{
    return (static_cast<std::uint64_t>(s.width) * s.bits + 31) / 32 * 4;
}

bool ReadShape(ChunkReader& reader, std::uint64_t fileSize, BitmapShape* shape)
{
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize] = {};
    for (std::uint64_t i = 0; i < sizeof head && i < fileSize; ++i)
        reader.Byte(i, &head[i]);
    const std::uint8_t* info = head + kFileHeaderSize;
    const std::uint32_t infoSize = Dword(info);
    if (fileSize < kFileHeaderSize + kCoreHeaderSize || head[0] != 'B' || head[1] != 'M')
        return false;
    shape->dataOffset = Dword(head + 10);
    shape->paletteOffset = kFileHeaderSize + infoSize;
    bool ok;
    if (infoSize == kCoreHeaderSize)
        ok = ReadCoreHeader(info, shape);
    else if (infoSize >= kInfoHeaderSize && fileSize >= kFileHeaderSize + kInfoHeaderSize)
        ok = ReadInfoHeader(reader, info, infoSize, shape);
    else
        return false;
    // A height of −2³¹ has no positive row count that fits.
    if (!ok || !KnownLayout(*shape) || shape->width <= 0 || shape->height == 0 ||
        shape->height == std::numeric_limits<std::int32_t>::min())
        return false;
    if (shape->dataOffset < shape->paletteOffset || shape->dataOffset >= fileSize)
        return false;
    if (shape->compression == kRle8 || shape->compression == kRle4)
        return true;
    // Uncompressed rows: a header that promises more rows than the file
    // holds is a lie.
    std::uint64_t rows =
        static_cast<std::uint64_t>(shape->height < 0 ? -shape->height : shape->height);
    return rows <= (fileSize - shape->dataOffset) / Stride(*shape);
}

bool ReadPalette(ChunkReader& reader, const BitmapShape& shape, std::vector<Rgb>* palette)
{
    palette->assign(static_cast<std::size_t>(shape.paletteCount), Rgb{0, 0, 0});
    for (int i = 0; i < shape.paletteCount; ++i) {
        std::uint32_t bgr;
        if (!reader.Value(shape.paletteOffset +
                              static_cast<std::uint64_t>(i) * shape.paletteEntrySize,
                          3, &bgr))
            return false;
        (*palette)[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(bgr >> 16),
                                                   static_cast<std::uint8_t>(bgr >> 8),
                                                   static_cast<std::uint8_t>(bgr)};
    }
    return true;
}

// A channel of a bit-field pixel, scaled to 0 … 255 whatever the mask.
std::uint8_t Channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    std::uint32_t most = mask >> shift;
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>((pixel & mask) >> shift) * 255 /
                                     most);
}

// The pixels the logo keeps, written into the image as they are decoded.
class Sampler {
public:
    Sampler(const BitmapShape& shape, LogoImage* image)
        : rows_(static_cast<std::uint64_t>(shape.height < 0 ? -shape.height : shape.height)),
          topDown_(shape.height < 0),
          fit_(FitLogo(static_cast<int>(shape.width), static_cast<int>(rows_))), image_(image)
    {
        image->width = static_cast<int>(shape.width);
        image->height = static_cast<int>(rows_);
        image->scale = fit_.scale;
        image->rgb.assign(static_cast<std::size_t>(fit_.width) * fit_.height * 3, 0);
    }

    int Width() const { return fit_.width; }
    int Height() const { return fit_.height; }
    std::uint64_t Scale() const { return static_cast<std::uint64_t>(fit_.scale); }
    std::uint64_t FileRows() const { return rows_; }

    // The row in the file (counted from its first) of kept row y.
    std::uint64_t FileRowOf(int y) const
    {
        std::uint64_t row = static_cast<std::uint64_t>(y) * Scale();
        return topDown_ ? row : rows_ - 1 - row;
    }
    // The kept row of a file row, or −1 when the logo skips that row.
    int KeptRow(std::uint64_t fileRow) const
    {
        if (fileRow >= rows_)
            return -1;
        std::uint64_t row = topDown_ ? fileRow : rows_ - 1 - fileRow;
        if (row % Scale() != 0 || row / Scale() >= static_cast<std::uint64_t>(fit_.height))
            return -1;
        return static_cast<int>(row / Scale());
    }
    // Stores the pixel at column x of kept row y, if the logo keeps it.
    void Put(int y, std::uint64_t x, Rgb colour)
    {
        if (x % Scale() != 0 || x / Scale() >= static_cast<std::uint64_t>(fit_.width))
            return;
        std::size_t at =
            (static_cast<std::size_t>(y) * fit_.width + static_cast<std::size_t>(x / Scale())) * 3;
        image_->rgb[at] = colour.r;
        image_->rgb[at + 1] = colour.g;
        image_->rgb[at + 2] = colour.b;
    }

private:
    std::uint64_t rows_;
    bool topDown_;
    LogoFit fit_;
    LogoImage* image_;
};

Rgb PaletteColour(const std::vector<Rgb>& palette, std::uint32_t index)
{
    return index < palette.size() ? palette[index] : Rgb{0, 0, 0};
}

Rgb Decode(const BitmapShape& shape, const std::vector<Rgb>& palette, std::uint32_t pixel)
{
    if (shape.bits <= 8)
        return PaletteColour(palette, pixel);
    if (shape.compression == kBitFields)
        return {Channel(pixel, shape.masks[0]), Channel(pixel, shape.masks[1]),
                Channel(pixel, shape.masks[2])};
    if (shape.bits == 16) // 5 bits each
        return {Channel(pixel, 0x7c00), Channel(pixel, 0x03e0), Channel(pixel, 0x001f)};
    return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
            static_cast<std::uint8_t>(pixel)};
}

// Uncompressed rows: only the kept rows are visited, only the kept pixels read.
bool ReadRows(ChunkReader& reader, const BitmapShape& shape, const std::vector<Rgb>& palette,
              Sampler& sampler)
{
    const std::uint64_t stride = Stride(shape);
    const std::uint64_t bits = static_cast<std::uint64_t>(shape.bits);
    for (int y = 0; y < sampler.Height(); ++y) {
        const std::uint64_t row = shape.dataOffset + sampler.FileRowOf(y) * stride;
        for (int kept = 0; kept < sampler.Width(); ++kept) {
            const std::uint64_t x = static_cast<std::uint64_t>(kept) * sampler.Scale();
            const std::uint64_t bit = x * bits;
            std::uint32_t pixel;
            if (!reader.Value(row + bit / 8, bits < 8 ? 1 : static_cast<int>(bits / 8), &pixel))
                return false;
            if (bits < 8)
                pixel = (pixel >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            sampler.Put(y, x, Decode(shape, palette, pixel));
        }
    }
    return true;
}

// Run-length data, read from start to end; pixels of skipped rows are only
// counted. The runs of a row may leave pixels out; they stay black.
void ReadRuns(ChunkReader& reader, const BitmapShape& shape, const std::vector<Rgb>& palette,
              Sampler& sampler)
{
    const bool four = shape.compression == kRle4;
    std::uint64_t at = shape.dataOffset, x = 0, row = 0;
    std::uint8_t count, value;
    while (row < sampler.FileRows() && reader.Byte(at, &count) && reader.Byte(at + 1, &value)) {
        at += 2;
        const int y = sampler.KeptRow(row);
        if (count > 0) { // a run of one index, or of two alternating ones
            for (int i = 0; y >= 0 && i < count; ++i)
                sampler.Put(
                    y, x + i,
                    PaletteColour(palette, four ? (i % 2 ? value & 15 : value >> 4) : value));
            x += count;
        } else if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // move right and up
            std::uint8_t dx, dy;
            if (!reader.Byte(at, &dx) || !reader.Byte(at + 1, &dy))
                return;
            at += 2;
            x += dx;
            row += dy;
        } else { // value indices as they stand, padded to a word
            const std::uint64_t bytes = four ? (value + 1u) / 2 : value;
            for (int i = 0; y >= 0 && i < value; ++i) {
                std::uint8_t packed;
                if (!reader.Byte(at + (four ? i / 2 : i), &packed))
                    return;
                sampler.Put(
                    y, x + i,
                    PaletteColour(palette, four ? (i % 2 ? packed & 15 : packed >> 4) : packed));
            }
            at += bytes + (bytes & 1);
            x += value;
        }
    }
}

} // namespace

bool ReadLogoBitmap(LogoSource& source, LogoImage* image)
{
    const std::uint64_t fileSize = source.Size();
    ChunkReader reader(source);
    BitmapShape shape;
    std::vector<Rgb> palette;
    if (!ReadShape(reader, fileSize, &shape) || !ReadPalette(reader, shape, &palette))
        return false;
    Sampler sampler(shape, image);
    if (shape.compression == kRle8 || shape.compression == kRle4) {
        ReadRuns(reader, shape, palette, sampler);
        return true;
    }
    return ReadRows(reader, shape, palette, sampler);
}
