#include "installer/payload/payload.h"

#include <cstring>

#include <memory>
#include <new>

#include "common/owners.h"
#include "common/paths.h"
#include "common/syserror.h"
#include "common/text.h"

// The message list and the message-box texts hold up to 1000 characters.
static constexpr std::size_t kMessageSize = 1000;
static constexpr std::size_t kVersionTextSize = 1024;

bool FileExists(const char* path)
{
    // No access rights: the open succeeds even while another program holds
    // the file without sharing.
    FileHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(file);
}

// Copies the FileVersion text of the block's first translation into text.
static bool QueryFileVersionText(const void* block, DWORD blockSize, char* text, std::size_t size)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return false;
    DWORD translation;
    std::memcpy(&translation, value, sizeof translation);
    // The entry holds the language in its low half; the block name wants it first.
    DWORD blockName = (translation << 16) | (translation >> 16);
    char query[64];
    FormatText(query, sizeof query, "\\StringFileInfo\\%08lx\\%s",
               static_cast<unsigned long>(blockName), "FileVersion");
    if (!VerQueryValueA(block, query, &value, &length))
        return false;
    // A damaged block may hold a value without its terminator: never read
    // past the block's end.
    const char* begin = static_cast<const char*>(value);
    const char* blockEnd = static_cast<const char*>(block) + blockSize;
    std::size_t available = begin < blockEnd ? static_cast<std::size_t>(blockEnd - begin) : 0;
    std::size_t count = strnlen(begin, available < length ? available : length);
    if (count >= size)
        count = size - 1;
    std::memcpy(text, begin, count);
    text[count] = '\0';
    return true;
}

FileVersionQuad ReadFileVersion(const char* path)
{
    FileVersionQuad version = {{0, 0, 0, 0}};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return version;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]);
    if (!block)
        return version;
    char text[kVersionTextSize];
    if (GetFileVersionInfoA(path, 0, size, block.get()) &&
        QueryFileVersionText(block.get(), size, text, sizeof text))
        version = ParseVersionText(text);
    return version;
}

static void Notify(PayloadEventHandler handler, PayloadEvent event, HWND owner, const char* destination,
                   void* data)
{
    if (handler)
        handler(event, owner, destination, data);
}

static void ShowExtractionError(HWND owner, const char* displayName, const char* tempName)
{
    char systemText[kPathSize];
    GetSystemErrorText(systemText, sizeof systemText);
    // Without a file made, the folder it was to go into is named instead.
    char where[kMessageSize];
    if (tempName[0] != '\0')
        CopyText(where, sizeof where, tempName);
    else
        DescribeTempFolder(where, sizeof where);
    char text[kMessageSize];
    FormatText(text, sizeof text, "Unable to write %s to a temporary file %s.\r\n%s", displayName,
               where, systemText);
    MessageBoxA(owner, text, "Error", MB_ICONWARNING);
}

