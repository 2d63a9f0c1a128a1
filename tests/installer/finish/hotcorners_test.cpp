// InstallHotCorners under Wine with stand-ins for quadrix.dll that record
// each call of their set-up entries, with its time, to ORBELLE_ENTRY_LOG.
// The set-up runs in this process; a second thread answers its boxes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../box_answerer.h"
#include "installer/finish/finish.h"
#include "installer/instance.h"
#include "support.h"

namespace {

// One call of an entry, as the module recorded it.
struct EntryCall {
    unsigned long long time = 0; // system time, 100 ns units
    std::string entry;           // with the module's version: "TerminateService v1"
    std::string window, instance;
    int show = 0;
    std::string text, module;
};

std::vector<EntryCall> ReadCalls(const std::string& log)
{
    std::vector<EntryCall> calls;
    std::ifstream file(log);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        EntryCall call;
        std::string name, version;
        fields >> call.time >> name >> version >> call.window >> call.instance >> call.show >>
            call.text;
        std::getline(fields >> std::ws, call.module);
        call.entry = name + " " + version;
        calls.push_back(call);
    }
    return calls;
}

std::string Handle(const void* handle)
{
    return std::to_string(reinterpret_cast<UINT_PTR>(handle));
}

class HotCorners : public ::testing::Test {
protected:
    void SetUp() override
    {
        gInstance = GetModuleHandleA(nullptr);
        module = support::WindowsDirectory() + "\\quadrix.dll";
        log = support::TempDirectory() + "entries.log";
        SetEnvironmentVariableA("ORBELLE_ENTRY_LOG", log.c_str());
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        Remove();
    }
    void Remove() const
    {
        SetFileAttributesA(module.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(module.c_str());
        DeleteFileA(log.c_str());
    }

    static std::vector<std::uint8_t> Fixture(const char* name)
    {
        return support::ResourceBytes(support::WinPath(HOTCORNERS_TESTS), name);
    }

    std::string module;
    std::string log;
    HWND owner = nullptr;
};

TEST_F(HotCorners, EachCaseCallsTheEntriesItNeedsInOrder)
{
    struct Case {
        const char* trace;
        const char* installed; // the module in place before, or null
        bool readOnly;         // the installed module cannot be replaced
        const char* carried;
        std::vector<int> answers;
        bool result;
        std::vector<std::string> boxes;
        std::vector<std::string> calls;
        const char* after; // what the Windows directory's module then is
    } cases[] = {
        {"first installation", nullptr, false, "ENTRIES_V2", {}, true, {}, {"InstallSilently v2"},
         "ENTRIES_V2"},
        // Set up again: an earlier run may have stopped before its set-up.
        {"the same version", "ENTRIES_V2", false, "ENTRIES_V2", {}, true, {},
         {"InstallSilently v2"}, "ENTRIES_V2"},
        {"an update", "ENTRIES_V1", false, "ENTRIES_V2", {IDYES}, true, {"box Install"},
         {"TerminateService v1", "InstallSilently v2"}, "ENTRIES_V2"},
        {"an update declined at the upgrade question", "ENTRIES_V1", false, "ENTRIES_V2", {IDNO},
         false, {"box Install"}, {}, "ENTRIES_V1"},
        // The library refuses the read-only copy: the question comes after
        // the old service was told to stop.
        {"an update declined at the replacement question", "ENTRIES_V1", true, "ENTRIES_V2",
         {IDYES, IDNO}, false, {"box Install", "box Warning"}, {"TerminateService v1"},
         "ENTRIES_V1"},
        {"a module without the set-up entry", nullptr, false, "PLAIN_V1", {}, false, {}, {},
         "PLAIN_V1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        Remove();
        if (c.installed) {
            std::vector<std::uint8_t> bytes = Fixture(c.installed);
            std::ofstream(module, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            if (c.readOnly)
                SetFileAttributesA(module.c_str(), FILE_ATTRIBUTE_READONLY);
        }

        Journal journal;
        BoxAnswerer answerer(c.answers, &journal);
        bool result = InstallHotCorners(owner, c.carried);
        answerer.Stop();

        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.boxes, journal.lines);
        std::vector<EntryCall> calls = ReadCalls(log);
        std::vector<std::string> entries;
        for (const EntryCall& call : calls) {
            entries.push_back(call.entry);
            // Every entry is called as rundll32 would call the installed module.
            EXPECT_EQ(Handle(owner), call.window);
            EXPECT_EQ(Handle(gInstance), call.instance);
            EXPECT_EQ(SW_SHOWNORMAL, call.show);
            EXPECT_EQ("/notitle", call.text);
            EXPECT_STRCASEEQ(module.c_str(), call.module.c_str());
        }
        EXPECT_EQ(c.calls, entries);
        EXPECT_TRUE(Fixture(c.after) == support::ReadBytes(module)) << "not " << c.after;
    }
}

unsigned long long Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// The time at which a file's size first changed, seen by polling its
// attributes (an open handle would stand in the way of the replacement).
class SizeWatch {
public:
    explicit SizeWatch(const std::string& path)
        : path_(path), size_(Size()), thread_([this] { Run(); })
    {
    }
    ~SizeWatch() { Stop(); }
    SizeWatch(const SizeWatch&) = delete;
    SizeWatch& operator=(const SizeWatch&) = delete;
    unsigned long long Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return changed_;
    }

private:
    DWORD Size() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        return GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)
                   ? data.nFileSizeLow
                   : 0;
    }
    void Run()
    {
        while (!stop_ && changed_ == 0) {
            if (Size() != size_)
                changed_ = Now();
            Sleep(1);
        }
    }
    std::string path_;
    DWORD size_;
    unsigned long long changed_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The old service gets its pause to let go of the module before the file is
// replaced, and the new copy is set going only once it is in place.
TEST_F(HotCorners, AnUpdatePausesBetweenStoppingTheOldCopyAndReplacingIt)
{
    std::vector<std::uint8_t> old = Fixture("ENTRIES_V1");
    std::ofstream(module, std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(old.size()));
    ASSERT_NE(old.size(), Fixture("ENTRIES_V2").size());
    SizeWatch watch(module);
    Journal journal;
    BoxAnswerer answerer({IDYES}, &journal);
    ASSERT_TRUE(InstallHotCorners(owner, "ENTRIES_V2"));
    answerer.Stop();
    unsigned long long replaced = watch.Stop();

    std::vector<EntryCall> calls = ReadCalls(log);
    ASSERT_EQ(2u, calls.size());
    ASSERT_NE(0u, replaced);
    const unsigned long long ms = 10000; // 100 ns units
    EXPECT_GE(replaced, calls[0].time + 500 * ms);
    EXPECT_GE(calls[1].time, replaced);
}

} // namespace
