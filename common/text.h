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
// those of format.h (the integer, character, string and pointer ones), which
// the compiler checks against the C99 list.
#if defined(__GNUC__)
#define TEXT_FORMAT(f, a) __attribute__((__format__(gnu_printf, f, a)))
#else
#define TEXT_FORMAT(f, a)
#endif

// printf into dst (format.h); always terminates when size > 0; returns false when
// the formatted text had to be cut.
bool FormatText(char* dst, std::size_t size, const char* format, ...) TEXT_FORMAT(3, 4);

// The same with the arguments of a variadic caller.
bool FormatTextV(char* dst, std::size_t size, const char* format, va_list args) TEXT_FORMAT(3, 0);
