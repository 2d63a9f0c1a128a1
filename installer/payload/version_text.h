// File version texts and the version library's result bits, as the installer
// reads and words them. No windows.h: also built natively.
#pragma once
#include <cstddef>
#include <cstdint>

// Four components, most significant first. All zero: no readable version.
struct FileVersionQuad {
    std::int32_t part[4];
};

// Reads "1, 0, 0, 3", "2.10", "3, 0,1, 0" and the like: four components
// separated by '.' or ',', blanks before each skipped, each worth the decimal
// value of its leading digits (0 when it starts with anything else, a sign
// included). Missing components are 0; a fifth and later ones are ignored.
// Only the first 258 characters of a component are read (the rest up to its
// separator is skipped), and values beyond 2^31 - 1 saturate.
FileVersionQuad ParseVersionText(const char* text);

// -1, 0 or 1 as a is older than, equal to or newer than b (signed components).
int CompareVersions(const FileVersionQuad& a, const FileVersionQuad& b);
bool IsZeroVersion(const FileVersionQuad& version);

// What to do with a payload, from its version, the installed file's version
// and whether a file is installed at all.
enum class PayloadDecision {
    Leave,        // the same known version is installed
    AskToUpgrade, // an older (or versionless) file is installed under a versioned payload
    Install,      // nothing installed, a newer file installed, or neither has a version
};
PayloadDecision DecidePayload(const FileVersionQuad& payload, const FileVersionQuad& installed,
                              bool installedExists);

// The version library's result bits (VerInstallFileA).
enum : std::uint32_t {
    kVifTempFile = 0x1,
    kVifMismatch = 0x2,
    kVifSrcOld = 0x4,
    kVifDiffLang = 0x8,
    kVifDiffCodepage = 0x10,
    kVifDiffType = 0x20,
    kVifWriteProt = 0x40,
    kVifFileInUse = 0x80,
    kVifOutOfSpace = 0x100,
    kVifAccessViolation = 0x200,
    kVifSharingViolation = 0x400,
    kVifCannotCreate = 0x800,
    kVifCannotDelete = 0x1000,
    kVifCannotRename = 0x2000,
    kVifCannotDeleteCur = 0x4000,
    kVifOutOfMemory = 0x8000,
    kVifCannotReadSrc = 0x10000,
    kVifCannotReadDst = 0x20000,
    kVifBuffTooSmall = 0x40000,
    kVifCannotLoadLz32 = 0x80000,
    kVifCannotLoadCabinet = 0x100000,
};

enum class ResultPass {
    First, // the six bits a forced second call may overcome
    Final, // every bit that means the file was not installed
};

// Writes the texts of the bits of result that belong to pass, in their fixed
// order, into out (size bytes; cut to fit). Returns whether any bit of the
// pass was set, i.e. whether the user must be told.
bool BuildResultText(std::uint32_t result, ResultPass pass, char* out, std::size_t size);
