#include "syserror.h"

#include <windows.h>

int GetSystemErrorText(char* buffer, int size)
{
    if (size <= 0)
        return 0;
    DWORD error = GetLastError();
    // Inserts are left as they stand ("%1 is not a valid Win32 application."):
    // with no argument array, expanding them would read arguments that were
    // never passed.
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, buffer, static_cast<DWORD>(size), nullptr);
    if (length == 0 || length >= static_cast<DWORD>(size))
        length = 0;
    buffer[length] = '\0';
    SetLastError(error);
    return static_cast<int>(length);
}
