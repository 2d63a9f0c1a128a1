// What the tests under Wine share: paths, files, resources, directory
// snapshots and a watch on the temporary directory.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "environment.h"

namespace support {

// A Unix path from the build ("/work/...") as Windows sees it (drive Z:).
std::string WinPath(const std::string& unixPath);
std::string WindowsDirectory();
std::string TempDirectory(); // with its trailing backslash
// A file in the Windows directory.
std::string InWindows(const std::string& name);
// A file under the build's artifacts folder, for screenshots and traces.
std::string ArtifactPath(const std::string& name);

bool FileExists(const std::string& path);
// Whether a registry key can be opened for reading.
bool KeyExists(HKEY root, const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
// The bytes of an RCDATA resource of another program, loaded as data.
std::vector<std::uint8_t> ResourceBytes(const std::string& module, const char* name);
// The system's text for an error code, as FormatMessageA gives it.
std::string SystemText(DWORD error);

// Dispatches this thread's messages until predicate holds or timeoutMs
// passes (for tests whose own windows must answer while they wait).
template <typename Predicate> bool PumpUntil(Predicate predicate, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (predicate())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The saver's trace file (ORBELLE_TRACE) in the temporary folder, its text,
// and this process's environment with the trace switched on to that file.
std::string SaverTracePath();
std::string SaverTrace();
std::vector<std::string> SaverTraceEnvironment();

// The processes running in the prefix, as the system lists them.
struct ProcessEntry {
    DWORD id;
    DWORD parentId; // the process that started it, which may have ended since
    std::string fileName;
};
std::vector<ProcessEntry> Processes();
// The file name of the running process that started process id; empty when
// it has ended.
std::string ParentProcessName(DWORD id);

// Waits until no process of this file name (e.g. "orbelle.scr") runs in the
// prefix; false when one still runs after the time-out.
bool WaitUntilNoProcess(const char* fileName, DWORD timeoutMs);

// The frames a saver's trace file (ORBELLE_TRACE) reports: each read back
// before its swap, with the pixels that are not black and a checksum.
struct Frame {
    unsigned long number = 0;
    int width = 0, height = 0;
    unsigned long lit = 0;
    unsigned long checksum = 0;
};
std::vector<Frame> Frames(const std::string& trace);

// Names, sizes and write times of the files in a directory (not recursive).
using Snapshot = std::map<std::string, std::pair<std::uint64_t, std::uint64_t>>;
Snapshot TakeSnapshot(const std::string& directory);
// Names that were added, removed or changed between two snapshots.
std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after);

// Records the names of the files created in a directory while it lives.
class CreationWatch {
public:
    explicit CreationWatch(const std::string& directory);
    ~CreationWatch();
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;
    // Stops watching and returns the names seen, in order.
    std::vector<std::string> Stop();

private:
    static DWORD WINAPI Run(void* self);
    HANDLE directory_;
    HANDLE stop_;
    HANDLE ready_;
    HANDLE thread_;
    std::vector<std::string> names_;
};

} // namespace support
