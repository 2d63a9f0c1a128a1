#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/finish/preview_text.h"

namespace {

TEST(FormatPreviewCommandLine, QuotesThePathAndGivesTheHandleInDecimal)
{
    struct Case {
        const char* path;
        std::int32_t handle;
        const char* line;
    } cases[] = {
        {"C:\\WINDOWS\\orbelle.scr", 1234, "\"C:\\WINDOWS\\orbelle.scr\" /p 1234"},
        {"C:\\Program Files\\a b.scr", 0x10062, "\"C:\\Program Files\\a b.scr\" /p 65634"},
        {"C:\\x.scr", -2, "\"C:\\x.scr\" /p -2"}, // signed, as the saver reads it back
        {"", 0, "\"\" /p 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char line[kPreviewTextSize];
        std::memset(line, 'P', sizeof line);
        EXPECT_TRUE(FormatPreviewCommandLine(line, sizeof line, c.path, c.handle));
        EXPECT_STREQ(c.line, line);
    }
}

TEST(FormatPreviewCommandLine, ALineThatWouldNotFitIsNotCutButRefused)
{
    // Quotes, " /p " and the handle leave room for a path of this length.
    const std::string handle = "-2147483648";
    const std::size_t room = kPreviewTextSize - 1 - 2 - 4 - handle.size();
    for (std::size_t length : {room - 1, room, room + 1, std::size_t{600}}) {
        SCOPED_TRACE(length);
        std::string path(length, 'p');
        char line[kPreviewTextSize + 8];
        std::memset(line, 'G', sizeof line);
        bool fits = FormatPreviewCommandLine(line, kPreviewTextSize, path.c_str(), INT32_MIN);
        EXPECT_EQ(length <= room, fits);
        EXPECT_EQ(fits ? "\"" + path + "\" /p " + handle : "", std::string(line));
        EXPECT_EQ(std::string(8, 'G'), std::string(line + kPreviewTextSize, 8));
    }
}

TEST(GrowWaitingDots, TwoDotsPerTickUntilTheLineIsFull)
{
    char line[kPreviewTextSize + 4];
    std::memset(line, 'G', sizeof line);
    line[0] = '\0';
    GrowWaitingDots(line, kPreviewTextSize);
    EXPECT_STREQ("..", line);
    GrowWaitingDots(line, kPreviewTextSize);
    EXPECT_STREQ("....", line);
    // About thirty seconds of ticks fill the line; it stops at 258 characters.
    for (int tick = 0; tick < 200; ++tick)
        GrowWaitingDots(line, kPreviewTextSize);
    EXPECT_EQ(std::string(258, '.'), line);
    EXPECT_EQ(std::string(4, 'G'), std::string(line + kPreviewTextSize, 4));
}

TEST(GrowWaitingDots, AnOddLineStopsOneLater)
{
    // The rule is "below 258, append": 257 grows to 259 and no further.
    for (std::size_t start : {255u, 256u, 257u, 258u, 259u}) {
        SCOPED_TRACE(start);
        char line[kPreviewTextSize];
        std::memset(line, '.', start);
        line[start] = '\0';
        GrowWaitingDots(line, sizeof line);
        GrowWaitingDots(line, sizeof line);
        std::size_t expected = start;
        while (expected < 258)
            expected += 2;
        EXPECT_EQ(expected, std::strlen(line));
    }
}

TEST(PreviewStatus, TheStatusLineRunsThroughItsStates)
{
    EXPECT_STREQ("Setting up.", StatusText(PreviewStatus::SettingUp));
    EXPECT_TRUE(IsWatching(PreviewStatus::SettingUp));

    struct Case {
        const char* trace;
        PreviewStatus status;
        const char* text;
        bool watching;
    } cases[] = {
        {"launch failed", AfterLaunch(false), "Unable to launch saver.", false},
        {"launched", AfterLaunch(true), "", true},
        {"idle", AfterWait(IdleWait::Idle), "Screen saver succesfully installed!", false},
        {"not yet idle", AfterWait(IdleWait::Timeout), "", true},
        {"wait failed", AfterWait(IdleWait::Failed), "Unable to launch saver", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        EXPECT_STREQ(c.text, StatusText(c.status));
        EXPECT_EQ(c.watching, IsWatching(c.status));
    }
}

TEST(PreviewStatus, AQuickSaverGoesFromSettingUpStraightToShown)
{
    // First tick: launch, then the first wait already finds it idle.
    PreviewStatus status = PreviewStatus::SettingUp;
    status = AfterLaunch(true);
    ASSERT_TRUE(IsWatching(status));
    status = AfterWait(IdleWait::Idle);
    EXPECT_EQ(PreviewStatus::Shown, status);
    EXPECT_FALSE(IsWatching(status));
}

} // namespace
