// libFuzzer target for the installer's version texts and the version
// library's result bits. Built and run by scripts/fuzz-parsers.sh (clang), not
// by the ordinary build. Input: 4 bytes of result bits, 1 byte of buffer
// size, then two version texts separated by a zero byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "installer/payload/version_text.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The result text in a buffer of exactly size bytes, so that ASan sees any
// write past it.
void CheckResultText(std::uint32_t bits, ResultPass pass, std::size_t size)
{
    std::vector<char> out(size ? size : 1, 'x');
    BuildResultText(bits, pass, out.data(), size);
    if (size)
        Check(std::memchr(out.data(), '\0', size) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    std::uint32_t bits = data[0] | (data[1] << 8) | (data[2] << 16) |
                         (static_cast<std::uint32_t>(data[3]) << 24);
    std::size_t bufferSize = data[4];
    std::string rest(reinterpret_cast<const char*>(data + 5), size - 5);
    std::size_t zero = rest.find('\0');
    std::string first = rest.substr(0, zero);
    std::string second = zero == std::string::npos ? std::string() : rest.substr(zero + 1);

    FileVersionQuad a = ParseVersionText(first.c_str());
    FileVersionQuad b = ParseVersionText(second.c_str());
    for (std::int32_t part : a.part)
        Check(part >= 0);
    Check(CompareVersions(a, a) == 0);
    Check(CompareVersions(a, b) == -CompareVersions(b, a));
    Check(IsZeroVersion(a) == (CompareVersions(a, FileVersionQuad{{0, 0, 0, 0}}) == 0));
    // An installed file of the payload's own known version is left alone.
    if (!IsZeroVersion(a))
        Check(DecidePayload(a, a, true) == PayloadDecision::Leave);
    // No installed file reads as version zero: the payload goes in.
    Check(DecidePayload(a, FileVersionQuad{{0, 0, 0, 0}}, false) == PayloadDecision::Install);
    DecidePayload(a, b, true);

    CheckResultText(bits, ResultPass::First, bufferSize);
    CheckResultText(bits, ResultPass::Final, bufferSize);
    return 0;
}
