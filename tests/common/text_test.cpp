#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/text.h"

namespace {

// A buffer with guard bytes on both sides: any write outside shows.
struct Guarded {
    static constexpr std::size_t kGuard = 16;
    char bytes[kGuard + 64 + kGuard];
    std::size_t size;
    explicit Guarded(std::size_t usable) : size(usable) { std::memset(bytes, 0x5A, sizeof bytes); }
    char* data() { return bytes + kGuard; }
    bool GuardsIntact() const
    {
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (bytes[i] != 0x5A || bytes[kGuard + size + i] != 0x5A)
                return false;
        }
        return true;
    }
};

TEST(CopyText, CutsToTheBufferAndAlwaysTerminates)
{
    struct Case {
        const char* source;
        std::size_t size;
        const char* expected;
        bool fits;
    } cases[] = {
        {"", 1, "", true},
        {"abc", 4, "abc", true},
        {"abcd", 4, "abc", false},
        {"a long text that does not fit", 8, "a long ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " into " + std::to_string(c.size));
        Guarded buffer(c.size);
        EXPECT_EQ(c.fits, CopyText(buffer.data(), c.size, c.source));
        EXPECT_STREQ(c.expected, buffer.data());
        EXPECT_TRUE(buffer.GuardsIntact());
    }
}

TEST(CopyText, ZeroSizeWritesNothing)
{
    Guarded buffer(0);
    EXPECT_FALSE(CopyText(buffer.data(), 0, "x"));
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(AppendText, AppendsWithinTheBuffer)
{
    Guarded buffer(10);
    CopyText(buffer.data(), 10, "File ");
    EXPECT_TRUE(AppendText(buffer.data(), 10, "ok. "));
    EXPECT_FALSE(AppendText(buffer.data(), 10, "More. "));
    EXPECT_STREQ("File ok. ", buffer.data());
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(FormatText, BoundsEveryFormat)
{
    Guarded buffer(12);
    EXPECT_TRUE(FormatText(buffer.data(), 12, "%s /p %i", "a", 42));
    EXPECT_STREQ("a /p 42", buffer.data());
    EXPECT_FALSE(FormatText(buffer.data(), 12, "\"%s\" /p %i", "C:\\WINDOWS\\orbelle.scr", 1234));
    EXPECT_STREQ("\"C:\\WINDOWS", buffer.data());
    EXPECT_TRUE(buffer.GuardsIntact());
}

// At the edge: a text of size - 1 characters fits; one of size characters,
// which the system's formatter leaves unterminated, is cut and terminated.
TEST(FormatText, TheLastByteIsAlwaysTheTerminator)
{
    const struct {
        const char* text;
        bool whole;
        const char* result;
    } rows[] = {
        {"12345", true, "12345"},
        {"123456", false, "12345"},
        {"1234567", false, "12345"},
        {"", true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Guarded buffer(6);
        EXPECT_EQ(row.whole, FormatText(buffer.data(), 6, "%s", row.text));
        EXPECT_STREQ(row.result, buffer.data());
        EXPECT_TRUE(buffer.GuardsIntact());
    }
    Guarded one(1);
    EXPECT_FALSE(FormatText(one.data(), 1, "%lu", 7ul));
    EXPECT_STREQ("", one.data());
    EXPECT_TRUE(one.GuardsIntact());
}

} // namespace
