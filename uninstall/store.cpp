// "/desc", "/add" and the listing.
#include "common/text.h"
#include "uninstall/rules.h"
#include "uninstall/unglimex.h"

namespace {

LONG SetString(HKEY key, const char* name, const char* data)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>(lstrlenA(data) + 1));
}

LONG CreateTokenKey(HKEY database, const char* token, HKEY* key)
{
    return RegCreateKeyExA(database, token, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, key, nullptr);
}

bool OpenDatabaseForWriting(HKEY* database)
{
    LONG result = OpenDatabase(KEY_SET_VALUE | KEY_CREATE_SUB_KEY, database);
    if (result == ERROR_SUCCESS)
        return true;
    char system[kSystemTextSize];
    RegistrySystemText(result, system);
    ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Error accessing Unglimex database\r\n%s",
                system);
    return false;
}

void WriteDescription(HKEY database, const char* token, const char* description)
{
    char system[kSystemTextSize];
    HKEY tokenKey;
    LONG result = CreateTokenKey(database, token, &tokenKey);
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Unable to create entry.\r\n%s", system);
        return;
    }
    result = SetString(tokenKey, nullptr, description);
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Unable to write description.\r\n%s",
                    system);
    }
    RegCloseKey(tokenKey);
}

void WriteEntryValue(HKEY entry, const char* name, const char* data)
{
    LONG result = SetString(entry, name, data);
    if (result == ERROR_SUCCESS)
        return;
    char system[kSystemTextSize];
    RegistrySystemText(result, system);
    ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR,
                "Problem specifying Add/Remove description.\r\n%s", system);
}

void WriteAddRemoveEntry(const char* token, const char* description)
{
    char windows[kArgumentSize];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows)
        windows[0] = '\0';
    char command[kUninstallStringSize];
    BuildUninstallString(command, sizeof command, windows, token);

    char path[kEntryKeySize];
    EntryKeyPath(path, token);
    HKEY entry;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &entry, nullptr);
    if (result != ERROR_SUCCESS) {
        char system[kSystemTextSize];
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR,
                    "Unable to create Add/Remove entry.\r\n%s", system);
        return;
    }
    WriteEntryValue(entry, "DisplayName", description);
    WriteEntryValue(entry, "UninstallString", command);
    RegCloseKey(entry);
}

// One token's line: description, token, then its value names.
void BuildTokenLine(HKEY database, const char* token, char* line)
{
    char system[kSystemTextSize];
    HKEY key;
    LONG result = RegOpenKeyExA(database, token, 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        FormatText(line, kListingLineSize, "(%s) - error - *%s\r\n", token, system);
        return;
    }
    char description[kArgumentSize + 1];
    char piece[kListingLineSize];
    result = ReadStringValue(key, nullptr, description, kArgumentSize);
    if (result == ERROR_SUCCESS) {
        FormatText(piece, sizeof piece, "%s - (%s) ", description, token);
    } else if (result == ERROR_FILE_NOT_FOUND) {
        FormatText(piece, sizeof piece, "(%s) - ", token);
    } else {
        RegistrySystemText(result, system);
        FormatText(piece, sizeof piece, "(%s) - *%s - ", token, system);
    }
    line[0] = '\0';
    bool room = AppendToListingLine(line, piece);

    bool named = false;
    for (DWORD index = 0; room; ++index) {
        char name[kArgumentSize];
        DWORD nameLength = sizeof name; // the names only, whatever their data
        result = RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            if (!named)
                room = AppendToListingLine(line, "no files");
            break;
        }
        if (result != ERROR_SUCCESS) {
            RegistrySystemText(result, system);
            FormatText(piece, sizeof piece, "*%s - ", system);
            AppendToListingLine(line, piece);
            break;
        }
        if (name[0] == '\0')
            continue;
        named = true;
        FormatText(piece, sizeof piece, "'%s' ", name);
        room = AppendToListingLine(line, piece);
    }
    AppendText(line, kListingLineSize, "\r\n");
    RegCloseKey(key);
}

} // namespace

void DescribeToken(const char* token, const char* description)
{
    HKEY database;
    if (!OpenDatabaseForWriting(&database))
        return;
    WriteDescription(database, token, description);
    RegCloseKey(database);
    WriteAddRemoveEntry(token, description);
}

void AddItem(const char* token, const char* item)
{
    if (item[0] == '*') {
        char subkey[kArgumentSize];
        if (ParseRootSpecification(item + 1, subkey, sizeof subkey) == RootName::None) {
            ShowMessage("Unglimex argument error", MB_OK | MB_ICONERROR,
                        "Badly formed reg argument\r\n%s\r\nMust specify root then key", item);
            return;
        }
    }
    HKEY database;
    if (!OpenDatabaseForWriting(&database))
        return;
    char system[kSystemTextSize];
    HKEY tokenKey;
    LONG result = CreateTokenKey(database, token, &tokenKey);
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Unable to create entry.\r\n%s", system);
        RegCloseKey(database);
        return;
    }
    char name[kArgumentSize];
    char data[kArgumentSize];
    SplitItem(item, name, sizeof name, data, sizeof data);
    result = SetString(tokenKey, name, data);
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Unable to write file data.\r\n%s",
                    system);
    }
    RegCloseKey(tokenKey);
    RegCloseKey(database);
}

void ShowListing()
{
    HKEY database;
    LONG result = OpenDatabase(KEY_READ, &database);
    char system[kSystemTextSize];
    if (result != ERROR_SUCCESS) {
        RegistrySystemText(result, system);
        ShowMessage(kUnglimexError, MB_OK | MB_ICONERROR, "Error reading Unglimex database\r\n%s",
                    system);
        return;
    }
    static Listing listing;
    StartListing(&listing);
    static char line[kListingLineSize];
    for (DWORD index = 0;; ++index) {
        char token[kArgumentSize];
        DWORD length = sizeof token;
        result = RegEnumKeyExA(database, index, token, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            if (index == 0)
                AddListingText(&listing, "nothing in database");
            break;
        }
        if (result != ERROR_SUCCESS) {
            RegistrySystemText(result, system);
            char piece[kSystemTextSize + 8];
            FormatText(piece, sizeof piece, "*%s\r\n", system);
            AddListingText(&listing, piece);
            break;
        }
        BuildTokenLine(database, token, line);
        AddListingLine(&listing, line);
    }
    FinishListing(&listing);
    RegCloseKey(database);
    MessageBoxA(nullptr, listing.Text, "Unglimex database", MB_OK | MB_ICONINFORMATION);
}
