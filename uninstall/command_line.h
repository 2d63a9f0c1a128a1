// Reading unglimex's command line. No windows.h: also built natively and
// fuzzed.
#pragma once
#include <cstddef>

// Capacities, terminator included.
constexpr std::size_t kCommandWordSize = 260;
constexpr std::size_t kArgumentSize = 1000;

enum class ArgumentMode {
    Ordinary,  // up to the next space
    RestOfLine // up to the end of the line, spaces included
};

// Takes the argument at *cursor into buffer (capacity bytes, capacity > 0)
// and moves *cursor past it and the spaces that follow. An argument that
// begins with a double quote runs to the next one (in either mode); the
// quotes are dropped. Only the space separates arguments. At most
// capacity - 1 characters are kept; the rest of a longer argument is
// consumed and dropped. The buffer is always terminated.
void ReadArgument(const char** cursor, char* buffer, std::size_t capacity, ArgumentMode mode);

// A decimal integer as atol reads it: leading white space, an optional sign,
// then digits up to the first other character. Values beyond the range of
// long long are held at its ends instead of overflowing.
long long ReadDecimal(const char* text);

// A token names one key: not empty, no backslash, not "." or "..".
bool IsUsableToken(const char* token);

// Whether a "/autodel" handle can be one the installed copy passed on: the
// value of a real handle (above 0, within 32 bits). Pseudo-handles such as
// -1, the current process, are not.
bool IsPassedHandleValue(long long value);

enum class CommandKind { Listing, Describe, Add, Remove, AutoDelete, Usage };

struct ParsedCommand {
    CommandKind Kind;
    char Token[kArgumentSize];    // "/desc", "/add", "/remove"
    char Text[kArgumentSize];     // the description, the item, or the clone's path
    long long Handle;             // "/autodel": the installed copy's process handle
};

// Reads the whole command line (the program's path first) and decides what
// to do. A command word is recognised by its beginning, with case; a command
// whose arguments are missing, or whose token is not usable, gives Usage.
void ParseCommandLine(const char* commandLine, ParsedCommand* command);
