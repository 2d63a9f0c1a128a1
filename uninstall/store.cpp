// "/desc", "/add" and the listing.
#include "common/text.h"
#include "uninstall/database.h"
#include "uninstall/rules.h"
#include "uninstall/unglimex.h"

namespace {

LONG SetString(HKEY key, const char* name, const char* data)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>(lstrlenA(data) + 1));
}

bool OpenDatabaseForWriting(RegKey* database)
{
    LONG result = OpenDatabase(KEY_SET_VALUE | KEY_CREATE_SUB_KEY, database);
    if (result == ERROR_SUCCESS)
        return true;
    ReportError(kUnglimexError, result, "Error accessing Unglimex database\r\n");
    return false;
}

bool CreateTokenKey(HKEY database, const char* token, RegKey* key)
{
    LONG result = CreateKey(database, token, KEY_ALL_ACCESS, key);
    if (result == ERROR_SUCCESS)
        return true;
    ReportError(kUnglimexError, result, "Unable to create entry.\r\n");
    return false;
}

void WriteDescription(HKEY database, const char* token, const char* description)
{
    RegKey tokenKey;
    if (!CreateTokenKey(database, token, &tokenKey))
        return;
    LONG result = SetString(tokenKey.Get(), nullptr, description);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Unable to write description.\r\n");
}

void WriteEntryValue(HKEY entry, const char* name, const char* data)
{
    LONG result = SetString(entry, name, data);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Problem specifying Add/Remove description.\r\n");
}

void WriteAddRemoveEntry(const char* token, const char* description)
{
    char command[kUninstallStringSize];
    OwnUninstallString(command, sizeof command, token);

    char path[kEntryKeySize];
    EntryKeyPath(path, sizeof path, token);
    RegKey entry;
    LONG result = CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &entry);
    if (result != ERROR_SUCCESS) {
        ReportError(kUnglimexError, result, "Unable to create Add/Remove entry.\r\n");
        return;
    }
    WriteEntryValue(entry.Get(), "DisplayName", description);
    WriteEntryValue(entry.Get(), "UninstallString", command);
}

// The line's first piece: the description (or why there is none) and the
// token. False when the line had no room left.
bool AppendDescription(HKEY key, const char* token, char* line, std::size_t size)
{
    char description[kArgumentSize + 1];
    char piece[kListingLineSize];
    LONG result = ReadStringValue(key, nullptr, description, kArgumentSize);
    if (result == ERROR_SUCCESS) {
        FormatText(piece, sizeof piece, "%s - (%s) ", description, token);
    } else if (result == ERROR_FILE_NOT_FOUND) {
        FormatText(piece, sizeof piece, "(%s) - ", token);
    } else {
        char system[kSystemTextSize];
        SystemText(result, system, sizeof system);
        FormatText(piece, sizeof piece, "(%s) - *%s - ", token, system);
    }
    return AppendToListingLine(line, size, piece);
}

// Then each value's name, while the line has room.
void AppendValueNames(HKEY key, char* line, std::size_t size)
{
    bool named = false;
    for (DWORD index = 0;; ++index) {
        char name[kArgumentSize];
        DWORD nameLength = sizeof name; // the names only, whatever their data
        LONG result =
            RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            if (!named)
                AppendToListingLine(line, size, "no files");
            return;
        }
        char piece[kListingLineSize];
        if (result != ERROR_SUCCESS) {
            char system[kSystemTextSize];
            SystemText(result, system, sizeof system);
            FormatText(piece, sizeof piece, "*%s - ", system);
            AppendToListingLine(line, size, piece);
            return;
        }
        if (name[0] == '\0')
            continue;
        named = true;
        FormatText(piece, sizeof piece, "'%s' ", name);
        if (!AppendToListingLine(line, size, piece))
            return;
    }
}

// One token's line: description, token, then its value names.
void BuildTokenLine(HKEY database, const char* token, char* line, std::size_t size)
{
    RegKey key;
    LONG result = OpenKey(database, token, 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) {
        char system[kSystemTextSize];
        SystemText(result, system, sizeof system);
        FormatText(line, size, "(%s) - error - *%s\r\n", token, system);
        return;
    }
    line[0] = '\0';
    if (AppendDescription(key.Get(), token, line, size))
        AppendValueNames(key.Get(), line, size);
    AppendText(line, size, "\r\n");
}

} // namespace

void DescribeToken(const char* token, const char* description)
{
    {
        RegKey database;
        if (!OpenDatabaseForWriting(&database))
            return;
        WriteDescription(database.Get(), token, description);
    }
    WriteAddRemoveEntry(token, description);
}

void AddItem(const char* token, const char* item)
{
    if (item[0] == '*') {
        // A key item must name a tree of its own, never the system's.
        char subkey[kArgumentSize];
        RootName root = ParseKeyPath(item + 1, subkey, sizeof subkey);
        if (IsSystemTree(root, subkey)) {
            ShowMessage("Unglimex argument error", MB_OK | MB_ICONERROR,
                        "Badly formed reg argument\r\n%s\r\nMust specify root then key", item);
            return;
        }
    }
    RegKey database;
    if (!OpenDatabaseForWriting(&database))
        return;
    RegKey tokenKey;
    if (!CreateTokenKey(database.Get(), token, &tokenKey))
        return;
    char name[kArgumentSize];
    char data[kArgumentSize];
    SplitItem(item, name, sizeof name, data, sizeof data);
    LONG result = SetString(tokenKey.Get(), name, data);
    if (result != ERROR_SUCCESS)
        ReportError(kUnglimexError, result, "Unable to write file data.\r\n");
}

void ShowListing()
{
    RegKey database;
    LONG result = OpenDatabase(KEY_READ, &database);
    if (result != ERROR_SUCCESS) {
        ReportError(kUnglimexError, result, "Error reading Unglimex database\r\n");
        return;
    }
    static Listing listing;
    StartListing(&listing);
    static char line[kListingLineSize];
    for (DWORD index = 0;; ++index) {
        char token[kArgumentSize];
        DWORD length = sizeof token;
        result = RegEnumKeyExA(database.Get(), index, token, &length, nullptr, nullptr, nullptr,
                               nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            if (index == 0)
                AddListingText(&listing, "nothing in database");
            break;
        }
        if (result != ERROR_SUCCESS) {
            char system[kSystemTextSize];
            SystemText(result, system, sizeof system);
            char piece[kSystemTextSize + 8];
            FormatText(piece, sizeof piece, "*%s\r\n", system);
            AddListingText(&listing, piece);
            break;
        }
        BuildTokenLine(database.Get(), token, line, sizeof line);
        AddListingLine(&listing, line);
    }
    FinishListing(&listing);
    database.Reset();
    MessageBoxA(nullptr, listing.Text, "Unglimex database", MB_OK | MB_ICONINFORMATION);
}
