// The module among processes that misbehave: windows that stop answering,
// processes killed while registered or while holding screen saving off, the
// end of the session, services started at the same moment, and a removal
// while settings windows are open. Each test runs in a fresh prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>

#include <string>

#include "common/picker_geometry.h"
#include "hotcorners/resource.h"
#include "robot.h"
#include "support.h"
#include "ui_support.h"
#include "unglimex_harness.h"

namespace {

using namespace hcui;

using hc::kMiddle;
using hc::WaitForState;
using hc::WaitForSwitch;
const POINT kNeverCorner = {1023, 0};

// The thread of a window stopped (as a debugger or a stuck call stops it)
// while this lives.
class Stopped {
public:
    explicit Stopped(HWND window)
    {
        DWORD thread = GetWindowThreadProcessId(window, nullptr);
        thread_ = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread);
        if (thread_ && SuspendThread(thread_) == static_cast<DWORD>(-1)) {
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }
    ~Stopped()
    {
        if (thread_) {
            ResumeThread(thread_);
            CloseHandle(thread_);
        }
    }
    Stopped(const Stopped&) = delete;
    Stopped& operator=(const Stopped&) = delete;
    explicit operator bool() const { return thread_ != nullptr; }

private:
    HANDLE thread_ = nullptr;
};

// Runs an entry and returns its exit code, or STILL_ACTIVE when it did not
// end within limitMs; the boxes it shows meanwhile are read and answered.
DWORD RunEntry(const std::string& module, const char* entry, DWORD limitMs,
               std::vector<std::string>* boxes = nullptr)
{
    robot::Child child = StartEntry(module, entry, "/notitle");
    DWORD start = GetTickCount();
    DWORD code = STILL_ACTIVE;
    while (GetTickCount() - start < limitMs) {
        code = robot::WaitExit(child, 100);
        if (code != STILL_ACTIVE)
            break;
        for (HWND window : robot::TopWindows(child.id)) {
            if (robot::ClassName(window) != "#32770" || robot::Text(window) != "Quadrix")
                continue;
            robot::MessageBoxView box = robot::ReadMessageBox(window);
            if (boxes)
                boxes->push_back(box.text);
            if (!box.buttons.empty())
                robot::Press(window, box.buttons[0]);
        }
    }
    robot::Finish(child);
    return code;
}

HWND ServiceWindow() { return FindWindowA("QuadrixService", "QuadrixService"); }

// A settings dialog that stops answering: the service still ends when told
// (it gives up on the dialog after a moment), and so does the removal.
TEST(Hostile, AStoppedSettingsDialogHoldsUpNeitherTheServiceNorTheRemoval)
{
    const std::string module = hc::InstallModule();
    ASSERT_EQ(0u, RunEntry(module, "InstallSilently", kWaitMs));
    ASSERT_NE(nullptr, hc::WaitForService(hc::kStartTimeout));
    robot::Child dialog = StartEntry(module, "RunDialog");
    HWND settings = WaitForSettings(dialog);
    ASSERT_NE(nullptr, settings);
    robot::Settle(dialog);
    Stopped stopped(settings);
    ASSERT_TRUE(stopped);

    struct Step {
        const char* entry;
        DWORD limitMs;
    } steps[] = {{"TerminateService", 15000}, {"UninstallSilently", 40000}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.entry);
        robot::Child service;
        if (!ServiceWindow())
            service = StartEntry(module, "RunService");
        HWND running = hc::WaitForService(hc::kStartTimeout);
        ASSERT_NE(nullptr, running);
        DWORD start = GetTickCount();
        EXPECT_EQ(0u, RunEntry(module, step.entry, step.limitMs)) << "ends within its limit";
        EXPECT_LT(GetTickCount() - start, step.limitMs);
        EXPECT_TRUE(robot::WaitUntilGone(running, 5000));
        EXPECT_EQ(0, hc::CountServiceWindows());
        if (service.process) {
            EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(service, hc::kExitTimeout));
            robot::Finish(service);
        }
    }
    // The removal did its work beside the stopped dialog.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    EXPECT_EQ(0u, hc::Probe("detect"));
    robot::Finish(dialog);
}

