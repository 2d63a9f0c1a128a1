// The registration command lines for the uninstall support, as text. No
// windows.h: also built natively.
#pragma once
#include <cstddef>

// What the lines are made of (all zero-terminated, none null).
struct RegistrationTexts {
    const char* UninstallerPath; // the installed unglimex.exe
    const char* SaverFileName;   // the saver's token
    const char* SaverTitle;      // its description
    const char* SaverPath;
    const char* SaverKeyName;    // the saver's settings key under Software\glimmex
    const char* HotCornersPath;
};

// The lines in the order they run: the saver's three, then the hot-corners
// module's four.
enum class RegistrationLine {
    SaverDescription,
    SaverFile,
    SaverSettings,
    HotCornersDescription,
    HotCornersFile,
    HotCornersCleanup,
    HotCornersPause,
};
constexpr int kRegistrationLineCount = 7;

bool IsSaverLine(RegistrationLine line);

// Formats one line into out (size bytes). Returns false, leaving out empty,
// when the line does not fit: a cut line would register a different file
// or key, so it must not be sent.
bool FormatRegistrationLine(RegistrationLine line, const RegistrationTexts& texts, char* out,
                            std::size_t size);
