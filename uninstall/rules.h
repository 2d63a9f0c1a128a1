// The database's rules as plain text work: key item paths, item values,
// the UninstallString, command texts, the listing and the done list. No
// windows.h: also built natively and fuzzed.
#pragma once
#include <cstddef>

#include "uninstall/command_line.h"

// The four registry roots a key item may name, spelled with case.
enum class RootName { None, LocalMachine, CurrentUser, ClassesRoot, Users };

// Splits "ROOT\subkey\path" at its first backslash. Returns None (and an
// empty subkey) when there is no backslash or the root is not one of the
// four names. The subkey (subkeySize bytes) may come back empty.
RootName ParseKeyPath(const char* keyPath, char* subkey, std::size_t subkeySize);

// Whether a key item may be deleted at all. It must name at least two
// levels below its root (below the user's key for HKEY_USERS), and none of
// the system's own trees (names compared without case, empty levels
// skipped): Software\Microsoft, its Windows and Windows NT keys, their
// CurrentVersion keys and each key directly below those; Software\Classes
// and each key directly below it (so HKEY_CLASSES_ROOT needs two levels too,
// three under its Wow6432Node);
// Software\Policies and Software\Policies\Microsoft; Software\Wow6432Node,
// under which the same list applies again; Software\Tolvar and the Unglimex
// database with everything in it; System, Hardware, SAM and Security with
// everything in them; and each key directly below Control Panel. A level
// "." or ".." is refused as well.
bool IsSystemTree(RootName root, const char* subkey);

// Whether a value name is a command's ("_cmd..." or "_end...", with case).
bool IsCommandValueName(const char* name);

// What "/add" writes for an item: a command item ("_cmd..."/"_end...") is
// named by its text up to the first space and holds what follows the spaces
// after it; any other item is named by its whole text and holds " ".
void SplitItem(const char* item, char* name, std::size_t nameSize, char* data,
               std::size_t dataSize);

// The UninstallString: windowsDirectory, a backslash unless it already ends
// in one, "unglimex.exe /remove " and the token. False (out emptied) when
// it does not fit.
constexpr std::size_t kUninstallStringSize = kArgumentSize + 32 + kArgumentSize;
bool BuildUninstallString(char* out, std::size_t size, const char* windowsDirectory,
                          const char* token);

// "_cmd%i" or "_end%i" for number.
void CommandValueName(char* out, std::size_t size, const char* prefix, int number);

// A command text that is a pause rather than a program ("sleep..." with case).
bool IsSleepCommand(const char* command);
// The pause of a sleep command in milliseconds: the decimal number from its
// seventh character on. A missing, negative or unreadable number gives 0,
// and the pause never exceeds kLongestSleepMs.
constexpr unsigned long kLongestSleepMs = 60000;
unsigned long SleepMilliseconds(const char* command);

// Whether the error code of the existence test of a file item means the file
// is gone: only "file not found" (2) and "path not found" (3) do. Any other
// failure (access denied, sharing, ...) leaves the deletion to try.
bool FileCountsAsGone(unsigned long openError);

// Why a file item can never name a file that DeleteFileA would delete:
// a wildcard or another character no file name holds, or a path longer
// than the system's 259 characters. Such an item is left alone.
enum class FileItemProblem { None, BadName, TooLong };
FileItemProblem CheckFileItem(const char* path);

// Whether value is the UninstallString this helper writes for token with
// windowsDirectory (compared without case, as the system compares paths and
// key names).
bool IsOwnUninstallString(const char* value, const char* windowsDirectory, const char* token);

// The confirmation question for displayName into out (size bytes). A
// display name too long for a box is cut and ends in "...", so that the
// question itself always shows.
constexpr std::size_t kQuestionNameLength = 300;
void BuildQuestion(char* out, std::size_t size, const char* displayName);

// The listing: one line per token, in a text that a message box can still
// show. When it is full, later tokens are counted, and the end of the text
// says how many were left out, so that no token is hidden without a word.
// A line holds any description and token name whole (key names have at most
// 255 characters); value names beyond it end in "...".
constexpr std::size_t kListingSize = 4000;
constexpr std::size_t kListingLineSize = 2000;
struct Listing {
    char Text[kListingSize];
    int LeftOut;
};
void StartListing(Listing* listing);
void AddListingLine(Listing* listing, const char* line);
void AddListingText(Listing* listing, const char* text);
void FinishListing(Listing* listing);

// Appends piece to a listing line (size bytes, at most kListingLineSize).
// When it does not fit, the line ends in "..." instead and false is
// returned; room for the closing "\r\n" always stays.
bool AppendToListingLine(char* line, std::size_t size, const char* piece);

// The names of the values whose work is done, most recent first.
struct DoneEntry {
    DoneEntry* Next;
    bool IsCommand;
    char Name[kArgumentSize];
};
struct DoneList {
    DoneEntry* First;
};
// False when no memory was left; the value is then simply not forgotten.
bool AddDone(DoneList* list, const char* name, bool isCommand);
// Calls forget for each name to be deleted from the token key, most recent
// first. After a partial failure (allRemoved false) the command values stay,
// so a retry runs every command again; items that were done are forgotten
// either way.
void ForgetDone(const DoneList* list, bool allRemoved, void (*forget)(const char* name, void* data),
                void* data);
void FreeDone(DoneList* list);