// A service that stops answering: the settings dialog still opens, and
// TerminateService gives up after its limit and says so.
TEST(Hostile, AStoppedServiceHoldsUpNeitherTheDialogNorItsStop)
{
    const std::string module = hc::InstallModule();
    robot::Child service = StartEntry(module, "RunService");
    HWND window = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, window);
    // Its start has ended (it let go of the service mutex).
    ASSERT_EQ(1u, hc::Probe("detect"));
    {
        Stopped stopped(window);
        ASSERT_TRUE(stopped);
        robot::Child dialog = StartEntry(module, "RunDialog");
        HWND settings = WaitForSettings(dialog);
        ASSERT_NE(nullptr, settings);
        robot::Press(settings, IDCANCEL);
        EXPECT_EQ(0u, robot::WaitExit(dialog, kWaitMs));
        robot::Finish(dialog);

        std::vector<std::string> boxes;
        EXPECT_EQ(0u, RunEntry(module, "TerminateService", 45000, &boxes));
        EXPECT_EQ((std::vector<std::string>{"The hot corner service does not answer and could not "
                                            "be stopped. It may still be running."}),
                  boxes);
    }
    // Going on, it answers again. (Windows delivers the close that was given
    // up on when the service's thread goes on, and the service ends; Wine
    // drops a sent message whose sender gave up, and the service runs on.)
    DWORD code = robot::WaitExit(service, 3000);
    if (code == STILL_ACTIVE) {
        EXPECT_EQ(1u, hc::Probe("detect"));
        code = hc::CloseService(window, service);
    }
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), code);
    robot::Finish(service);
}

// A settings dialog stopped for a moment misses what the service says
// meanwhile, but stays on the notify list: going on, without being
// activated, it hears the next start and end of the service.
TEST(Hostile, ASettingsDialogStoppedForAMomentHearsWhatComesAfter)
{
    const std::string module = hc::InstallModule();
    robot::Child first = StartEntry(module, "RunService");
    HWND service = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, service);
    robot::Child dialog = StartEntry(module, "RunDialog");
    HWND settings = WaitForSettings(dialog);
    ASSERT_NE(nullptr, settings);
    robot::Settle(dialog);
    HWND stop = GetDlgItem(settings, IDC_STOP_SERVICE);
    ASSERT_TRUE(IsWindowEnabled(stop));
    {
        Stopped stopped(settings);
        ASSERT_TRUE(stopped);
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), hc::CloseService(service, first));
    }
    robot::Finish(first);
    // Windows hands the dialog the end it missed once it goes on; Wine drops
    // a sent message whose sender gave up. Either way it hears what follows.
    robot::Child second = StartEntry(module, "RunService");
    service = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, service);
    EXPECT_TRUE(robot::WaitFor([&] { return IsWindowEnabled(stop) != FALSE; }, kWaitMs));
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), hc::CloseService(service, second));
    EXPECT_TRUE(robot::WaitFor([&] { return !IsWindowEnabled(stop); }, kWaitMs));
    robot::Finish(second);
    robot::Press(settings, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(dialog, kWaitMs));
    robot::Finish(dialog);
}

