// "/remove": confirmation, cleanup commands, items, end commands, forgetting
// what was done, and the conclusion.
#include <climits>

#include "common/process.h"
#include "common/text.h"
#include "uninstall/database.h"
#include "uninstall/rules.h"
#include "uninstall/unglimex.h"

namespace {

constexpr std::size_t kDisplayNameSize = kArgumentSize + 4;

struct RemovalRun {
    const char* Token = nullptr;
    RegKey Database;
    RegKey TokenKey;
    char DisplayName[kDisplayNameSize] = {};
    bool AllRemoved = false;
    DoneList Done = {nullptr};
};

// One removal at a time, its self-removal included: two at once would each
// report the other's work as their own failure, and one that ends while
// another waits at a box would leave the program behind for good.
constexpr char kRemovalMutexName[] = "UnglimexRemovalMutex";
// Long enough for a removal that asks nothing more to end; one that waits
// for its user is not waited for.
constexpr DWORD kRemovalWaitMs = 20000;

constexpr char kCleanupPrefix[] = "_cmd";
constexpr char kEndPrefix[] = "_end";

bool IsEndCommandPrefix(const char* prefix)
{
    return prefix == kEndPrefix;
}

// Starts commandText as a process and waits for its end, or pauses for a
// sleep command. Returns false, with the system's error pending, when the
// process cannot be started.
bool PerformCommand(const char* commandText)
{
    if (IsSleepCommand(commandText)) {
        Sleep(SleepMilliseconds(commandText));
        return true;
    }
    char commandLine[kArgumentSize + 1]; // CreateProcessA may write into it
    CopyText(commandLine, sizeof commandLine, commandText);
    return RunAndWait(commandLine) != 0;
}

// Runs "<prefix>1", "<prefix>2", ... until the first number that has no
// value. A value too long to be read is a failure of its own, and the next
// number still runs; any other failure to read ends the sequence.
void RunCommands(RemovalRun* run, const char* prefix)
{
    for (int number = 1; number < INT_MAX; ++number) {
        char name[32];
        CommandValueName(name, sizeof name, prefix, number);
        char commandText[kArgumentSize + 1];
        LONG read = ReadStringValue(run->TokenKey.Get(), name, commandText, kArgumentSize);
        if (read == ERROR_FILE_NOT_FOUND)
            return;
        if (read != ERROR_SUCCESS) {
            ReportError(kUnglimexError, read,
                        IsEndCommandPrefix(prefix) ? "Problem reading cleanup cmd %s\r\n"
                                                   : "Problem reading cleanup %s\r\n",
                        name);
            run->AllRemoved = false;
            if (read == ERROR_MORE_DATA)
                continue;
            return;
        }
        if (PerformCommand(commandText)) {
            AddDone(&run->Done, name, true);
            continue;
        }
        ReportError(kUnglimexError, GetLastError(),
                    IsEndCommandPrefix(prefix) ? "Problem executing cleanup cmd %s\r\n%s\r\n"
                                               : "Problem executing cleanup %s\r\n%s\r\n",
                    name, commandText);
        run->AllRemoved = false;
    }
}

// Codes with which the system refuses a name that no file can have.
bool IsNeverAFileError(DWORD error)
{
    return error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME ||
           error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_DIRECTORY;
}

// An item that can never be deleted as a file (a bad or over-long name, a
// folder) is reported on the run that meets it and then counts as gone, so
// that it never holds the token back; nothing is deleted, a folder or a
// wildcard is never expanded.
bool LeaveNeverAFile(const char* path, DWORD error)
{
    ReportError(kUninstallError, error, "The item %s cannot be a file and was left alone.\r\n*",
                path);
    return true;
}

bool RemoveFileItem(const char* path)
{
    switch (CheckFileItem(path)) {
    case FileItemProblem::BadName:
        return LeaveNeverAFile(path, ERROR_INVALID_NAME);
    case FileItemProblem::TooLong:
        return LeaveNeverAFile(path, ERROR_FILENAME_EXCED_RANGE);
    case FileItemProblem::None:
        break;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ShowMessage(kUninstallError, MB_OK | MB_ICONERROR,
                    "The item %s is a folder, not a file, and was left alone.", path);
        return true;
    }
    // An open without access rights finds a file that others hold without
    // sharing, so only a missing file or folder counts as already gone.
    FileHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    DWORD error = file ? ERROR_SUCCESS : GetLastError();
    if (FileCountsAsGone(error))
        return true;
    if (IsNeverAFileError(error))
        return LeaveNeverAFile(path, error);
    file.Reset();
    if (DeleteFileA(path))
        return true;
    ReportError(kUninstallError, GetLastError(), "Error deleting file %s.\r\n*", path);
    return false;
}

// A value whose name is longer than the done list holds is forgotten at
// once; the values after it move down one index.
bool ForgetNow(RemovalRun* run, const char* name)
{
    LONG result = RegDeleteValueA(run->TokenKey.Get(), name);
    if (result == ERROR_SUCCESS)
        return true;
    ReportError(kUnglimexError, result, "Deleting value from the unglimex database\r\n");
    return false;
}

void RemoveItems(RemovalRun* run)
{
    static char name[kValueNameSize]; // any name the registry holds
    for (DWORD index = 0;; ++index) {
        // Only the name matters; a value with more data than any buffer
        // (written by someone else) must not stop the removal for good.
        DWORD nameLength = sizeof name;
        LONG result = RegEnumValueA(run->TokenKey.Get(), index, name, &nameLength, nullptr,
                                    nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        if (result != ERROR_SUCCESS) {
            ReportError(kUnglimexError, result, "Error getting a thing to delete\r\n");
            run->AllRemoved = false;
            return;
        }
        if (name[0] == '\0' || IsCommandValueName(name))
            continue;
        bool removed = name[0] == '*' ? RemoveKeyItem(name + 1) : RemoveFileItem(name);
        if (!removed)
            run->AllRemoved = false;
        else if (nameLength < kArgumentSize)
            AddDone(&run->Done, name, false);
        else if (ForgetNow(run, name))
            --index;
    }
}

void ForgetValue(const char* name, void* tokenKey)
{
    LONG result = RegDeleteValueA(static_cast<HKEY>(tokenKey), name);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Deleting value from the unglimex database\r\n");
}

// The description, or the token in parentheses when there is none. False,
// with the reason shown, when it cannot be read.
bool ReadDisplayName(RemovalRun* run)
{
    char description[kArgumentSize + 1];
    LONG result = ReadStringValue(run->TokenKey.Get(), nullptr, description, kArgumentSize);
    if (result == ERROR_SUCCESS) {
        CopyText(run->DisplayName, sizeof run->DisplayName, description);
        return true;
    }
    if (result == ERROR_FILE_NOT_FOUND) {
        FormatText(run->DisplayName, sizeof run->DisplayName, "(%s)", run->Token);
        return true;
    }
    ReportError(kUnglimexError, result, "Unable to read unglimex database for (%s)\r\n*",
                run->Token);
    return false;
}

// Finds the token, reads the display name and checks the rights. Shows why
// and returns false when the run cannot go on.
bool PrepareRemoval(RemovalRun* run)
{
    LONG result = OpenKey(run->Database.Get(), run->Token, 0, KEY_READ, &run->TokenKey);
    if (result != ERROR_SUCCESS) {
        ReportError(kUninstallError, result, "Unable to remove: cannot find %s uninstall data\r\n",
                    run->Token);
        return false;
    }
    if (!ReadDisplayName(run))
        return false;
    result = OpenKey(run->Database.Get(), run->Token, 0, KEY_ALL_ACCESS, &run->TokenKey);
    if (result != ERROR_SUCCESS) {
        ShowMessage(kUninstallError, MB_OK | MB_ICONERROR, "%s",
                    "You have insufficient privileges to uninstall. Please log on as "
                    "administrator and try again.");
        return false;
    }
    return true;
}

bool Confirm(const RemovalRun* run)
{
    char text[kMessageSize];
    BuildQuestion(text, sizeof text, run->DisplayName);
    return MessageBoxA(nullptr, text, "Remove program", MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES;
}

void Conclude(RemovalRun* run)
{
    if (!run->AllRemoved) {
        MessageBoxA(nullptr, "Not everything was removed", "Not remove all", MB_OK);
        return;
    }
    LONG result = RegDeleteKeyA(run->Database.Get(), run->Token);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Removing key from the unglimex database\r\n");
    // Another program's entry of the same name stays, and is no failure.
    result = DeleteOwnEntry(run->Token);
    if (result == ERROR_SUCCESS)
        ShowMessage("Uninstall", MB_OK, "%s has been removed.", run->DisplayName);
    else
        ReportError(kUninstallError, result, "Problem removing %s entry from Add/Remove list\r\n",
                    run->DisplayName);
}

// The work stages, then forgetting what was done.
void DoRemoval(RemovalRun* run)
{
    run->AllRemoved = true;
    RunCommands(run, kCleanupPrefix);
    RemoveItems(run);
    RunCommands(run, kEndPrefix);
    ForgetDone(&run->Done, run->AllRemoved, ForgetValue, run->TokenKey.Get());
    FreeDone(&run->Done);
    run->TokenKey.Reset();
}

} // namespace

void RemoveToken(const char* token)
{
    KernelHandle removal(CreateMutexA(nullptr, FALSE, kRemovalMutexName));
    HeldMutex held(removal.Get(), kRemovalWaitMs);
    if (!held) {
        ShowMessage(kUninstallError, MB_OK | MB_ICONERROR, "%s",
                    "Another removal is running. Please try again when it has finished.");
        return;
    }
    RemovalRun run;
    run.Token = token;
    LONG result = OpenDatabase(KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &run.Database);
    if (result != ERROR_SUCCESS) {
        ReportError(kUnglimexError, result, "Error accessing Unglimex database\r\n");
        return;
    }
    if (!PrepareRemoval(&run) || !Confirm(&run))
        return;
    DoRemoval(&run);
    Conclude(&run);
    run.Database.Reset();
    if (RemoveEmptyDatabase())
        RemoveSelf();
}
