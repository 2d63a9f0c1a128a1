#include "text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool CopyText(char* dst, std::size_t size, const char* src)
{
    if (size == 0)
        return false;
    std::size_t length = std::strlen(src);
    bool fits = length < size;
    if (!fits)
        length = size - 1;
    std::memcpy(dst, src, length);
    dst[length] = '\0';
    return fits;
}

bool AppendText(char* dst, std::size_t size, const char* src)
{
    std::size_t used = strnlen(dst, size);
    if (used >= size)
        return false;
    return CopyText(dst + used, size - used, src);
}

bool FormatTextV(char* dst, std::size_t size, const char* format, va_list args)
{
    if (size == 0)
        return false;
#if defined(_WIN32)
    // The system's formatter, not the C99 one of the compiler's runtime: that
    // would add some 20 KB to every program. It writes no terminator when the
    // text fills or overflows the buffer (and then returns size or -1).
    int written = _vsnprintf(dst, size, format, args);
    if (written < 0 || static_cast<std::size_t>(written) >= size) {
        dst[size - 1] = '\0';
        return false;
    }
    return true;
#else
    int written = std::vsnprintf(dst, size, format, args);
    if (written < 0) {
        dst[0] = '\0';
        return false;
    }
    return static_cast<std::size_t>(written) < size;
#endif
}

bool FormatText(char* dst, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool whole = FormatTextV(dst, size, format, args);
    va_end(args);
    return whole;
}
