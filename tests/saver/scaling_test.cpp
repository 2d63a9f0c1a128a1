// orbelle.scr under 150 % display scaling: the test bench starts this
// program's prefix at 144 dpi (ORBELLE_LOGPIXELS). This test program is
// DPI-aware itself, so it sees the screen's real pixels, as the saver must.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "robot.h"
#include "support.h"

namespace {

const DWORD kWindowMs = 15000;
const DWORD kExitMs = 10000;
const char* const kKey = "Software\\GlimMex\\orbelle";

const bool gAware = SetProcessDPIAware() != FALSE;

TEST(SaverAt144Dpi, TheTestBenchScalesTheDisplay)
{
    ASSERT_TRUE(gAware);
    EXPECT_EQ(144, robot::ScreenDpi());
    EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN)) << "the physical screen";
    EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
}

// Drawn at the physical 1024 x 768: a stretched 683 x 512 picture would
// hold the in-between greys of its interpolated white lines.
TEST(SaverAt144Dpi, FullScreenDrawsEveryPhysicalPixelSharply)
{
    ASSERT_EQ(144, robot::ScreenDpi());
    DWORD off = 0;
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "UseImage", REG_DWORD, &off, sizeof off); // rings only
    DeleteFileA(support::SaverTracePath().c_str());
    robot::MoveMouse({500, 400});
    robot::Child child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /s", support::SaverTraceEnvironment());
    HWND window = robot::WaitForWindow("TSaverForm", nullptr, kWindowMs, child.id);
    ASSERT_NE(nullptr, window);
    robot::Settle(child, 700);
    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(1024, rect.right);
    EXPECT_EQ(768, rect.bottom);
    EXPECT_EQ(1024, client.right);
    EXPECT_EQ(768, client.bottom);
    ASSERT_TRUE(robot::ShowsMovingPicture(window, kWindowMs));
    std::vector<support::Frame> frames = support::Frames(support::SaverTrace());
    ASSERT_FALSE(frames.empty()) << support::SaverTrace();
    EXPECT_EQ(1024, frames.back().width);
    EXPECT_EQ(768, frames.back().height);
    EXPECT_NE(std::string::npos, support::SaverTrace().find("OpenGL ready, 1024x768, scene 1024x768 at 0,0")) << support::SaverTrace();

    // The middle 300 x 300 of a monochrome frame: black and white only.
    std::vector<unsigned char> crop = robot::ScreenRgb(362, 234, 300, 300);
    ASSERT_EQ(300u * 300u * 3u, crop.size());
    std::set<int> greys;
    std::size_t white = 0;
    for (std::size_t i = 0; i + 2 < crop.size(); i += 3) {
        int r = crop[i], g = crop[i + 1], b = crop[i + 2];
        if (r == g && g == b && r > 0 && r < 255)
            greys.insert(r);
        white += r == 255 && g == 255 && b == 255;
    }
    EXPECT_GT(white, 0u) << "the rings are in the crop";
    std::string seen;
    for (int grey : greys)
        seen += std::to_string(grey) + " ";
    EXPECT_TRUE(greys.empty()) << "in-between greys: " << seen;
    robot::Screenshot(support::ArtifactPath("saver-144dpi.png"));

    robot::SendKey(window, VK_SPACE);
    EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
    robot::Finish(child);
}

// Both pages of the configuration dialog: every text inside its control at
// 8 points and 144 dpi. The one-time driver hint opens the "Driver" page,
// a later opening the "General" one.
TEST(SaverAt144Dpi, TheConfigurationDialogsTextsFitOnBothPages)
{
    ASSERT_EQ(144, robot::ScreenDpi());
    struct Row {
        const char* page;
        DWORD told; // the hint shown before
        const char* shot;
    } rows[] = {{"General", 1, "config-general-144dpi.png"}, {"Driver", 0, "config-driver-144dpi.png"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Told3dfx", REG_DWORD, &row.told, sizeof row.told);
        robot::Child child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /c");
        HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, child.id);
        ASSERT_NE(nullptr, dialog);
        if (!row.told) {
            robot::MessageBoxView hint = robot::WaitForMessageBox("Orbelle", kWindowMs, child.id);
            ASSERT_NE(nullptr, hint.window);
            robot::Press(hint.window, IDOK);
            ASSERT_TRUE(robot::WaitUntilGone(hint.window, kWindowMs));
        }
        robot::Settle(child, 700);
        std::vector<std::string> clipped = robot::TextsThatDoNotFit(dialog, "MS Sans Serif", 8);
        EXPECT_TRUE(clipped.empty()) << robot::Lines(clipped);
        robot::WindowShot(dialog, support::ArtifactPath(row.shot));
        robot::Press(dialog, IDCANCEL);
        EXPECT_EQ(0u, robot::WaitExit(child, kExitMs));
        robot::Finish(child);
    }
}

} // namespace
