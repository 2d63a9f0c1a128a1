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
// Key names read back while deleting a tree (the registry's own limit is 255).
constexpr DWORD kSubkeyNameSize = 260;

struct RemovalRun {
    const char* Token = nullptr;
    RegKey Database;
    RegKey TokenKey;
    char DisplayName[kDisplayNameSize] = {};
    bool AllRemoved = false;
    DoneList Done = {nullptr};
};

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

// Runs "<prefix>1", "<prefix>2", ... until the first number that has no value.
void RunCommands(RemovalRun* run, const char* prefix)
{
    for (int number = 1; number < INT_MAX; ++number) {
        char name[32];
        CommandValueName(name, sizeof name, prefix, number);
        char commandText[kArgumentSize + 1];
        if (ReadStringValue(run->TokenKey.Get(), name, commandText, kArgumentSize) != ERROR_SUCCESS)
            return;
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

bool RemoveFileItem(const char* path)
{
    // An open without access rights finds a file that others hold without
    // sharing, so only a missing file or folder counts as already gone.
    FileHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file && FileCountsAsGone(GetLastError()))
        return true;
    file.Reset();
    if (DeleteFileA(path))
        return true;
    ReportError(kUninstallError, GetLastError(), "Error deleting file %s.\r\n*", path);
    return false;
}

enum class TreeFailure { Open, Delete, Subkey, Examine, Key };

void ShowTreeError(TreeFailure failure, const char* name, LONG result)
{
    switch (failure) {
    case TreeFailure::Open:
        return ReportError(kUninstallError, result,
                           "Unable to open %s in order to remove it.\r\n", name);
    case TreeFailure::Delete:
        return ReportError(kUninstallError, result, "Unable to delete key %s.\r\n", name);
    case TreeFailure::Subkey:
        return ReportError(kUninstallError, result,
                           "The subkey %s was not deleted successfully.\r\n", name);
    case TreeFailure::Examine:
        return ReportError(kUninstallError, result, "Error examining key %s to delete it.\r\n",
                           name);
    case TreeFailure::Key:
        return ReportError(kUninstallError, result, "The key %s was not deleted.\r\n", name);
    }
}

// Deletes parent\path with everything below it. An empty path is refused,
// so that a key item never deletes a whole root.
LONG DeleteTree(HKEY parent, const char* path)
{
    if (path[0] == '\0')
        return ERROR_BADKEY;
    RegKey key;
    LONG result = OpenKey(parent, path, 0, DELETE | KEY_ENUMERATE_SUB_KEYS, &key);
    if (result == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) {
        ShowTreeError(TreeFailure::Open, path, result);
        return result;
    }
    for (;;) {
        char subkey[kSubkeyNameSize];
        DWORD length = sizeof subkey;
        // Each deleted subkey moves the next one to index 0.
        result = RegEnumKeyExA(key.Get(), 0, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            result = RegDeleteKeyA(parent, path);
            if (result != ERROR_SUCCESS)
                ShowTreeError(TreeFailure::Delete, path, result);
            return result;
        }
        if (result != ERROR_SUCCESS) {
            ShowTreeError(TreeFailure::Examine, path, result);
            return result;
        }
        result = DeleteTree(key.Get(), subkey);
        if (result != ERROR_SUCCESS) {
            ShowTreeError(TreeFailure::Subkey, subkey, result);
            return result;
        }
    }
}

HKEY RootKey(RootName root)
{
    switch (root) {
    case RootName::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RootName::CurrentUser:
        return HKEY_CURRENT_USER;
    case RootName::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RootName::Users:
        return HKEY_USERS;
    case RootName::None:
        break;
    }
    return nullptr;
}

bool RemoveKeyItem(const char* specification)
{
    char subkey[kArgumentSize];
    RootName root = ParseRootSpecification(specification, subkey, sizeof subkey);
    if (root == RootName::None) {
        ShowMessage(kUninstallError, MB_OK | MB_ICONERROR,
                    "Problem removing key %s:\r\nit is not well-formed", specification);
        return false;
    }
    LONG result = DeleteTree(RootKey(root), subkey);
    if (result == ERROR_SUCCESS)
        return true;
    ShowTreeError(TreeFailure::Key, specification, result);
    return false;
}

void RemoveItems(RemovalRun* run)
{
    for (DWORD index = 0;; ++index) {
        // Only the name matters; a value with more data than any buffer
        // (written by someone else) must not stop the removal for good.
        char name[kArgumentSize];
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
        if (removed)
            AddDone(&run->Done, name, false);
        else
            run->AllRemoved = false;
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
    FormatText(text, sizeof text, "This will remove %s.\r\nAre you sure you want to continue?",
               run->DisplayName);
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
    char entry[kEntryKeySize];
    EntryKeyPath(entry, sizeof entry, run->Token);
    result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry);
    // A token that never had a description never had an entry either.
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        ShowMessage("Uninstall", MB_OK, "%s has been removed.", run->DisplayName);
    else
        ReportError(kUninstallError, result, "Problem removing %s entry from Add/Remove list\r\n",
                    run->DisplayName);
}

bool DatabaseIsEmpty(HKEY database)
{
    char name[kArgumentSize];
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(database, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS)
        return true;
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Unable to tell if anything left in database\r\n");
    return false;
}

void RemoveDatabase()
{
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDatabaseKeyForDeletion);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Problem removing Unglimex from registry\r\n");
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
    bool empty = DatabaseIsEmpty(run.Database.Get());
    run.Database.Reset();
    if (empty) {
        RemoveDatabase();
        RemoveSelf();
    }
}
