// The full-screen saver on two monitors side by side: the test bench gives
// this program's prefix a 1024 x 768 primary monitor and an 800 x 600 one
// right of it (ORBELLE_SCREENS=2, scripts/two-monitors.conf).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "robot.h"
#include "support.h"

namespace {

const DWORD kWindowMs = 15000;
const DWORD kExitMs = 10000;

std::string TracePath()
{
    return support::TempDirectory() + "orbelle-trace.txt";
}

std::string Trace()
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(TracePath());
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> TraceEnvironment()
{
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += lstrlenA(p) + 1)
        if (_strnicmp(p, "ORBELLE_TRACE=", 14) != 0)
            entries.push_back(p);
    FreeEnvironmentStringsA(block);
    entries.push_back("ORBELLE_TRACE=" + TracePath());
    return entries;
}

struct FullScreen {
    explicit FullScreen(POINT at)
    {
        EXPECT_TRUE(robot::MoveMouse(at));
        DeleteFileA(TracePath().c_str());
        child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /s", TraceEnvironment());
        window = robot::WaitForWindow("TSaverForm", nullptr, kWindowMs, child.id);
        robot::Settle(child, 700);
    }
    ~FullScreen() { robot::Finish(child); }
    robot::Child child;
    HWND window = nullptr;
};

// Pixels of a screen rectangle that are not black.
std::size_t LitPixels(int x, int y, int width, int height)
{
    std::vector<unsigned char> rgb = robot::ScreenRgb(x, y, width, height);
    std::size_t lit = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        lit += rgb[i] || rgb[i + 1] || rgb[i + 2];
    return rgb.empty() ? static_cast<std::size_t>(-1) : lit;
}

TEST(TwoMonitors, TheTestBenchHasThemSideBySide)
{
    EXPECT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    EXPECT_EQ(0, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(0, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(1824, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(768, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
}

TEST(TwoMonitors, TheSaverCoversBothAndDrawsOnThePrimaryOnly)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    FullScreen saver({500, 400});
    ASSERT_NE(nullptr, saver.window);
    RECT rect;
    GetWindowRect(saver.window, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(1824, rect.right) << "the virtual screen";
    EXPECT_EQ(768, rect.bottom);
    // The primary's rings, at its size and aspect, as with one monitor.
    EXPECT_NE(std::string::npos, Trace().find("OpenGL ready, 1824x768, scene 1024x768 at 0,0")) << Trace();
    EXPECT_TRUE(robot::WaitFor([] { return LitPixels(0, 0, 1024, 768) > 1000; }, kWindowMs));
    // The second monitor stays black frame after frame.
    for (int sample = 0; sample < 5; ++sample) {
        SCOPED_TRACE(sample);
        EXPECT_EQ(0u, LitPixels(1024, 0, 800, 600));
        Sleep(200);
    }
    robot::Screenshot(support::ArtifactPath("saver-two-monitors.png"));
    robot::SendKey(saver.window, VK_SPACE);
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
}

// Pointer movement over the second monitor ends the saver as over the
// primary; so do clicks there.
TEST(TwoMonitors, InputOnTheSecondMonitorEndsTheSaver)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    {
        FullScreen saver({1300, 300});
        ASSERT_NE(nullptr, saver.window);
        EXPECT_EQ(STILL_ACTIVE, robot::WaitExit(saver.child, 800)) << "no input, no end";
        EXPECT_TRUE(robot::MoveMouse({1600, 300}));
        EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs)) << "moved on the second monitor";
    }
    {
        FullScreen saver({1300, 300});
        ASSERT_NE(nullptr, saver.window);
        POINT client = {1400, 320};
        ScreenToClient(saver.window, &client);
        robot::Click(saver.window, client);
        EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs)) << "clicked on the second monitor";
    }
}

} // namespace
