// The saver-window rules in this process: a full-screen form of a test class
// run by a controller, with messages sent to it as the system would.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "saver/framework/control.h"
#include "saver/framework/form.h"
#include "saver/framework/preview.h"
#include "saver/framework/trace.h"
#include "form_support.h"
#include "support.h"

namespace {

using namespace formtest;

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// What a watched child window saw when it was destroyed.
struct ChildEnd {
    HANDLE watchProc = reinterpret_cast<HANDLE>(1);
    HANDLE watchRoot = reinterpret_cast<HANDLE>(1);
    WNDPROC procAtDestroy = nullptr;
};
ChildEnd gChildEnd;

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        gChildEnd.watchProc = GetPropA(window, "ScrChildWatchWndproc");
        gChildEnd.watchRoot = GetPropA(window, "ScrChildWatchRoot");
        gChildEnd.procAtDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SnitchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ChildProc(window, message, wParam, lParam);
}

HWND MakeChild(HWND parent)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ChildProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FormTestChild";
    RegisterClassExA(&wc);
    return CreateWindowExA(0, "FormTestChild", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A controller started with "/s", once its full-screen test form runs (or
// after two seconds without).
TScrControl* StartFullScreen()
{
    ScrRegisterFormClass("TTestSaverForm", &TTestForm::Make);
    auto* control = new TScrControl("\"C:\\x\\orbelle.scr\" /s");
    control->DebugLevel = dlFull; // not topmost: the test's own windows stay usable
    control->Options = scoHandleInput | scoHandlePanelsAlso;
    control->FormFullScreen = "TTestSaverForm";
    for (int i = 0; i < 200 && !gScrSaver; ++i) {
        Pump();
        Sleep(10);
    }
    return control;
}

// A controller started with "/s" and its full-screen test form.
class FormTest : public testing::Test {
protected:
    void SetUp() override
    {
        trace_ = support::TempDirectory() + "formtrace.txt";
        DeleteFileA(trace_.c_str());
        ScrTraceToFile(trace_.c_str());
        ScrSetTraceLevel(tlUsr);
        control_ = StartFullScreen();
        ASSERT_NE(nullptr, gScrSaver);
        form_ = gScrSaver;
        window_ = form_->Handle();
        Pump();
    }
    void TearDown() override
    {
        delete control_; // ends nothing that is still needed: the process ends
        ScrTraceToFile(nullptr);
    }
    // Sends an input message and lets the posted action run.
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, HWND to = nullptr)
    {
        SendMessageA(to ? to : window_, message, wParam, lParam);
        Pump();
    }
    std::string Trace() const
    {
        std::vector<std::uint8_t> bytes = support::ReadBytes(trace_);
        return std::string(bytes.begin(), bytes.end());
    }

    TScrControl* control_ = nullptr;
    TScrForm* form_ = nullptr;
    HWND window_ = nullptr;
    std::string trace_;
};

TEST_F(FormTest, KeyPressEndsTheRunOnlyAfterTheMessage)
{
    EXPECT_EQ(smSFull, form_->Kind());
    EXPECT_FALSE(control_->Terminated());
    SendMessageA(window_, WM_KEYDOWN, 'Q', 0);
    // The close is posted, not performed inside the input message.
    EXPECT_FALSE(control_->Terminated());
    Pump();
    EXPECT_TRUE(control_->Terminated());
}

TEST_F(FormTest, InputDuringADialogIsIgnored)
{
    form_->ScrBeginDialog();
    Send(WM_KEYDOWN, 'Q');
    Send(WM_LBUTTONDOWN);
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_FALSE(control_->Terminated());
    EXPECT_NE(0, SendMessageA(window_, WM_NCACTIVATE, 0, 0)) << "deactivation allowed in a dialog";
    form_->ScrEndDialog(false);
    EXPECT_EQ(0, SendMessageA(window_, WM_NCACTIVATE, 0, 0)) << "the saver keeps looking active";
    Send(WM_KEYDOWN, 'Q');
    EXPECT_TRUE(control_->Terminated());
}

TEST_F(FormTest, CursorIsHiddenOverTheClientAreaOnly)
{
    EXPECT_EQ(TRUE, SendMessageA(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(nullptr, GetCursor());
    form_->ScrBeginDialog();
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    SendMessageA(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(nullptr, GetCursor()) << "a dialog over the saver needs the cursor";
    form_->ScrEndDialog(false);
}

TEST_F(FormTest, ChildWindowsAreWatchedAndGivenBack)
{
    HWND child = MakeChild(window_);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(reinterpret_cast<HANDLE>(&ChildProc), GetPropA(child, "ScrChildWatchWndproc"));
    EXPECT_EQ(static_cast<HANDLE>(window_), GetPropA(child, "ScrChildWatchRoot"));
    EXPECT_NE(reinterpret_cast<LONG_PTR>(&ChildProc), GetWindowLongPtrA(child, GWLP_WNDPROC));
    gChildEnd = ChildEnd();
    DestroyWindow(child);
    EXPECT_EQ(nullptr, gChildEnd.watchProc);
    EXPECT_EQ(nullptr, gChildEnd.watchRoot);
    EXPECT_EQ(&ChildProc, gChildEnd.procAtDestroy);
    EXPECT_FALSE(control_->Terminated());
}

TEST_F(FormTest, InputOnAWatchedChildCounts)
{
    HWND child = MakeChild(window_);
    ASSERT_NE(nullptr, child);
    Send(WM_MBUTTONDOWN, 0, 0, child);
    EXPECT_TRUE(control_->Terminated());
    DestroyWindow(child);
}

TEST_F(FormTest, ASnitchedProcedureIsLeftInPlace)
{
    HWND child = MakeChild(window_);
    ASSERT_NE(nullptr, child);
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SnitchProc));
    gChildEnd = ChildEnd();
    DestroyWindow(child);
    EXPECT_EQ(&SnitchProc, gChildEnd.procAtDestroy);
    EXPECT_EQ(nullptr, gChildEnd.watchRoot);
    EXPECT_NE(std::string::npos, Trace().find("SaverForm: parent-notiy oops! someone has snitched our wndproc!"))
        << Trace();
}

TEST_F(FormTest, NoPasswordIsAskedOnTheNTFamily)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                             nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    DWORD one = 1;
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    // Wine reports the NT platform, where the system guards the saver itself.
    EXPECT_FALSE(form_->TestRequirePassword());
    EXPECT_TRUE(form_->CloseQuery());
    // Without the password service, verification passes.
    EXPECT_TRUE(form_->VerifyPassword());
    EXPECT_FALSE(form_->InDialog());
}

TEST_F(FormTest, ConfigurationPreviewIgnoresInputAndEndsNothing)
{
    // In a hidden window of its own: inside the saver window it would be
    // watched, and a shown window would take the activation from the saver.
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 80, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    TScrForm* preview = TTestForm::Make(smSPConfig);
    ASSERT_TRUE(preview->Create(host, 0, 0, 80, 60, WS_CHILD | WS_VISIBLE, 0));
    HWND handle = preview->Handle();
    Send(WM_KEYDOWN, 'Q', 0, handle);
    Send(WM_LBUTTONDOWN, 0, 0, handle);
    EXPECT_FALSE(control_->Terminated());
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle)) << "a preview may be closed";
    Pump();
    EXPECT_FALSE(control_->Terminated());
    delete preview;
    DestroyWindow(host);
}

