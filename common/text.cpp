#include "text.h"

#include "format.h"

#include <cstdarg>
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
    return FormatBounded(dst, size, format, args);
}

bool FormatText(char* dst, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool whole = FormatTextV(dst, size, format, args);
    va_end(args);
    return whole;
}
