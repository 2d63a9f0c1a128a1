// The formatter against the host's printf, and its bounds.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/format.h"

namespace {

bool Format(char* dst, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool whole = FormatBounded(dst, size, format, args);
    va_end(args);
    return whole;
}

#define EXPECT_LIKE_PRINTF(format, ...)                                         \
    do {                                                                        \
        char ours[128], host[128];                                              \
        EXPECT_TRUE(Format(ours, sizeof ours, format, __VA_ARGS__)) << format;  \
        std::snprintf(host, sizeof host, format, __VA_ARGS__);                  \
        EXPECT_STREQ(host, ours) << format;                                     \
    } while (0)

TEST(FormatBounded, WritesIntegersAsPrintfDoes)
{
    EXPECT_LIKE_PRINTF("%d|%i|%u", 0, -1, 4000000000u);
    EXPECT_LIKE_PRINTF("%d %d", INT_MIN, INT_MAX);
    EXPECT_LIKE_PRINTF("%ld %lu", -123456789L, 4000000000ul);
    EXPECT_LIKE_PRINTF("%lld %llu", LLONG_MIN, ULLONG_MAX);
    EXPECT_LIKE_PRINTF("%x %X %o %#x %#X %#o", 0xBEEFu, 0xBEEFu, 8u, 255u, 255u, 8u);
    EXPECT_LIKE_PRINTF("%08lx|%04x|%02u|%04u", 0x1234ul, 0xAu, 7u, 12345u);
    EXPECT_LIKE_PRINTF("[%5d][%-5d][%05d][%+d][% d][%.3d][%8.3d]", 42, 42, -42, 42, 42, 7, -7);
    EXPECT_LIKE_PRINTF("[%*d][%-*d][%.*d]", 6, 1, 6, 1, 4, 3);
    EXPECT_LIKE_PRINTF("[%.0d][%5.0d][%#.0x]", 0, 0, 0u);
    EXPECT_LIKE_PRINTF("%hd %hhu %zu", 70000, 300, static_cast<std::size_t>(123));
}

TEST(FormatBounded, WritesTextAsPrintfDoes)
{
    EXPECT_LIKE_PRINTF("%s|%10s|%-10s|%.2s|%.*s|%c|%%", "abc", "abc", "abc", "abc", 1, "xyz", 'q');
    EXPECT_LIKE_PRINTF("%s", "");
    EXPECT_LIKE_PRINTF("%-3c|%3c", 'a', 'b');
}

TEST(FormatBounded, WritesPointersAndNullTextsAsTheWindowsRuntimesDo)
{
    char text[64];
    EXPECT_TRUE(Format(text, sizeof text, "%p", reinterpret_cast<void*>(0x12AB)));
    EXPECT_EQ(std::string(sizeof(void*) * 2 - 4, '0') + "12AB", text);
    EXPECT_TRUE(Format(text, sizeof text, "[%s]", static_cast<const char*>(nullptr)));
    EXPECT_STREQ("[(null)]", text);
}

TEST(FormatBounded, CutsToTheBufferAndSaysSo)
{
    struct Case {
        std::size_t size;
        const char* expected;
    } cases[] = {{1, ""}, {2, "H"}, {6, "Hello"}, {7, "Hello,"}, {13, "Hello, 12345"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[32];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_FALSE(Format(buffer, c.size, "Hello, %d%s", 12345, "67"));
        EXPECT_STREQ(c.expected, buffer);
        EXPECT_EQ('Z', buffer[c.size]);
    }
    char none = 'Z';
    EXPECT_FALSE(Format(&none, 0, "x"));
    EXPECT_EQ('Z', none);
}

TEST(FormatBounded, RefusesConversionsItDoesNotHave)
{
    const char* formats[] = {"%f", "%g", "%e", "%n", "%", "%l"};
    for (const char* format : formats) {
        SCOPED_TRACE(format);
        char text[32];
        double value = 1.5;
        EXPECT_FALSE(Format(text, sizeof text, format, value));
        EXPECT_STREQ("", text);
    }
    char text[32];
    EXPECT_FALSE(Format(text, sizeof text, "ok %d %f", 1, 2.0));
    EXPECT_STREQ("ok 1 ", text);
}

TEST(FormatBounded, HugeWidthsAreBoundedByTheBuffer)
{
    char text[16];
    EXPECT_FALSE(Format(text, sizeof text, "%999999999d|%.999999999s", 1, "x"));
    EXPECT_EQ(15u, std::strlen(text));
    EXPECT_TRUE(Format(text, sizeof text, "%*d", INT_MIN, 5)); // no width at all
    EXPECT_STREQ("5", text);
}

} // namespace
