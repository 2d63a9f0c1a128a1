#include "uninstall/database.h"

#include "common/text.h"
#include "uninstall/rules.h"
#include "uninstall/unglimex.h"

namespace {

constexpr char kDatabaseMutexName[] = "UnglimexDatabaseMutex";
// Another run holds the database only for a few registry calls.
constexpr DWORD kDatabaseWaitMs = 30000;

void WindowsDirectory(char* directory, std::size_t size)
{
    UINT length = GetWindowsDirectoryA(directory, static_cast<UINT>(size));
    if (length == 0 || length >= size)
        directory[0] = '\0';
}

LONG Kept(LONG result, RegKey* key)
{
    // What a failed call left in its out parameter is no key of ours.
    if (result != ERROR_SUCCESS)
        key->Release();
    return result;
}

} // namespace

LONG OpenKey(HKEY parent, const char* path, DWORD options, REGSAM access, RegKey* key)
{
    return Kept(RegOpenKeyExA(parent, path, options, access, key->Receive()), key);
}

LONG CreateKey(HKEY parent, const char* path, REGSAM access, RegKey* key)
{
    return Kept(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                key->Receive(), nullptr),
                key);
}

LONG OpenDatabase(REGSAM access, RegKey* database)
{
    return CreateKey(HKEY_LOCAL_MACHINE, kDatabaseKey, access, database);
}

LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD capacity)
{
    DWORD type = 0;
    DWORD size = capacity;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    buffer[result == ERROR_SUCCESS && size <= capacity ? size : 0] = '\0';
    return result;
}

void EntryKeyPath(char* path, std::size_t size, const char* token)
{
    FormatText(path, size, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s", token);
}

void OwnUninstallString(char* command, std::size_t size, const char* token)
{
    char windows[kArgumentSize];
    WindowsDirectory(windows, sizeof windows);
    BuildUninstallString(command, size, windows, token);
}

LONG DeleteOwnEntry(const char* token)
{
    char path[kEntryKeySize];
    EntryKeyPath(path, sizeof path, token);
    RegKey entry;
    LONG result = OpenKey(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &entry);
    // A token that never had a description never had an entry either.
    if (result == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS)
        return result;
    char command[kUninstallStringSize];
    ReadStringValue(entry.Get(), "UninstallString", command, sizeof command - 1);
    entry.Reset();
    char windows[kArgumentSize];
    WindowsDirectory(windows, sizeof windows);
    if (!IsOwnUninstallString(command, windows, token))
        return ERROR_SUCCESS; // another program's entry of the same name
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

namespace {

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

} // namespace

bool RemoveEmptyDatabase()
{
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, kDatabaseMutexName));
    HeldMutex held(mutex.Get(), kDatabaseWaitMs);
    RegKey database;
    // Gone already: another run found it empty first.
    if (OpenKey(HKEY_LOCAL_MACHINE, kDatabaseKey, 0, KEY_ENUMERATE_SUB_KEYS, &database) !=
        ERROR_SUCCESS)
        return false;
    if (!DatabaseIsEmpty(database.Get()))
        return false;
    database.Reset();
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDatabaseKeyForDeletion);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Problem removing Unglimex from registry\r\n");
    return true;
}
