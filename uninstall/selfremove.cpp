// Removing the program's own file: a running program cannot delete itself,
// so a temporary clone does it once this process has ended.
#include <cstring>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "uninstall/command_line.h"
#include "uninstall/unglimex.h"

namespace {

constexpr std::size_t kCloneCommandSize = 2 * kPathSize + 64;
// The installed file may stay locked for a moment after its process ended.
constexpr int kDeleteAttempts = 20;
constexpr DWORD kDeleteRetryMs = 100;

// The temporary copy that deletes the installed file. Until it runs, the
// copy is this process's to delete again.
class CloneFile {
public:
    CloneFile()
    {
        char directory[kPathSize];
        DWORD length = GetTempPathA(sizeof directory, directory);
        if (length == 0 || length >= sizeof directory)
            directory[0] = '\0';
        if (!GetTempFileNameA(directory, "UnglimexDel", 0, path_))
            path_[0] = '\0';
    }
    ~CloneFile()
    {
        if (handedOver_)
            return;
        deleteOnClose_.Reset();
        // The empty file that reserved the name is of no use to anyone.
        if (path_[0])
            DeleteFileA(path_);
    }
    CloneFile(const CloneFile&) = delete;
    CloneFile& operator=(const CloneFile&) = delete;

    const char* Path() const { return path_; }
    // From now on the system deletes the file once the last handle to it
    // has gone and the clone no longer runs from it.
    bool OpenForDeletion()
    {
        deleteOnClose_.Reset(CreateFileA(path_, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        return static_cast<bool>(deleteOnClose_);
    }
    // The clone runs: the file goes when it ends.
    void HandOver() { handedOver_ = true; }

private:
    char path_[kPathSize];
    FileHandle deleteOnClose_;
    bool handedOver_ = false;
};

void OwnPath(char* path, std::size_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    if (length == 0 || length >= size)
        path[0] = '\0';
}

bool BuildCloneCommand(char* line, std::size_t size, const char* clonePath, HANDLE self,
                       const char* ownPath)
{
    const char* quote = std::strchr(clonePath, ' ') ? "\"" : "";
    // Handles are 32-bit values on 64-bit Windows as well.
    return FormatText(line, size, "%s%s%s /autodel %d \"%s\"", quote, clonePath, quote,
                      static_cast<int>(reinterpret_cast<INT_PTR>(self)), ownPath);
}

// Starts the clone, which inherits the handle self; returns its process.
KernelHandle StartClone(const char* clonePath, HANDLE self, const char* ownPath)
{
    char commandLine[kCloneCommandSize];
    BuildCloneCommand(commandLine, sizeof commandLine, clonePath, self, ownPath);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION clone;
    ZeroMemory(&clone, sizeof clone);
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &clone)) {
        ReportError(kUnglimexError, GetLastError(),
                    "Problem creating unglimex clone process\r\n%s\r\n", commandLine);
        return KernelHandle();
    }
    KernelHandle thread(clone.hThread);
    return KernelHandle(clone.hProcess);
}

} // namespace

void RemoveSelf()
{
    char ownPath[kPathSize];
    OwnPath(ownPath, sizeof ownPath);
    CloneFile clone;
    if (!CopyFileA(ownPath, clone.Path(), FALSE)) {
        ReportError(kUnglimexError, GetLastError(), "Problem copying unglimex from %s to %s\r\n",
                    ownPath, clone.Path());
        return;
    }
    if (!clone.OpenForDeletion()) {
        ReportError(kUnglimexError, GetLastError(), "Problem opening unglimex clone at %s\r\n",
                    clone.Path());
        return;
    }
    // The clone may ask it whether it is a process at all.
    KernelHandle self(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, GetCurrentProcessId()));
    if (!self) {
        ReportError(kUnglimexError, GetLastError(),
                    "Problem opening unglimex process id to pass it to clone\r\n");
        return;
    }
    // Created before the clone starts, so that the clone always finds it.
    KernelHandle released(CreateEventA(nullptr, FALSE, FALSE, kDeleteEventName));
    KernelHandle cloneProcess = StartClone(clone.Path(), self.Get(), ownPath);
    if (!cloneProcess)
        return;
    clone.HandOver();
    self.Reset(); // the clone holds its inherited copy
    // A clone that ends without setting the event must not leave this
    // process waiting for ever.
    HANDLE waits[2] = {released.Get(), cloneProcess.Get()};
    if (released)
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
}

namespace {

// Whether value is a handle of a process that this process inherited: a
// pseudo-handle (-1 is this very process) or any other kind of object
// could keep the wait below from ever ending.
bool IsInheritedProcess(long long value)
{
    if (!IsPassedHandleValue(value))
        return false;
    DWORD exitCode = 0;
    return GetExitCodeProcess(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)), &exitCode) !=
           FALSE;
}

} // namespace

void FinishSelfRemoval(long long processHandle, const char* installedPath)
{
    if (KernelHandle released{OpenEventA(EVENT_MODIFY_STATE, FALSE, kDeleteEventName)})
        SetEvent(released.Get());
    if (!IsInheritedProcess(processHandle))
        return;
    KernelHandle installed(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(processHandle)));
    DWORD waited = WaitForSingleObject(installed.Get(), INFINITE);
    installed.Reset();
    // Only a handle that really waited for a process's end may lead to a
    // deletion: a made-up command line deletes nothing.
    if (waited != WAIT_OBJECT_0)
        return;
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileA(installedPath) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        Sleep(kDeleteRetryMs);
    }
}
