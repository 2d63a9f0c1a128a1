#include "common/owners.h"
#include "common/paths.h"
#include "installer/instance.h"
#include "installer/payload/payload.h"

bool MakeTempFile(char* tempName)
{
    tempName[0] = '\0';
    char directory[kPathSize];
    DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0)
        return false;
    // A longer path does not fit the buffer, which then holds nothing usable;
    // an empty directory would put the file into the current directory.
    if (length >= sizeof directory) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
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
    // The caller reports the write's own error, not the close's.
    DWORD error = GetLastError();
    file.Reset();
    SetLastError(error);
    return ok && written == size;
}