TEST_F(FormTest, LivePreviewOverARunningSaverIsThePlainOne)
{
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    TScrPreview preview;
    ASSERT_TRUE(preview.Create(host, 10, 10, 169, 169));
    EXPECT_EQ("TScrPreview", ClassOf(preview.Handle()));
    EXPECT_TRUE(preview.PreviewPresent());
    HWND child = GetWindow(preview.Handle(), GW_CHILD);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ("ScrDefaultPreviewWindowClass", ClassOf(child));
    preview.RemovePreview();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(preview.PreviewPresent());
    Pump();
    EXPECT_FALSE(control_->Terminated()) << "a live preview ends nothing";
    DestroyWindow(host);
}

TEST_F(FormTest, LivePreviewHoldsTheSaverWindowOfItsOwnKind)
{
    control_->FormPreview = "TTestSaverForm";
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    TScrPreview preview;
    preview.AutoPreview = false;
    ASSERT_TRUE(preview.Create(host, 0, 0, 169, 169));
    EXPECT_FALSE(preview.PreviewPresent());
    preview.SetPreviewPresent(true);
    HWND child = GetWindow(preview.Handle(), GW_CHILD);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ("TTestSaverForm", ClassOf(child));
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(169, r.right);
    EXPECT_EQ(169, r.bottom);
    EXPECT_EQ(form_, gScrSaver) << "the full-screen saver stays the saver";
    preview.SetPreviewPresent(false);
    EXPECT_FALSE(IsWindow(child));
    Pump();
    EXPECT_FALSE(control_->Terminated());
    DestroyWindow(host);
}

