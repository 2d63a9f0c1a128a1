// Installing one carried program: extraction to a temporary file, then the
// version-aware move into place.
#pragma once
#include <windows.h>

#include <cstddef>

#include "installer/payload/version_text.h"

// What InstallPayload did with the destination, told to its handler.
enum PayloadEvent {
    PAYLOAD_CREATED = 0,   // installed; the destination did not exist before
    PAYLOAD_REPLACED = 1,  // installed over an existing destination
    PAYLOAD_LEFT = 2,      // the same known version is there; nothing installed
    PAYLOAD_REPLACING = 3, // the destination exists and is about to be replaced
};

typedef void (*PayloadEventHandler)(PayloadEvent event, HWND owner, const char* destination,
                                    void* data);

// The version library's install routine, shaped as VerInstallFileA (whose
// name arguments are only read).
typedef DWORD(WINAPI* VersionInstallRoutine)(DWORD flags, LPSTR sourceName, LPSTR destinationName,
                                             LPSTR sourceDirectory, LPSTR destinationDirectory,
                                             LPSTR currentDirectory, LPSTR tempName,
                                             PUINT tempNameLength);

// Writes the RCDATA resource of gInstance named resourceName to a new "sci"
// temporary file and moves it to destination (at most 259 characters),
// asking owner's user where the versions call for it. Every failure is shown
// in a message box owned by owner. Returns true when the destination now
// holds an accepted file (installed, replaced or the same version left);
// otherwise the destination keeps whatever file it had.
bool InstallPayload(HWND owner, const char* destination, const char* resourceName,
                    const char* displayName, PayloadEventHandler handler, void* data);
// InstallPayload with install in place of VerInstallFileA (which it calls
// with the same arguments), so that a caller can watch or script the
// library's answers.
bool InstallPayloadWith(HWND owner, const char* destination, const char* resourceName,
                        const char* displayName, PayloadEventHandler handler, void* data,
                        VersionInstallRoutine install);

// Creates an empty, uniquely named "sci" file in the temporary directory and
// writes its full name into tempName (MAX_PATH bytes). Returns false, with
// tempName empty and the last error set, when the file cannot be made; a
// temporary folder longer than MAX_PATH - 14 characters is refused with
// ERROR_FILENAME_EXCED_RANGE.
bool MakeTempFile(char* tempName);

// Writes "in <folder>" into out (size bytes; cut to fit), the temporary
// folder as a message names the place of a file that could not be made.
// Returns false when the text was cut.
bool DescribeTempFolder(char* out, std::size_t size);

// Writes every byte of gInstance's RCDATA resource resourceName into
// fileName. Returns true when all bytes were written; otherwise the last
// error tells why (ERROR_DISK_FULL for a write that stopped short).
bool ExtractResourceToFile(const char* fileName, const char* resourceName);

// The FileVersion text of the file's first translation, parsed; all zero
// when the file or its version text cannot be read.
FileVersionQuad ReadFileVersion(const char* path);

// Whether path names an existing file (opened with no access rights).
bool FileExists(const char* path);
