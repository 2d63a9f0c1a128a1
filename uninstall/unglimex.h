// unglimex.exe: the commands, the uninstall run and the self-removal.
#pragma once
#include "common/text.h"
#include <windows.h>

#include <cstddef>

constexpr char kDeleteEventName[] = "UnglimexDeleteEvent";

constexpr char kUnglimexError[] = "Unglimex error";
constexpr char kUninstallError[] = "Uninstall error";

constexpr std::size_t kSystemTextSize = 1000;
constexpr std::size_t kMessageSize = 1024;

// report.cpp
// A modal box with no owner; the text is formatted into kMessageSize bytes.
void ShowMessage(const char* caption, UINT style, const char* format, ...) TEXT_FORMAT(3, 4);
// The system's text for an error code (a registry call's result or
// GetLastError()) into text (size bytes).
void SystemText(DWORD code, char* text, std::size_t size);
// A failure in an error box: the text formatted from format (which ends
// where the system's text follows, "\r\n" or "\r\n*"), then the system's
// text for code.
void ReportError(const char* caption, DWORD code, const char* format, ...) TEXT_FORMAT(3, 4);
void ShowUsage(const char* commandLine);

// store.cpp
void DescribeToken(const char* token, const char* description);
void AddItem(const char* token, const char* item);
void ShowListing();

// remove.cpp
void RemoveToken(const char* token);

// keytree.cpp
// Value names are read with the registry's own limit (16,383 characters).
constexpr std::size_t kValueNameSize = 16384;
// Deletes the registry tree of a key item ("ROOT\path", the value name
// without its "*"); false, reported, when it failed. A system tree is
// refused: reported as not deleted, and false.
bool RemoveKeyItem(const char* keyPath);

// restart.cpp
// Whether this is the Windows 95 family (Windows 95, 98, Me).
bool IsWindows95Family();
// Leaves the deletion of the file at path to the system when Windows next
// starts: the NT family's pending file operations, the Windows 95 family's
// WININIT.INI. False when it cannot.
bool DeleteAtRestart(const char* path);

// selfremove.cpp
// The installed copy's side: leaves the deletion of its own file to a clone,
// or, when the clone cannot do it, to the next start of Windows.
void RemoveSelf();
// The clone's side ("/autodel"): releases the installed copy, waits for its
// end and deletes its file (at the next start of Windows when it stays in use).
void FinishSelfRemoval(long long processHandle, const char* installedPath);
