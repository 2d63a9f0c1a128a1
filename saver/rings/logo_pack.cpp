#include "saver/rings/logo_pack.h"

#include <cstring>
#include <utility>

namespace {

constexpr int kMaxBits = 24;
constexpr int kMaxSide = kLogoSide; // the largest logo the rings keep
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTableSize = 3 * 256;

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Code {
    int count[kMaxBits + 1];
    std::uint8_t symbol[256];
};

// Builds the code from its 256 lengths. False when the lengths
// over-subscribe the code space or no symbol is used.
bool BuildCode(const std::uint8_t* lengths, Code* code)
{
    std::memset(code->count, 0, sizeof code->count);
    for (int s = 0; s < 256; ++s) {
        if (lengths[s] > kMaxBits)
            return false;
        ++code->count[lengths[s]];
    }
    if (code->count[0] == 256)
        return false;
    long long left = 1; // codes of the current length still free
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        left = left * 2 - code->count[bits];
        if (left < 0)
            return false;
    }
    int offset[kMaxBits + 2] = {};
    for (int bits = 1; bits <= kMaxBits; ++bits)
        offset[bits + 1] = offset[bits] + code->count[bits];
    for (int s = 0; s < 256; ++s)
        if (lengths[s])
            code->symbol[offset[lengths[s]]++] = static_cast<std::uint8_t>(s);
    return true;
}

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next bit, or -1 past the end.
    int Next()
    {
        if (at_ >= size_)
            return -1;
        int bit = (data_[at_] >> (7 - used_)) & 1;
        if (++used_ == 8) {
            used_ = 0;
            ++at_;
        }
        return bit;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    int used_ = 0;
};

// The next symbol of the code, or -1 when the bits are no code or run out.
int Decode(BitReader& bits, const Code& code)
{
    int value = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
        int bit = bits.Next();
        if (bit < 0)
            return -1;
        value |= bit;
        int count = code.count[length];
        if (value - first < count)
            return code.symbol[index + value - first];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return -1;
}

int Predict(const std::uint8_t* rgb, int width, int x, int y, int channel)
{
    auto at = [&](int px, int py) {
        return px < 0 || py < 0 ? 0 : rgb[(static_cast<std::size_t>(py) * width + px) * 3 + channel];
    };
    int guess = at(x - 1, y) + at(x, y - 1) - at(x - 1, y - 1);
    return guess < 0 ? 0 : guess > 255 ? 255 : guess;
}

} // namespace

bool UnpackLogo(const std::uint8_t* data, std::size_t size, LogoImage* image)
{
    *image = LogoImage{};
    if (!data || size < kHeaderSize + kTableSize || std::memcmp(data, "ORBL", 4) != 0)
        return false;
    int width = data[4] | (data[5] << 8), height = data[6] | (data[7] << 8);
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return false;
    Code codes[3];
    for (int c = 0; c < 3; ++c)
        if (!BuildCode(data + kHeaderSize + 256 * c, &codes[c]))
            return false;

    LogoImage out;
    out.width = width;
    out.height = height;
    out.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    BitReader bits(data + kHeaderSize + kTableSize, size - kHeaderSize - kTableSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int difference = Decode(bits, codes[c]);
                if (difference < 0)
                    return false;
                out.rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
                    static_cast<std::uint8_t>(Predict(out.rgb.data(), width, x, y, c) + difference);
            }
        }
    }
    *image = std::move(out);
    return true;
}
