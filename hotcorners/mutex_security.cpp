// The security descriptor of the module's named mutexes, built from its text
// form with calls looked up at run time (Windows 95 and NT 4 lack them).
#include "hotcorners/mutex_security.h"

#include "common/owners.h"
#include "common/text.h"

namespace {

constexpr int kSidTextSize = 200;
constexpr int kSddlSize = 400;
constexpr DWORD kSddlRevision = 1;

// The user's security identifier in text form ("S-1-5-21-...").
bool UserSid(HMODULE advapi, char* text, int size)
{
    using OpenToken = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
    using QueryToken = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
    using SidToText = BOOL(WINAPI*)(PSID, LPSTR*);
    auto openToken = LibraryExport<OpenToken>(advapi, "OpenProcessToken");
    auto queryToken = LibraryExport<QueryToken>(advapi, "GetTokenInformation");
    auto sidToText = LibraryExport<SidToText>(advapi, "ConvertSidToStringSidA");
    HANDLE raw = nullptr;
    if (!openToken || !queryToken || !sidToText ||
        !openToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    KernelHandle token(raw);
    // TOKEN_USER and the identifier after it.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD length = 0;
    char* converted = nullptr;
    if (!queryToken(token.Get(), TokenUser, &info, sizeof info, &length) ||
        !sidToText(info.user.User.Sid, &converted) || !converted)
        return false;
    bool fits = lstrlenA(converted) < size;
    if (fits)
        lstrcpynA(text, converted, size);
    LocalFree(converted);
    return fits;
}

} // namespace

MutexSecurity::MutexSecurity()
{
    // Loaded already (the registry calls come from it); this runs at
    // process attach, where no library may be loaded.
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    char user[kSidTextSize];
    if (!advapi || !UserSid(advapi, user, sizeof user))
        return;
    using FromText = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, ULONG*);
    auto fromText =
        LibraryExport<FromText>(advapi, "ConvertStringSecurityDescriptorToSecurityDescriptorA");
    if (!fromText)
        return;
    char labelled[kSddlSize], plain[kSddlSize];
    if (!FormatText(labelled, sizeof labelled,
                    "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;%s)S:(ML;;NW;;;ME)", user) ||
        !FormatText(plain, sizeof plain, "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;%s)", user))
        return;
    if (!fromText(labelled, kSddlRevision, &descriptor_, nullptr) &&
        !fromText(plain, kSddlRevision, &descriptor_, nullptr))
        descriptor_ = nullptr;
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

MutexSecurity::~MutexSecurity()
{
    if (descriptor_)
        LocalFree(descriptor_);
}

HANDLE MakeMutex(SECURITY_ATTRIBUTES* security, const char* name)
{
    HANDLE mutex = CreateMutexA(security, FALSE, name);
    if (!mutex && security)
        mutex = CreateMutexA(nullptr, FALSE, name);
    return mutex;
}
