// The saver's command line: switches, run modes and their names.
// No windows.h: also built natively, tested under the sanitizers and fuzzed.
#pragma once
#include <cstdint>

// The run mode. The numbers are shared by the parser and the dispatcher.
enum TScrMode : std::uint8_t {
    smNone = 0,
    smSaver = 1,        // group name only
    smSFull = 2,
    smSPreview = 3,     // group name only
    smSPConfig = 4,
    smSPMain = 5,
    smConfig = 6,       // group name only
    smCRegular = 7,
    smCActive = 8,
    smAbout = 9,
    smPasswordChange = 10,
    smPasswordVerify = 11,
};

// "smNone" ... "smPasswordVerify"; "sm_????" for any other value.
const char* ScrModeName(int mode);

// What the parser asks of the platform. A window handle travels as an
// integer (the value that followed the switch).
struct TScrParseHooks {
    bool (*isWindow)(std::uintptr_t window, void* context) = nullptr;
    // The foreground window, 0 when there is none.
    std::uintptr_t (*foregroundWindow)(void* context) = nullptr;
    // Whether the window belongs to the development environment "BCB".
    bool (*ownedByBCB)(std::uintptr_t window, void* context) = nullptr;
    // Finds or starts the external preview host; 0 on failure (the hook
    // has told the user).
    std::uintptr_t (*checkForLumidex)(void* context) = nullptr;
    void* context = nullptr;
};

// Fills mode and window from a whole command line (program path first).
// Every hook may be null: a missing isWindow accepts no window, a missing
// foregroundWindow gives none, a missing checkForLumidex fails.
void ParseCommandLine(const char* commandLine, const TScrParseHooks& hooks,
                      TScrMode* mode, std::uintptr_t* window);

// Reads an integer the way the format "%i" does at the start of text
// (leading blanks, optional sign, decimal, 0x hexadecimal or 0 octal).
// Returns false when no digit can be read or the value leaves 64 bits.
bool ReadScanInteger(const char* text, std::int64_t* value);

// Whether an executable path names the development environment: its file
// name, upper-cased, without directory and extension, is "BCB".
bool IsBCBExecutable(const char* path);
