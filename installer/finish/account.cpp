// Over-the-shoulder elevation: a standard user who types an administrator's
// name and password at the elevation prompt runs the installer as that
// administrator, so every per-user step (the Startup shortcut, the corner
// setting and options, the current saver) lands in the administrator's
// profile. The installer cannot act in the other account's profile; it
// says so and what to do.
#include "installer/finish/finish.h"

#include "common/owners.h"
#include "common/text.h"

namespace {

using OpenToken = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using QueryToken = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
using SameSid = BOOL(WINAPI*)(PSID, PSID);
using ShellWindow = HWND(WINAPI*)();

// A TOKEN_USER and the SID after it (at most 68 bytes).
constexpr DWORD kTokenUserSize = 128;
union TokenUserBuffer {
    TOKEN_USER user;
    BYTE bytes[kTokenUserSize];
};

// The security functions, looked up: the Windows 95 family has none that work.
struct Security {
    Library advapi{LoadLibraryA("advapi32.dll")};
    OpenToken openToken = LibraryExport<OpenToken>(advapi.Get(), "OpenProcessToken");
    QueryToken queryToken = LibraryExport<QueryToken>(advapi.Get(), "GetTokenInformation");
    SameSid sameSid = LibraryExport<SameSid>(advapi.Get(), "EqualSid");
    bool Usable() const { return openToken && queryToken && sameSid; }
};

bool ReadTokenUser(const Security& security, HANDLE process, TokenUserBuffer* buffer)
{
    HANDLE raw = nullptr;
    if (!security.openToken(process, TOKEN_QUERY, &raw))
        return false;
    KernelHandle token(raw);
    DWORD size = 0;
    return security.queryToken(token.Get(), TokenUser, buffer->bytes, sizeof buffer->bytes, &size) != FALSE;
}

// The process of the desktop's shell (Explorer), or null.
HANDLE OpenShellProcess()
{
    auto shellWindow = LibraryExport<ShellWindow>(GetModuleHandleA("user32.dll"), "GetShellWindow");
    HWND shell = shellWindow ? shellWindow() : nullptr;
    DWORD id = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &id) || !id)
        return nullptr;
    return OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
}

} // namespace

int ProcessesShareUser(HANDLE first, HANDLE second)
{
    Security security;
    if (!security.Usable())
        return -1;
    TokenUserBuffer a, b;
    if (!ReadTokenUser(security, first, &a) || !ReadTokenUser(security, second, &b))
        return -1;
    return security.sameSid(a.user.User.Sid, b.user.User.Sid) ? 1 : 0;
}

bool RunsAsAnotherUser()
{
    if (GetVersion() & 0x80000000) // the Windows 95 family: one user, no tokens
        return false;
    KernelHandle shell(OpenShellProcess());
    return shell && ProcessesShareUser(GetCurrentProcess(), shell.Get()) == 0;
}

void TellAboutAnotherUser(HWND owner, const char* caption, const char* saverTitle, bool hotCorners)
{
    char text[kAnotherUserTextSize];
    FormatText(text, sizeof text,
               "This installation ran under another account than the one using this desktop, "
               "so the screen saver was made current%s for that account only.\r\n\r\n"
               "To have it in your own account, choose \"%s\" in the screen saver settings%s.",
               hotCorners ? ", and the hot corners set to start at logon," : "", saverTitle,
               hotCorners ? ", and tick \"Have hot corner services load at startup\" in the hot "
                            "corners' settings (\"rundll32 quadrix.dll,RunDialog\")"
                          : "");
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}
