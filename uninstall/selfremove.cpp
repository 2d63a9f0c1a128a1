// Removing the program's own file: a running program cannot delete itself,
// so a temporary clone does it once this process has ended.
#include <cstring>

#include "common/paths.h"
#include "common/text.h"
#include "uninstall/unglimex.h"

namespace {

constexpr std::size_t kCloneCommandSize = 2 * kPathSize + 64;
// The installed file may stay locked for a moment after its process ended.
constexpr int kDeleteAttempts = 20;
constexpr DWORD kDeleteRetryMs = 100;

void ShowSelfRemovalError(const char* what)
{
    char system[kSystemTextSize];
    CurrentSystemText(system);
    ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "%s\r\n%s", what, system);
}

bool BuildCloneCommand(char* line, const char* clonePath, HANDLE self, const char* ownPath)
{
    const char* quote = std::strchr(clonePath, ' ') ? "\"" : "";
    // Handles are 32-bit values on 64-bit Windows as well.
    return FormatText(line, kCloneCommandSize, "%s%s%s /autodel %d \"%s\"", quote, clonePath, quote,
                      static_cast<int>(reinterpret_cast<INT_PTR>(self)), ownPath);
}

} // namespace

void RemoveSelf()
{
    char ownPath[kPathSize];
    char tempDirectory[kPathSize];
    char clonePath[kPathSize];
    DWORD length = GetModuleFileNameA(nullptr, ownPath, sizeof ownPath);
    if (length == 0 || length >= sizeof ownPath)
        ownPath[0] = '\0';
    length = GetTempPathA(sizeof tempDirectory, tempDirectory);
    if (length == 0 || length >= sizeof tempDirectory)
        tempDirectory[0] = '\0';
    if (!GetTempFileNameA(tempDirectory, "UnglimexDel", 0, clonePath))
        clonePath[0] = '\0';

    if (!CopyFileA(ownPath, clonePath, FALSE)) {
        char system[kSystemTextSize];
        CurrentSystemText(system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR,
                    "Problem copying unglimex from %s to %s\r\n%s", ownPath, clonePath, system);
        // The empty file that reserved the name is of no use to anyone.
        if (clonePath[0])
            DeleteFileA(clonePath);
        return;
    }
    HANDLE cloneFile = CreateFileA(clonePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (cloneFile == INVALID_HANDLE_VALUE) {
        char system[kSystemTextSize];
        CurrentSystemText(system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Problem opening unglimex clone at %s\r\n%s",
                    clonePath, system);
        DeleteFileA(clonePath);
        return;
    }
    HANDLE self = OpenProcess(SYNCHRONIZE, TRUE, GetCurrentProcessId());
    if (!self) {
        ShowSelfRemovalError("Problem opening unglimex process id to pass it to clone");
        CloseHandle(cloneFile);
        DeleteFileA(clonePath);
        return;
    }
    // Created before the clone starts, so that the clone always finds it.
    HANDLE released = CreateEventA(nullptr, FALSE, FALSE, kDeleteEventName);

    char commandLine[kCloneCommandSize];
    BuildCloneCommand(commandLine, clonePath, self, ownPath);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION clone;
    ZeroMemory(&clone, sizeof clone);
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &clone)) {
        char system[kSystemTextSize];
        CurrentSystemText(system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR,
                    "Problem creating unglimex clone process\r\n%s\r\n%s", commandLine, system);
        CloseHandle(self);
        CloseHandle(cloneFile);
        DeleteFileA(clonePath);
        if (released)
            CloseHandle(released);
        return;
    }
    CloseHandle(clone.hThread);
    CloseHandle(self);
    // A clone that ends without setting the event must not leave this
    // process waiting for ever.
    HANDLE waits[2] = {released, clone.hProcess};
    if (released)
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    CloseHandle(clone.hProcess);
    if (released)
        CloseHandle(released);
    CloseHandle(cloneFile);
}

void FinishSelfRemoval(long long processHandle, const char* installedPath)
{
    if (HANDLE released = OpenEventA(EVENT_MODIFY_STATE, FALSE, kDeleteEventName)) {
        SetEvent(released);
        CloseHandle(released);
    }
    HANDLE installed = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(processHandle));
    DWORD waited = WaitForSingleObject(installed, INFINITE);
    CloseHandle(installed);
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