static bool AskToUpgrade(HWND owner, const char* displayName)
{
    char text[kMessageSize];
    FormatText(text, sizeof text,
               "You have an out-of-date version of %s on your system. May I try to upgrade, please?",
               displayName);
    return MessageBoxA(owner, text, "Install", MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES;
}

// Deletes the copy that the version library left in the destination
// directory. Wine returns its name with a leading backslash.
static void DeleteLibraryCopy(const char* directory, const char* name)
{
    while (*name == '\\')
        ++name;
    char path[kPathSize];
    if (*name != '\0' && JoinPath(path, sizeof path, directory, name))
        DeleteFileA(path);
}

// The arguments of both calls of VerInstallFileA.
struct LibraryCall {
    char sourceName[kPathSize];
    char destinationName[kPathSize];
    char sourceDirectory[kPathSize];
    char destinationDirectory[kPathSize];
    char currentDirectory[kPathSize];
    char tempCopy[kPathSize]; // zeroed: the forced call reuses the first call's name
    UINT tempCopyLength;
    VersionInstallRoutine install;
};

static DWORD CallLibrary(LibraryCall* call, DWORD flags)
{
    return call->install(flags, call->sourceName, call->destinationName,
                           call->sourceDirectory, call->destinationDirectory,
                           call->currentDirectory, call->tempCopy, &call->tempCopyLength);
}

// Moves tempName into place with the version library, asking before a
// forced replacement. Returns true when the destination holds the payload.
static bool MoveWithLibrary(HWND owner, const char* tempName, const char* destination, bool exists,
                           VersionInstallRoutine install)
{
    LibraryCall call;
    ZeroMemory(&call, sizeof call);
    call.install = install;
    FileNamePart(call.sourceName, kPathSize, tempName);
    FileNamePart(call.destinationName, kPathSize, destination);
    DirectoryPart(call.sourceDirectory, kPathSize, tempName);
    DirectoryPart(call.destinationDirectory, kPathSize, destination);
    if (exists)
        CopyText(call.currentDirectory, kPathSize, call.destinationDirectory);
    call.tempCopyLength = kPathSize;

    char list[kMessageSize];
    char text[kMessageSize];
    DWORD result = CallLibrary(&call, 0);
    if (BuildResultText(result, ResultPass::First, list, sizeof list)) {
        FormatText(text, sizeof text, "Are you sure you want replace file %s?\r\n%s", destination,
                   list);
        if (MessageBoxA(owner, text, "Warning", MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) {
            if (result & VIF_TEMPFILE)
                DeleteLibraryCopy(call.destinationDirectory, call.tempCopy);
            return false;
        }
        result = CallLibrary(&call, VIFF_FORCEINSTALL);
        // Windows removes its copy once the forced call has installed it;
        // Wine leaves it behind.
        result |= call.tempCopy[0] != '\0' ? VIF_TEMPFILE : 0;
    }
    if (result & VIF_TEMPFILE)
        DeleteLibraryCopy(call.destinationDirectory, call.tempCopy);
    if (BuildResultText(result, ResultPass::Final, list, sizeof list)) {
        FormatText(text, sizeof text, "There has been a problem installing %s\r\n%s", destination,
                   list);
        MessageBoxA(owner, text, "Error installing file", MB_ICONERROR);
        return false;
    }
    return true;
}

// Decides from the versions whether to leave, ask or replace, and does it.
static bool PlacePayload(HWND owner, const char* tempName, const char* destination,
                         const char* displayName, PayloadEventHandler handler, void* data,
                         VersionInstallRoutine install)
{
    FileVersionQuad newVersion = ReadFileVersion(tempName);
    FileVersionQuad oldVersion = ReadFileVersion(destination);
    bool exists = FileExists(destination);
    switch (DecidePayload(newVersion, oldVersion, exists)) {
    case PayloadDecision::Leave:
        Notify(handler, PAYLOAD_LEFT, owner, destination, data);
        return true;
    case PayloadDecision::AskToUpgrade:
        if (!AskToUpgrade(owner, displayName))
            return false;
        break;
    case PayloadDecision::Install:
        break;
    }
    if (exists)
        Notify(handler, PAYLOAD_REPLACING, owner, destination, data);
    if (!MoveWithLibrary(owner, tempName, destination, exists, install))
        return false;
    Notify(handler, exists ? PAYLOAD_REPLACED : PAYLOAD_CREATED, owner, destination, data);
    return true;
}

bool InstallPayload(HWND owner, const char* destination, const char* resourceName,
                    const char* displayName, PayloadEventHandler handler, void* data)
{
    return InstallPayloadWith(owner, destination, resourceName, displayName, handler, data,
                              VerInstallFileA);
}

bool InstallPayloadWith(HWND owner, const char* destination, const char* resourceName,
                        const char* displayName, PayloadEventHandler handler, void* data,
                        VersionInstallRoutine install)
{
    char tempName[kPathSize];
    if (!MakeTempFile(tempName) || !ExtractResourceToFile(tempName, resourceName)) {
        ShowExtractionError(owner, displayName, tempName);
        if (tempName[0] != '\0')
            DeleteFileA(tempName);
        return false;
    }
    bool installed = PlacePayload(owner, tempName, destination, displayName, handler, data, install);
    // The version library copies the file; the extracted one is no longer needed.
    DeleteFileA(tempName);
    return installed;
}
