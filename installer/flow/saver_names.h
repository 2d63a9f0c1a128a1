// Names derived from the saver's file name. No windows.h: also built natively.
#pragma once
#include <cstddef>

// Buffer sizes of the texts loaded from the string table, terminator included.
constexpr std::size_t kDescriptiveNameSize = 50;
constexpr std::size_t kSaverFileNameSize = 50;
constexpr std::size_t kSaverTitleSize = 100;
constexpr std::size_t kSaverKeyNameSize = 52;

// The settings key's last component: the saver's file name cut at its first
// ".scr" (lower case only: "ORBELLE.SCR" stays whole). keyName holds
// kSaverKeyNameSize bytes; a longer file name is cut to fit.
void BuildSaverKeyName(const char* saverFileName, char* keyName);
