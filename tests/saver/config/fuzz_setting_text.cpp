// libFuzzer target for the setting texts the saver reads from the registry:
// the screen mode ("800x600x16") and decimal numbers. Built and run by
// scripts/fuzz-parsers.sh (clang), not by the ordinary build. The first byte
// picks the decimal separator; the rest is the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "saver/config/settings.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckScreenMode(const char* text)
{
    ScreenMode mode = ParseScreenMode(text);
    if (mode.IsNormal())
        return;
    Check(mode.width > 0 && mode.height > 0 && mode.depth >= -1);
    // What was read is written back the same way and reads the same again.
    char written[32];
    Check(FormatScreenMode(written, sizeof written, mode));
    ScreenMode again = ParseScreenMode(written);
    Check(again.width == mode.width && again.height == mode.height && again.depth == mode.depth);
}

void CheckDecimal(const char* text, char separator)
{
    double value = -12345.0;
    if (!ParseDecimal(text, separator, &value)) {
        Check(value == -12345.0);
        return;
    }
    Check(std::isfinite(value));
    char written[64];
    if (FormatDecimal(written, sizeof written, value, separator)) {
        double again = 0;
        Check(ParseDecimal(written, separator, &again));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    char separator = static_cast<char>(data[0]);
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckScreenMode(text.c_str());
    CheckDecimal(text.c_str(), separator);
    return 0;
}