TEST_F(FormTest, ASecondControllerEndsTheProgram)
{
    EXPECT_EXIT({ TScrControl second("x.scr /s"); }, testing::ExitedWithCode(0), "");
    // The child of the death test traced to the same file.
    EXPECT_NE(std::string::npos, Trace().find("You can only have one ScrControl object!")) << Trace();
}

// The password path of the Windows 95 family, with the family check and the
// system's password service replaced. A verification that fails is the user
// moving the mouse while the password box shows, then cancelling it.
TEST(PasswordOnTheWindows95Family, AskedAfterTheDelayWhenTheSystemWantsIt)
{
    struct Row {
        const char* what;
        bool nt;
        DWORD delaySeconds;
        const char* usePassword; // as Windows 95 stores it: text
        bool right;              // the password given
        int asked;
        bool closes;
    } rows[] = {
        {"the NT family guards the saver itself", true, 0, "1", false, 0, true},
        {"within the password delay", false, 3600, "1", false, 0, true},
        {"no password wanted", false, 0, "0", false, 0, true},
        {"the right password", false, 0, "1", true, 1, true},
        {"a wrong password", false, 0, "1", false, 1, false},
    };
    ScrSetPasswordVerifier(&Verifier);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScrSetFamilyCheck(row.nt ? &IsNTFamily : &IsNotNTFamily);
        WriteValue("Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers", "Password Delay",
                   REG_DWORD, &row.delaySeconds, sizeof row.delaySeconds);
        WriteValue("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_SZ, row.usePassword, 2);
        gVerifications = 0;
        gVerifierAnswer = row.right;
        SetCursorPos(500, 400);
        TScrControl* control = StartFullScreen();
        ASSERT_NE(nullptr, gScrSaver);
        HWND window = gScrSaver->Handle();
        SendMessageA(window, WM_KEYDOWN, 'Q', 0);
        Pump();
        EXPECT_EQ(row.asked, gVerifications);
        EXPECT_EQ(row.closes, control->Terminated());
        if (!row.closes) {
            EXPECT_FALSE(gScrSaver->InDialog());
            // Where the mouse was left is the new start: no close there.
            SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(gPointerLeftAt.x, gPointerLeftAt.y));
            Pump();
            EXPECT_FALSE(control->Terminated()) << "the start position is renewed";
        }
        delete control;
        Pump();
    }
    ScrSetFamilyCheck(nullptr);
    ScrSetPasswordVerifier(nullptr);
}

TEST_F(FormTest, DestroyingTheFullScreenWindowEndsTheRun)
{
    DestroyWindow(window_);
    EXPECT_TRUE(control_->Terminated());
    EXPECT_NE(std::string::npos, Trace().find("~TScrForm destructor: telling app to terminate."));
}

} // namespace
