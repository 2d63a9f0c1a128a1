// The Preview dialog under Wine with savers that keep only the preview
// contract. The dialog runs in this process; a second thread looks at it and
// answers it as a user would. What the saver saw comes from its own log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "installer/finish/finish.h"
#include "installer/finish/preview.h"
#include "installer/instance.h"
#include "robot.h"
#include "support.h"

namespace {

constexpr DWORD kTimeout = 20000;
const char kShown[] = "Screen saver succesfully installed!";

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What the user saw of the dialog while it ran.
struct DialogView {
    HWND dialog = nullptr;
    HWND area = nullptr;
    RECT areaClient = {0, 0, 0, 0};
    std::vector<std::string> statuses; // the status line, each time it changed
    std::vector<robot::MessageBoxView> boxes;
};

class PreviewRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        gInstance = GetModuleHandleA(nullptr);
        log = support::TempDirectory() + "preview.log";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("ORBELLE_PREVIEW_LOG", log.c_str());
    }

    // Shows the dialog for saver; user runs on a second thread with the
    // dialog once it is up, then the dialog is closed with closeCommand.
    DialogView Show(const std::string& saver, const std::function<void(DialogView&)>& user,
                    WPARAM closeCommand = IDOK)
    {
        DialogView view;
        std::thread robotThread([&] {
            view.dialog = robot::WaitForDialog("Preview", kTimeout, GetCurrentProcessId());
            if (!view.dialog)
                return;
            view.area = GetDlgItem(view.dialog, kPreviewArea);
            GetClientRect(view.area, &view.areaClient);
            user(view);
            if (closeCommand == SC_CLOSE)
                robot::SysCommand(view.dialog, SC_CLOSE);
            else if (closeCommand == IDCANCEL)
                robot::SendKey(view.dialog, VK_ESCAPE);
            else
                robot::Press(view.dialog, kPreviewOk);
        });
        ShowPreviewDialog(nullptr, saver.c_str());
        robotThread.join();
        return view;
    }

    // Records the status line until it reads final (or the time runs out).
    static bool WatchStatus(DialogView& view, const std::string& final)
    {
        return robot::WaitFor(
            [&] {
                std::string status = robot::ItemText(view.dialog, kPreviewStatus);
                if (view.statuses.empty() || view.statuses.back() != status)
                    view.statuses.push_back(status);
                return status == final;
            },
            kTimeout);
    }

    // Waits for the saver to write its last line.
    std::vector<std::string> SaverLog() const
    {
        robot::WaitFor([&] { return Contains(ReadLines(log), "end"); }, kTimeout);
        return ReadLines(log);
    }

    std::string log;
};

std::string Fixture(const char* path)
{
    return support::WinPath(path);
}

std::string Handle(HWND window)
{
    return std::to_string(static_cast<int>(reinterpret_cast<INT_PTR>(window)));
}

TEST_F(PreviewRun, TheDialogHasItsCaptionStylesAndThreeControlsInPlace)
{
    DialogView view = Show(Fixture(PREVIEW_SAVER), [](DialogView& v) {
        EXPECT_TRUE(WatchStatus(v, kShown));
        EXPECT_EQ("Preview", robot::Text(v.dialog));
        DWORD style = static_cast<DWORD>(GetWindowLongA(v.dialog, GWL_STYLE));
        for (DWORD bit : {DWORD{WS_POPUP}, DWORD{WS_VISIBLE}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU},
                          DWORD{DS_MODALFRAME}})
            EXPECT_EQ(bit, style & bit) << std::hex << bit;
        struct Control {
            int id;
            const char* className;
            LONG style; // besides WS_CHILD and WS_VISIBLE
            RECT units; // x, y, width, height
        } controls[] = {
            {kPreviewOk, "Button", BS_DEFPUSHBUTTON, {113, 175, 50, 14}},
            {kPreviewArea, "Static", SS_BLACKRECT, {7, 7, 264, 152}},
            {kPreviewStatus, "Static", SS_CENTER, {7, 162, 264, 8}},
        };
        for (const Control& c : controls) {
            SCOPED_TRACE(c.id);
            HWND control = GetDlgItem(v.dialog, c.id);
            ASSERT_TRUE(control);
            EXPECT_STRCASEEQ(c.className, robot::ClassName(control).c_str());
            EXPECT_EQ(c.style | WS_CHILD | WS_VISIBLE,
                      GetWindowLongA(control, GWL_STYLE) & (c.style | WS_CHILD | WS_VISIBLE));
            // The dialog manager maps position and size each on its own.
            RECT expected = c.units;
            MapDialogRect(v.dialog, &expected);
            RECT actual;
            GetWindowRect(control, &actual);
            MapWindowPoints(nullptr, v.dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(expected.left, actual.left);
            EXPECT_EQ(expected.top, actual.top);
            EXPECT_EQ(expected.right, actual.right - actual.left);
            EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
        }
        EXPECT_EQ("OK", robot::ItemText(v.dialog, kPreviewOk));
        // The preview area keeps its own procedure in its user data.
        EXPECT_NE(0, GetWindowLongPtrA(v.area, GWLP_USERDATA));
        RECT dialogRect;
        GetWindowRect(v.dialog, &dialogRect);
        EXPECT_NE(0, dialogRect.right - dialogRect.left);
    });
    EXPECT_TRUE(view.dialog);
}

