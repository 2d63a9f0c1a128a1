// The configuration dialog's file choosers against the common dialogs of
// Windows 95, 98 and NT 4 (tests/saver/config/fake_comdlg.cpp), which take
// only the structure size of their own time and fail on any other.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "robot.h"
#include "saver/config/resource.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 15000;
const char* const kKey = "Software\\GlimMex\\orbelle";

void WriteDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

std::string ReadText(const char* name)
{
    char text[1000] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

// The size the old dialogs take, as the log writes it.
std::string KnownSize()
{
    return std::to_string(OPENFILENAME_SIZE_VERSION_400A) + " ";
}

std::string Folder()
{
    return support::TempDirectory() + "olddialogs\\";
}

std::string SizeLog()
{
    return Folder() + "sizes.txt";
}

// A copy of the saver beside the old comdlg32.dll. Wine loads its own
// system libraries first; its per-program override makes it take the one in
// the saver's folder (Windows itself would not: comdlg32 is a known DLL).
std::string SaverBesideOldDialogs()
{
    const char* overrides = "Software\\Wine\\AppDefaults\\orbelle.scr\\DllOverrides";
    const char native[] = "native";
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, overrides, "comdlg32", REG_SZ,
                                             native, sizeof native));
    CreateDirectoryA(Folder().c_str(), nullptr);
    std::string saver = Folder() + "orbelle.scr";
    EXPECT_TRUE(CopyFileA(support::WinPath(ORBELLE_SAVER).c_str(), saver.c_str(), FALSE));
    EXPECT_TRUE(CopyFileA(support::WinPath(FAKE_COMDLG).c_str(), (Folder() + "comdlg32.dll").c_str(), FALSE));
    DeleteFileA(SizeLog().c_str());
    return saver;
}

std::vector<std::string> Environment(const std::string& error, const std::string& choice)
{
    std::vector<std::string> entries = support::EnvironmentWithout("FAKE_COMDLG_");
    entries.push_back("FAKE_COMDLG_LOG=" + SizeLog());
    if (!error.empty())
        entries.push_back("FAKE_COMDLG_ERROR=" + error);
    if (!choice.empty())
        entries.push_back("FAKE_COMDLG_CHOICE=" + choice);
    return entries;
}

struct Dialog {
    robot::Child child;
    HWND window = nullptr;
};

// Opens the dialog with its "Driver" page in front (the one-time hint
// brings it there).
Dialog Open(const std::string& error, const std::string& choice)
{
    Dialog d;
    d.child = robot::Start("\"" + SaverBesideOldDialogs() + "\" /c", Environment(error, choice));
    d.window = robot::WaitForDialog("Options for Orbelle", kWaitMs, d.child.id);
    robot::MessageBoxView hint = robot::WaitForMessageBox("Orbelle", kWaitMs, d.child.id);
    if (hint.window) {
        robot::Press(hint.window, IDOK);
        robot::WaitUntilGone(hint.window, kWaitMs);
    }
    robot::Settle(d.child, 300);
    return d;
}

void Finish(Dialog& d, int button)
{
    robot::Press(d.window, button);
    EXPECT_EQ(0u, robot::WaitExit(d.child, kWaitMs));
    robot::Finish(d.child);
}

std::string LoggedSizes()
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(SizeLog());
    std::string text(bytes.begin(), bytes.end());
    std::string sizes;
    for (char c : text)
        if (c != '\r')
            sizes += c == '\n' ? ' ' : c;
    return sizes;
}

// "Driver..." is a plain click; "Show logo" asks first, when a Shift-click
// leaves it ticked.
struct Chooser {
    const char* name;
    bool asksFirst;
};
const Chooser kChoosers[] = {{"Driver...", false}, {"Show logo", true}};

void OpenChooser(const Dialog& d, const Chooser& chooser)
{
    if (!chooser.asksFirst) {
        robot::Press(d.window, IDC_DRIVERBUTTON);
        return;
    }
    robot::MessageBoxView ask;
    for (int attempt = 0; attempt < 3 && !ask.window; ++attempt) {
        robot::Click(GetDlgItem(d.window, IDC_SHOWLOGO), {3, 3}, {VK_SHIFT});
        ask = robot::WaitForMessageBox("Orbelle", kWaitMs / 3, d.child.id);
    }
    ASSERT_NE(nullptr, ask.window);
    robot::Press(ask.window, IDYES);
    ASSERT_TRUE(robot::WaitUntilGone(ask.window, kWaitMs));
}

TEST(OldFileDialogs, BothChoosersGiveTheSizeTheyKnowAndAChosenDriverIsListed)
{
    WriteDword("UseImage", 0); // so that the Shift-click ticks it
    const std::string driver = support::WinPath(SAVER_DRIVERS "/my3DFXgl.dll");
    Dialog d = Open("", driver);
    ASSERT_NE(nullptr, d.window);
    HWND list = GetDlgItem(d.window, IDC_DRIVERS);
    const LRESULT before = SendMessageA(list, LB_GETCOUNT, 0, 0);
    OpenChooser(d, kChoosers[0]);
    EXPECT_TRUE(robot::WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == before + 1; }, kWaitMs))
        << "the chosen driver is listed";
    EXPECT_EQ(KnownSize(), LoggedSizes());
    Finish(d, IDOK);
    EXPECT_EQ(driver, ReadText("DriverPath"));
}

// A failure of the dialog itself (here a path buffer that the old dialogs
// find too small) is shown, and the settings stay as they were.
TEST(OldFileDialogs, AFailureIsShownToTheUserNotTakenForACancel)
{
    WriteDword("UseImage", 0);
    Dialog d = Open("3003", "");
    ASSERT_NE(nullptr, d.window);
    for (const Chooser& chooser : kChoosers) {
        SCOPED_TRACE(chooser.name);
        OpenChooser(d, chooser);
        robot::MessageBoxView error = robot::WaitForMessageBox("Error", kWaitMs, d.child.id);
        ASSERT_NE(nullptr, error.window);
        EXPECT_EQ("Unable to open the file dialog (error 0x3003).", error.text);
        EXPECT_EQ(std::vector<int>{IDOK}, error.buttons);
        robot::Press(error.window, IDOK);
        ASSERT_TRUE(robot::WaitUntilGone(error.window, kWaitMs));
        EXPECT_TRUE(IsWindow(d.window)) << "the dialog goes on";
    }
    EXPECT_EQ(KnownSize() + KnownSize(), LoggedSizes());
    Finish(d, IDOK);
    EXPECT_EQ("", ReadText("DriverPath"));
    EXPECT_EQ("*def", ReadText("FileName"));
}

TEST(OldFileDialogs, ACancelShowsNothing)
{
    WriteDword("UseImage", 0);
    Dialog d = Open("", "");
    ASSERT_NE(nullptr, d.window);
    for (const Chooser& chooser : kChoosers) {
        SCOPED_TRACE(chooser.name);
        OpenChooser(d, chooser);
        robot::Settle(d.child, 800);
        EXPECT_EQ(nullptr, robot::FindTopWindow("#32770", "Error", d.child.id));
    }
    EXPECT_EQ(KnownSize() + KnownSize(), LoggedSizes());
    Finish(d, IDCANCEL);
}

} // namespace
