#include "uninstall/rules.h"

#include <cstring>
#include <new>

#include "common/text.h"

namespace {

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

constexpr char kEllipsis[] = "...";
constexpr char kLineEnd[] = "\r\n";
// Room kept at the end of the listing for the note of tokens left out.
constexpr std::size_t kListingReserve = 64;

} // namespace

RootName ParseRootSpecification(const char* specification, char* subkey, std::size_t subkeySize)
{
    subkey[0] = '\0';
    const char* slash = std::strchr(specification, '\\');
    if (!slash)
        return RootName::None;
    static const struct {
        const char* Name;
        RootName Root;
    } roots[] = {
        {"HKEY_LOCAL_MACHINE", RootName::LocalMachine},
        {"HKEY_CURRENT_USER", RootName::CurrentUser},
        {"HKEY_CLASSES_ROOT", RootName::ClassesRoot},
        {"HKEY_USERS", RootName::Users},
    };
    std::size_t length = static_cast<std::size_t>(slash - specification);
    for (const auto& root : roots) {
        if (std::strlen(root.Name) == length &&
            std::strncmp(specification, root.Name, length) == 0) {
            CopyText(subkey, subkeySize, slash + 1);
            return root.Root;
        }
    }
    return RootName::None;
}

bool IsCommandValueName(const char* name)
{
    return StartsWith(name, "_cmd") || StartsWith(name, "_end");
}

void SplitItem(const char* item, char* name, std::size_t nameSize, char* data,
               std::size_t dataSize)
{
    if (!IsCommandValueName(item)) {
        CopyText(name, nameSize, item);
        CopyText(data, dataSize, " ");
        return;
    }
    const char* space = std::strchr(item, ' ');
    std::size_t length = space ? static_cast<std::size_t>(space - item) : std::strlen(item);
    if (length > nameSize - 1)
        length = nameSize - 1;
    std::memcpy(name, item, length);
    name[length] = '\0';
    const char* rest = space ? space : "";
    while (*rest == ' ')
        ++rest;
    CopyText(data, dataSize, rest);
}

bool BuildUninstallString(char* out, std::size_t size, const char* windowsDirectory,
                          const char* token)
{
    std::size_t length = std::strlen(windowsDirectory);
    bool separator = length > 0 && windowsDirectory[length - 1] != '\\';
    if (!FormatText(out, size, "%s%sunglimex.exe /remove %s", windowsDirectory,
                    separator ? "\\" : "", token)) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}

void CommandValueName(char* out, std::size_t size, const char* prefix, int number)
{
    FormatText(out, size, "%s%i", prefix, number);
}

bool IsSleepCommand(const char* command)
{
    return StartsWith(command, "sleep");
}

unsigned long SleepMilliseconds(const char* command)
{
    // Six characters are skipped: "sleep" and its separator. "sleep" alone
    // has no number at all.
    if (std::strlen(command) < 6)
        return 0;
    long long value = ReadDecimal(command + 6);
    if (value < 0)
        return 0;
    if (value > static_cast<long long>(kLongestSleepMs))
        return kLongestSleepMs;
    return static_cast<unsigned long>(value);
}

bool FileCountsAsGone(unsigned long openError)
{
    return openError == 2 /* ERROR_FILE_NOT_FOUND */ || openError == 3 /* ERROR_PATH_NOT_FOUND */;
}

void StartListing(Listing* listing)
{
    listing->Text[0] = '\0';
    listing->LeftOut = 0;
}

void AddListingLine(Listing* listing, const char* line)
{
    std::size_t used = std::strlen(listing->Text);
    if (listing->LeftOut > 0 || used + std::strlen(line) + kListingReserve >= kListingSize) {
        ++listing->LeftOut;
        return;
    }
    AppendText(listing->Text, kListingSize, line);
}

void AddListingText(Listing* listing, const char* text)
{
    std::size_t used = std::strlen(listing->Text);
    if (used + std::strlen(text) + kListingReserve < kListingSize)
        AppendText(listing->Text, kListingSize, text);
}

void FinishListing(Listing* listing)
{
    if (listing->LeftOut == 0)
        return;
    char note[kListingReserve];
    FormatText(note, sizeof note, "(%i more tokens not shown)", listing->LeftOut);
    AppendText(listing->Text, kListingSize, note);
}

bool AppendToListingLine(char* line, std::size_t size, const char* piece)
{
    std::size_t used = std::strlen(line);
    std::size_t room = sizeof kEllipsis - 1 + sizeof kLineEnd - 1;
    if (used + std::strlen(piece) + room < size) {
        AppendText(line, size, piece);
        return true;
    }
    if (used + room < size)
        AppendText(line, size, kEllipsis);
    return false;
}

bool AddDone(DoneList* list, const char* name, bool isCommand)
{
    DoneEntry* entry = new (std::nothrow) DoneEntry;
    if (!entry)
        return false;
    entry->IsCommand = isCommand;
    CopyText(entry->Name, sizeof entry->Name, name);
    entry->Next = list->First;
    list->First = entry;
    return true;
}

void ForgetDone(const DoneList* list, bool allRemoved, void (*forget)(const char* name, void* data),
                void* data)
{
    for (const DoneEntry* entry = list->First; entry; entry = entry->Next) {
        if (allRemoved || !entry->IsCommand)
            forget(entry->Name, data);
    }
}

void FreeDone(DoneList* list)
{
    while (DoneEntry* entry = list->First) {
        list->First = entry->Next;
        delete entry;
    }
}
