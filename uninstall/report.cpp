// The helper's boxes: every report is a modal box with no owner.
#include <cstdarg>

#include "common/syserror.h"
#include "common/text.h"
#include "uninstall/unglimex.h"

namespace {

// The box: the text formatted from format, then system (may be empty).
#if defined(__GNUC__)
__attribute__((format(printf, 4, 0)))
#endif
void ShowFormatted(const char* caption, UINT style, const char* system, const char* format,
                   va_list args)
{
    char text[kMessageSize];
    FormatTextV(text, sizeof text, format, args);
    AppendText(text, sizeof text, system);
    MessageBoxA(nullptr, text, caption, style);
}

} // namespace

void ShowMessage(const char* caption, UINT style, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    ShowFormatted(caption, style, "", format, args);
    va_end(args);
}

void SystemText(DWORD code, char* text, std::size_t size)
{
    // The registry functions report through their result, not the thread's
    // last error: name the failure that really happened.
    SetLastError(code);
    GetSystemErrorText(text, static_cast<int>(size));
}

void ReportError(const char* caption, DWORD code, const char* format, ...)
{
    char system[kSystemTextSize];
    SystemText(code, system, sizeof system);
    va_list args;
    va_start(args, format);
    ShowFormatted(caption, MB_OK | MB_ICONERROR, system, format, args);
    va_end(args);
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