TEST_F(PreviewRun, AQuickSaverIsStartedInTheAreaAndClosedWithOk)
{
    std::string saver = Fixture(PREVIEW_SAVER);
    DialogView view = Show(saver, [](DialogView& v) {
        EXPECT_TRUE(WatchStatus(v, kShown));
        // The saver's window is the area's first child and fills it.
        EXPECT_TRUE(robot::WaitFor([&] { return GetWindow(v.area, GW_CHILD) != nullptr; }, kTimeout));
    });
    ASSERT_TRUE(view.dialog);
    EXPECT_FALSE(IsWindow(view.dialog));
    // It ends shown; on a busy machine a few waiting dots may come first.
    ASSERT_FALSE(view.statuses.empty());
    EXPECT_EQ(kShown, view.statuses.back());
    for (const std::string& status : view.statuses) {
        bool dots = status.find_first_not_of('.') == std::string::npos;
        EXPECT_TRUE(status == kShown || status == "Setting up." || dots) << status;
    }

    std::vector<std::string> lines = SaverLog();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("command \"" + saver + "\" /p " + Handle(view.area), lines[0]);
    EXPECT_TRUE(Contains(lines, "parent " + Handle(view.area) + " 1"));
    std::string size = std::to_string(view.areaClient.right) + "x" + std::to_string(view.areaClient.bottom);
    EXPECT_TRUE(Contains(lines, "client " + size));
    EXPECT_TRUE(Contains(lines, "child " + size));
    // OK asked the saver's window to close, and the saver ended with it.
    std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_EQ((std::vector<std::string>{"close", "destroyed", "end"}), tail);
}

TEST_F(PreviewRun, EscapeAndTheCloseBoxCloseTheSaverToo)
{
    for (WPARAM command : {static_cast<WPARAM>(IDCANCEL), static_cast<WPARAM>(SC_CLOSE)}) {
        SCOPED_TRACE(command);
        DeleteFileA(log.c_str());
        DialogView view = Show(
            Fixture(PREVIEW_SAVER), [](DialogView& v) { EXPECT_TRUE(WatchStatus(v, kShown)); },
            command);
        ASSERT_TRUE(view.dialog);
        std::vector<std::string> lines = SaverLog();
        ASSERT_GE(lines.size(), 3u);
        std::vector<std::string> tail(lines.end() - 3, lines.end());
        EXPECT_EQ((std::vector<std::string>{"close", "destroyed", "end"}), tail);
    }
}

TEST_F(PreviewRun, ASaverThatIgnoresCloseEndsWithTheDialog)
{
    DialogView view = Show(Fixture(PREVIEW_STUBBORN), [](DialogView& v) {
        EXPECT_TRUE(WatchStatus(v, kShown));
        EXPECT_TRUE(robot::WaitFor([&] { return GetWindow(v.area, GW_CHILD) != nullptr; }, kTimeout));
    });
    ASSERT_TRUE(view.dialog);
    std::vector<std::string> lines = SaverLog();
    ASSERT_GE(lines.size(), 3u);
    // WM_CLOSE was ignored; the preview area's end took the window along.
    std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_EQ((std::vector<std::string>{"close", "destroyed", "end"}), tail);
}

TEST_F(PreviewRun, ASaverThatNeverComesUpShowsGrowingDotsAndOkStillCloses)
{
    DialogView view = Show(Fixture(PREVIEW_SLEEPY), [](DialogView& v) {
        EXPECT_TRUE(WatchStatus(v, "......"));
    });
    ASSERT_TRUE(view.dialog);
    EXPECT_FALSE(IsWindow(view.dialog));
    // Two dots a tick, nothing else; a fast robot may see every stage, the
    // set-up line before the first tick included.
    for (std::size_t i = 0; i < view.statuses.size(); ++i) {
        const std::string& status = view.statuses[i];
        if (i == 0 && status == "Setting up.")
            continue;
        EXPECT_EQ(0u, status.size() % 2) << status;
        EXPECT_EQ(std::string(status.size(), '.'), status);
    }
    // Its window came too late for the closed dialog.
    std::vector<std::string> lines = SaverLog();
    EXPECT_TRUE(Contains(lines, "no window"));
    EXPECT_FALSE(Contains(lines, "close"));
}

