// The saver-window rules on two monitors side by side, in this process: the
// test bench gives the prefix a 1024 x 768 primary monitor and an 800 x 600
// one right of it (ORBELLE_SCREENS=2). Real pointer input over the second
// monitor reaches the full-screen window and, on the Windows 95 family with
// a password set, asks for the password before anything closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>

#include "robot.h"
#include "saver/framework/control.h"
#include "saver/framework/form.h"
#include "form_support.h"

namespace {

using namespace formtest;

// Where the password box leaves the pointer: on the second monitor.
const POINT kLeftAt = {1300, 300};

TEST(TwoMonitors, ThePasswordGuardsInputOverTheSecondMonitor)
{
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
    gPointerLeftAt = kLeftAt;
    DWORD noDelay = 0;
    WriteValue("Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers", "Password Delay",
               REG_DWORD, &noDelay, sizeof noDelay);
    WriteValue("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_SZ, "1", 2);
    ScrSetPasswordVerifier(&Verifier);
    ScrSetFamilyCheck(&IsNotNTFamily);
    ASSERT_TRUE(robot::MoveMouse({500, 400}));

    ScrRegisterFormClass("TTestSaverForm", &TTestForm::Make);
    auto* control = new TScrControl("\"C:\\x\\orbelle.scr\" /s");
    control->DebugLevel = dlFull; // not topmost: the test's own windows stay usable
    control->Options = scoHandleInput | scoHandlePanelsAlso;
    control->FormFullScreen = "TTestSaverForm";
    ASSERT_TRUE(PumpUntil([] { return gScrSaver != nullptr; }, 5000));
    RECT rect;
    GetWindowRect(gScrSaver->Handle(), &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(1824, rect.right) << "both monitors";
    EXPECT_EQ(768, rect.bottom);

    struct Row {
        const char* what;
        POINT to;
        bool right;
        bool closes;
    } rows[] = {
        {"a wrong password: the saver stays", {1700, 500}, false, false},
        {"the right one: it closes", {1750, 200}, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        gVerifierAnswer = row.right;
        int asked = gVerifications;
        ASSERT_TRUE(robot::MoveMouse(row.to));
        EXPECT_TRUE(PumpUntil([&] { return gVerifications == asked + 1; }, 5000))
            << "the password is asked over the second monitor";
        // The close that asked decides in the same call, once the verifier
        // has answered: a refusal is final there, an end is awaited.
        if (row.closes)
            PumpUntil([&] { return control->Terminated(); }, 5000);
        EXPECT_EQ(row.closes, control->Terminated());
        // The pointer is back where the box left it, the new start.
        EXPECT_TRUE(robot::MoveMouse({kLeftAt.x + 1, kLeftAt.y}));
    }
    delete control;
    ScrSetFamilyCheck(nullptr);
    ScrSetPasswordVerifier(nullptr);
}

} // namespace
