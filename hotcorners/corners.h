// The hot corners' rules as plain computation: corner geometry, the dwell
// count and what a tick decides, the monitor extension, the full-screen
// rule, the window lists of the shared block, the packed corner codes and
// the format of the "Mouse Corners" value. No windows.h: also built natively.
// Window handles are opaque values here; sending is a call-back.
#pragma once
#include <cstddef>
#include <cstdint>

// Corners in the order every four-element table uses.
enum CornerIndex : int {
    kTopLeft = 0,
    kTopRight = 1,
    kBottomRight = 2,
    kBottomLeft = 3,
    kNoCorner = 4,
};
constexpr int kCornerCount = 4;

// The codes of "Mouse Corners", one per corner. Any other byte does nothing.
constexpr char kCodeDefault = '-';
constexpr char kCodeNow = 'Y';
constexpr char kCodeNever = 'N';
// What a missing (or unusable) "Mouse Corners" value reads as.
constexpr char kDefaultCornerCodes[] = "YNN-";

// What the service shows: the tray icon and the feedback mark follow it.
enum FeedbackState : int {
    kStateIdle = 0,
    kStateSuppressed = 1, // in a Never corner, screen saving held off
    kStatePending = 2,    // in a Now corner, waiting for the third tick
    kStateStarting = 3,   // the saver was asked to start
    kStateFailed = 4,     // no usable saver configured
};

struct CornerPoint {
    long x = 0;
    long y = 0;
};

// The corners of the primary screen: (0, 0), (cx, 0), (cx, cy), (0, cy).
// The far corners lie one pixel outside the screen, as the system reports
// its size; the hit test's distance makes up for it.
void PrimaryCorners(CornerPoint points[kCornerCount], long cx, long cy);

// Which corner's hot triangle (Manhattan distance at most d from the corner
// point, on the screen's side of it) holds the pointer; kNoCorner when none.
// Where triangles overlap (a tiny screen) the later one in the order top-left,
// top-right, bottom-left, bottom-right wins.
int HitCorner(const CornerPoint points[kCornerCount], CornerPoint pointer, long d);

// Moves each corner point to the matching corner of a monitor (left, top,
// right, bottom) when that corner lies further from the primary screen's
// top-left point and strictly inside the corner's quadrant of the primary
// screen (cx by cy). Called once per monitor.
void ExtendCornersToMonitor(CornerPoint points[kCornerCount], long cx, long cy, long left,
                            long top, long right, long bottom);

// A foreground window counts as full screen when the four highest style bits
// are exactly popup + visible and its window rectangle has the primary
// screen's size, wherever it lies.
bool IsFullScreenStyleAndRect(std::uint32_t style, long left, long top, long right, long bottom,
                              long cx, long cy);

// What the watch needs from the system: the screen-saver switch, the saver
// start and the state display. The tick's rules call these.
class SaverSystem {
public:
    virtual bool IsSaverActive() = 0;          // the system's screen-saver switch
    virtual void SetSaverActive(bool on) = 0;  // stored for good
    virtual bool HasUsableSaver() = 0;         // a saver is configured and readable
    virtual bool IsSaverRunning() = 0;
    virtual bool RequestSaverStart() = 0;      // ask the system to start it; false: not asked
    virtual void FeedbackChanged(int state, int corner) = 0;

protected:
    ~SaverSystem() = default;
};

// The dwell count and the saver switch of one service. A tick is fed the
// corner that the hit test found and whether a full-screen window is in
// front, and acts through the SaverSystem.
struct CornerWatch {
    char codes[kCornerCount] = {'-', '-', '-', '-'};
    int lastCorner = kNoCorner;
    int cornerCount = 0;      // consecutive ticks in lastCorner, 0 to 4
    bool isSuppressed = false;
    bool wasActive = true;    // the switch as it was before the watch turned it off
    int feedbackState = kStateIdle;
};

