// Path building into fixed buffers. No windows.h: also built natively.
#pragma once
#include <cstddef>

// Longest path the programs handle, terminator included (MAX_PATH).
constexpr std::size_t kPathSize = 260;

// Writes directory + "\" + name into out. A directory that already ends in a
// backslash (a drive root such as "C:\") gets no second one. Returns false,
// leaving out empty, when the result would not fit in size bytes or the
// directory is empty (a path on the current drive's root is never meant).
bool JoinPath(char* out, std::size_t size, const char* directory, const char* name);

// The text after the last backslash; the whole path when there is none.
bool FileNamePart(char* out, std::size_t size, const char* path);

// The text before the last backslash, without it; empty when there is none.
bool DirectoryPart(char* out, std::size_t size, const char* path);
