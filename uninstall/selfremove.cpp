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
    // The clone runs: the file goes when it ends. The Windows 95 family
    // knows no deletion on close: there it goes when Windows next starts.
    void HandOver()
    {
        handedOver_ = true;
        if (IsWindows95Family())
            DeleteAtRestart(path_);
    }
    // The clone ended before it took over: the file is this process's again.
    void TakeBack() { handedOver_ = false; }

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

// The files stay for now: the system deletes them when Windows next starts.
// Says so, since the program is still there until then.
void LeaveToRestart(const char* ownPath)
{
    if (DeleteAtRestart(ownPath))
        ShowMessage("Uninstall", MB_OK, "%s will be deleted when Windows restarts.", ownPath);
    else
        ReportError(kUnglimexError, GetLastError(),
                    "Problem deleting %s when Windows restarts\r\n", ownPath);
}

// Copies the program and starts the copy to delete it once this process has
// ended. True when the clone took over (or will, having no event to set);
// false, with the reason shown, when it cannot.
bool HandOverToClone(const char* ownPath)
{
    CloneFile clone;
    if (!CopyFileA(ownPath, clone.Path(), FALSE)) {
        ReportError(kUnglimexError, GetLastError(), "Problem copying unglimex from %s to %s\r\n",
                    ownPath, clone.Path());
        return false;
    }
    if (!clone.OpenForDeletion()) {
        ReportError(kUnglimexError, GetLastError(), "Problem opening unglimex clone at %s\r\n",
                    clone.Path());
        return false;
    }
    // The clone may ask it whether it is a process at all.
    KernelHandle self(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, GetCurrentProcessId()));
    if (!self) {
        ReportError(kUnglimexError, GetLastError(),
                    "Problem opening unglimex process id to pass it to clone\r\n");
        return false;
    }
    // Created before the clone starts, so that the clone always finds it.
    KernelHandle released(CreateEventA(nullptr, FALSE, FALSE, kDeleteEventName));
    KernelHandle cloneProcess = StartClone(clone.Path(), self.Get(), ownPath);
    if (!cloneProcess)
        return false;
    clone.HandOver();
    self.Reset(); // the clone holds its inherited copy
    if (!released)
        return true;
    // A clone that ends without setting the event (stopped, or failed) must
    // not leave this process waiting for ever, nor the program for ever.
    HANDLE waits[2] = {released.Get(), cloneProcess.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0)
        return true;
    clone.TakeBack();
    return false;
}

} // namespace

void RemoveSelf()
{
    char ownPath[kPathSize];
    OwnPath(ownPath, sizeof ownPath);
    if (!HandOverToClone(ownPath))
        LeaveToRestart(ownPath);
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
    // Still in use (another run of it, or a program that holds it open):
    // the system deletes it when Windows next starts.
    DeleteAtRestart(installedPath);
}