// Each failure is told in one box, and the status line says so.
TEST_F(PreviewRun, ASaverThatDoesNotComeUpIsReportedInABoxAndTheStatusLine)
{
    const std::string missing = support::WindowsDirectory() + "\\missing.scr";
    // Fits a path buffer, but not with quotes, " /p " and a handle.
    const std::string longPath = "C:\\" + std::string(248, 'l') + ".scr";
    struct Case {
        const char* trace;
        std::string saver;
        std::string text; // the box's text, or its start when prefixOnly
        bool prefixOnly;
        const char* status;
    } cases[] = {
        {"cannot be started", missing,
         "Unable to launch saver.\r\n" + missing + "\r\n" +
             support::SystemText(ERROR_FILE_NOT_FOUND),
         false, "Unable to launch saver."},
        {"a path too long for the command line", longPath,
         "Unable to launch saver.\r\n" + longPath + "\r\n" +
             support::SystemText(ERROR_FILENAME_EXCED_RANGE),
         false, "Unable to launch saver."},
        // A console program: WaitForInputIdle fails at once for it.
        {"never waits for input", Fixture(CONSOLE_PROGRAM),
         "Error waiting for screen saver to show itself.\r\n", true, "Unable to launch saver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        DialogView view = Show(c.saver, [](DialogView& v) {
            robot::MessageBoxView box =
                robot::WaitForMessageBox("Error", kTimeout, GetCurrentProcessId());
            v.boxes.push_back(box);
            v.statuses.push_back(robot::ItemText(v.dialog, kPreviewStatus));
            robot::Press(box.window, IDOK);
            robot::WaitUntilGone(box.window, kTimeout);
        });
        ASSERT_TRUE(view.dialog);
        ASSERT_EQ(1u, view.boxes.size());
        const std::string& text = view.boxes[0].text;
        if (c.prefixOnly)
            EXPECT_EQ(0u, text.rfind(c.text, 0)) << text;
        else
            EXPECT_EQ(c.text, text);
        EXPECT_EQ(std::vector<int>{IDOK}, view.boxes[0].buttons);
        EXPECT_EQ(std::vector<std::string>{c.status}, view.statuses);
    }
}

// HKCU\Control Panel\Desktop\ScreenSaveActive: where the switch is kept for
// every process (Wine's SystemParametersInfoA answers from a per-process cache).
std::string ScreenSaveActive()
{
    char value[16] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", RRF_RT_REG_SZ,
                     nullptr, value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

TEST_F(PreviewRun, TheInstallerActivatesTheSaverAndPreviewsItUntilOk)
{
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_UPDATEINIFILE);
    ASSERT_EQ("0", ScreenSaveActive());
    robot::Child setup = robot::Start("\"" + support::WinPath(SETUP_PREVIEW_FIXTURE) + "\"");
    ASSERT_TRUE(setup.process);
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kTimeout, setup.id);
    ASSERT_TRUE(prelim);
    robot::Press(prelim, 6); // leave the hot-corners module out
    ASSERT_TRUE(robot::WaitFor([&] { return !robot::IsChecked(prelim, 6); }, kTimeout));
    robot::Press(prelim, IDOK);

    HWND preview = robot::WaitForDialog("Preview", 60000, setup.id);
    ASSERT_TRUE(preview);
    DialogView view;
    view.dialog = preview;
    view.area = GetDlgItem(preview, kPreviewArea);
    EXPECT_TRUE(WatchStatus(view, kShown));
    robot::Settle(setup);
    robot::Screenshot(support::ArtifactPath("preview.png"));
    robot::Press(preview, kPreviewOk);
    EXPECT_EQ(1u, robot::WaitExit(setup, kTimeout));
    robot::Finish(setup);

    std::string saverPath = support::WindowsDirectory() + "\\orbelle.scr";
    char shortPath[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(saverPath.c_str(), shortPath, sizeof shortPath));
    char current[MAX_PATH] = "";
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", current, sizeof current, "system.ini");
    EXPECT_STREQ(shortPath, current);
    EXPECT_EQ("1", ScreenSaveActive());

    std::vector<std::string> lines = SaverLog();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("command \"" + saverPath + "\" /p " + Handle(view.area), lines[0]);
    std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_EQ((std::vector<std::string>{"close", "destroyed", "end"}), tail);
}

TEST(ActivateSaver, WritesTheShortPathAndSwitchesScreenSavingOn)
{
    std::string directory = "C:\\Program Files\\Saver With Blanks";
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string present = directory + "\\long saver name.scr";
    CloseHandle(CreateFileA(present.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    char presentShort[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(present.c_str(), presentShort, sizeof presentShort));
    ASSERT_EQ(nullptr, std::strchr(presentShort, ' '));
    // Without a file there is no short name: the long path still names it.
    std::string missing = directory + "\\not there.scr";
    struct Case {
        std::string path;
        std::string written;
    } cases[] = {{present, presentShort}, {missing, missing}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_UPDATEINIFILE);
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "poison", "system.ini");
        ActivateSaver(c.path.c_str());
        char current[MAX_PATH] = "";
        GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", current, sizeof current, "system.ini");
        EXPECT_EQ(c.written, current);
        EXPECT_EQ("1", ScreenSaveActive());
    }
    DeleteFileA(present.c_str());
    RemoveDirectoryA(directory.c_str());
}

} // namespace
