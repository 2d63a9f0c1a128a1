// The Unglimex database and the Add/Remove entries, under HKEY_LOCAL_MACHINE.
#pragma once
#include <windows.h>

#include <cstddef>

#include "common/owners.h"

constexpr char kDatabaseKey[] = "Software\\Tolvar\\Unglimex";
constexpr char kDatabaseKeyForDeletion[] = "SOFTWARE\\Tolvar\\Unglimex";

// The Add/Remove entry's key: the fixed part and a token of up to 999 characters.
constexpr std::size_t kEntryKeySize = 1100;

// RegOpenKeyExA and RegCreateKeyExA (reserved 0, no class, non-volatile,
// default security) into an owner, which stays empty when the call fails.
LONG OpenKey(HKEY parent, const char* path, DWORD options, REGSAM access, RegKey* key);
LONG CreateKey(HKEY parent, const char* path, REGSAM access, RegKey* key);

// Opens (creating it when missing) the database with the access given.
LONG OpenDatabase(REGSAM access, RegKey* database);

// Reads a string value into buffer (capacity bytes plus one for the
// terminator), terminated at the length the registry returns, since another
// program may have written it without its terminating zero.
LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD capacity);

// The Add/Remove entry's key path for token (size bytes).
void EntryKeyPath(char* path, std::size_t size, const char* token);

// The UninstallString this helper writes for token, from the Windows
// directory; empty when it does not fit.
void OwnUninstallString(char* command, std::size_t size, const char* token);

// Deletes token's Add/Remove entry when it is this helper's own (its
// UninstallString is OwnUninstallString's). An entry that is missing or
// belongs to another program is left alone: ERROR_SUCCESS all the same.
LONG DeleteOwnEntry(const char* token);

// Deletes the database when no token is left in it, one run at a time, so
// that of two runs that end together exactly one finds it empty. True when
// this run did so (even if the deletion itself failed and was reported):
// the program then removes itself.
bool RemoveEmptyDatabase();
