// The programs' runtime, in a program of its own that links it as they do.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "robot.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 20000;

robot::Child StartProbe(const char* edge)
{
    return robot::Start("\"" + support::WinPath(RUNTIME_PROBE) + "\" " + edge);
}

TEST(ProductRuntime, NothrowNewGivesNullWhenThereIsNotEnoughMemory)
{
    robot::Child probe = StartProbe("nothrow");
    EXPECT_EQ(0u, robot::WaitExit(probe, kWaitMs));
    robot::Finish(probe);
}

TEST(ProductRuntime, PassingALengthLimitEndsTheProgramWithAMessage)
{
    robot::Child probe = StartProbe("length");
    HWND box = robot::WaitForWindow("#32770", nullptr, kWaitMs, probe.id);
    ASSERT_NE(nullptr, box);
    robot::MessageBoxView message = robot::ReadMessageBox(box);
    EXPECT_EQ("Internal error: a length limit was passed.", message.text);
    ASSERT_FALSE(message.buttons.empty());
    robot::Press(box, message.buttons.front());
    DWORD code = robot::WaitExit(probe, kWaitMs);
    EXPECT_NE(STILL_ACTIVE, code);
    EXPECT_NE(4u, code) << "the program went on after the limit";
    robot::Finish(probe);
}

} // namespace
