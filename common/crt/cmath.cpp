#include "common/crt/cmath.h"

namespace {

// The remainder of x by y, exact (fprem works a part of the exponent
// difference at a time and says by C2 when it has more to do).
long double Remainder(long double x, long double y)
{
    unsigned short status;
    do {
        asm("fprem\n\tfnstsw %1" : "+t"(x), "=a"(status) : "u"(y));
    } while (status & 0x400);
    return x;
}

// fsin and fcos take arguments below 2^63 in magnitude; beyond it they set
// C2 and leave the argument: reduce it by 2 pi then. (Doubles that large
// have no fraction: sin of them is noise in any library.)
long double ReduceForSine(long double x)
{
    const long double kTwoPi = 6.283185307179586476925286766559L;
    long double limit = 9223372036854775808.0L;
    if (x >= limit || x <= -limit)
        x = Remainder(x, kTwoPi);
    return x;
}

// x rounded by the x87 with the rounding control `mode` (0x400 down, 0x800
// up, 0xC00 toward zero).
double Round(double x, unsigned short mode)
{
    unsigned short saved, changed;
    asm volatile("fnstcw %0" : "=m"(saved));
    changed = static_cast<unsigned short>((saved & ~0xC00) | mode);
    long double value = x;
    asm volatile("fldcw %1\n\tfrndint\n\tfldcw %2" : "+t"(value) : "m"(changed), "m"(saved));
    return static_cast<double>(value);
}

} // namespace

extern "C" {

double CRT_NAME(sqrt)(double x)
{
    long double value = x;
    asm("fsqrt" : "+t"(value));
    return static_cast<double>(value);
}

double CRT_NAME(sin)(double x)
{
    long double value = ReduceForSine(x);
    asm("fsin" : "+t"(value));
    return static_cast<double>(value);
}

double CRT_NAME(cos)(double x)
{
    long double value = ReduceForSine(x);
    asm("fcos" : "+t"(value));
    return static_cast<double>(value);
}

// The compiler asks for both at once where a function needs both.
void CRT_NAME(sincos)(double x, double* sine, double* cosine)
{
    long double value = ReduceForSine(x), other;
    asm("fsincos" : "=t"(other), "=u"(value) : "0"(value));
    *sine = static_cast<double>(value);
    *cosine = static_cast<double>(other);
}

double CRT_NAME(fabs)(double x)
{
    long double value = x;
    asm("fabs" : "+t"(value));
    return static_cast<double>(value);
}

double CRT_NAME(floor)(double x) { return Round(x, 0x400); }

double CRT_NAME(ceil)(double x) { return Round(x, 0x800); }

double CRT_NAME(trunc)(double x) { return Round(x, 0xC00); }

double CRT_NAME(fmod)(double x, double y)
{
    if (y == 0 || x != x || y != y)
        return (x * y) / (x * y); // NaN, as the C library gives
    return static_cast<double>(Remainder(x, y));
}

} // extern "C"
