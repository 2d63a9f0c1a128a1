// The programs' runtime, in a program of its own that links it as they do.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "common/clock.h"
#include "robot.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 20000;

robot::Child StartProbe(const std::string& edge)
{
    return robot::Start("\"" + support::WinPath(RUNTIME_PROBE) + "\" " + edge);
}

TEST(ProductRuntime, NothrowNewGivesNullWhenThereIsNotEnoughMemory)
{
    robot::Child probe = StartProbe("nothrow");
    EXPECT_EQ(0u, robot::WaitExit(probe, kWaitMs));
    robot::Finish(probe);
}

// What cannot go on ends the program with a message the user sees, and
// never a return as if nothing had happened.
TEST(ProductRuntime, ALimitPassedOrMemoryRunOutEndsTheProgramWithAMessage)
{
    struct Case {
        const char* edge;
        const char* message;
    } cases[] = {
        {"length", "Internal error: a length limit was passed."},
        {"memory", "Out of memory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        robot::Child probe = StartProbe(c.edge);
        HWND box = robot::WaitForWindow("#32770", nullptr, kWaitMs, probe.id);
        ASSERT_NE(nullptr, box);
        robot::MessageBoxView message = robot::ReadMessageBox(box);
        EXPECT_EQ(c.message, message.text);
        ASSERT_FALSE(message.buttons.empty());
        robot::Press(box, message.buttons.front());
        DWORD code = robot::WaitExit(probe, kWaitMs);
        EXPECT_NE(STILL_ACTIVE, code);
        EXPECT_NE(4u, code) << "the program went on after the limit";
        robot::Finish(probe);
    }
}

TEST(ProductRuntime, StaticObjectsAreMadeBeforeWinMainInTheirOrder)
{
    robot::Child probe = StartProbe("statics");
    EXPECT_EQ(0u, robot::WaitExit(probe, kWaitMs));
    robot::Finish(probe);
}

TEST(ProductRuntime, StaticObjectsAreDestroyedWhenWinMainReturns)
{
    std::string witness = support::TempDirectory() + "runtime-exit.txt";
    DeleteFileA(witness.c_str());
    robot::Child probe = StartProbe("exit " + witness);
    EXPECT_EQ(0u, robot::WaitExit(probe, kWaitMs));
    robot::Finish(probe);
    std::vector<std::uint8_t> text = support::ReadBytes(witness);
    EXPECT_EQ("gone\n", std::string(text.begin(), text.end()));
}

// WinMain gets what follows the program's name and the blanks after it,
// however the name was written (the saver and the helper read the whole
// line themselves; the start-up must still not cut into the arguments).
TEST(ProductRuntime, WinMainGetsTheArgumentsAfterTheProgramsName)
{
    std::string file = support::TempDirectory() + "runtime-args.txt";
    std::string probe = support::WinPath(RUNTIME_PROBE);
    struct Case {
        std::string name; // how the command line names the program
        std::string tail; // what follows "arguments FILE"
    } cases[] = {
        {"\"" + probe + "\"", " /s"},
        {"\"" + probe + "\"", "   \"a b\"  /c:1234"},
        {probe, " /p 66"},
        {"\"" + probe + "\"\t ", " tab and blank before"},
        {"\"" + probe + "\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + c.tail);
        DeleteFileA(file.c_str());
        robot::Child child = robot::Start(c.name + " arguments " + file + c.tail);
        EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs));
        robot::Finish(child);
        std::vector<std::uint8_t> text = support::ReadBytes(file);
        std::string got(text.begin(), text.end());
        std::string expected = "[arguments " + file + c.tail + "]";
        EXPECT_EQ(expected, got.substr(0, got.find(']') + 1));
    }
}

// The rings' seed: the seconds since 1970 as the C library's time() gives them.
TEST(ProductRuntime, TheClockGivesTheCLibrarysSeconds)
{
    std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    std::uint32_t ours = SecondsSince1970();
    std::uint32_t after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_LE(before, ours);
    EXPECT_LE(ours, after);
}

TEST(ProductRuntime, MathsGiveTheLibrarysAnswers)
{
    robot::Child probe = StartProbe("maths");
    EXPECT_EQ(0u, robot::WaitExit(probe, kWaitMs));
    robot::Finish(probe);
}

} // namespace
