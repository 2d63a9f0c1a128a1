#include "saver/framework/trace.h"

#include <windows.h>

#include <cstdarg>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

TScrTraceLevel gLevel = tlErr;
char gFile[kPathSize];
const std::size_t kLineSize = 1024;

void WriteToFile(const char* line)
{
    // Opened per line and shared, so that a test can read the file while
    // the saver runs and nothing is lost if the process is ended.
    // (GENERIC_WRITE and no FILE_SHARE_DELETE: Windows 9x knows neither the
    // append right nor that sharing flag.)
    FileHandle file(CreateFileA(gFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file.Get(), line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
}

} // namespace

void ScrSetTraceLevel(TScrTraceLevel level)
{
    gLevel = level;
}

TScrTraceLevel ScrTraceLevel()
{
    return gLevel;
}

void ScrTraceFromEnvironment()
{
    char path[kPathSize] = "";
    DWORD length = GetEnvironmentVariableA(kTraceFileVariable, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    ScrTraceToFile(path);
    if (gLevel > tlUsr)
        gLevel = tlUsr;
}

void ScrTraceToFile(const char* path)
{
    CopyText(gFile, sizeof gFile, path ? path : "");
}

bool ScrTraceFileActive()
{
    return gFile[0] != '\0';
}

void ScrDebug(TScrTraceLevel level, const char* format, ...)
{
    if (gLevel == tlNone || level < gLevel)
        return;
    char line[kLineSize];
    va_list args;
    va_start(args, format);
    FormatTextV(line, sizeof line - 2, format, args); // room for the line end
    va_end(args);
    AppendText(line, sizeof line, "\r\n");
    OutputDebugStringA(line);
    if (gFile[0])
        WriteToFile(line);
}
