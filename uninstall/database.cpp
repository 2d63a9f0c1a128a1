#include "uninstall/database.h"

#include "common/text.h"

namespace {

LONG Kept(LONG result, RegKey* key)
{
    // What a failed call left in its out parameter is no key of ours.
    if (result != ERROR_SUCCESS)
        key->Release();
    return result;
}

} // namespace

LONG OpenKey(HKEY parent, const char* path, DWORD options, REGSAM access, RegKey* key)
{
    return Kept(RegOpenKeyExA(parent, path, options, access, key->Receive()), key);
}

LONG CreateKey(HKEY parent, const char* path, REGSAM access, RegKey* key)
{
    return Kept(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                key->Receive(), nullptr),
                key);
}

LONG OpenDatabase(REGSAM access, RegKey* database)
{
    return CreateKey(HKEY_LOCAL_MACHINE, kDatabaseKey, access, database);
}

LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD capacity)
{
    DWORD type = 0;
    DWORD size = capacity;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    buffer[result == ERROR_SUCCESS && size <= capacity ? size : 0] = '\0';
    return result;
}

void EntryKeyPath(char* path, std::size_t size, const char* token)
{
    FormatText(path, size, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s", token);
}
