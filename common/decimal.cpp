#include "decimal.h"

#include <cstdint>
#include <cstring>

// The arithmetic is done in long double: on the x87 (and the x86-64 ABIs
// this is built for) it carries 64 bits of mantissa, so a 19-digit integer
// and every power of ten up to 10^27 are exact in it and a scaled value is
// rounded once before it is rounded to a double.
namespace {

constexpr int kMostDigits = 17;
constexpr int kMostExponent = 5000; // beyond any double: keeps the count bounded

long double PowerOfTen(unsigned exponent)
{
    long double result = 1;
    long double square = 10;
    for (; exponent; exponent >>= 1) {
        if (exponent & 1)
            result *= square;
        square *= square;
    }
    return result;
}

// x * 10^exponent, dividing for a negative one (10^-k has no exact form).
long double TimesTenTo(long double x, int exponent)
{
    return exponent < 0 ? x / PowerOfTen(static_cast<unsigned>(-exponent))
                        : x * PowerOfTen(static_cast<unsigned>(exponent));
}

std::uint64_t TenTo(int exponent)
{
    std::uint64_t result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

// The binary exponent of a finite, non-zero double, read from its bits.
int BinaryExponent(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = static_cast<int>((bits >> 52) & 0x7FF);
    return biased == 0 ? -1074 : biased - 1023;
}

bool IsFinite(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return ((bits >> 52) & 0x7FF) != 0x7FF;
}

// value (> 0) as a digits-long integer mantissa and its decimal exponent:
// value ~ mantissa * 10^(exponent - digits + 1), 10^(digits-1) <= mantissa < 10^digits.
void Scale(double value, int digits, std::uint64_t* mantissa, int* exponent)
{
    // log10(2) ~ 78913 / 2^18: a first guess, off by at most one.
    int guess = (BinaryExponent(value) * 78913) >> 18;
    std::uint64_t low = TenTo(digits - 1), high = TenTo(digits);
    for (int tries = 0; tries < 4; ++tries) {
        long double scaled = TimesTenTo(value, digits - 1 - guess);
        std::uint64_t rounded = static_cast<std::uint64_t>(scaled);
        long double rest = scaled - static_cast<long double>(rounded);
        if (rest > 0.5L || (rest == 0.5L && (rounded & 1))) // an exact tie goes to even, as printf's
            ++rounded;
        if (rounded >= high) {
            ++guess;
            continue;
        }
        if (rounded < low && tries < 3) {
            --guess;
            continue;
        }
        *mantissa = rounded;
        *exponent = guess;
        return;
    }
    *mantissa = low; // not reached for a finite double
    *exponent = guess;
}

struct Writer {
    char* dst;
    std::size_t size;
    std::size_t used = 0;
    bool whole = true;
    void Put(char c)
    {
        if (used + 1 < size)
            dst[used++] = c;
        else
            whole = false;
    }
};

// The mantissa's digits with the decimal point after `before` of them
// (before <= 0: leading zeros after "0."), trailing zeros dropped.
void PutFixed(Writer& out, const char* digits, int count, int before)
{
    while (count > 0 && count > before && digits[count - 1] == '0')
        --count;
    if (before <= 0) {
        out.Put('0');
        out.Put('.');
        for (int i = before; i < 0; ++i)
            out.Put('0');
        for (int i = 0; i < count; ++i)
            out.Put(digits[i]);
        return;
    }
    for (int i = 0; i < before; ++i)
        out.Put(i < count ? digits[i] : '0');
    if (count > before) {
        out.Put('.');
        for (int i = before; i < count; ++i)
            out.Put(digits[i]);
    }
}

void PutExponent(Writer& out, int exponent)
{
    out.Put('e');
    out.Put(exponent < 0 ? '-' : '+');
    unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    if (magnitude >= 100)
        out.Put(static_cast<char>('0' + magnitude / 100));
    out.Put(static_cast<char>('0' + magnitude / 10 % 10));
    out.Put(static_cast<char>('0' + magnitude % 10));
}

int SkipDigits(const char*& p)
{
    int count = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        ++count;
    return count;
}

} // namespace

bool WriteDecimal(char* dst, std::size_t size, double value, int digits)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    if (!IsFinite(value) || digits < 1 || digits > kMostDigits)
        return false;
    Writer out{dst, size};
    if (value < 0 || (value == 0 && 1 / value < 0)) {
        out.Put('-');
        value = -value;
    }
    if (value == 0) {
        out.Put('0');
    } else {
        std::uint64_t mantissa;
        int exponent;
        Scale(value, digits, &mantissa, &exponent);
        char text[kMostDigits + 1];
        for (int i = digits - 1; i >= 0; --i, mantissa /= 10)
            text[i] = static_cast<char>('0' + mantissa % 10);
        if (exponent >= -4 && exponent < digits) {
            PutFixed(out, text, digits, exponent + 1);
        } else {
            PutFixed(out, text, digits, 1);
            PutExponent(out, exponent);
        }
    }
    dst[out.used] = '\0';
    if (!out.whole)
        dst[0] = '\0';
    return out.whole;
}

bool ReadDecimal(const char* text, double* value)
{
    const char* p = text;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    std::uint64_t mantissa = 0;
    int kept = 0, scale = 0, seen = 0;
    for (bool fraction = false;; ++p) {
        if (*p == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (*p < '0' || *p > '9')
            break;
        ++seen;
        if (mantissa == 0 && *p == '0') { // leading zeros carry no digit
            scale -= fraction;
            continue;
        }
        if (kept < 19) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++kept;
            scale -= fraction;
        } else {
            scale += !fraction; // a dropped digit before the point still counts
        }
    }
    if (seen == 0)
        return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool down = *p == '-';
        if (*p == '+' || *p == '-')
            ++p;
        int exponent = 0;
        const char* start = p;
        if (SkipDigits(p) == 0)
            return false;
        for (const char* q = start; q < p; ++q)
            if (exponent < kMostExponent)
                exponent = exponent * 10 + (*q - '0');
        scale += down ? -exponent : exponent;
    }
    if (*p != '\0')
        return false;
    long double result = mantissa;
    if (mantissa != 0) {
        if (scale > kMostExponent || scale + kept > 310)
            return false;
        result = scale + kept < -330 ? 0 : TimesTenTo(result, scale);
    }
    double narrowed = static_cast<double>(result);
    if (!IsFinite(narrowed))
        return false;
    *value = negative ? -narrowed : narrowed;
    return true;
}
