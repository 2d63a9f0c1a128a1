// Bounded text copies and formats. No windows.h: also built natively.
#pragma once
#include <cstdarg>
#include <cstddef>

// Copies src into dst (size bytes, terminator included). Always terminates
// when size > 0; returns false when src had to be cut.
bool CopyText(char* dst, std::size_t size, const char* src);

// Appends src to the text already in dst, bounded the same way.
bool AppendText(char* dst, std::size_t size, const char* src);

// snprintf into dst; always terminates when size > 0; returns false when
// the formatted text had to be cut.
bool FormatText(char* dst, std::size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// The same with the arguments of a variadic caller.
bool FormatTextV(char* dst, std::size_t size, const char* format, va_list args)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 0)))
#endif
    ;