// Settings dialogs killed while registered leave no entries that keep the
// next ones out: after 21 of them (a service holds the module, and so the
// shared block, loaded all the while) a dialog still registers and hears a
// corner change and the service's end and start, and a new service hears
// the corners too.
TEST(Hostile, KilledSettingsDialogsLeaveRoomForTheNext)
{
    const std::string module = hc::InstallModule();
    hc::SetCornerCodes("Y---");
    robot::Child first = StartEntry(module, "RunService");
    ASSERT_NE(nullptr, hc::WaitForService(hc::kStartTimeout));
    for (int i = 0; i < 21; ++i) {
        SCOPED_TRACE(i);
        robot::Child dialog = StartEntry(module, "RunDialog");
        ASSERT_NE(nullptr, WaitForSettings(dialog));
        TerminateProcess(dialog.process, 9);
        robot::WaitExit(dialog, hc::kExitTimeout);
        robot::Finish(dialog);
    }
    robot::Child dialog = StartEntry(module, "RunDialog");
    HWND settings = WaitForSettings(dialog);
    ASSERT_NE(nullptr, settings);
    HWND picker = GetDlgItem(settings, IDC_CORNERS);
    auto codes = [&] {
        char c[picker::kCorners];
        picker::CornersFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrA(picker, GWL_STYLE)),
                                 c);
        return std::string(c, picker::kCorners);
    };
    auto running = [&] { return IsWindowEnabled(picker) != FALSE; };
    // A corner change saved elsewhere and announced reaches the picker.
    auto changeHeard = [&](const std::string& text) {
        hc::SetCornerCodes(text.c_str());
        EXPECT_EQ(0u, hc::Probe("changed"));
        EXPECT_TRUE(robot::WaitFor([&] { return codes() == text; }, kWaitMs)) << codes();
    };
    EXPECT_TRUE(robot::WaitFor(running, kWaitMs));
    changeHeard("NNN-");

    // The service's end and a new start reach the dialog; the new service
    // hears the next change.
    EXPECT_EQ(0u, RunEntry(module, "TerminateService", kWaitMs));
    EXPECT_TRUE(robot::WaitFor([&] { return !running(); }, kWaitMs)) << "heard the end";
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(first, hc::kExitTimeout));
    robot::Finish(first);
    robot::Child second = StartEntry(module, "RunService");
    HWND window = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(robot::WaitFor(running, kWaitMs)) << "heard the start";
    changeHeard("-N--");
    ASSERT_TRUE(hc::PointerTo(kNeverCorner));
    EXPECT_TRUE(WaitForState(window, kStateSuppressed)) << "the new service took the change";
    ASSERT_TRUE(hc::PointerTo(kMiddle));

    robot::Press(settings, IDCANCEL);
    EXPECT_EQ(0u, robot::WaitExit(dialog, kWaitMs));
    robot::Finish(dialog);
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), hc::CloseService(window, second));
    robot::Finish(second);
}

// Screen saving on, then a service started (host, window) and the pointer
// in the Never corner until the service holds screen saving off.
void StartServiceHoldingSavingOff(const std::string& module, robot::Child& host, HWND& window)
{
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    ASSERT_TRUE(WaitForSwitch("1"));
    host = StartEntry(module, "RunService");
    window = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(hc::PointerTo(kNeverCorner));
    ASSERT_TRUE(WaitForState(window, kStateSuppressed));
    ASSERT_TRUE(WaitForSwitch("0"));
}

// A service killed while it holds screen saving off in a Never corner: the
// next service, the settings dialog or the saver's question for a service
// gives it back.
TEST(Hostile, AServiceKilledInANeverCornerDoesNotLeaveScreenSavingOff)
{
    const std::string module = hc::InstallModule();
    hc::SetCornerCodes("-N--");
    const char* const givers[] = {"RunService", "RunDialog", "detect"};
    for (const char* giver : givers) {
        SCOPED_TRACE(giver);
        robot::Child killed;
        HWND window = nullptr;
        ASSERT_NO_FATAL_FAILURE(StartServiceHoldingSavingOff(module, killed, window));
        TerminateProcess(killed.process, 9);
        robot::WaitExit(killed, hc::kExitTimeout);
        robot::Finish(killed);
        ASSERT_TRUE(hc::PointerTo(kMiddle));
        hc::PumpFor(1500);
        EXPECT_EQ("0", hc::StoredSaverSwitch()) << "nothing gave it back yet";

        if (std::string(giver) == "detect") {
            EXPECT_EQ(0u, hc::Probe("detect"));
            EXPECT_EQ("1", hc::StoredSaverSwitch());
        } else {
            robot::Child next = StartEntry(module, giver);
            EXPECT_TRUE(WaitForSwitch("1"));
            if (std::string(giver) == "RunDialog") {
                HWND settings = WaitForSettings(next);
                ASSERT_NE(nullptr, settings);
                robot::Press(settings, IDCANCEL);
            } else {
                HWND service = hc::WaitForService(hc::kStartTimeout);
                ASSERT_NE(nullptr, service);
                hc::SendClose(service);
            }
            EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(next, hc::kExitTimeout));
            robot::Finish(next);
        }
        EXPECT_EQ(1u, hc::Probe("saveractive"));
    }
}

