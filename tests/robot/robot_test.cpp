// The robot itself, against a window that records what reaches it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "robot.h"
#include "support.h"

namespace {

TEST(Robot, DeliversRealInputToAnotherProcess)
{
    std::string log = support::TempDirectory() + "robot.log";
    DeleteFileA(log.c_str());
    robot::Child child = robot::Start("\"" + support::WinPath(ROBOT_TARGET) + "\" " + log);
    HWND window = robot::WaitForWindow("RobotTarget", "Robot target", 30000, child.id);
    ASSERT_TRUE(window);
    robot::Settle(child);

    robot::Click(window, {40, 30}, {VK_SHIFT});
    robot::Click(window, {50, 60});
    robot::SendKey(window, 'Q');
    robot::Click(window, {20, 20}, {}, true);
    EXPECT_TRUE(robot::ChooseMenuItem(1, 10000)); // "Two"
    robot::SysCommand(window, SC_CLOSE);
    EXPECT_EQ(0u, robot::WaitExit(child, 20000));
    robot::Finish(child);

    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    // Holding Shift is itself a key press.
    EXPECT_EQ("key 16\nclick 40 30 shift\nclick 50 60 plain\nkey 81\nmenu 101\nsyscommand close\n",
              text.str());
}

TEST(Robot, ScreenshotsArePngFilesOfTheScreen)
{
    std::string path = support::ArtifactPath("robot-screen.png");
    ASSERT_TRUE(robot::Screenshot(path));
    std::vector<std::uint8_t> png = support::ReadBytes(path);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(0x89, png[0]);
    EXPECT_EQ('P', png[1]);
    // IHDR: width and height, big-endian, as the screen's.
    auto big32 = [&](int at) { return (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3]; };
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), big32(16));
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), big32(20));
}

} // namespace
