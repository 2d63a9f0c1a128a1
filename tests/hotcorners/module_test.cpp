// The module's inner operations called in-process, as the settings dialog
// calls them: the options with and without a service, the corner setting as
// stored, the notify and feedback lists after many services, the hold count
// of the service mutex. The module's code is linked into this program, which
// then has a shared block of its own; each test runs in a fresh prefix.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"
#include "hotcorners/launch.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/registry.h"
#include "hotcorners/service.h"
#include "hotcorners/service_client.h"
#include "hotcorners/shared_block.h"
#include "keys.h"

namespace {

// Records the private messages each listening window receives.
std::map<HWND, std::vector<std::pair<WPARAM, LPARAM>>> gHeard;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTCORNERS)
        gHeard[window].emplace_back(wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The service on a thread of this process, as RunService runs it.
DWORD WINAPI ServiceThread(void*)
{
    ServiceMain();
    return 0;
}

// Takes the mutex without waiting and frees it again; returns the wait's result.
DWORD WINAPI TakeAndFree(void* mutex)
{
    DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0)
        ReleaseMutex(mutex);
    return wait;
}

// Takes the service window (waiting for its holder), holds it until the
// event is set and returns how long the taking waited.
DWORD WINAPI HoldUntilReleased(void* event)
{
    DWORD before = GetTickCount();
    GetServiceWindow();
    DWORD waited = GetTickCount() - before;
    WaitForSingleObject(event, 10000);
    ReleaseServiceWindow();
    return waited;
}

HWND MakeListener()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HotCornersListener";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

class Module : public testing::Test {
protected:
    void SetUp() override { AttachProcess(GetModuleHandleA(nullptr)); }
    void TearDown() override
    {
        StopService();
        DetachProcess();
        gHeard.clear();
    }

    // The service on a thread of this process, as RunService runs it.
    HWND RunServiceThread()
    {
        thread_ = CreateThread(nullptr, 0, ServiceThread, nullptr, 0, nullptr);
        // Started once it stands in the slot.
        HWND service = nullptr;
        // Pumping: the start tells this thread's listening windows.
        hc::PumpUntil([&] {
            service = GetServiceWindow();
            ReleaseServiceWindow();
            return service != nullptr;
        }, hc::kStartTimeout);
        return service;
    }
    void StopService()
    {
        if (!thread_)
            return;
        if (HWND service = FindWindowA(kServiceClass, nullptr))
            SendMessageA(service, WM_CLOSE, 0, 0);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread_, hc::kExitTimeout));
        CloseHandle(thread_);
        thread_ = nullptr;
    }

private:
    HANDLE thread_ = nullptr;
};

struct StoredValue {
    DWORD type;
    std::string data;
};

void Store(HKEY root, const char* path, const char* name, const StoredValue* value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    if (value)
        RegSetValueExA(key, name, 0, value->type,
                       reinterpret_cast<const BYTE*>(value->data.data()),
                       static_cast<DWORD>(value->data.size()));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

StoredValue Stored(HKEY root, const char* path, const char* name)
{
    StoredValue value = {REG_NONE, std::string(64, '\0')};
    HKEY key;
    DWORD size = 64;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {REG_NONE, ""};
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(&value.data[0]),
                         &size) != ERROR_SUCCESS)
        size = 0;
    value.data.resize(size);
    RegCloseKey(key);
    return value;
}

