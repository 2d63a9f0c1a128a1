// Over-the-shoulder elevation. Wine has one user, so the installer and the
// desktop's shell always share an account there: the comparison is tested on
// processes of that one user, and what the user is told, directly.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "installer/finish/finish.h"
#include "robot.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 15000;

TEST(AnotherUser, ProcessesOfOneUserShareIt)
{
    EXPECT_EQ(1, ProcessesShareUser(GetCurrentProcess(), GetCurrentProcess()));
    // A child of ours runs as we do.
    robot::Child child = robot::Start("\"" + support::WindowsDirectory() + "\\system32\\cmd.exe\" /c pause");
    ASSERT_NE(nullptr, child.process);
    EXPECT_EQ(1, ProcessesShareUser(GetCurrentProcess(), child.process));
    TerminateProcess(child.process, 0);
    robot::Finish(child);
    // Under Wine the shell, where there is one, is ours too: nothing to tell.
    EXPECT_FALSE(RunsAsAnotherUser());
}

// On Windows, a standard user who gave an administrator's password at the
// prompt gets this after the installation; here the text is shown directly.
TEST(AnotherUser, TheUserIsToldWhatToDoInTheirOwnAccount)
{
    struct Case {
        bool hotCorners;
        const char* expected;
    } cases[] = {
        {true,
         "This installation ran under another account than the one using this desktop, so the "
         "screen saver was made current, and the hot corners set to start at logon, for that "
         "account only.\r\n\r\nTo have it in your own account, choose \"Orbelle\" in the screen "
         "saver settings, and tick \"Have hot corner services load at startup\" in the hot "
         "corners' settings (\"rundll32 quadrix.dll,RunDialog\")."},
        {false,
         "This installation ran under another account than the one using this desktop, so the "
         "screen saver was made current for that account only.\r\n\r\nTo have it in your own "
         "account, choose \"Orbelle\" in the screen saver settings."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hotCorners);
        std::thread shown([&] { TellAboutAnotherUser(nullptr, "Orbelle screen saver", "Orbelle", c.hotCorners); });
        robot::MessageBoxView box = robot::WaitForMessageBox("Orbelle screen saver", kWaitMs, GetCurrentProcessId());
        if (box.window) {
            EXPECT_EQ(c.expected, box.text);
            EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
            robot::Press(box.window, IDOK);
        }
        shown.join();
        ASSERT_NE(nullptr, box.window);
    }
}

} // namespace
