// Decimal text to and from double, with no C library beneath it (the
// shipped programs link none). No windows.h: also built natively.
#pragma once
#include <cstddef>

// Writes a finite value as "%.*g" writes it: at most `digits` (1 to 17)
// significant digits, fixed notation for decimal exponents from -4 up to
// digits - 1 and "1.5e-05" style beyond, trailing zeros dropped. Always
// terminates when size > 0; false when the text did not fit, or the value
// is not finite or digits is out of range (then dst holds "").
bool WriteDecimal(char* dst, std::size_t size, double value, int digits);

// Reads [sign] digits [. digits] [e [sign] digits] with nothing after it
// and at least one digit before the exponent. Accurate to the double's last
// bit or so for up to 19 significant digits (further ones are dropped).
// False for any other text, or a value too large for a double; a value too
// small for one reads as zero.
bool ReadDecimal(const char* text, double* value);
