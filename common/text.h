// Bounded text copies and formats. No windows.h: also built natively.
#pragma once
#include <cstdarg>
#include <cstddef>

// Copies src into dst (size bytes, terminator included). Always terminates
// when size > 0; returns false when src had to be cut.
bool CopyText(char* dst, std::size_t size, const char* src);

// Appends src to the text already in dst, bounded the same way.
bool AppendText(char* dst, std::size_t size, const char* src);

// The formats of FormatText and of the functions that pass theirs on to it:
// on Windows those of the system's C runtime (msvcrt), which has wsprintfA's
// placeholders and the floating-point ones but no C99 size letters (z, j,
// t, ll: %I64d is its 64-bit one); the compiler checks each format against it.
#if defined(_WIN32)
#define TEXT_FORMAT(f, a) __attribute__((__format__(ms_printf, f, a)))
#elif defined(__GNUC__)
#define TEXT_FORMAT(f, a) __attribute__((__format__(printf, f, a)))
#else
#define TEXT_FORMAT(f, a)
#endif

// snprintf into dst; always terminates when size > 0; returns false when
// the formatted text had to be cut.
bool FormatText(char* dst, std::size_t size, const char* format, ...) TEXT_FORMAT(3, 4);

// The same with the arguments of a variadic caller.
bool FormatTextV(char* dst, std::size_t size, const char* format, va_list args) TEXT_FORMAT(3, 0);
