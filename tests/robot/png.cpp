#include "png.h"

#include <cstdio>

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& body)
{
    PutBig32(out, static_cast<std::uint32_t>(body.size()));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// Deflate's bit stream: bits packed from the least significant end.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void Put(std::uint32_t bits, int count)
    {
        buffer_ |= bits << used_;
        used_ += count;
        while (used_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(buffer_));
            buffer_ >>= 8;
            used_ -= 8;
        }
    }

    // Huffman codes go most significant bit first.
    void PutCode(std::uint32_t code, int length)
    {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1u) << (length - 1 - i);
        Put(reversed, length);
    }

    void Flush()
    {
        if (used_ > 0)
            out_.push_back(static_cast<std::uint8_t>(buffer_));
        buffer_ = 0;
        used_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t buffer_ = 0;
    int used_ = 0;
};

// The fixed Huffman code of a literal/length symbol (RFC 1951, 3.2.6).
void PutLiteralSymbol(BitWriter& bits, int symbol)
{
    if (symbol < 144)
        bits.PutCode(0x30 + symbol, 8);
    else if (symbol < 256)
        bits.PutCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        bits.PutCode(symbol - 256, 7);
    else
        bits.PutCode(0xC0 + symbol - 280, 8);
}

const int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistanceBase[] = {1,   2,   3,   4,   5,    7,    9,    13,   17,   25,    33,    49,    65,    97,    129,
                             193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                              6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutMatch(BitWriter& bits, int length, int distance)
{
    int l = 28;
    while (kLengthBase[l] > length)
        --l;
    PutLiteralSymbol(bits, 257 + l);
    bits.Put(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistanceBase[d] > distance)
        --d;
    bits.PutCode(static_cast<std::uint32_t>(d), 5);
    bits.Put(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

// A zlib stream of one deflate block with the fixed codes, matches found
// through chains of earlier places with the same three bytes. Screenshots
// are mostly flat colour: long matches make them small.
std::vector<std::uint8_t> CompressedZlib(const std::vector<std::uint8_t>& raw)
{
    const int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kMostTries = 32;
    const std::size_t kHashSize = 1u << 15;
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::vector<std::int64_t> head(kHashSize, -1);
    std::vector<std::int64_t> previous(raw.size(), -1);
    auto hash = [&](std::size_t i) {
        return ((raw[i] << 10) ^ (raw[i + 1] << 5) ^ raw[i + 2]) & (kHashSize - 1);
    };
    auto remember = [&](std::size_t i) {
        if (i + kMinMatch > raw.size())
            return;
        std::size_t h = hash(i);
        previous[i] = head[h];
        head[h] = static_cast<std::int64_t>(i);
    };
    BitWriter bits(z);
    bits.Put(1, 1); // the last block
    bits.Put(1, 2); // fixed codes
    std::size_t i = 0;
    while (i < raw.size()) {
        int bestLength = 0, bestDistance = 0;
        if (i + kMinMatch <= raw.size()) {
            std::size_t most = raw.size() - i < static_cast<std::size_t>(kMaxMatch) ? raw.size() - i : kMaxMatch;
            std::int64_t candidate = head[hash(i)];
            for (int tries = 0; candidate >= 0 && tries < kMostTries; ++tries) {
                std::size_t from = static_cast<std::size_t>(candidate);
                if (i - from > static_cast<std::size_t>(kWindow))
                    break;
                std::size_t length = 0;
                while (length < most && raw[from + length] == raw[i + length])
                    ++length;
                if (static_cast<int>(length) > bestLength) {
                    bestLength = static_cast<int>(length);
                    bestDistance = static_cast<int>(i - from);
                    if (length == most)
                        break;
                }
                candidate = previous[from];
            }
        }
        if (bestLength >= kMinMatch) {
            PutMatch(bits, bestLength, bestDistance);
            for (int k = 0; k < bestLength; ++k)
                remember(i + k);
            i += bestLength;
        } else {
            PutLiteralSymbol(bits, raw[i]);
            remember(i);
            ++i;
        }
    }
    PutLiteralSymbol(bits, 256); // end of block
    bits.Flush();
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, (b << 16) | a);
    return z;
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * width));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y) * 3 * width;
        raw.insert(raw.end(), row, row + 3 * width);
    }
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(width));
    PutBig32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", CompressedZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && ok;
}
