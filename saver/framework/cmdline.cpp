#include "saver/framework/cmdline.h"

namespace {

const char* const kModeNames[] = {
    "smNone",     "smSaver",  "smSFull",   "smSPreview", "smSPConfig",       "smSPMain",
    "smConfig",   "smCRegular", "smCActive", "smAbout",  "smPasswordChange", "smPasswordVerify",
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    return 99;
}

const char* SkipProgramPath(const char* p)
{
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        return *p ? p + 1 : nullptr;
    }
    while (*p && !IsBlank(*p))
        ++p;
    return p;
}

const char* SkipBlanksAndColons(const char* p)
{
    while (IsBlank(*p) || *p == ':')
        ++p;
    return p;
}

bool IsLumidex(const char* p)
{
    const char* const spellings[] = {"lumidex", "LumiDex", "LUMIDEX"};
    for (const char* s : spellings) {
        const char* a = p;
        const char* b = s;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (!*a && !*b)
            return true;
    }
    return false;
}

bool IsExistingWindow(const TScrParseHooks& hooks, std::int64_t value)
{
    return value != 0 && hooks.isWindow &&
           hooks.isWindow(static_cast<std::uintptr_t>(value), hooks.context);
}

void ParsePreview(const char* rest, const TScrParseHooks& hooks, TScrMode* mode,
                  std::uintptr_t* window)
{
    if (!*rest)
        return;
    if (IsLumidex(rest)) {
        std::uintptr_t host = hooks.checkForLumidex ? hooks.checkForLumidex(hooks.context) : 0;
        if (host) {
            *mode = smSPMain;
            *window = host;
        }
        return;
    }
    std::int64_t value = 0;
    if (!ReadScanInteger(rest, &value) || !IsExistingWindow(hooks, value))
        return;
    *mode = smSPMain;
    *window = static_cast<std::uintptr_t>(value);
}

// The parent of a configuration or password dialog: the window named on
// the line, else the foreground window unless the development environment
// owns it.
std::uintptr_t DialogParent(const char* rest, const TScrParseHooks& hooks)
{
    std::int64_t value = 0;
    if (ReadScanInteger(rest, &value) && IsExistingWindow(hooks, value))
        return static_cast<std::uintptr_t>(value);
    std::uintptr_t foreground = hooks.foregroundWindow ? hooks.foregroundWindow(hooks.context) : 0;
    if (foreground && hooks.ownedByBCB && hooks.ownedByBCB(foreground, hooks.context))
        return 0;
    return foreground;
}

} // namespace

const char* ScrModeName(int mode)
{
    if (mode < 0 || mode >= static_cast<int>(sizeof kModeNames / sizeof kModeNames[0]))
        return "sm_????";
    return kModeNames[mode];
}

bool ReadScanInteger(const char* text, std::int64_t* value)
{
    const char* p = text;
    while (IsBlank(*p) || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && Lower(p[1]) == 'x' && DigitValue(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    if (DigitValue(*p) >= base)
        return false;
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = negative ? 0x8000000000000000ull : 0x7fffffffffffffffull;
    for (; DigitValue(*p) < base; ++p) {
        std::uint64_t digit = static_cast<std::uint64_t>(DigitValue(*p));
        if (magnitude > (limit - digit) / static_cast<std::uint64_t>(base))
            return false;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + digit;
    }
    if (negative)
        *value = magnitude == 0x8000000000000000ull ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    else
        *value = static_cast<std::int64_t>(magnitude);
    return true;
}

bool IsBCBExecutable(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    const char* end = name;
    while (*end && *end != '.')
        ++end;
    const char* const wanted = "BCB";
    int i = 0;
    for (const char* p = name; p < end; ++p, ++i) {
        char c = *p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 'a' + 'A') : *p;
        if (i >= 3 || c != wanted[i])
            return false;
    }
    return i == 3;
}

void ParseCommandLine(const char* commandLine, const TScrParseHooks& hooks, TScrMode* mode,
                      std::uintptr_t* window)
{
    *mode = smNone;
    *window = 0;
    if (!commandLine)
        return;
    const char* p = SkipProgramPath(commandLine);
    if (!p)
        return;
    while (IsBlank(*p))
        ++p;
    if (!*p) {
        *mode = smCRegular;
        return;
    }
    if (*p == '-')
        ++p;
    if (*p == '/')
        ++p;
    char letter = Lower(*p);
    if (!letter)
        return;
    const char* rest = p + 1;
    if (letter == 'p' || letter == 'l' || letter == 'c' || letter == 'a')
        rest = SkipBlanksAndColons(rest);
    switch (letter) {
    case 'p':
    case 'l':
        ParsePreview(rest, hooks, mode, window);
        break;
    case 'c':
        *window = DialogParent(rest, hooks);
        *mode = smCRegular;
        break;
    case 's':
        *mode = smSFull;
        break;
    case 'a':
        *window = DialogParent(rest, hooks);
        *mode = smPasswordChange;
        break;
    default:
        break;
    }
}
