#include <cstring>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "installer/instance.h"
#include "installer/payload/payload.h"

// GetTempFileNameA takes a folder of at most MAX_PATH - 14 characters, the
// room its file name needs.
constexpr DWORD kTempFolderLimit = MAX_PATH - 14;
// A folder named in a message may be longer than any path the installer uses.
constexpr DWORD kTempFolderTextSize = 1024;

// The version library reads the extracted file through OpenFile, whose paths
// end at OFS_MAXPATHNAME - 1 (127) characters: a folder too long for that
// with a temporary name after it ("sciFFFF.tmp") is used in its short form.
// Where even that is too long, the library's own complaint ("Cannot read
// source file.") is what the user sees.
static void FitFolderForLibrary(char* directory)
{
    constexpr std::size_t kTempNameLength = 11;
    if (std::strlen(directory) + kTempNameLength < OFS_MAXPATHNAME)
        return;
    char shortForm[kPathSize];
    DWORD length = GetShortPathNameA(directory, shortForm, sizeof shortForm);
    if (length != 0 && length < sizeof shortForm)
        CopyText(directory, kPathSize, shortForm);
}

bool MakeTempFile(char* tempName)
{
    tempName[0] = '\0';
    char directory[kPathSize];
    DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0)
        return false;
    // Beyond the buffer GetTempPathA writes nothing usable, and an empty
    // folder would put the file into the current directory.
    if (length > kTempFolderLimit) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    FitFolderForLibrary(directory);
    if (GetTempFileNameA(directory, "sci", 0, tempName) == 0) {
        tempName[0] = '\0';
        return false;
    }
    return true;
}

bool ExtractResourceToFile(const char* fileName, const char* resourceName)
{
    HRSRC resource = FindResourceA(gInstance, resourceName, RT_RCDATA);
    if (!resource)
        return false;
    DWORD size = SizeofResource(gInstance, resource);
    HGLOBAL loaded = LoadResource(gInstance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes && size != 0)
        return false;

    FileHandle file(CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    bool ok = size == 0 || WriteFile(file.Get(), bytes, size, &written, nullptr);
    bool complete = ok && written == size;
    // The caller reports the write's own error, not the close's. A write
    // that stopped short without one ran out of room.
    DWORD error = ok && !complete ? ERROR_DISK_FULL : GetLastError();
    file.Reset();
    SetLastError(error);
    return complete;
}

bool DescribeTempFolder(char* out, std::size_t size)
{
    char folder[kTempFolderTextSize];
    DWORD length = GetTempPathA(sizeof folder, folder);
    // Wine gives nothing for a folder longer than MAX_PATH; the variables
    // GetTempPathA reads, in its order, still name it.
    for (const char* variable : {"TMP", "TEMP", "USERPROFILE"}) {
        if (length != 0 && length < sizeof folder)
            break;
        length = GetEnvironmentVariableA(variable, folder, sizeof folder);
    }
    if (length == 0 || length >= sizeof folder)
        folder[0] = '\0';
    // "C:\TEMP\" reads as "C:\TEMP" in a sentence; a drive root keeps its own.
    std::size_t end = std::strlen(folder);
    if (end > 3 && folder[end - 1] == '\\')
        folder[end - 1] = '\0';
    return FormatText(out, size, "in %s", folder);
}
