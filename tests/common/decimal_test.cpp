// Decimal text to and from double, against the host's printf and strtod.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/decimal.h"

namespace {

TEST(WriteDecimal, WritesAsPercentGDoes)
{
    const double values[] = {0.015, 0.45, 0.1, 2.97, 0.001, 1.0 / 3, 80, 1e-5, 0.0001, 123456789012345.0,
                             1234567890123456.0, 1e22, -2.5, 5e-324, 1.7976931348623157e308, 100, 0.5,
                             9.9999999999999995, 0.30000000000000004, 1e15, 1e-4};
    for (int digits : {15, 6, 1, 17}) {
        for (double value : values) {
            SCOPED_TRACE(testing::Message() << digits << " " << value);
            char ours[64], host[64];
            ASSERT_TRUE(WriteDecimal(ours, sizeof ours, value, digits));
            std::snprintf(host, sizeof host, "%.*g", digits, value);
            EXPECT_STREQ(host, ours);
        }
    }
}

TEST(WriteDecimal, ZeroAndNonFiniteValues)
{
    char text[16];
    EXPECT_TRUE(WriteDecimal(text, sizeof text, 0.0, 15));
    EXPECT_STREQ("0", text);
    EXPECT_TRUE(WriteDecimal(text, sizeof text, -0.0, 15));
    EXPECT_STREQ("-0", text);
    for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_FALSE(WriteDecimal(text, sizeof text, bad, 15));
        EXPECT_STREQ("", text);
    }
    EXPECT_FALSE(WriteDecimal(text, sizeof text, 1.0, 0));
    EXPECT_FALSE(WriteDecimal(text, sizeof text, 1.0, 18));
}

TEST(WriteDecimal, ATextThatDoesNotFitLeavesNothing)
{
    char text[5];
    std::memset(text, 'Z', sizeof text);
    EXPECT_FALSE(WriteDecimal(text, 4, 0.015, 15));
    EXPECT_STREQ("", text);
    EXPECT_EQ('Z', text[4]);
    EXPECT_TRUE(WriteDecimal(text, 5, 0.25, 15));
    EXPECT_STREQ("0.25", text);
}

TEST(ReadDecimal, ReadsAsStrtodDoes)
{
    const char* texts[] = {"0", "-0", "+1", "0.015", ".5", "5.", "007", "1e-5", "1E+22", "2.5e0",
                           "123456789012345678901234567890", "0.000000000000000000000000123",
                           "1.7976931348623157e308", "4.9e-324", "1e-400", "0.1", "0.30000000000000004",
                           "9007199254740993", "1e0000000000000000000000001"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        double value = -12345;
        ASSERT_TRUE(ReadDecimal(text, &value));
        double host = std::strtod(text, nullptr);
        EXPECT_NEAR(host, value, std::fabs(host) * 4e-16);
    }
}

TEST(ReadDecimal, RefusesWhatIsNotPlainDecimal)
{
    const char* texts[] = {"", "-", ".", "e5", "1e", "1e+", "1.2.3", "1 ", " 1", "0x10", "inf", "nan",
                           "1e400", "1,5", "--1", "1e99999999999999999999"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        double value = -12345;
        EXPECT_FALSE(ReadDecimal(text, &value));
        EXPECT_EQ(-12345, value);
    }
}

TEST(Decimal, FifteenDigitsReadBackAsTheSameDouble)
{
    // Every value with up to 15 significant digits survives the round trip.
    for (double value : {0.015, 0.45, 2.97, 1.0 / 3, 0.1, 123.456, 9.87654321e-7, 3.14159265358979}) {
        SCOPED_TRACE(value);
        char text[32];
        ASSERT_TRUE(WriteDecimal(text, sizeof text, value, 15));
        double back;
        ASSERT_TRUE(ReadDecimal(text, &back));
        char again[32];
        ASSERT_TRUE(WriteDecimal(again, sizeof again, back, 15));
        EXPECT_STREQ(text, again);
    }
}

} // namespace
