// Built with -fno-builtin and without loop-to-call rewriting (see
// CMakeLists.txt): the compiler would otherwise turn these very loops back
// into calls of themselves. Byte at a time but for memcpy: the texts here
// are short (paths, registry values).
#include "common/crt/cstring.h"

namespace {
using Byte = unsigned char;
}

extern "C" {

void* CRT_NAME(memcpy)(void* dst, const void* src, std::size_t size)
{
#if defined(__i386__)
    // Vertex arrays and bitmaps are copied too: four bytes a step (every
    // x86 has the string moves; the system keeps the direction flag clear).
    void* d = dst;
    std::size_t words = size / 4;
    asm volatile("rep movsl\n\tmovl %[rest], %%ecx\n\trep movsb"
                 : "+D"(d), "+S"(src), "+c"(words)
                 : [rest] "r"(size % 4)
                 : "memory");
    return dst;
#else
    Byte* d = static_cast<Byte*>(dst);
    const Byte* s = static_cast<const Byte*>(src);
    while (size--)
        *d++ = *s++;
    return dst;
#endif
}

void* CRT_NAME(memmove)(void* dst, const void* src, std::size_t size)
{
    Byte* d = static_cast<Byte*>(dst);
    const Byte* s = static_cast<const Byte*>(src);
    if (d <= s || d >= s + size)
        return CRT_NAME(memcpy)(dst, src, size);
    while (size--) // overlapping with dst above src: from the end
        d[size] = s[size];
    return dst;
}

void* CRT_NAME(memset)(void* dst, int value, std::size_t size)
{
    Byte* d = static_cast<Byte*>(dst);
    while (size--)
        *d++ = static_cast<Byte>(value);
    return dst;
}

int CRT_NAME(memcmp)(const void* a, const void* b, std::size_t size)
{
    const Byte* x = static_cast<const Byte*>(a);
    const Byte* y = static_cast<const Byte*>(b);
    for (; size; --size, ++x, ++y)
        if (*x != *y)
            return *x < *y ? -1 : 1;
    return 0;
}

std::size_t CRT_NAME(strlen)(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return static_cast<std::size_t>(end - text);
}

std::size_t CRT_NAME(strnlen)(const char* text, std::size_t most)
{
    std::size_t length = 0;
    while (length < most && text[length])
        ++length;
    return length;
}

char* CRT_NAME(strchr)(const char* text, int c)
{
    for (;; ++text) {
        if (*text == static_cast<char>(c))
            return const_cast<char*>(text);
        if (!*text)
            return nullptr;
    }
}

char* CRT_NAME(strrchr)(const char* text, int c)
{
    const char* last = nullptr;
    for (;; ++text) {
        if (*text == static_cast<char>(c))
            last = text;
        if (!*text)
            return const_cast<char*>(last);
    }
}

int CRT_NAME(strcmp)(const char* a, const char* b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    Byte x = static_cast<Byte>(*a), y = static_cast<Byte>(*b);
    return x == y ? 0 : x < y ? -1 : 1;
}

int CRT_NAME(strncmp)(const char* a, const char* b, std::size_t most)
{
    for (; most && *a && *a == *b; --most, ++a, ++b) {
    }
    if (!most)
        return 0;
    Byte x = static_cast<Byte>(*a), y = static_cast<Byte>(*b);
    return x == y ? 0 : x < y ? -1 : 1;
}

char* CRT_NAME(strstr)(const char* text, const char* part)
{
    std::size_t length = CRT_NAME(strlen)(part);
    for (;; ++text) {
        if (CRT_NAME(strncmp)(text, part, length) == 0)
            return const_cast<char*>(text);
        if (!*text)
            return nullptr;
    }
}

char* CRT_NAME(strcpy)(char* dst, const char* src)
{
    char* d = dst;
    while ((*d++ = *src++) != '\0') {
    }
    return dst;
}

} // extern "C"
