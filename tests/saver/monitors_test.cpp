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

struct FullScreen {
    explicit FullScreen(POINT at)
    {
        EXPECT_TRUE(robot::MoveMouse(at));
        DeleteFileA(support::SaverTracePath().c_str());
        child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /s", support::SaverTraceEnvironment());
        window = robot::WaitForWindow("TSaverForm", nullptr, kWindowMs, child.id);
        // Ready once its OpenGL panel is: from then on it draws and reads input.
        EXPECT_TRUE(robot::WaitFor([] { return support::SaverTrace().find("OpenGL ready") != std::string::npos; },
                                   kWindowMs))
            << support::SaverTrace();
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
    EXPECT_NE(std::string::npos, support::SaverTrace().find("OpenGL ready, 1824x768, scene 1024x768 at 0,0")) << support::SaverTrace();
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

// A display mode of the user's applies to the primary monitor; the saver
// then covers the virtual screen as it is in that mode, and the mode goes
// back when the saver ends.
TEST(TwoMonitors, ADisplayModeChangesThePrimaryAndTheSaverCoversTheNewLayout)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    const char mode[] = "800x600";
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\GlimMex\\orbelle", "Mode", REG_SZ, mode, sizeof mode);
    FullScreen saver({500, 400});
    ASSERT_NE(nullptr, saver.window);
    ASSERT_TRUE(robot::WaitFor([] { return GetSystemMetrics(SM_CXSCREEN) == 800; }, kWindowMs))
        << GetSystemMetrics(SM_CXSCREEN) << "\n" << support::SaverTrace();
    EXPECT_EQ(600, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    robot::Settle(saver.child, 500);
    RECT rect;
    GetWindowRect(saver.window, &rect);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), rect.right - rect.left) << support::SaverTrace();
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), rect.bottom - rect.top);
    robot::Screenshot(support::ArtifactPath("saver-two-monitors-800x600.png"));
    robot::SendKey(saver.window, VK_SPACE);
    EXPECT_EQ(0u, robot::WaitExit(saver.child, kExitMs));
    EXPECT_TRUE(robot::WaitFor([] { return GetSystemMetrics(SM_CXSCREEN) == 1024; }, kWindowMs))
        << "the mode goes back";
}

// A preview keeps the whole of its window wherever that lies: the
// configuration dialog moved onto the second monitor still shows the rings
// turning in all of its live preview square.
TEST(TwoMonitors, APreviewOnTheSecondMonitorDrawsItsWholeSquare)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    // A fresh profile's first opening hints at the driver and brings the
    // "Driver" page, with the square, to the front.
    robot::Child child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /c");
    HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, child.id);
    ASSERT_NE(nullptr, dialog);
    robot::MessageBoxView hint = robot::WaitForMessageBox("Orbelle", kWindowMs, child.id);
    ASSERT_NE(nullptr, hint.window);
    robot::Press(hint.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(hint.window, kWindowMs));
    SetWindowPos(dialog, nullptr, 1100, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND preview = nullptr;
    ASSERT_TRUE(robot::WaitFor([&] {
        preview = FindWindowExA(dialog, nullptr, "TScrPreview", nullptr);
        return preview && IsWindowVisible(preview);
    }, kWindowMs));
    RECT square;
    GetWindowRect(preview, &square);
    EXPECT_GE(square.left, 1024) << "on the second monitor";
    EXPECT_TRUE(robot::ShowsMovingPicture(preview, kWindowMs));
    // Lit pixels in each quarter of the square's middle band: the rings
    // fill the square, not a part of it.
    robot::Settle(child, 300);
    int w = square.right - square.left, h = square.bottom - square.top;
    EXPECT_GT(LitPixels(square.left, square.top + h / 3, w / 2, h / 3), 0u);
    EXPECT_GT(LitPixels(square.left + w / 2, square.top + h / 3, w / 2, h / 3), 0u);
    robot::Screenshot(support::ArtifactPath("preview-second-monitor.png"));
    robot::Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    robot::Finish(child);
}

} // namespace
