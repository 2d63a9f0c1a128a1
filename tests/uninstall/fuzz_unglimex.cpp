// libFuzzer target: any command line, however long or odd, through the
// argument reader, the dispatch, the key path, the item split,
// the "sleep" reading, the guard on system trees, the file-item and token
// checks, the Add/Remove ownership test and the question, with every result
// checked against its capacity and its rule.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "uninstall/command_line.h"
#include "uninstall/rules.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadEveryArgument(const char* line, std::size_t capacity, ArgumentMode mode)
{
    // Exactly capacity bytes on the heap, so that ASan sees any overrun.
    char* buffer = new char[capacity];
    const char* cursor = line;
    const char* end = line + std::strlen(line);
    for (int i = 0; i < 64 && *cursor; ++i) {
        const char* before = cursor;
        ReadArgument(&cursor, buffer, capacity, mode);
        Check(std::strlen(buffer) < capacity);
        Check(cursor > before && cursor <= end);
    }
    delete[] buffer;
}

char LowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int NonEmptyLevels(const std::string& path)
{
    int levels = 0;
    std::size_t begin = 0;
    for (;;) {
        std::size_t slash = path.find('\\', begin);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        levels += end > begin;
        if (slash == std::string::npos)
            return levels;
        begin = slash + 1;
    }
}

// The guard's answer never depends on case or on doubled backslashes, and a
// path of fewer than two levels is always refused.
void CheckSystemTreeRule(const char* subkey)
{
    std::string text(subkey);
    std::string lower, doubled;
    for (char c : text) {
        lower += LowerCase(c);
        doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    for (RootName root : {RootName::LocalMachine, RootName::CurrentUser, RootName::ClassesRoot,
                          RootName::Users}) {
        bool refused = IsSystemTree(root, subkey);
        Check(refused == IsSystemTree(root, lower.c_str()));
        Check(refused == IsSystemTree(root, doubled.c_str()));
        if (NonEmptyLevels(text) < 2)
            Check(refused);
    }
    Check(IsSystemTree(RootName::None, subkey));
    // Nothing below the system's own whole trees is ever allowed.
    Check(IsSystemTree(RootName::LocalMachine, ("System\\" + text).c_str()));
    Check(IsSystemTree(RootName::CurrentUser, ("software\\tolvar\\unglimex\\" + text).c_str()));
}

void CheckFileItemRule(const char* path)
{
    if (CheckFileItem(path) != FileItemProblem::None)
        return;
    Check(std::strlen(path) <= 259);
    for (const char* p = path; *p; ++p)
        Check(static_cast<unsigned char>(*p) >= 32 && !std::strchr("*?<>|\"", *p));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    const char* line = text.c_str(); // cut at the first zero, as a command line is

    static ParsedCommand command;
    ParseCommandLine(line, &command);
    Check(std::strlen(command.Token) < sizeof command.Token);
    Check(std::strlen(command.Text) < sizeof command.Text);
    if (command.Kind == CommandKind::Describe || command.Kind == CommandKind::Add)
        Check(command.Token[0] && command.Text[0]);
    if (command.Kind == CommandKind::AutoDelete)
        Check(command.Handle != 0);
    if (command.Kind == CommandKind::Describe || command.Kind == CommandKind::Add ||
        command.Kind == CommandKind::Remove) {
        Check(IsUsableToken(command.Token) && !std::strchr(command.Token, '\\'));
        Check(std::strcmp(command.Token, ".") != 0 && std::strcmp(command.Token, "..") != 0);
    }
    if (IsPassedHandleValue(command.Handle))
        Check(command.Handle > 0 && command.Handle <= 0x7fffffffLL);

    std::size_t capacity = size ? 1 + data[0] % 16 : 1;
    ReadEveryArgument(line, capacity, ArgumentMode::Ordinary);
    ReadEveryArgument(line, capacity, ArgumentMode::RestOfLine);

    char subkey[kArgumentSize];
    if (ParseKeyPath(line, subkey, sizeof subkey) == RootName::None)
        Check(subkey[0] == '\0');
    Check(std::strlen(subkey) < sizeof subkey);
    CheckSystemTreeRule(subkey);
    CheckSystemTreeRule(line);
    CheckFileItemRule(line);

    char name[kArgumentSize];
    char value[kArgumentSize];
    SplitItem(line, name, sizeof name, value, sizeof value);
    Check(std::strlen(name) < sizeof name && std::strlen(value) < sizeof value);

    Check(SleepMilliseconds(line) <= kLongestSleepMs);
    ReadDecimal(line);

    char uninstall[kUninstallStringSize];
    BuildUninstallString(uninstall, sizeof uninstall, command.Text, command.Token);
    Check(std::strlen(uninstall) < sizeof uninstall);
    if (uninstall[0])
        Check(IsOwnUninstallString(uninstall, command.Text, command.Token));

    char question[1024];
    BuildQuestion(question, sizeof question, line);
    const char ask[] = "Are you sure you want to continue?";
    std::size_t asked = std::strlen(question);
    Check(asked >= sizeof ask - 1 && std::strcmp(question + asked - (sizeof ask - 1), ask) == 0);

    static char listingLine[kListingLineSize];
    listingLine[0] = '\0';
    for (int i = 0; i < 8 && AppendToListingLine(listingLine, sizeof listingLine, line); ++i) {
    }
    Check(std::strlen(listingLine) + 2 < kListingLineSize);
    return 0;
}
