// libFuzzer target: any command line, however long or odd, through the
// argument reader, the dispatch, the root specification, the item split and
// the "sleep" reading, with every result checked against its capacity.
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

    std::size_t capacity = size ? 1 + data[0] % 16 : 1;
    ReadEveryArgument(line, capacity, ArgumentMode::Ordinary);
    ReadEveryArgument(line, capacity, ArgumentMode::RestOfLine);

    char subkey[kArgumentSize];
    if (ParseRootSpecification(line, subkey, sizeof subkey) == RootName::None)
        Check(subkey[0] == '\0');
    Check(std::strlen(subkey) < sizeof subkey);

    char name[kArgumentSize];
    char value[kArgumentSize];
    SplitItem(line, name, sizeof name, value, sizeof value);
    Check(std::strlen(name) < sizeof name && std::strlen(value) < sizeof value);

    Check(SleepMilliseconds(line) <= kLongestSleepMs);
    ReadDecimal(line);

    char uninstall[kUninstallStringSize];
    BuildUninstallString(uninstall, sizeof uninstall, command.Text, command.Token);
    Check(std::strlen(uninstall) < sizeof uninstall);

    static char listingLine[kListingLineSize];
    listingLine[0] = '\0';
    for (int i = 0; i < 8 && AppendToListingLine(listingLine, sizeof listingLine, line); ++i) {
    }
    Check(std::strlen(listingLine) + 2 < kListingLineSize);
    return 0;
}
