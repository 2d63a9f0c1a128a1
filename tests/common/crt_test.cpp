// The programs' own C functions (built here under "crt_" names beside the
// host's) against the host library, and the start-up's reading of the
// command line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "common/crt/cmath.h"
#include "common/crt/command_line.h"
#include "common/crt/cstring.h"

namespace {

TEST(CrtMemory, CopiesMovesFillsAndComparesAsTheLibraryDoes)
{
    for (std::size_t size : {0u, 1u, 3u, 4u, 5u, 17u, 64u}) {
        SCOPED_TRACE(size);
        unsigned char source[80], ours[80], host[80];
        for (std::size_t i = 0; i < sizeof source; ++i)
            source[i] = static_cast<unsigned char>(i * 7 + 1);
        std::memset(ours, 0xEE, sizeof ours);
        std::memset(host, 0xEE, sizeof host);
        EXPECT_EQ(ours + 1, crt_memcpy(ours + 1, source, size));
        std::memcpy(host + 1, source, size);
        EXPECT_EQ(0, std::memcmp(ours, host, sizeof ours));
        // Overlapping both ways.
        crt_memmove(ours + 3, ours + 1, size);
        std::memmove(host + 3, host + 1, size);
        crt_memmove(ours, ours + 2, size);
        std::memmove(host, host + 2, size);
        EXPECT_EQ(0, std::memcmp(ours, host, sizeof ours));
        crt_memset(ours + 5, 0x1FF, size);
        std::memset(host + 5, 0x1FF, size);
        EXPECT_EQ(0, std::memcmp(ours, host, sizeof ours));
    }
    const unsigned char low[] = {1, 2, 0x7F}, high[] = {1, 2, 0x80};
    EXPECT_LT(crt_memcmp(low, high, 3), 0);
    EXPECT_GT(crt_memcmp(high, low, 3), 0);
    EXPECT_EQ(0, crt_memcmp(low, high, 2));
}

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CrtStrings, AnswerAsTheLibraryDoes)
{
    const char* texts[] = {"", "a", "abc", "abd", "ab", "\xE9t\xE9", "Z:\\work\\x.scr", "x.scr"};
    for (const char* a : texts) {
        SCOPED_TRACE(a);
        EXPECT_EQ(std::strlen(a), crt_strlen(a));
        EXPECT_EQ(strnlen(a, 2), crt_strnlen(a, 2));
        for (int c : {int{'a'}, int{'\\'}, int{'.'}, 0, 0xE9, int{'q'}}) {
            EXPECT_EQ(std::strchr(a, c), crt_strchr(a, c)) << c;
            EXPECT_EQ(std::strrchr(a, c), crt_strrchr(a, c)) << c;
        }
        for (const char* b : texts) {
            EXPECT_EQ(Sign(std::strcmp(a, b)), Sign(crt_strcmp(a, b))) << b;
            EXPECT_EQ(Sign(std::strncmp(a, b, 2)), Sign(crt_strncmp(a, b, 2))) << b;
            EXPECT_EQ(std::strstr(a, b), crt_strstr(a, b)) << b;
        }
        char copy[32];
        EXPECT_EQ(copy, crt_strcpy(copy, a));
        EXPECT_STREQ(a, copy);
    }
}

TEST(CrtMaths, TheX87GivesTheLibrarysAnswers)
{
    const double values[] = {0, -0.0, 0.5, -0.5, 1, -1.5, 2.5, 3.141592653589793, 1e-300, 123456.789,
                             -987654.321, 4503599627370495.5, 1e300};
    for (double x : values) {
        SCOPED_TRACE(x);
        EXPECT_EQ(std::floor(x), crt_floor(x));
        EXPECT_EQ(std::ceil(x), crt_ceil(x));
        EXPECT_EQ(std::trunc(x), crt_trunc(x));
        EXPECT_EQ(std::fabs(x), crt_fabs(x));
        // fsqrt rounds to 64 bits and then to the double's 53: at most one
        // step off the correctly rounded root.
        EXPECT_DOUBLE_EQ(std::sqrt(std::fabs(x)), crt_sqrt(std::fabs(x)));
        if (std::fabs(x) < 1e6) { // fsin reduces by a 66-bit pi: close for the rings' angles
            EXPECT_NEAR(std::sin(x), crt_sin(x), 1e-14);
            EXPECT_NEAR(std::cos(x), crt_cos(x), 1e-14);
            double sine, cosine;
            crt_sincos(x, &sine, &cosine);
            EXPECT_EQ(crt_sin(x), sine);
            EXPECT_EQ(crt_cos(x), cosine);
        }
        EXPECT_LE(std::fabs(crt_sin(x)), 1.0);
        for (double y : {1.0, -3.0, 0.7, 1e-3}) {
            EXPECT_EQ(std::fmod(x, y), crt_fmod(x, y)) << y;
        }
    }
    EXPECT_TRUE(std::isnan(crt_fmod(1, 0)));
    EXPECT_TRUE(std::isnan(crt_sqrt(-1)));
}

TEST(CommandLine, WinMainGetsWhatFollowsTheProgramsName)
{
    struct Case {
        const char* line;
        const char* arguments;
    } cases[] = {
        {"orbelle.scr /s", "/s"},
        {"\"C:\\Program Files\\x.scr\"  /p 123", "/p 123"},
        {"\"C:\\a b\\x.exe\"/c", "/c"},
        {"x.exe\t \t-a", "-a"},
        {"x.exe", ""},
        {"\"unterminated name", ""},
        {"", ""},
        {"\"\" rest", "rest"},
        {"C:\\\xE9t\xE9\\x.exe a", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_STREQ(c.arguments, SkipProgramName(c.line));
    }
}

} // namespace