using support::kDesktop;
const char kSavers[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

struct Option {
    const char* value;
    int (*get)();
    void (*set)(int);
} const kOptions[] = {{"Quadrix Tray Icon", GetShowIcon, SetShowIcon},
                      {"Quadrix Feedback", GetShowFeedback, SetShowFeedback}};

TEST_F(Module, OptionsWithoutAService)
{
    struct Row {
        const char* name;
        bool present;
        StoredValue stored;
        int reads;
    } rows[] = {
        {"absent", false, {}, 1},
        {"zero", true, {REG_DWORD, Dword(0)}, 0},
        {"one", true, {REG_DWORD, Dword(1)}, 1},
        {"other number", true, {REG_DWORD, Dword(7)}, 1},
        {"short text", true, {REG_SZ, std::string("0\0", 2)}, 1},
        {"four bytes of binary zero", true, {REG_BINARY, Dword(0)}, 0},
        {"long binary", true, {REG_BINARY, std::string(12, '\0')}, 1},
    };
    for (const Option& option : kOptions) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << option.value << ", " << row.name);
            Store(HKEY_CURRENT_USER, kDesktop, option.value, row.present ? &row.stored : nullptr);
            EXPECT_EQ(row.reads, option.get());
        }
        for (int v : {0, 1, 0}) {
            option.set(v);
            EXPECT_EQ(REG_DWORD, Stored(HKEY_CURRENT_USER, kDesktop, option.value).type);
            EXPECT_EQ(Dword(v), Stored(HKEY_CURRENT_USER, kDesktop, option.value).data);
            EXPECT_EQ(v, option.get());
        }
    }
}

TEST_F(Module, OptionsGoThroughARunningService)
{
    StoredValue off = {REG_DWORD, Dword(0)};
    Store(HKEY_CURRENT_USER, kDesktop, "Quadrix Tray Icon", &off);
    ASSERT_NE(nullptr, RunServiceThread());
    // The service applied the stored options at its start.
    EXPECT_EQ(0, GetShowIcon());
    EXPECT_EQ(1, GetShowFeedback());
    for (const Option& option : kOptions) {
        SCOPED_TRACE(option.value);
        for (int v : {1, 0, 1}) {
            option.set(v);
            EXPECT_EQ(v, option.get());
            EXPECT_EQ(Dword(v), Stored(HKEY_CURRENT_USER, kDesktop, option.value).data);
        }
        // The service answers, not the registry.
        StoredValue stale = {REG_DWORD, Dword(0)};
        Store(HKEY_CURRENT_USER, kDesktop, option.value, &stale);
        EXPECT_EQ(1, option.get());
    }
}

TEST_F(Module, CornerSettingAsStored)
{
    struct Row {
        const char* name;
        bool present;
        StoredValue stored;
        const char* codes;
    } rows[] = {
        {"absent", false, {}, "YNN-"},
        {"text", true, {REG_SZ, std::string("N-Y-\0", 5)}, "N-Y-"},
        {"binary of four", true, {REG_BINARY, "NNYY"}, "NNYY"},
        {"short text", true, {REG_SZ, std::string("Y\0", 2)}, "Y---"},
        {"long text", true, {REG_SZ, std::string("NNNNNNNNNN\0", 11)}, "YNN-"},
        {"number", true, {REG_DWORD, Dword(0x2D2D2D4E)}, "N---"},
        {"empty", true, {REG_SZ, std::string("\0", 1)}, "----"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Store(HKEY_CURRENT_USER, kSavers, "Mouse Corners", row.present ? &row.stored : nullptr);
        char codes[4] = {'?', '?', '?', '?'};
        ReadCornerSettings(codes);
        EXPECT_EQ(std::string(row.codes, 4), std::string(codes, 4));
    }
    WriteCornerSettings("-YN-");
    StoredValue written = Stored(HKEY_CURRENT_USER, kSavers, "Mouse Corners");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), written.type);
    EXPECT_EQ(std::string("-YN-\0", 5), written.data);
}

// Services that come and go leave no entries behind: after more services
// than either list holds, twenty new windows still fit in each list.
TEST_F(Module, ServicesLeaveNoListEntriesBehind)
{
    for (int i = 0; i < 21; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, RunServiceThread());
        StopService();
    }
    std::vector<HWND> listeners;
    for (int i = 0; i < 20; ++i) {
        listeners.push_back(MakeListener());
        AddNotify(listeners.back());
        AddFeedback(listeners.back());
    }
    Notify(nullptr, WM_HOTCORNERS, 1, 2);
    Feedback(nullptr, WM_HOTCORNERS, 3, 4);
    for (HWND listener : listeners) {
        std::vector<std::pair<WPARAM, LPARAM>> expected = {{1, 2}, {3, 4}};
        EXPECT_EQ(expected, gHeard[listener]);
    }
    EXPECT_EQ(nullptr, GetServiceWindow());
    ReleaseServiceWindow();
    for (HWND listener : listeners)
        DestroyWindow(listener);
}

