// The command line as WinMain receives it. No windows.h: built natively too.
#pragma once

// What follows the program's name in a full command line (GetCommandLineA):
// the name is either quoted (up to the closing quote, or the end when there
// is none) or ends at the first blank or control character; the blanks after
// it are skipped. Never null; points into line.
const char* SkipProgramName(const char* line);
