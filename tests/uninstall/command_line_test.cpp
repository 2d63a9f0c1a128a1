// The argument reader and the command dispatch.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "uninstall/command_line.h"

namespace {

struct ReadCase {
    const char* line;
    ArgumentMode mode;
    std::size_t capacity;
    const char* argument;
    const char* rest; // where the cursor stands afterwards
};

TEST(ReadArgument, TakesOneArgumentAndTheSpacesAfterIt)
{
    const ReadCase cases[] = {
        {"", ArgumentMode::Ordinary, 10, "", ""},
        {"abc", ArgumentMode::Ordinary, 10, "abc", ""},
        {"abc def", ArgumentMode::Ordinary, 10, "abc", "def"},
        {"abc    def", ArgumentMode::Ordinary, 10, "abc", "def"},
        {"abc\tdef ghi", ArgumentMode::Ordinary, 10, "abc\tdef", "ghi"}, // tabs are characters
        {"\"a b\" c", ArgumentMode::Ordinary, 10, "a b", "c"},
        {"\"a b\"c d", ArgumentMode::Ordinary, 10, "a b", "c d"}, // only the quote ends it
        {"\"a b", ArgumentMode::Ordinary, 10, "a b", ""},          // unclosed: to the end
        {"\"\" x", ArgumentMode::Ordinary, 10, "", "x"},           // empty counts as absent
        {"Some long title", ArgumentMode::RestOfLine, 100, "Some long title", ""},
        {"title   ", ArgumentMode::RestOfLine, 100, "title   ", ""}, // trailing spaces kept
        {"\"quoted\" dropped", ArgumentMode::RestOfLine, 100, "quoted", "dropped"},
        {"abcdef ghi", ArgumentMode::Ordinary, 4, "abc", "ghi"}, // the rest is consumed
        {"\"abcdef\" ghi", ArgumentMode::Ordinary, 4, "abc", "ghi"},
        {"abcdef ghi", ArgumentMode::RestOfLine, 4, "abc", ""},
        {"x", ArgumentMode::Ordinary, 1, "", ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.line);
        char buffer[128];
        std::memset(buffer, 'Z', sizeof buffer);
        const char* cursor = c.line;
        ReadArgument(&cursor, buffer, c.capacity, c.mode);
        EXPECT_STREQ(c.argument, buffer);
        EXPECT_STREQ(c.rest, cursor);
        EXPECT_EQ('Z', buffer[c.capacity]) << "wrote past the capacity";
    }
}

TEST(ReadArgument, AThousandCharacterArgumentKeepsNineHundredNinetyNine)
{
    std::string item(1500, 'q');
    std::string line = item + " next";
    char buffer[kArgumentSize];
    const char* cursor = line.c_str();
    ReadArgument(&cursor, buffer, sizeof buffer, ArgumentMode::Ordinary);
    EXPECT_EQ(std::string(999, 'q'), buffer);
    EXPECT_STREQ("next", cursor);
}

TEST(ReadDecimal, ReadsLikeAtolWithoutOverflow)
{
    const struct {
        const char* text;
        long long value;
    } cases[] = {
        {"", 0},
        {"500", 500},
        {"  \t42x", 42},
        {"+7", 7},
        {"-12", -12},
        {"abc", 0},
        {"- 5", 0},
        {"0012", 12},
        {"9223372036854775807", LLONG_MAX},
        {"99999999999999999999999", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {"-99999999999999999999999", LLONG_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.value, ReadDecimal(c.text));
    }
}

struct DispatchCase {
    const char* line;
    CommandKind kind;
    const char* token;
    const char* text;
};

TEST(ParseCommandLine, RecognisesCommandWordsByTheirBeginningWithCase)
{
    const DispatchCase cases[] = {
        {"unglimex.exe", CommandKind::Listing, "", ""},
        {"C:\\windows\\unglimex.exe    ", CommandKind::Listing, "", ""},
        {"\"C:\\my dir\\unglimex.exe\"", CommandKind::Listing, "", ""},
        {"u /desc x Some long title", CommandKind::Describe, "x", "Some long title"},
        {"u /descr x t", CommandKind::Describe, "x", "t"},
        {"u /DESC x t", CommandKind::Usage, "", ""},
        {"u /Add x t", CommandKind::Usage, "", ""},
        {"u /des x t", CommandKind::Usage, "", ""},
        {"u /desc x", CommandKind::Usage, "x", ""},
        {"u /desc", CommandKind::Usage, "", ""},
        {"u /add x", CommandKind::Usage, "x", ""},
        {"u /add x C:\\Program Files\\x.scr", CommandKind::Add, "x", "C:\\Program Files\\x.scr"},
        {"u /add \"my tok\" file", CommandKind::Add, "my tok", "file"},
        {"u /desc x \"quoted\" rest", CommandKind::Describe, "x", "quoted"},
        {"u /add x _cmd1   x y", CommandKind::Add, "x", "_cmd1   x y"},
        {"u /remove quadrix.dll", CommandKind::Remove, "quadrix.dll", ""},
        {"u /removeall quadrix.dll extra words", CommandKind::Remove, "quadrix.dll", ""},
        {"u /remove", CommandKind::Usage, "", ""},
        {"u /remove my tok", CommandKind::Remove, "my", ""},
        {"u /autodel 44 \"C:\\windows\\unglimex.exe\"", CommandKind::AutoDelete, "",
         "C:\\windows\\unglimex.exe"},
        {"u /autodel 0 C:\\x", CommandKind::Usage, "", "C:\\x"},
        {"u /autodel x C:\\x", CommandKind::Usage, "", "C:\\x"},
        {"u /autodel 5", CommandKind::Usage, "", ""},
        {"u /help", CommandKind::Usage, "", ""},
        {"u desc x y", CommandKind::Usage, "", ""},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.line);
        ParsedCommand command;
        std::memset(&command, 'Z', sizeof command);
        ParseCommandLine(c.line, &command);
        EXPECT_EQ(c.kind, command.Kind);
        if (c.kind != CommandKind::Usage) {
            EXPECT_STREQ(c.token, command.Token);
            EXPECT_STREQ(c.text, command.Text);
        }
    }
}

TEST(ParseCommandLine, AutodelReadsTheHandleInDecimal)
{
    ParsedCommand command;
    ParseCommandLine("C:\\t\\UNG1.tmp /autodel 1234 \"C:\\windows\\unglimex.exe\"", &command);
    EXPECT_EQ(CommandKind::AutoDelete, command.Kind);
    EXPECT_EQ(1234, command.Handle);
}

TEST(ParseCommandLine, OverLongArgumentsAreCutAndTheRestStillRead)
{
    std::string line = "u /desc " + std::string(2000, 't') + " " + std::string(3000, 'd');
    ParsedCommand command;
    ParseCommandLine(line.c_str(), &command);
    EXPECT_EQ(CommandKind::Describe, command.Kind);
    EXPECT_EQ(std::string(999, 't'), command.Token);
    EXPECT_EQ(std::string(999, 'd'), command.Text);

    // A command word longer than its 260-character buffer is still a command.
    line = "u /desc" + std::string(400, 'r') + " tok text";
    ParseCommandLine(line.c_str(), &command);
    EXPECT_EQ(CommandKind::Describe, command.Kind);
    EXPECT_STREQ("tok", command.Token);
}

TEST(ParseCommandLine, ATokenNamesOneKey)
{
    const struct {
        const char* line;
        CommandKind kind;
    } cases[] = {
        {"u /desc a\\b Title", CommandKind::Usage},
        {"u /desc \\ x", CommandKind::Usage},
        {"u /add .. C:\\f", CommandKind::Usage},
        {"u /add . C:\\f", CommandKind::Usage},
        {"u /add \"\" C:\\f", CommandKind::Usage},
        {"u /remove a\\b", CommandKind::Usage},
        {"u /remove ..", CommandKind::Usage},
        {"u /desc ... Title", CommandKind::Describe},
        {"u /add .scr C:\\f", CommandKind::Add},
        {"u /remove orbelle.scr", CommandKind::Remove},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ParsedCommand command;
        ParseCommandLine(c.line, &command);
        EXPECT_EQ(c.kind, command.Kind);
    }
}

TEST(AutodelHandle, OnlyARealHandleValueIsWaitedFor)
{
    const struct {
        long long value;
        bool passed;
    } cases[] = {
        {4, true}, {1234, true}, {0x7fffffffLL, true}, {0, false},
        {-1, false}, {-2, false}, {0x80000000LL, false}, {LLONG_MAX, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.passed, IsPassedHandleValue(c.value));
    }
}

} // namespace
