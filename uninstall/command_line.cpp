#include "uninstall/command_line.h"

#include <climits>
#include <cstring>

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Copies [begin, end) into buffer, cut at capacity - 1 characters.
void KeepArgument(const char* begin, const char* end, char* buffer, std::size_t capacity)
{
    std::size_t length = static_cast<std::size_t>(end - begin);
    if (length > capacity - 1)
        length = capacity - 1;
    std::memcpy(buffer, begin, length);
    buffer[length] = '\0';
}

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

void ReadArgument(const char** cursor, char* buffer, std::size_t capacity, ArgumentMode mode)
{
    const char* p = *cursor;
    buffer[0] = '\0';
    if (*p == '\0')
        return;
    const char* begin;
    const char* end;
    if (*p == '"') {
        begin = ++p;
        while (*p && *p != '"')
            ++p;
        end = p;
        if (*p == '"')
            ++p;
    } else if (mode == ArgumentMode::Ordinary) {
        begin = p;
        while (*p && *p != ' ')
            ++p;
        end = p;
        if (*p == ' ')
            ++p;
    } else {
        begin = p;
        p += std::strlen(p);
        end = p;
    }
    KeepArgument(begin, end, buffer, capacity);
    while (*p == ' ')
        ++p;
    *cursor = p;
}

long long ReadDecimal(const char* text)
{
    const char* p = text;
    while (IsWhiteSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // Accumulate towards the negative end, which holds one more value.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        int digit = *p - '0';
        if (value < (LLONG_MIN + digit) / 10) {
            value = LLONG_MIN;
            break;
        }
        value = value * 10 - digit;
    }
    if (!negative)
        return value == LLONG_MIN ? LLONG_MAX : -value;
    return value;
}

bool IsUsableToken(const char* token)
{
    return token[0] != '\0' && std::strchr(token, '\\') == nullptr &&
           std::strcmp(token, ".") != 0 && std::strcmp(token, "..") != 0;
}

bool IsPassedHandleValue(long long value)
{
    return value > 0 && value <= 0x7fffffffLL;
}

void ParseCommandLine(const char* commandLine, ParsedCommand* command)
{
    command->Kind = CommandKind::Usage;
    command->Token[0] = '\0';
    command->Text[0] = '\0';
    command->Handle = 0;

    const char* cursor = commandLine;
    char word[kCommandWordSize];
    // The program's own path, quoted or not, is read and dropped.
    ReadArgument(&cursor, command->Text, sizeof command->Text, ArgumentMode::Ordinary);
    command->Text[0] = '\0';
    ReadArgument(&cursor, word, sizeof word, ArgumentMode::Ordinary);

    if (word[0] == '\0') {
        command->Kind = CommandKind::Listing;
    } else if (StartsWith(word, "/desc") || StartsWith(word, "/add")) {
        ReadArgument(&cursor, command->Token, sizeof command->Token, ArgumentMode::Ordinary);
        ReadArgument(&cursor, command->Text, sizeof command->Text, ArgumentMode::RestOfLine);
        if (IsUsableToken(command->Token) && command->Text[0])
            command->Kind = StartsWith(word, "/desc") ? CommandKind::Describe : CommandKind::Add;
    } else if (StartsWith(word, "/remove")) {
        ReadArgument(&cursor, command->Token, sizeof command->Token, ArgumentMode::Ordinary);
        if (IsUsableToken(command->Token))
            command->Kind = CommandKind::Remove;
    } else if (StartsWith(word, "/autodel")) {
        char handle[kArgumentSize];
        ReadArgument(&cursor, handle, sizeof handle, ArgumentMode::Ordinary);
        ReadArgument(&cursor, command->Text, sizeof command->Text, ArgumentMode::RestOfLine);
        command->Handle = ReadDecimal(handle);
        if (handle[0] && command->Text[0] && command->Handle != 0)
            command->Kind = CommandKind::AutoDelete;
    }
}