// A change of the stored corners reaches every listener but the one that
// made it, once; the service start and end reach them too.
TEST_F(Module, CornerChangesAndServiceNewsReachTheNotifyList)
{
    HWND dialog = MakeListener(), page = MakeListener();
    AddNotify(dialog);
    AddNotify(page);
    Store(HKEY_CURRENT_USER, kSavers, "Mouse Corners", nullptr);
    HintCheckCorners(dialog); // "----" to the default "YNN-"
    HintCheckCorners(dialog);
    HintCheckCorners(nullptr);
    EXPECT_TRUE(gHeard[dialog].empty());
    std::vector<std::pair<WPARAM, LPARAM>> expected = {{HC_CORNERS_CHANGED, 0x2D4E4E59}};
    EXPECT_EQ(expected, gHeard[page]);

    ASSERT_NE(nullptr, RunServiceThread());
    StopService();
    expected.push_back({HC_SERVICE_STARTED, 0});
    expected.push_back({HC_SERVICE_ENDED, 0});
    EXPECT_EQ(expected, gHeard[page]);
    RemoveNotify(dialog);
    RemoveNotify(page);
    DestroyWindow(dialog);
    DestroyWindow(page);
}

// A process that holds the service mutex takes it again without waiting and
// frees it only with the last release.
TEST_F(Module, ServiceMutexHoldsCount)
{
    auto freeElsewhere = [] {
        HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, kServiceMutexName);
        DWORD wait = WAIT_FAILED;
        HANDLE thread = CreateThread(nullptr, 0, TakeAndFree, other, 0, nullptr);
        WaitForSingleObject(thread, 5000);
        GetExitCodeThread(thread, &wait);
        CloseHandle(thread);
        CloseHandle(other);
        return wait == WAIT_OBJECT_0;
    };
    EXPECT_TRUE(freeElsewhere());
    GetServiceWindow();
    DWORD start = GetTickCount();
    GetServiceWindow();
    EXPECT_LT(GetTickCount() - start, 1000u);
    ReleaseServiceWindow();
    EXPECT_FALSE(freeElsewhere());
    ReleaseServiceWindow();
    EXPECT_TRUE(freeElsewhere());
    ReleaseServiceWindow(); // one too many: nothing happens
    EXPECT_TRUE(freeElsewhere());

    // Another thread of the process waits for the holder (and, timed out,
    // holds nothing), so the holder's release frees the mutex.
    GetServiceWindow();
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE other = CreateThread(nullptr, 0, HoldUntilReleased, released, 0, nullptr);
    Sleep(3000);
    ReleaseServiceWindow();
    SetEvent(released);
    WaitForSingleObject(other, 10000);
    DWORD waited = 0;
    GetExitCodeThread(other, &waited);
    CloseHandle(other);
    CloseHandle(released);
    EXPECT_GE(waited, 1500u);
    EXPECT_TRUE(freeElsewhere());
}

// Where the system's way to start the saver is refused, the module starts
// the configured saver itself, full screen ("/s"); with none configured it
// reports that nothing started.
TEST_F(Module, TheConfiguredSaverStartsWithItsFullScreenSwitch)
{
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, "ProbeSaverStarted");
    ASSERT_NE(nullptr, started);
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "system.ini");
    EXPECT_FALSE(LaunchSaver());
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", support::WinPath(QUADRIX_PROBE).c_str(),
                               "system.ini");
    EXPECT_TRUE(LaunchSaver());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, hc::kStartTimeout));
    CloseHandle(started);
}

} // namespace
