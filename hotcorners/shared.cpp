// The block shared by every process that loads the module, its three named
// mutexes, the notify and feedback lists and the option accessors that go
// through the running service.
#include "hotcorners/corners.h"
#include "hotcorners/quadrix.h"
#include "common/owners.h"
#include "common/text.h"

namespace {

// One instance for all processes, in every session: the linker marks its
// section shared. Window handles and the mutexes' names are per session, so
// each session has a part of its own, and every field of a part is read
// and written only while that session's mutex is held.
struct SessionPart {
    WindowId serviceWindow;        // QuadrixServiceMutex
    WindowId dialogWindow;         // QuadrixDialogWindowMutex
    WindowId aboutWindow;          // QuadrixDialogWindowMutex
    WindowList notifyList;         // QuadrixListMutex
    WindowList feedbackList;       // QuadrixListMutex
    char cornerCopy[kCornerCount]; // QuadrixListMutex: "Mouse Corners" last seen
};
// Sessions at once on one machine (fast user switching, a terminal
// server's users); the part of each costs the module file some 350 bytes.
constexpr int kSessionParts = 8;
struct SharedBlock {
    std::uint32_t keys[kSessionParts]; // claimed atomically, see ClaimSessionPart
    SessionPart parts[kSessionParts];
};

// Empty slots and lists; the corner copy as no setting ("----").
constexpr SharedBlock FreshBlock()
{
    SharedBlock block = {};
    for (SessionPart& part : block.parts)
        for (char& code : part.cornerCopy)
            code = '-';
    return block;
}

// A shared section must be initialised data: uninitialised data would land
// in .bss, which the linker does not share. (Made at compile time.)
SharedBlock gSharedBlock __attribute__((section(".qshared"), shared)) = FreshBlock();

constexpr DWORD kServiceTimeoutMs = 2000;
constexpr DWORD kListTimeoutMs = 1000;
constexpr DWORD kDialogTimeoutMs = 1000;
// The service answers its private messages at once when it answers at all.
constexpr UINT kServiceAnswerMs = 2000;

// Per process: the mutex handles, and which thread of this process holds
// the service mutex and how often (code that holds it may take it again
// without waiting). A mutex belongs to a thread: a count shared by all
// threads would let a second thread pass without waiting and then release
// a mutex it does not own, which leaves it held for good.
KernelHandle gServiceMutex;
KernelHandle gListMutex;
KernelHandle gDialogMutex;
volatile DWORD gServiceHolder;
LONG gServiceHolds;
std::uint32_t gSession;

// The caller's session (Terminal Services, fast user switching): window
// handles and the mutexes' unprefixed names are per session, the shared
// block is not. Systems without sessions are all session 0.
std::uint32_t LookUpSession()
{
    using SessionOf = BOOL(WINAPI*)(DWORD, DWORD*);
    auto sessionOf =
        LibraryExport<SessionOf>(GetModuleHandleA("kernel32.dll"), "ProcessIdToSessionId");
    DWORD session = 0;
    if (!sessionOf || !sessionOf(GetCurrentProcessId(), &session))
        session = 0;
    return session;
}

// Waits for a mutex at most timeoutMs; an abandoned one (its owner died
// holding it) is ours all the same. Messages that other threads send to
// this one are handled meanwhile: the holder may be sending to one of its
// windows (the service tells the notify list while it holds the service
// mutex), and would otherwise wait for our time-out, or give up on us.
bool TakeMutex(HANDLE mutex, DWORD timeoutMs)
{
    if (!mutex)
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent > timeoutMs)
            return false;
        DWORD wait = MsgWaitForMultipleObjects(1, &mutex, FALSE, timeoutMs - spent, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED_0)
            return true;
        if (wait != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // delivers sent messages
    }
}

// The list mutex for as long as the scope lasts (1000 ms at most to get it).
class ListHold {
public:
    ListHold() : held_(TakeMutex(gListMutex.Get(), kListTimeoutMs)) {}
    ~ListHold()
    {
        if (held_)
            ReleaseMutex(gListMutex.Get());
    }
    ListHold(const ListHold&) = delete;
    ListHold& operator=(const ListHold&) = delete;
    explicit operator bool() const { return held_; }

private:
    bool held_;
};

bool HoldsServiceMutex()
{
    return gServiceHolds > 0 && gServiceHolder == GetCurrentThreadId();
}

} // namespace

std::uint32_t CallerSession()
{
    // A process stays in its session: looked up once, at process attach
    // (a local static would bring the runtime's thread-safe guard along).
    return gSession;
}

namespace {

// This session's part of the shared block. A process stays in its session,
// but a part may be taken over when more sessions came than there are
// parts, so it is looked up each time.
SessionPart& Shared()
{
    bool takenOver = false;
    SessionPart& part = gSharedBlock.parts[ClaimSessionPart(gSharedBlock.keys, kSessionParts,
                                                            CallerSession(), &takenOver)];
    // The other session's windows would name unrelated windows here; its
    // list entries keep their session and are left alone.
    if (takenOver)
        part.serviceWindow = part.dialogWindow = part.aboutWindow = 0;
    return part;
}

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(id); }
WindowId AsId(HWND window) { return reinterpret_cast<WindowId>(window); }

