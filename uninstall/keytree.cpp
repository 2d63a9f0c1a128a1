// Key items: deleting a registry tree, never more than the tree named.
#include "uninstall/database.h"
#include "uninstall/rules.h"
#include "uninstall/unglimex.h"

namespace {

// Key names read back while deleting a tree (the registry's own limit is 255).
constexpr DWORD kSubkeyNameSize = 260;

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

// The NT family has registry links. There a tree's keys are opened as they
// are, a link as the link rather than the key it points to, and deleted
// through the open key: RegDeleteKeyA would follow a link and delete its
// target. The Windows 95 family has no links and no such calls.
using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE key);
using NtStatusToErrorFunction = ULONG(WINAPI*)(LONG status);

struct LinkSafeDeletion {
    DWORD OpenOptions = 0;
    NtDeleteKeyFunction DeleteKey = nullptr;
    NtStatusToErrorFunction StatusToError = nullptr;
};

LinkSafeDeletion FindLinkSafeDeletion()
{
    LinkSafeDeletion found;
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return found;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll"); // always loaded there
    if (!ntdll)
        return found;
    found.DeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
    found.StatusToError = reinterpret_cast<NtStatusToErrorFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (found.DeleteKey && found.StatusToError)
        found.OpenOptions = REG_OPTION_OPEN_LINK;
    return found;
}

// Found once per run (the program has one thread).
const LinkSafeDeletion& Deletion()
{
    static LinkSafeDeletion deletion;
    static bool found = false;
    if (!found) {
        deletion = FindLinkSafeDeletion();
        found = true;
    }
    return deletion;
}

// Deletes the key opened as key, known to its parent as path.
LONG DeleteOpenKey(HKEY parent, const char* path, HKEY key)
{
    const LinkSafeDeletion& deletion = Deletion();
    if (deletion.OpenOptions)
        return static_cast<LONG>(deletion.StatusToError(deletion.DeleteKey(key)));
    return RegDeleteKeyA(parent, path);
}

LONG DeleteTree(HKEY parent, const char* path, bool listed);

// Deletes every subkey of key (path). A subkey that cannot be deleted is
// reported and passed over, so the walk goes on with the next and ends;
// its failure is the result.
LONG DeleteSubkeys(HKEY key, const char* path)
{
    LONG failure = ERROR_SUCCESS;
    // Each deleted subkey moves the next one down to index; the ones below
    // it failed.
    for (DWORD index = 0;;) {
        char subkey[kSubkeyNameSize];
        DWORD length = sizeof subkey;
        LONG result = RegEnumKeyExA(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return failure;
        if (result != ERROR_SUCCESS) {
            ShowTreeError(TreeFailure::Examine, path, result);
            return result;
        }
        result = DeleteTree(key, subkey, true);
        if (result != ERROR_SUCCESS) {
            ShowTreeError(TreeFailure::Subkey, subkey, result);
            failure = result;
            ++index;
        }
    }
}

// Deletes parent\path with everything below it. A key that is not there is
// already gone, unless it was just listed (listed): then its name did not
// survive the way to ANSI and back, and it is a failure like any other.
// An empty path is refused, so that a key item never deletes a whole root.
LONG DeleteTree(HKEY parent, const char* path, bool listed)
{
    if (path[0] == '\0')
        return ERROR_BADKEY;
    RegKey key;
    LONG result =
        OpenKey(parent, path, Deletion().OpenOptions, DELETE | KEY_ENUMERATE_SUB_KEYS, &key);
    if (result == ERROR_FILE_NOT_FOUND && !listed)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) {
        ShowTreeError(TreeFailure::Open, path, result);
        return result;
    }
    result = DeleteSubkeys(key.Get(), path);
    if (result != ERROR_SUCCESS)
        return result;
    result = DeleteOpenKey(parent, path, key.Get());
    if (result != ERROR_SUCCESS)
        ShowTreeError(TreeFailure::Delete, path, result);
    return result;
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

} // namespace

bool RemoveKeyItem(const char* keyPath)
{
    static char subkey[kValueNameSize];
    RootName root = ParseKeyPath(keyPath, subkey, sizeof subkey);
    if (root == RootName::None) {
        ShowMessage(kUninstallError, MB_OK | MB_ICONERROR,
                    "Problem removing key %s:\r\nit is not well-formed", keyPath);
        return false;
    }
    // Written by hand or by an older copy: nothing of it is deleted, and the
    // run says so, as for a root (an empty path). The token then stays, so
    // that the removal never reports what it did not do.
    if (IsSystemTree(root, subkey)) {
        ShowTreeError(TreeFailure::Key, keyPath, ERROR_BADKEY);
        return false;
    }
    LONG result = DeleteTree(RootKey(root), subkey, false);
    if (result == ERROR_SUCCESS)
        return true;
    ShowTreeError(TreeFailure::Key, keyPath, result);
    return false;
}
