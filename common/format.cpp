#include "format.h"

#include <cstdint>

namespace {

// Collects the output, counting what does not fit instead of writing it.
struct Sink {
    char* dst;
    std::size_t size;
    std::size_t used;
    bool whole;

    void Put(char c)
    {
        if (used + 1 < size)
            dst[used++] = c;
        else
            whole = false;
    }
    void Repeat(char c, int count)
    {
        for (; count > 0; --count)
            Put(c);
    }
};

// va_list is an array type on some ABIs: kept in a struct it can be passed on by reference.
struct Args {
    va_list list;
};

struct Spec {
    bool left = false, zero = false, plus = false, space = false, alternate = false;
    int width = 0;
    int precision = -1; // -1: none given
    char size = 0;      // 0, 'H' (hh), 'h', 'l', 'L' (ll, I64), 'z', 'j', 't'
    char conversion = 0;
};

int ReadNumber(const char*& p)
{
    int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value < 100000) // beyond any buffer; keeps the count from overflowing
            value = value * 10 + (*p - '0');
    return value;
}

void ReadFlags(const char*& p, Spec* spec)
{
    for (;; ++p) {
        switch (*p) {
        case '-': spec->left = true; break;
        case '0': spec->zero = true; break;
        case '+': spec->plus = true; break;
        case ' ': spec->space = true; break;
        case '#': spec->alternate = true; break;
        default: return;
        }
    }
}

void ReadWidthAndPrecision(const char*& p, Args& args, Spec* spec)
{
    if (*p == '*') {
        ++p;
        spec->width = va_arg(args.list, int);
        if (spec->width < 0) { // a negative width from an argument means left-justified
            spec->left = true;
            spec->width = spec->width == INT32_MIN ? 0 : -spec->width;
        }
    } else {
        spec->width = ReadNumber(p);
    }
    if (*p != '.')
        return;
    ++p;
    if (*p == '*') {
        ++p;
        int precision = va_arg(args.list, int);
        spec->precision = precision < 0 ? -1 : precision; // negative: as if none
    } else {
        spec->precision = ReadNumber(p);
    }
}

void ReadSize(const char*& p, Spec* spec)
{
    switch (*p) {
    case 'h':
        spec->size = p[1] == 'h' ? 'H' : 'h';
        p += spec->size == 'H' ? 2 : 1;
        break;
    case 'l':
        spec->size = p[1] == 'l' ? 'L' : 'l';
        p += spec->size == 'L' ? 2 : 1;
        break;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            spec->size = 'L';
            p += 3;
        }
        break;
    case 'z': case 'j': case 't':
        spec->size = *p++;
        break;
    }
}

std::uint64_t ReadUnsigned(Args& args, char size)
{
    switch (size) {
    case 'H': return static_cast<unsigned char>(va_arg(args.list, unsigned));
    case 'h': return static_cast<unsigned short>(va_arg(args.list, unsigned));
    case 'l': return va_arg(args.list, unsigned long);
    case 'L': return va_arg(args.list, unsigned long long);
    case 'z': return va_arg(args.list, std::size_t);
    case 'j': return va_arg(args.list, std::uintmax_t);
    case 't': return static_cast<std::uint64_t>(va_arg(args.list, std::ptrdiff_t));
    default: return va_arg(args.list, unsigned);
    }
}

std::int64_t ReadSigned(Args& args, char size)
{
    switch (size) {
    case 'H': return static_cast<signed char>(va_arg(args.list, int));
    case 'h': return static_cast<short>(va_arg(args.list, int));
    case 'l': return va_arg(args.list, long);
    case 'L': return va_arg(args.list, long long);
    case 'z': return static_cast<std::int64_t>(va_arg(args.list, std::size_t));
    case 'j': return va_arg(args.list, std::intmax_t);
    case 't': return va_arg(args.list, std::ptrdiff_t);
    default: return va_arg(args.list, int);
    }
}

