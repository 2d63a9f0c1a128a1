#include <cstdarg>

#include "common/syserror.h"
#include "common/text.h"
#include "uninstall/unglimex.h"

void ShowMessage(const char* caption, UINT style, const char* format, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(nullptr, text, caption, style);
}

void CurrentSystemText(char* text)
{
    GetSystemErrorText(text, static_cast<int>(kSystemTextSize));
}

void RegistrySystemText(LONG result, char* text)
{
    // The registry functions report through their result, not the thread's
    // last error: name the failure that really happened.
    SetLastError(static_cast<DWORD>(result));
    CurrentSystemText(text);
}

void ShowUsage(const char* commandLine)
{
    ShowMessage("Unglimex", MB_OK | MB_ICONERROR,
                "Unglimex:\r\nwithout arguments - describe things\r\n"
                "/desc token desc - add a description for token\r\n"
                "/add token filename - token uses this file\r\n"
                "/remove token - remove all files associated with token\r\n\r\n%s",
                commandLine);
}

LONG OpenDatabase(REGSAM access, HKEY* database)
{
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDatabaseKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, database, nullptr);
}

LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD capacity)
{
    DWORD type = 0;
    DWORD size = capacity;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    buffer[result == ERROR_SUCCESS && size <= capacity ? size : 0] = '\0';
    return result;
}

void EntryKeyPath(char* path, const char* token)
{
    FormatText(path, kEntryKeySize, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s",
               token);
}
