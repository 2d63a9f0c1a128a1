// unglimex.exe: the commands, the uninstall run and the self-removal.
#pragma once
#include "common/text.h"
#include <windows.h>

#include <cstddef>

// The Unglimex database, under HKEY_LOCAL_MACHINE.
constexpr char kDatabaseKey[] = "Software\\Tolvar\\Unglimex";
constexpr char kDatabaseKeyForDeletion[] = "SOFTWARE\\Tolvar\\Unglimex";
constexpr char kDeleteEventName[] = "UnglimexDeleteEvent";

constexpr char kUnglimexError[] = "Unglimex error";
constexpr char kUninstallError[] = "Uninstall error";

constexpr std::size_t kSystemTextSize = 1000;
constexpr std::size_t kMessageSize = 1024;
// The Add/Remove entry's key: the fixed part and a token of up to 999 characters.
constexpr std::size_t kEntryKeySize = 1100;

// report.cpp
// A modal box with no owner; the text is formatted into kMessageSize bytes.
void ShowMessage(const char* caption, UINT style, const char* format, ...) TEXT_FORMAT(3, 4);
// The system text for GetLastError(), as it stands right now.
void CurrentSystemText(char* text);
// The system text for a registry call's result code.
void RegistrySystemText(LONG result, char* text);
void ShowUsage(const char* commandLine);
// Opens (creating it when missing) the database with the access given.
LONG OpenDatabase(REGSAM access, HKEY* database);
// Reads a string value into buffer (capacity bytes plus one for the
// terminator), terminated at the length the registry returns, since another
// program may have written it without its terminating zero.
LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD capacity);
// The Add/Remove entry's key path for token, under HKEY_LOCAL_MACHINE.
void EntryKeyPath(char* path, const char* token);

// store.cpp
void DescribeToken(const char* token, const char* description);
void AddItem(const char* token, const char* item);
void ShowListing();

// remove.cpp
void RemoveToken(const char* token);

// selfremove.cpp
// The installed copy's side: leaves the deletion of its own file to a clone.
void RemoveSelf();
// The clone's side ("/autodel"): releases the installed copy, waits for its
// end and deletes its file.
void FinishSelfRemoval(long long processHandle, const char* installedPath);
