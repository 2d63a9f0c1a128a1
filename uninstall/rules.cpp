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

RootName ParseKeyPath(const char* keyPath, char* subkey, std::size_t subkeySize)
{
    subkey[0] = '\0';
    const char* slash = std::strchr(keyPath, '\\');
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
    std::size_t length = static_cast<std::size_t>(slash - keyPath);
    for (const auto& root : roots) {
        if (std::strlen(root.Name) == length &&
            std::strncmp(keyPath, root.Name, length) == 0) {
            CopyText(subkey, subkeySize, slash + 1);
            return root.Root;
        }
    }
    return RootName::None;
}

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(const char* a, std::size_t aLength, const char* b, std::size_t bLength)
{
    if (aLength != bLength)
        return false;
    for (std::size_t i = 0; i < aLength; ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

// A key path as its levels, empty ones skipped. Only the first few are
// kept; Count is all of them.
struct Level {
    const char* Text;
    std::size_t Length;
};
constexpr int kLevelsKept = 10;
struct Levels {
    Level At[kLevelsKept];
    int Count;
    bool Dots; // a "." or ".." level
};

void AddLevel(Levels* levels, const char* text, std::size_t length)
{
    if (length == 0)
        return;
    if ((length == 1 && text[0] == '.') || (length == 2 && text[0] == '.' && text[1] == '.'))
        levels->Dots = true;
    if (levels->Count < kLevelsKept)
        levels->At[levels->Count] = {text, length};
    ++levels->Count;
}

Levels SplitLevels(const char* path)
{
    Levels levels = {};
    while (*path) {
        const char* slash = std::strchr(path, '\\');
        std::size_t length = slash ? static_cast<std::size_t>(slash - path) : std::strlen(path);
        AddLevel(&levels, path, length);
        path += length;
        if (*path)
            ++path;
    }
    return levels;
}

void DropLevel(Levels* levels, int index)
{
    int kept = levels->Count < kLevelsKept ? levels->Count : kLevelsKept;
    for (int i = index; i + 1 < kept; ++i)
        levels->At[i] = levels->At[i + 1];
    --levels->Count;
}

bool LevelIs(const Levels& levels, int index, const char* name, std::size_t length)
{
    return index < levels.Count && index < kLevelsKept &&
           SameTextIgnoringCase(levels.At[index].Text, levels.At[index].Length, name, length);
}

bool LevelIs(const Levels& levels, int index, const char* name)
{
    return LevelIs(levels, index, name, std::strlen(name));
}

enum class Guard {
    Exact,         // the key itself
    AndChildren,   // the key and each key directly below it
    AndEverything, // the key and its whole tree
};

struct GuardedTree {
    const char* Path;
    Guard Extent;
};

const GuardedTree kGuardedTrees[] = {
    {"Software\\Microsoft", Guard::Exact},
    {"Software\\Microsoft\\Windows", Guard::Exact},
    {"Software\\Microsoft\\Windows\\CurrentVersion", Guard::AndChildren},
    {"Software\\Microsoft\\Windows NT", Guard::Exact},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion", Guard::AndChildren},
    {"Software\\Classes", Guard::AndChildren},
    {"Software\\Policies", Guard::Exact},
    {"Software\\Policies\\Microsoft", Guard::Exact},
    {"Software\\Wow6432Node", Guard::Exact},
    {"Software\\Tolvar", Guard::Exact},
    {"Software\\Tolvar\\Unglimex", Guard::AndEverything},
    {"System", Guard::AndEverything},
    {"Hardware", Guard::AndEverything},
    {"SAM", Guard::AndEverything},
    {"Security", Guard::AndEverything},
    {"Control Panel", Guard::AndChildren},
};

bool Guards(const GuardedTree& tree, const Levels& levels)
{
    Levels guarded = SplitLevels(tree.Path);
    for (int i = 0; i < guarded.Count; ++i) {
        if (!LevelIs(levels, i, guarded.At[i].Text, guarded.At[i].Length))
            return false;
    }
    int below = levels.Count - guarded.Count;
    return below == 0 || (below == 1 && tree.Extent == Guard::AndChildren) ||
           tree.Extent == Guard::AndEverything;
}

bool IsGuarded(const Levels& levels)
{
    for (const GuardedTree& tree : kGuardedTrees) {
        if (Guards(tree, levels))
            return true;
    }
    return false;
}

} // namespace

bool IsSystemTree(RootName root, const char* subkey)
{
    Levels levels = SplitLevels(subkey);
    if (levels.Dots)
        return true;
    switch (root) {
    case RootName::None:
        return true;
    case RootName::Users:
        // The first level is the user; the rules apply to what lies below.
        if (levels.Count < 3)
            return true;
        DropLevel(&levels, 0);
        break;
    case RootName::ClassesRoot:
        // A view of Software\Classes: two levels below it (or below its
        // 32-bit view), as everywhere.
        return levels.Count < (LevelIs(levels, 0, "Wow6432Node") ? 3 : 2);
    case RootName::LocalMachine:
    case RootName::CurrentUser:
        if (levels.Count < 2)
            return true;
        break;
    }
    if (IsGuarded(levels))
        return true;
    // The 32-bit view of a 64-bit system's keys holds the same trees.
    if (LevelIs(levels, 0, "Software") && LevelIs(levels, 1, "Wow6432Node")) {
        DropLevel(&levels, 1);
        return IsGuarded(levels);
    }
    return false;
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

FileItemProblem CheckFileItem(const char* path)
{
    constexpr std::size_t kLongestPath = 259;
    if (std::strlen(path) > kLongestPath)
        return FileItemProblem::TooLong;
    for (const char* p = path; *p; ++p) {
        if (static_cast<unsigned char>(*p) < 32 || std::strchr("*?<>|\"", *p))
            return FileItemProblem::BadName;
    }
    return FileItemProblem::None;
}

bool IsOwnUninstallString(const char* value, const char* windowsDirectory, const char* token)
{
    char own[kUninstallStringSize];
    if (!BuildUninstallString(own, sizeof own, windowsDirectory, token))
        return false;
    return SameTextIgnoringCase(value, std::strlen(value), own, std::strlen(own));
}

void BuildQuestion(char* out, std::size_t size, const char* displayName)
{
    std::size_t length = std::strlen(displayName);
    bool cut = length > kQuestionNameLength;
    int kept = static_cast<int>(cut ? kQuestionNameLength - (sizeof kEllipsis - 1) : length);
    FormatText(out, size, "This will remove %.*s%s.\r\nAre you sure you want to continue?", kept,
               displayName, cut ? kEllipsis : "");
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
