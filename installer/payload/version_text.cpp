#include "version_text.h"

#include <climits>

#include "common/text.h"

// A component's text buffer holds 260 characters: a leading '0', 258 read
// characters and the terminator.
static constexpr int kComponentCharacters = 258;

static std::int32_t LeadingDigitsValue(const char* begin, const char* end)
{
    std::int64_t value = 0;
    for (const char* p = begin; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<std::int32_t>(value);
}

FileVersionQuad ParseVersionText(const char* text)
{
    FileVersionQuad version = {{0, 0, 0, 0}};
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        while (*p == ' ')
            ++p;
        const char* start = p;
        while (*p != '\0' && *p != '.' && *p != ',')
            ++p;
        const char* end = p - start > kComponentCharacters ? start + kComponentCharacters : p;
        version.part[i] = LeadingDigitsValue(start, end);
        if (*p != '\0')
            ++p;
    }
    return version;
}

int CompareVersions(const FileVersionQuad& a, const FileVersionQuad& b)
{
    for (int i = 0; i < 4; ++i) {
        if (a.part[i] != b.part[i])
            return a.part[i] < b.part[i] ? -1 : 1;
    }
    return 0;
}

bool IsZeroVersion(const FileVersionQuad& version)
{
    return version.part[0] == 0 && version.part[1] == 0 && version.part[2] == 0 &&
           version.part[3] == 0;
}

PayloadDecision DecidePayload(const FileVersionQuad& payload, const FileVersionQuad& installed,
                              bool installedExists)
{
    int order = CompareVersions(payload, installed);
    bool versionless = IsZeroVersion(payload) && IsZeroVersion(installed);
    if (order == 0 && !versionless)
        return PayloadDecision::Leave;
    if (installedExists && !versionless && order > 0)
        return PayloadDecision::AskToUpgrade;
    return PayloadDecision::Install;
}

namespace {
struct ResultBitText {
    std::uint32_t bit;
    const char* text;
    bool firstPass;
};

// Order matters: the texts are appended in this order.
const ResultBitText kResultTexts[] = {
    {kVifMismatch, "File mismatch. ", true},
    {kVifSrcOld, "Existing file is more recent. ", true},
    {kVifDiffLang, "New file is in a different language. ", true},
    {kVifDiffCodepage, "New file requires a different codepage. ", true},
    {kVifDiffType, "New file is for a different system. ", true},
    {kVifWriteProt, "Existing file is write-protected. ", true},
    {kVifFileInUse, "Existing file is in use. ", false},
    {kVifOutOfSpace, "Insufficient disk space free. ", false},
    {kVifAccessViolation, "Access violation. ", false},
    {kVifSharingViolation, "Sharing violation. ", false},
    {kVifCannotDeleteCur, "Cannot delete existing file. ", false},
    {kVifCannotRename, "Cannot rename temporary file. ", false},
    {kVifOutOfMemory, "Out of memory. ", false},
    {kVifCannotReadSrc, "Cannot read source file. ", false},
    {kVifCannotReadDst, "Cannot read existing file. ", false},
    {kVifBuffTooSmall, "Buffer too small. ", false},
    {kVifCannotCreate, "Cannot create temporary file. ", false},
    {kVifCannotDelete, "Cannot delete file. ", false},
    // The library could not even unpack the file: it was not installed.
    {kVifCannotLoadLz32, "Cannot load the decompression library. ", false},
    {kVifCannotLoadCabinet, "Cannot load the cabinet library. ", false},
};
} // namespace

bool BuildResultText(std::uint32_t result, ResultPass pass, char* out, std::size_t size)
{
    if (size > 0)
        out[0] = '\0';
    bool any = false;
    for (const ResultBitText& entry : kResultTexts) {
        if ((result & entry.bit) == 0 || (pass == ResultPass::First && !entry.firstPass))
            continue;
        AppendText(out, size, entry.text);
        any = true;
    }
    return any;
}
