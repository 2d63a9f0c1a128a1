// The whole installer's registration with the uninstall support, and the
// removal of the saver as the add/remove-programs list runs it.
#include <gtest/gtest.h>

#include <algorithm>

#include "support.h"
#include "unglimex_harness.h"

using namespace unglimex;

namespace {

constexpr DWORD kWindowTimeout = 30000;
constexpr DWORD kInstallTimeout = 120000;
constexpr int kInstallQuadrix = 6;
constexpr int kPreviewOk = 1;

struct Installation {
    DWORD exitCode = STILL_ACTIVE;
    bool previewShown = false;
};

// Runs an installer to its end: "&Install" in the preliminary dialog (with
// the hot-corners box set or cleared), OK in the Preview dialog if one
// comes up. Any other box, of the installer or of a program it started,
// fails the test and is answered with its first button.
Installation Install(const std::string& setup, bool withHotCorners)
{
    Installation result;
    robot::Child child = robot::Start("\"" + setup + "\"");
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kWindowTimeout, child.id);
    EXPECT_TRUE(prelim);
    if (!prelim) {
        robot::Finish(child);
        return result;
    }
    if (!withHotCorners) {
        robot::Press(prelim, kInstallQuadrix);
        EXPECT_TRUE(robot::WaitFor([&] { return !robot::IsChecked(prelim, kInstallQuadrix); }, 5000));
    }
    robot::Press(prelim, IDOK);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kInstallTimeout) {
        result.exitCode = robot::WaitExit(child, 50);
        if (result.exitCode != STILL_ACTIVE)
            break;
        for (HWND window : robot::TopWindows(0)) {
            if (window == prelim || robot::ClassName(window) != "#32770")
                continue;
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            // A window whose busy thread does not answer in time (the
            // Preview dialog while it starts the saver) is read next round.
            std::string caption = robot::Text(window);
            if (caption.empty())
                continue;
            if (owner == child.id && caption == "Preview") {
                result.previewShown = true;
                robot::Press(window, kPreviewOk);
                robot::WaitUntilGone(window, 5000);
                continue;
            }
            robot::MessageBoxView box = robot::ReadMessageBox(window);
            // A dialog still being built (the Preview before its caption and
            // texts are set) is read again on the next round.
            if (box.buttons.empty() || (box.caption.empty() && box.text.empty()))
                continue;
            ADD_FAILURE() << "unexpected box " << box.caption << ": " << box.text;
            robot::Press(window, box.buttons.front());
            robot::WaitUntilGone(window, 5000);
        }
    }
    robot::Finish(child);
    EXPECT_EQ(1u, result.exitCode);
    return result;
}

// The hot-corners module is registered only once its set-up entry ran: this
// installer carries a stand-in that keeps the entries' contract and nothing
// more, so that no service of a real module runs in these tests.
const std::string kSetupWithHotCorners = support::WinPath(SETUP_ENTRIES_FIXTURE);

std::vector<std::string> Tokens()
{
    std::vector<std::string> tokens = SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase);
    std::sort(tokens.begin(), tokens.end());
    return tokens;
}

void ExpectSaverRegistered()
{
    const std::string w = support::WindowsDirectory();
    EXPECT_EQ((Values{{"", "Orbelle screen saver"},
                      {w + "\\orbelle.scr", " "},
                      {"*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle", " "}}),
              TokenValues("orbelle.scr"));
    EXPECT_EQ((Values{{"DisplayName", "Orbelle screen saver"},
                      {"UninstallString", w + "\\unglimex.exe /remove orbelle.scr"}}),
              EntryValues("orbelle.scr"));
}

TEST(InstallerRegistration, WithTheBoxSetBothProductsAreRegistered)
{
    Install(kSetupWithHotCorners, true);
    const std::string w = support::WindowsDirectory();
    EXPECT_EQ((std::vector<std::string>{"orbelle.scr", "quadrix.dll"}), Tokens());
    ExpectSaverRegistered();
    EXPECT_EQ((Values{{"", "Hot Corners"},
                      {w + "\\quadrix.dll", " "},
                      {"_cmd1", "rundll32.exe " + w + "\\quadrix.dll,UninstallSilently"},
                      {"_cmd2", "sleep 500"}}),
              TokenValues("quadrix.dll"));
    EXPECT_EQ((Values{{"DisplayName", "Hot Corners"},
                      {"UninstallString", w + "\\unglimex.exe /remove quadrix.dll"}}),
              EntryValues("quadrix.dll"));
}

TEST(InstallerRegistration, ASecondInstallationSendsTheSameFactsAgain)
{
    Install(kSetupWithHotCorners, true);
    Values saver = TokenValues("orbelle.scr");
    Values hotCorners = TokenValues("quadrix.dll");
    Install(kSetupWithHotCorners, true);
    EXPECT_EQ((std::vector<std::string>{"orbelle.scr", "quadrix.dll"}), Tokens());
    EXPECT_EQ(saver, TokenValues("orbelle.scr"));
    EXPECT_EQ(hotCorners, TokenValues("quadrix.dll"));
    ExpectSaverRegistered();
}

TEST(InstallerRegistration, WithTheBoxClearedOnlyTheSaverIsRegistered)
{
    Install(support::WinPath(ORBELLE_SETUP), false);
    EXPECT_EQ((std::vector<std::string>{"orbelle.scr"}), Tokens());
    ExpectSaverRegistered();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "quadrix.dll"));
}

TEST(InstallerRegistration, WithoutTheUninstallSupportNothingIsRegistered)
{
    Installation installation = Install(support::WinPath(SETUP_NO_UNGLIMEX), true);
    EXPECT_FALSE(support::FileExists(InWindows("unglimex.exe")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "orbelle.scr"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "quadrix.dll"));
    // The saver is still installed and made the current one.
    EXPECT_TRUE(support::FileExists(InWindows("orbelle.scr")));
    char current[MAX_PATH] = "";
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", current, sizeof current, "system.ini");
    EXPECT_STRNE("", current);
    EXPECT_TRUE(installation.previewShown);
}

TEST(InstallerRegistration, TheSaverIsRemovedThroughItsUninstallString)
{
    Install(kSetupWithHotCorners, true);
    // The Preview dialog's saver may outlive the installer by a moment, and
    // Wine deletes the file of a running program only when it ends (Windows
    // refuses), so the removal starts once that saver has ended.
    ASSERT_TRUE(support::WaitUntilNoProcess("orbelle.scr", kWindowTimeout));
    // Settings as the saver keeps them, and a neighbour that must stay.
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle", "Speed", "5");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle\\Rings", "Count", "7");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbellex", "kept", "1");
    ASSERT_TRUE(support::FileExists(InWindows("orbelle.scr")));

    // The add/remove-programs list runs the string as it stands.
    RunResult run = RunCommandLine(EntryValues("orbelle.scr")["UninstallString"]);
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("This will remove Orbelle screen saver.\r\nAre you sure you want to continue?",
              run.boxes[0].text);
    EXPECT_EQ("Orbelle screen saver has been removed.", run.boxes[1].text);

    EXPECT_FALSE(support::FileExists(InWindows("orbelle.scr")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\orbellex"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "orbelle.scr"));
    EXPECT_EQ((std::vector<std::string>{"quadrix.dll"}), Tokens());
    // The hot-corners token remains: so do the program and its module.
    EXPECT_TRUE(support::FileExists(InWindows("unglimex.exe")));
    EXPECT_TRUE(support::FileExists(InWindows("quadrix.dll")));
}

} // namespace