// The end of the session in a Never corner gives screen saving back, as the
// service's end does; a session end that was called off changes nothing.
TEST(Hostile, TheEndOfTheSessionInANeverCornerGivesScreenSavingBack)
{
    struct Row {
        bool query;   // WM_QUERYENDSESSION first
        BOOL ending;  // WM_ENDSESSION's wParam
    } rows[] = {{true, TRUE}, {false, TRUE}, {true, FALSE}};
    const std::string module = hc::InstallModule();
    hc::SetCornerCodes("-N--");
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.query << row.ending);
        robot::Child service;
        HWND window = nullptr;
        ASSERT_NO_FATAL_FAILURE(StartServiceHoldingSavingOff(module, service, window));
        if (row.query) {
            DWORD_PTR answer = 0;
            ASSERT_NE(0, SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                             10000, &answer));
            EXPECT_EQ(TRUE, static_cast<BOOL>(answer)) << "the session may end";
            EXPECT_EQ("1", hc::StoredSaverSwitch());
        }
        SendMessageTimeoutA(window, WM_ENDSESSION, row.ending, 0, SMTO_ABORTIFHUNG, 10000,
                            nullptr);
        if (row.ending) {
            EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(service, hc::kExitTimeout));
            EXPECT_EQ("1", hc::StoredSaverSwitch());
            EXPECT_EQ(1u, hc::Probe("saveractive"));
        } else {
            // The service goes on and holds screen saving off again.
            EXPECT_TRUE(WaitForSwitch("0"));
            EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), hc::CloseService(window, service));
            EXPECT_EQ("1", hc::StoredSaverSwitch());
        }
        robot::Finish(service);
        ASSERT_TRUE(hc::PointerTo(kMiddle));
    }
}

// Two services started at the same moment: always exactly one runs.
TEST(Hostile, TwoServicesStartedTogetherMakeOne)
{
    const std::string module = hc::InstallModule();
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        robot::Child first = StartEntry(module, "RunService");
        robot::Child second = StartEntry(module, "RunService");
        bool oneEnded = robot::WaitFor([&] {
            return robot::WaitExit(first, 0) != STILL_ACTIVE ||
                   robot::WaitExit(second, 0) != STILL_ACTIVE;
        }, hc::kStartTimeout);
        EXPECT_TRUE(oneEnded);
        HWND window = hc::WaitForService(hc::kStartTimeout);
        ASSERT_NE(nullptr, window);
        hc::PumpFor(300);
        EXPECT_EQ(1, hc::CountServiceWindows());
        EXPECT_EQ(1u, hc::Probe("detect"));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), hc::CloseService(window, first));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(second, hc::kExitTimeout));
        robot::Finish(first);
        robot::Finish(second);
        EXPECT_EQ(0, hc::CountServiceWindows());
    }
}

// The integrity level a kernel object is labelled with (its mandatory label's
// last sub-authority), or -1 when it carries none.
long LabelOf(HANDLE object)
{
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, &sacl, &descriptor) != ERROR_SUCCESS)
        return -1;
    long level = -1;
    for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(sacl, i, reinterpret_cast<void**>(&ace)) ||
            ace->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            continue;
        PSID sid = &reinterpret_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace)->SidStart;
        level = static_cast<long>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1));
    }
    LocalFree(descriptor);
    return level;
}