// Writes the digits of value backwards from end; returns their count. A
// value that fits 32 bits is divided in 32 bits: cheaper on a 486, and no
// call to the compiler's 64-bit division helper.
int Digits(char* end, std::uint64_t value, unsigned base, bool upper)
{
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    int count = 0;
    while (value > 0xFFFFFFFFu) {
        *--end = set[value % base];
        value /= base;
        ++count;
    }
    for (std::uint32_t small = static_cast<std::uint32_t>(value); small; small /= base) {
        *--end = set[small % base];
        ++count;
    }
    return count;
}

void PutPadded(Sink& out, const Spec& spec, const char* prefix, int prefixLength, int zeros,
               const char* body, int bodyLength)
{
    int padding = spec.width - prefixLength - zeros - bodyLength;
    if (!spec.left)
        out.Repeat(' ', padding);
    for (int i = 0; i < prefixLength; ++i)
        out.Put(prefix[i]);
    out.Repeat('0', zeros);
    for (int i = 0; i < bodyLength; ++i)
        out.Put(body[i]);
    if (spec.left)
        out.Repeat(' ', padding);
}

void PutInteger(Sink& out, Spec spec, std::uint64_t magnitude, bool negative)
{
    unsigned base = spec.conversion == 'o' ? 8 : (spec.conversion == 'x' || spec.conversion == 'X') ? 16 : 10;
    char digits[24];
    char* end = digits + sizeof digits;
    int count = Digits(end, magnitude, base, spec.conversion == 'X');
    char prefix[2];
    int prefixLength = 0;
    bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
    if (negative)
        prefix[prefixLength++] = '-';
    else if (isSigned && spec.plus)
        prefix[prefixLength++] = '+';
    else if (isSigned && spec.space)
        prefix[prefixLength++] = ' ';
    if (spec.alternate && magnitude != 0 && base == 16) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = spec.conversion;
    }
    int least = spec.precision < 0 ? 1 : spec.precision;
    if (spec.alternate && base == 8 && least <= count)
        least = count + 1; // octal's # asks for a leading zero
    int zeros = least > count ? least - count : 0;
    if (spec.zero && !spec.left && spec.precision < 0) {
        int room = spec.width - prefixLength - count;
        if (room > zeros)
            zeros = room;
    }
    PutPadded(out, spec, prefix, prefixLength, zeros, end - count, count);
}

void PutText(Sink& out, const Spec& spec, const char* text)
{
    if (!text)
        text = "(null)";
    int length = 0;
    while (text[length] && (spec.precision < 0 || length < spec.precision))
        ++length;
    PutPadded(out, spec, nullptr, 0, 0, text, length);
}

// One conversion; false when the formatter has none of that name.
bool Convert(Sink& out, Spec spec, Args& args)
{
    switch (spec.conversion) {
    case 'd': case 'i': {
        std::int64_t value = ReadSigned(args, spec.size);
        std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
        PutInteger(out, spec, magnitude, value < 0);
        return true;
    }
    case 'u': case 'x': case 'X': case 'o':
        PutInteger(out, spec, ReadUnsigned(args, spec.size), false);
        return true;
    case 'p':
        spec.conversion = 'X';
        spec.precision = static_cast<int>(sizeof(void*) * 2);
        PutInteger(out, spec, reinterpret_cast<std::uintptr_t>(va_arg(args.list, void*)), false);
        return true;
    case 'c': {
        char c = static_cast<char>(va_arg(args.list, int));
        PutPadded(out, spec, nullptr, 0, 0, &c, 1);
        return true;
    }
    case 's':
        PutText(out, spec, va_arg(args.list, const char*));
        return true;
    case '%':
        out.Put('%');
        return true;
    default:
        return false;
    }
}

} // namespace

bool FormatBounded(char* dst, std::size_t size, const char* format, va_list list)
{
    if (size == 0)
        return false;
    Sink out{dst, size, 0, true};
    Args args;
    va_copy(args.list, list);
    bool known = true;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        ++p;
        Spec spec;
        ReadFlags(p, &spec);
        ReadWidthAndPrecision(p, args, &spec);
        ReadSize(p, &spec);
        spec.conversion = *p;
        if (!*p || !Convert(out, spec, args)) {
            known = false; // an unknown conversion ends the text: its argument cannot be skipped
            break;
        }
    }
    va_end(args.list);
    dst[out.used] = '\0';
    return out.whole && known;
}
