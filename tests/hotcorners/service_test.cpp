// The corner watch service as processes meet it: started through rundll32,
// asked by a peer (the probe, as the screen saver would), steered by the
// real pointer on the X display. Each test runs in a fresh prefix.
#include <gtest/gtest.h>

#include <atomic>

#include "harness.h"
#include "support.h"

namespace {

constexpr UINT WM_HOTCORNERS = WM_APP;
constexpr WPARAM HC_CORNERS_CHANGED = 103;
constexpr long kStateIdle = 0, kStateSuppressed = 1, kStatePending = 2, kStateStarting = 3,
               kStateFailed = 4;

long State(long answer) { return answer & 0xFFFF; }
long Corner(long answer) { return (answer >> 16) & 0xFFFF; }

// A running service in a rundll32 process, closed (as TerminateService
// does) when it goes.
class ServiceProcess {
public:
    ServiceProcess() : child_(hc::StartEntry("RunService"))
    {
        window = hc::WaitForService(hc::kStartTimeout);
    }
    ~ServiceProcess()
    {
        Close();
        robot::Finish(child_);
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // WM_CLOSE, then the host's end; its exit code, or STILL_ACTIVE.
    DWORD Close()
    {
        if (window && IsWindow(window))
            SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
        return robot::WaitExit(child_, hc::kExitTimeout);
    }
    const robot::Child& child() const { return child_; }

    HWND window = nullptr;

private:
    robot::Child child_;
};

bool WaitForState(HWND service, long state, DWORD timeoutMs = hc::kTickTimeout)
{
    return hc::PumpUntil([&] { return State(hc::ServiceState(service)) == state; }, timeoutMs);
}

bool WaitForSwitch(const char* stored)
{
    return robot::WaitFor([&] { return hc::StoredSaverSwitch() == stored; }, hc::kTickTimeout);
}

const POINT kMiddle = {512, 384};

TEST(Service, RunsOnceAndTellsPeersWhileItRuns)
{
    hc::InstallModule();
    EXPECT_EQ(0u, hc::Probe("detect"));
    {
        ServiceProcess first;
        ASSERT_NE(nullptr, first.window);
        EXPECT_EQ(1u, hc::Probe("detect"));

        // A second service finds the first and ends at once, leaving it be.
        robot::Child second = hc::StartEntry("RunService");
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(second, hc::kExitTimeout));
        robot::Finish(second);
        EXPECT_EQ(1, hc::CountServiceWindows());
        EXPECT_EQ(first.window, FindWindowA("QuadrixService", "QuadrixService"));
        EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(first.child(), 0));

        // WM_CLOSE ends the service and its host.
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), first.Close());
    }
    EXPECT_EQ(0, hc::CountServiceWindows());
    EXPECT_EQ(0u, hc::Probe("detect"));
}

TEST(Service, StartsAfterAPeerDiedHoldingTheServiceMutex)
{
    hc::InstallModule();
    robot::Child holder =
        robot::Start("\"" + support::WinPath(QUADRIX_PROBE) + "\" hold QuadrixServiceMutex HolderReady");
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "HolderReady");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, hc::kStartTimeout));
    CloseHandle(ready);
    TerminateProcess(holder.process, 9);
    robot::WaitExit(holder, hc::kExitTimeout);
    robot::Finish(holder);

    // The mutex is abandoned now; the next taker owns it all the same.
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    EXPECT_EQ(1u, hc::Probe("detect"));
    robot::Child second = hc::StartEntry("RunService");
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(second, hc::kExitTimeout));
    robot::Finish(second);
    EXPECT_EQ(1, hc::CountServiceWindows());
}

TEST(Service, StartsAgainAfterItsHostWasKilled)
{
    hc::InstallModule();
    {
        robot::Child killed = hc::StartEntry("RunService");
        ASSERT_NE(nullptr, hc::WaitForService(hc::kStartTimeout));
        TerminateProcess(killed.process, 9);
        robot::WaitExit(killed, hc::kExitTimeout);
        robot::Finish(killed);
    }
    // Its slot still names the dead window: that is no service.
    EXPECT_EQ(0u, hc::Probe("detect"));
    ServiceProcess service;
    ASSERT_NE(nullptr, service.window);
    EXPECT_EQ(1u, hc::Probe("detect"));
}

// A Never corner holds screen saving off while the pointer rests there and
// gives back only what was on, also when the service ends in the corner.
TEST(Service, NeverCornerHoldsTheSaverOffAndGivesBackWhatWasOn)
{
    struct Row {
        BOOL switchBefore;
        const char* stored;
    } rows[] = {{TRUE, "1"}, {FALSE, "0"}};
    hc::InstallModule();
    hc::SetCornerCodes("-N--");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, row.switchBefore, nullptr,
                              SPIF_UPDATEINIFILE);
        ASSERT_TRUE(WaitForSwitch(row.stored));
        ServiceProcess service;
        ASSERT_NE(nullptr, service.window);

        ASSERT_TRUE(robot::MoveMouse({1023, 0}));
        ASSERT_TRUE(WaitForState(service.window, kStateSuppressed));
        EXPECT_EQ(1, Corner(hc::ServiceState(service.window)));
        EXPECT_TRUE(WaitForSwitch("0"));
        EXPECT_EQ(0u, hc::Probe("saveractive"));

        ASSERT_TRUE(robot::MoveMouse(kMiddle));
        ASSERT_TRUE(WaitForState(service.window, kStateIdle));
        EXPECT_TRUE(WaitForSwitch(row.stored));

        // Ending while in the corner gives screen saving back as well.
        ASSERT_TRUE(robot::MoveMouse({1023, 0}));
        ASSERT_TRUE(WaitForState(service.window, kStateSuppressed));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), service.Close());
        EXPECT_EQ(row.stored, hc::StoredSaverSwitch());
        EXPECT_EQ(static_cast<DWORD>(row.switchBefore), hc::Probe("saveractive"));
        ASSERT_TRUE(robot::MoveMouse(kMiddle));
    }
}

} // namespace
