// The shared block: one instance for all processes that load the module,
// a part per session, its slots and lists.
#include "hotcorners/shared_block.h"

#include "common/owners.h"
#include "hotcorners/corners.h"
#include "hotcorners/mutexes.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/registry.h"

namespace {

// One instance for all processes, in every session: the linker marks its
// section shared. Window handles and the mutexes' names are per session, so
// each session has a part of its own.
// Sessions at once on one machine (fast user switching, a terminal
// server's users); the part of each costs the module file some 200 bytes.
constexpr int kSessionParts = 8;
struct SharedBlock {
    std::uint32_t keys[kSessionParts]; // claimed atomically, see ClaimSessionPart
    SessionPart parts[kSessionParts];
};

constexpr SharedBlock FreshBlock()
{
    SharedBlock block = {};
    for (SessionPart& part : block.parts)
        part = FreshPart();
    return block;
}

// A shared section must be initialised data: uninitialised data would land
// in .bss, which the linker does not share. (Made at compile time.)
SharedBlock gSharedBlock __attribute__((section(".qshared"), shared)) = FreshBlock();

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

} // namespace

void LookUpCallerSession()
{
    gSession = LookUpSession();
}

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
    return PartOfSession(gSharedBlock.parts, gSharedBlock.keys, kSessionParts, CallerSession());
}

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(id); }
WindowId AsId(HWND window) { return reinterpret_cast<WindowId>(window); }

struct ListMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that does not answer in time (busy, or stopped in a box of its
// own) misses this message but stays listed for the next one; a hung one is
// not waited for at all.
void SendListMessage(WindowId window, void* context)
{
    const ListMessage* m = static_cast<const ListMessage*>(context);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(AsWindow(window), m->message, m->wParam, m->lParam, SMTO_ABORTIFHUNG,
                        kListAnswerMs, &answer);
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
    ListPrune(list, WindowExists, nullptr);
    ListMessage m = {message, wParam, lParam};
    ListSend(list, AsId(excluded), SendListMessage, &m);
}

void AddToList(WindowList& list, HWND window)
{
    ListHold held;
    if (!held)
        return;
    ListPrune(list, WindowExists, nullptr);
    ListAdd(list, AsId(window));
}

void RemoveFromList(WindowList& list, HWND window)
{
    ListHold held;
    if (held)
        ListRemove(list, AsId(window));
}

} // namespace

HWND GetServiceWindow()
{
    if (!TakeServiceMutex())
        return nullptr;
    // A service that was killed never cleared its slot; a window that is gone
    // is no service, or no service could ever start again.
    SessionPart& part = Shared();
    if (part.serviceWindow && !IsWindow(AsWindow(part.serviceWindow)))
        part.serviceWindow = 0;
    return AsWindow(part.serviceWindow);
}

void ReleaseServiceWindow()
{
    ReleaseServiceMutex();
}

bool HoldsServiceWindow()
{
    return HoldsServiceMutex();
}

void SetServiceWindowSlot(HWND window)
{
    Shared().serviceWindow = AsId(window);
}

HWND GetDialogWindowSlot() { return AsWindow(Shared().dialogWindow); }
void SetDialogWindowSlot(HWND window) { Shared().dialogWindow = AsId(window); }
HWND GetAboutWindowSlot() { return AsWindow(Shared().aboutWindow); }
void SetAboutWindowSlot(HWND window) { Shared().aboutWindow = AsId(window); }

void AddNotify(HWND window) { AddToList(Shared().notifyList, window); }
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

void CollectWindow(WindowId window, void* context)
{
    Collected* c = static_cast<Collected*>(context);
    if (c->count < c->capacity)
        c->windows[c->count++] = AsWindow(window);
}

} // namespace

int NotifyWindows(HWND* windows, int capacity)
{
    ListHold held;
    if (!held)
        return 0;
    SessionPart& part = Shared();
    ListPrune(part.notifyList, WindowExists, nullptr);
    Collected collected = {windows, capacity, 0};
    ListSend(part.notifyList, 0, CollectWindow, &collected);
    return collected.count;
}

void AddFeedback(HWND window) { AddToList(Shared().feedbackList, window); }
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

