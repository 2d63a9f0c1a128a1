#include "common/crt/command_line.h"

const char* SkipProgramName(const char* line)
{
    const char* p = line;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p == '"')
            ++p;
    } else {
        // As the system's runtimes read it: any byte above a blank is part of
        // the name (ANSI code page bytes included).
        while (static_cast<unsigned char>(*p) > ' ')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}