// Under UAC the elevated installer loads the module first, so its mutexes
// are made with an administrator's token, and the service it has the
// desktop shell start runs with the user's own: the user's processes open
// the mutexes all the same, and the service is on the notify list.
TEST(Hostile, TheUsersProcessesOpenTheMutexesAnElevatedCallerMade)
{
    const std::string module = hc::InstallModule();
    const std::string admin = "\"" + support::WinPath(QUADRIX_PROBE_ADMIN) + "\"";
    robot::Child elevation = robot::Start(admin + " elevation");
    EXPECT_EQ(static_cast<DWORD>(TokenElevationTypeFull), robot::WaitExit(elevation, kWaitMs));
    robot::Finish(elevation);
    EXPECT_EQ(static_cast<DWORD>(TokenElevationTypeLimited), hc::Probe("elevation"));

    hc::SetCornerCodes("----");
    robot::Child holder = robot::Start(admin + " install InstallerReady");
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "InstallerReady");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, hc::kStartTimeout));
    CloseHandle(ready);
    HWND window = hc::WaitForService(hc::kStartTimeout);
    ASSERT_NE(nullptr, window);
    for (const char* name : {"QuadrixServiceMutex", "QuadrixListMutex", "QuadrixDialogWindowMutex"}) {
        SCOPED_TRACE(name);
        HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL, FALSE, name);
        EXPECT_NE(nullptr, mutex) << GetLastError();
        if (!mutex)
            continue;
        // Labelled for the user's processes. (With default security Windows
        // labels them high, from the elevated token, and refuses the user's
        // processes; Wine labels them not at all and lets them in.)
        EXPECT_EQ(static_cast<long>(SECURITY_MANDATORY_MEDIUM_RID), LabelOf(mutex));
        CloseHandle(mutex);
    }
    // A corner change from the user's side reaches the service.
    hc::SetCornerCodes("-N--");
    EXPECT_EQ(0u, hc::Probe("changed"));
    ASSERT_TRUE(hc::PointerTo(kNeverCorner));
    EXPECT_TRUE(WaitForState(window, kStateSuppressed));
    ASSERT_TRUE(hc::PointerTo(kMiddle));
    EXPECT_EQ(1u, hc::Probe("detect"));

    TerminateProcess(holder.process, 9);
    robot::WaitExit(holder, hc::kExitTimeout);
    robot::Finish(holder);
    hc::SendClose(window);
    EXPECT_TRUE(robot::WaitUntilGone(window, hc::kExitTimeout));
}

// The module's removal while its settings dialog and its About box are
// open: both are closed first, so the file and everything else go.
TEST(Hostile, TheRemovalClosesOpenSettingsWindowsFirst)
{
    using namespace unglimex;
    const std::string module = hc::InstallModule();
    InstallProgram();
    // The token as the installer registers it.
    RunUnglimex("/desc quadrix.dll Quadrix");
    RunUnglimex("/add quadrix.dll _cmd1 rundll32.exe " + module + ",UninstallSilently");
    RunUnglimex("/add quadrix.dll _cmd2 sleep 500");
    RunUnglimex("/add quadrix.dll " + module);
    ASSERT_EQ(0u, RunEntry(module, "InstallSilently", kWaitMs));
    ASSERT_NE(nullptr, hc::WaitForService(hc::kStartTimeout));
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));

    robot::Child dialog = StartEntry(module, "RunDialog");
    ASSERT_NE(nullptr, WaitForSettings(dialog));
    robot::Child about = StartEntry(module, "RunAboutDialog");
    ASSERT_NE(nullptr, robot::WaitForDialog("About", kWaitMs, about.id));

    RunResult run = RunUnglimex("/remove quadrix.dll");
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("Uninstall", run.boxes[1].caption);
    EXPECT_EQ("Quadrix has been removed.", run.boxes[1].text);
    EXPECT_FALSE(support::FileExists(module));
    EXPECT_EQ(0u, robot::WaitExit(dialog, 0)) << "rundll32 always ends with 0";
    EXPECT_EQ(0u, robot::WaitExit(about, 0));
    EXPECT_EQ(0, hc::CountServiceWindows());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    robot::Finish(dialog);
    robot::Finish(about);
}

} // namespace
