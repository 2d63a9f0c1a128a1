// Bounded printf-style formatting with no C library beneath it: the shipped
// programs link none, so that they load on a Windows 95 without MSVCRT.DLL.
// No windows.h: also built natively and checked against the host's printf.
#pragma once
#include <cstdarg>
#include <cstddef>

// Formats into dst (size bytes); always terminates when size > 0. Returns
// false when the text had to be cut, or when the format asks for a
// conversion this formatter does not have (the floating-point ones: write
// decimals with decimal.h).
//
// Conversions: d i u x X o c s p %; flags - 0 + space #; a width and a
// precision, each a number or *; the sizes hh h l ll I64 z j t. %p writes
// the pointer as the Windows runtimes do, in upper-case hex digits padded to
// the pointer's width; %s of a null pointer writes "(null)".
bool FormatBounded(char* dst, std::size_t size, const char* format, va_list args);