struct ListMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

bool SendListMessage(WindowId window, void* context)
{
    const ListMessage* m = static_cast<const ListMessage*>(context);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(AsWindow(window), m->message, m->wParam, m->lParam,
                               SMTO_ABORTIFHUNG, kListAnswerMs, &answer) != 0;
}

// A process that was killed left its windows in the lists.
bool WindowExists(WindowId window, void*)
{
    return IsWindow(AsWindow(window)) != FALSE;
}

void SendToList(WindowList& list, HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    ListHold held;
    if (!held)
        return;
    std::uint32_t session = CallerSession();
    ListPrune(list, session, WindowExists, nullptr);
    ListMessage m = {message, wParam, lParam};
    ListSend(list, session, AsId(excluded), SendListMessage, &m);
}

void AddToList(WindowList& list, HWND window, bool unlessListed)
{
    ListHold held;
    if (!held)
        return;
    std::uint32_t session = CallerSession();
    if (unlessListed && ListHolds(list, AsId(window), session))
        return;
    ListPrune(list, session, WindowExists, nullptr);
    ListAdd(list, AsId(window), session);
}

void RemoveFromList(WindowList& list, HWND window)
{
    ListHold held;
    if (held)
        ListRemove(list, AsId(window), CallerSession());
}

} // namespace

namespace {

// Under UAC the elevated installer may be the first to make the mutexes;
// with the default security of its token (owner and rights for the
// administrators, a high integrity label) the user's own processes, the
// service the desktop shell starts among them, could not open them. So
// they are made for the user: full rights for the user, the system and the
// administrators, and a medium integrity label. Windows 95 and NT 4 know
// none of the calls (and have nothing to guard); Windows 2000 and XP know
// no integrity label, and get the rights alone.
class MutexSecurity {
public:
    MutexSecurity()
    {
        // Loaded already (the registry calls come from it); this runs at
        // process attach, where no library may be loaded.
        HMODULE advapi = GetModuleHandleA("advapi32.dll");
        char user[kSidTextSize];
        if (!advapi || !UserSid(advapi, user, sizeof user))
            return;
        using FromText = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, ULONG*);
        auto fromText = LibraryExport<FromText>(
            advapi, "ConvertStringSecurityDescriptorToSecurityDescriptorA");
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
    ~MutexSecurity()
    {
        if (descriptor_)
            LocalFree(descriptor_);
    }
    MutexSecurity(const MutexSecurity&) = delete;
    MutexSecurity& operator=(const MutexSecurity&) = delete;

    // Null: the default security.
    SECURITY_ATTRIBUTES* Get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    static constexpr int kSidTextSize = 200;
    static constexpr int kSddlSize = 400;
    static constexpr DWORD kSddlRevision = 1;