// One tick: the dwell count, the decision ('-', 'Y' start now, 'N' hold the
// saver off), the full-screen rule and the action. Returns the decision as
// acted on.
char CornerTick(CornerWatch& watch, SaverSystem& system, int corner, bool foregroundFullScreen);
void SuppressSaver(CornerWatch& watch, SaverSystem& system, bool withFeedback);
void RestoreSaver(CornerWatch& watch, SaverSystem& system, bool withFeedback);
void StartSaverNow(CornerWatch& watch, SaverSystem& system, bool withFeedback);
void SetFeedbackState(CornerWatch& watch, SaverSystem& system, int state);

// A list of windows in the shared block: 20 entries and a count. The count
// is read defensively (another process may have written anything there).
using WindowId = std::uintptr_t;
constexpr std::uint32_t kListCapacity = 20;
struct WindowList {
    WindowId entries[kListCapacity];
    std::uint32_t count;
};
// Appends; a full list drops the window silently (no duplicate check).
void ListAdd(WindowList& list, WindowId window);
// Removes the last entry equal to window, keeping the order of the others.
void ListRemove(WindowList& list, WindowId window);
// Removes the entries for which alive(entry, context) is false.
using ListAliveFn = bool (*)(WindowId window, void* context);
void ListPrune(WindowList& list, ListAliveFn alive, void* context);
// Calls send(entry, context) for each entry in order, skipping entries
// equal to excluded (0 excludes nothing). Walks a copy, so a send that
// changes the list does not disturb the walk. An entry stays whatever its
// send did: a window that is slow to answer once still hears the next
// message; only windows that are gone leave (ListPrune).
using ListSendFn = void (*)(WindowId window, void* context);
void ListSend(const WindowList& list, WindowId excluded, ListSendFn send, void* context);

// One session's part of the shared block. Window handles and the mutexes'
// names are per session, so every field is read and written only while the
// session's mutex named beside it is held.
struct SessionPart {
    WindowId serviceWindow;        // QuadrixServiceMutex
    WindowId dialogWindow;         // QuadrixDialogWindowMutex
    WindowId aboutWindow;          // QuadrixDialogWindowMutex
    WindowList notifyList;         // QuadrixListMutex
    WindowList feedbackList;       // QuadrixListMutex
    char cornerCopy[kCornerCount]; // QuadrixListMutex: "Mouse Corners" last seen
};
// Empty slots and lists; the corner copy as no setting ("----").
constexpr SessionPart FreshPart()
{
    SessionPart part = {};
    for (char& code : part.cornerCopy)
        code = '-';
    return part;
}

// The shared block keeps one part for each session, told by a key (the
// session plus one; 0 marks a free part). Returns the index of the part
// that serves session: the one that has its key, else a free one, claimed
// with an atomic exchange (other sessions, which take none of this
// session's mutexes, may be claiming at the same time), else, with every
// part taken, the one at session modulo count, taken over (takenOver is
// then set: what the part holds belongs to another session).
int ClaimSessionPart(std::uint32_t* keys, int count, std::uint32_t session, bool* takenOver);
// The part that serves session, claimed as above; a part taken over from
// another session starts fresh, since its windows would name unrelated
// windows here.
SessionPart& PartOfSession(SessionPart* parts, std::uint32_t* keys, int count,
                           std::uint32_t session);

// The corner codes as one 32-bit value: corner 0 in the lowest byte.
std::uint32_t PackCodes(const char codes[kCornerCount]);
void UnpackCodes(std::uint32_t packed, char codes[kCornerCount]);

// Copies fresh codes over the copy last seen; true when any byte changed.
bool UpdateCornerCopy(char copy[kCornerCount], const char fresh[kCornerCount]);

// The largest "Mouse Corners" value that is read: four codes and a zero.
constexpr std::size_t kCornerValueSize = 5;
// The codes of a "Mouse Corners" value of size bytes, whatever its type.
// No value (data null) and a value longer than kCornerValueSize read as the
// default "YNN-".
// Otherwise the codes are its bytes up to the first zero; corners the value
// does not reach are '-' (no action), so a short value starts nothing the
// user did not set.
void CornerCodesFromValue(const unsigned char* data, std::size_t size,
                          char codes[kCornerCount]);