    // The user's security identifier in text form ("S-1-5-21-...").
    static bool UserSid(HMODULE advapi, char* text, int size)
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

    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

HANDLE MakeMutex(SECURITY_ATTRIBUTES* security, const char* name)
{
    HANDLE mutex = CreateMutexA(security, FALSE, name);
    // A label above this process's own level is refused (a low-integrity
    // caller): the default then, as before.
    if (!mutex && security)
        mutex = CreateMutexA(nullptr, FALSE, name);
    return mutex;
}

} // namespace

void OpenSharedMutexes()
{
    gSession = LookUpSession();
    MutexSecurity security;
    gServiceMutex.Reset(MakeMutex(security.Get(), kServiceMutexName));
    gListMutex.Reset(MakeMutex(security.Get(), kListMutexName));
    gDialogMutex.Reset(MakeMutex(security.Get(), kDialogMutexName));
}

void CloseSharedMutexes()
{
    if (HoldsServiceMutex() && gServiceMutex)
        ReleaseMutex(gServiceMutex.Get());
    gServiceHolds = 0;
    gServiceHolder = 0;
    gServiceMutex.Reset();
    gListMutex.Reset();
    gDialogMutex.Reset();
}

HWND GetServiceWindow()
{
    if (!gServiceMutex)
        return nullptr;
    if (!HoldsServiceMutex()) {
        // A holder that died leaves the mutex abandoned: ours all the same.
        if (!TakeMutex(gServiceMutex.Get(), kServiceTimeoutMs))
            return nullptr;
        gServiceHolder = GetCurrentThreadId();
        gServiceHolds = 0;
    }
    ++gServiceHolds;
    // A service that was killed never cleared its slot; a window that is gone
    // is no service, or no service could ever start again.
    SessionPart& part = Shared();
    if (part.serviceWindow && !IsWindow(AsWindow(part.serviceWindow)))
        part.serviceWindow = 0;
    return AsWindow(part.serviceWindow);
}

void ReleaseServiceWindow()
{
    if (!HoldsServiceMutex())
        return;
    if (--gServiceHolds == 0) {
        gServiceHolder = 0;
        ReleaseMutex(gServiceMutex.Get());
    }
}

bool HoldsServiceWindow()
{
    return HoldsServiceMutex();
}

void SetServiceWindowSlot(HWND window)
{
    Shared().serviceWindow = AsId(window);
}

bool GetDialogWindowMutex()
{
    if (!gDialogMutex)
        return false;
    return TakeMutex(gDialogMutex.Get(), kDialogTimeoutMs);
}

void ReleaseDialogWindowMutex()
{
    if (gDialogMutex)
        ReleaseMutex(gDialogMutex.Get());
}

HWND GetDialogWindowSlot() { return AsWindow(Shared().dialogWindow); }
void SetDialogWindowSlot(HWND window) { Shared().dialogWindow = AsId(window); }
HWND GetAboutWindowSlot() { return AsWindow(Shared().aboutWindow); }
void SetAboutWindowSlot(HWND window) { Shared().aboutWindow = AsId(window); }

void AddNotify(HWND window) { AddToList(Shared().notifyList, window, false); }
void EnsureNotify(HWND window) { AddToList(Shared().notifyList, window, true); }
void RemoveNotify(HWND window) { RemoveFromList(Shared().notifyList, window); }
void Notify(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    SendToList(Shared().notifyList, excluded, message, wParam, lParam);
}

namespace {

struct Collected {
    HWND* windows;
    int capacity;
    int count;
};

bool CollectWindow(WindowId window, void* context)
{
    Collected* c = static_cast<Collected*>(context);
    if (c->count < c->capacity)
        c->windows[c->count++] = AsWindow(window);
    return true;
}

} // namespace

int NotifyWindows(HWND* windows, int capacity)
{
    ListHold held;
    if (!held)
        return 0;
    SessionPart& part = Shared();
    std::uint32_t session = CallerSession();
    ListPrune(part.notifyList, session, WindowExists, nullptr);
    Collected collected = {windows, capacity, 0};
    ListSend(part.notifyList, session, 0, CollectWindow, &collected);
    return collected.count;
}

void AddFeedback(HWND window) { AddToList(Shared().feedbackList, window, false); }
void RemoveFeedback(HWND window) { RemoveFromList(Shared().feedbackList, window); }
void Feedback(HWND excluded, UINT message, WPARAM wParam, LPARAM lParam)
{
    SendToList(Shared().feedbackList, excluded, message, wParam, lParam);
}

void HintCheckCorners(HWND excluded)
{
    char fresh[kCornerCount];
    bool changed;
    {
        ListHold held;
        if (!held)
            return;
        // A read that fails leaves the copy, so it changes nothing.
        SessionPart& part = Shared();
        CopyMemory(fresh, part.cornerCopy, sizeof fresh);
        ReadCornerSettings(fresh);
        changed = UpdateCornerCopy(part.cornerCopy, fresh);
    }
    if (changed)
        Notify(excluded, WM_HOTCORNERS, HC_CORNERS_CHANGED, static_cast<LPARAM>(PackCodes(fresh)));
}

namespace {

bool AskService(HWND service, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(service, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             kServiceAnswerMs, &result))
        return false;
    *answer = static_cast<LRESULT>(result);
    return true;
}

} // namespace

LRESULT SendToService(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HWND service = GetServiceWindow()) {
        if (!AskService(service, message, wParam, lParam, &result))
            result = 0;
    }
    ReleaseServiceWindow();
    return result;
}

namespace {

// A service that does not answer counts as none: the registry holds what
// it would read at its next start.
int GetOption(HotCornersCode code, const char* name)
{
    LRESULT answer = 0;
    HWND service = GetServiceWindow();
    int value = service && AskService(service, WM_HOTCORNERS, code, 0, &answer)
                    ? (answer ? 1 : 0)
                    : ReadOption(name);
    ReleaseServiceWindow();
    return value;
}

void SetOption(HotCornersCode code, const char* name, int show)
{
    show = show ? 1 : 0;
    LRESULT answer = 0;
    HWND service = GetServiceWindow();
    if (!service || !AskService(service, WM_HOTCORNERS, code, show, &answer))
        WriteOption(name, show);
    ReleaseServiceWindow();
}

} // namespace

int GetShowIcon() { return GetOption(HC_GET_ICON, kOptionTrayIcon); }
void SetShowIcon(int show) { SetOption(HC_SET_ICON, kOptionTrayIcon, show); }
int GetShowFeedback() { return GetOption(HC_GET_FEEDBACK, kOptionFeedback); }
void SetShowFeedback(int show) { SetOption(HC_SET_FEEDBACK, kOptionFeedback, show); }
