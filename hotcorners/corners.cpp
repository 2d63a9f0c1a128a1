#include "corners.h"

#include <cstring>

void PrimaryCorners(CornerPoint points[kCornerCount], long cx, long cy)
{
    points[kTopLeft] = {0, 0};
    points[kTopRight] = {cx, 0};
    points[kBottomRight] = {cx, cy};
    points[kBottomLeft] = {0, cy};
}

int HitCorner(const CornerPoint points[kCornerCount], CornerPoint pointer, long d)
{
    const long x = pointer.x, y = pointer.y;
    const CornerPoint& p0 = points[kTopLeft];
    const CornerPoint& p1 = points[kTopRight];
    const CornerPoint& p2 = points[kBottomRight];
    const CornerPoint& p3 = points[kBottomLeft];
    // Differences in long long: a pointer far off a huge virtual desktop
    // must not overflow a 32-bit long on the way to a "no".
    using Wide = long long;
    int corner = kNoCorner;
    if (x >= p0.x && y >= p0.y && Wide(x) - p0.x + (Wide(y) - p0.y) <= d)
        corner = kTopLeft;
    if (x <= p1.x && y >= p1.y && Wide(p1.x) - x + (Wide(y) - p1.y) <= d)
        corner = kTopRight;
    if (x >= p3.x && y <= p3.y && Wide(x) - p3.x + (Wide(p3.y) - y) <= d)
        corner = kBottomLeft;
    if (x <= p2.x && y <= p2.y && Wide(p2.x) - x + (Wide(p2.y) - y) <= d)
        corner = kBottomRight;
    return corner;
}

namespace {

// Unsigned: each square of a 32-bit coordinate fits a long long, but their
// sum at (-2^31, -2^31) is 2^63, one past the largest long long.
unsigned long long SquaredDistance(long x, long y)
{
    return static_cast<unsigned long long>(static_cast<long long>(x) * x) +
           static_cast<unsigned long long>(static_cast<long long>(y) * y);
}

bool InQuadrant(int corner, long x, long y, long hx, long hy)
{
    switch (corner) {
    case kTopLeft: return x < hx && y < hy;
    case kTopRight: return x > hx && y < hy;
    case kBottomRight: return x > hx && y > hy;
    default: return x < hx && y > hy;
    }
}

} // namespace

void ExtendCornersToMonitor(CornerPoint points[kCornerCount], long cx, long cy, long left,
                            long top, long right, long bottom)
{
    const long hx = cx / 2, hy = cy / 2;
    const CornerPoint monitor[kCornerCount] = {{left, top}, {right, top}, {right, bottom},
                                               {left, bottom}};
    for (int i = 0; i < kCornerCount; ++i) {
        const CornerPoint& m = monitor[i];
        if (SquaredDistance(points[i].x, points[i].y) < SquaredDistance(m.x, m.y) &&
            InQuadrant(i, m.x, m.y, hx, hy))
            points[i] = m;
    }
}

bool IsFullScreenStyleAndRect(std::uint32_t style, long left, long top, long right, long bottom,
                              long cx, long cy)
{
    const std::uint32_t kTopBits = 0xF0000000u;
    const std::uint32_t kPopupVisible = 0x80000000u | 0x10000000u; // WS_POPUP | WS_VISIBLE
    using Wide = long long;
    return (style & kTopBits) == kPopupVisible && Wide(right) - cx == left &&
           Wide(bottom) - cy == top;
}

void SetFeedbackState(CornerWatch& watch, SaverSystem& system, int state)
{
    if (state == watch.feedbackState)
        return;
    watch.feedbackState = state;
    system.FeedbackChanged(state, watch.lastCorner);
}

void SuppressSaver(CornerWatch& watch, SaverSystem& system, bool withFeedback)
{
    if (watch.isSuppressed)
        return;
    watch.wasActive = system.IsSaverActive();
    if (watch.wasActive)
        system.SetSaverActive(false);
    watch.isSuppressed = true;
    if (withFeedback)
        SetFeedbackState(watch, system, kStateSuppressed);
}

void RestoreSaver(CornerWatch& watch, SaverSystem& system, bool withFeedback)
{
    if (!watch.isSuppressed)
        return;
    if (watch.wasActive)
        system.SetSaverActive(true);
    watch.isSuppressed = false;
    if (withFeedback)
        SetFeedbackState(watch, system, kStateIdle);
}

void StartSaverNow(CornerWatch& watch, SaverSystem& system, bool withFeedback)
{
    RestoreSaver(watch, system, false);
    if (!system.HasUsableSaver()) {
        SetFeedbackState(watch, system, kStateFailed);
        return;
    }
    if (withFeedback)
        SetFeedbackState(watch, system, kStateStarting);
    if (system.IsSaverRunning())
        return;
    // A request that went nowhere started nothing: say so.
    if (!system.RequestSaverStart())
        SetFeedbackState(watch, system, kStateFailed);
}

char CornerTick(CornerWatch& watch, SaverSystem& system, int corner, bool foregroundFullScreen)
{
    if (corner < 0 || corner > kNoCorner)
        corner = kNoCorner;
    if (corner != watch.lastCorner)
        watch.cornerCount = 0;
    watch.lastCorner = corner;

    char code = kCodeDefault;
    if (corner != kNoCorner) {
        if (watch.cornerCount < 4)
            ++watch.cornerCount;
        code = watch.codes[corner];
    }

    // The saver starts once per visit, on the third tick in the corner.
    char decision = kCodeDefault;
    if (code == kCodeNever) {
        decision = kCodeNever;
    } else if (code == kCodeNow) {
        if (watch.cornerCount < 3)
            SetFeedbackState(watch, system, kStatePending);
        else if (watch.cornerCount == 3)
            decision = kCodeNow;
    }
    // A full-screen program (a game, a presentation) is never interrupted
    // and never kept from its own screen saving.
    if (decision != kCodeDefault && foregroundFullScreen)
        decision = kCodeDefault;

    switch (decision) {
    case kCodeNever:
        SuppressSaver(watch, system, true);
        break;
    case kCodeNow:
        StartSaverNow(watch, system, true);
        break;
    default:
        RestoreSaver(watch, system, true);
        if (code == kCodeDefault)
            SetFeedbackState(watch, system, kStateIdle);
        break;
    }
    return decision;
}

namespace {

std::uint32_t ClampedCount(const WindowList& list)
{
    return list.count < kListCapacity ? list.count : kListCapacity;
}

} // namespace

void ListAdd(WindowList& list, WindowId window)
{
    std::uint32_t count = ClampedCount(list);
    if (count >= kListCapacity)
        return;
    list.entries[count] = window;
    list.count = count + 1;
}

namespace {

void RemoveAt(WindowList& list, std::uint32_t index, std::uint32_t count)
{
    for (std::uint32_t j = index + 1; j < count; ++j)
        list.entries[j - 1] = list.entries[j];
    list.count = count - 1;
}

} // namespace

void ListRemove(WindowList& list, WindowId window)
{
    std::uint32_t count = ClampedCount(list);
    for (std::uint32_t i = count; i-- > 0;) {
        if (list.entries[i] == window) {
            RemoveAt(list, i, count);
            return;
        }
    }
}

void ListPrune(WindowList& list, ListAliveFn alive, void* context)
{
    std::uint32_t count = ClampedCount(list);
    for (std::uint32_t i = count; i-- > 0;) {
        if (!alive(list.entries[i], context)) {
            RemoveAt(list, i, count);
            --count;
        }
    }
}

void ListSend(const WindowList& list, WindowId excluded, ListSendFn send, void* context)
{
    WindowList copy;
    std::memcpy(&copy, &list, sizeof copy);
    std::uint32_t count = ClampedCount(copy);
    for (std::uint32_t i = 0; i < count; ++i)
        if (excluded == 0 || copy.entries[i] != excluded)
            send(copy.entries[i], context);
}

int ClaimSessionPart(std::uint32_t* keys, int count, std::uint32_t session, bool* takenOver)
{
    *takenOver = false;
    // Session 0xFFFFFFFF would have key 0: it shares the part of session 0.
    const std::uint32_t key = session + 1 != 0 ? session + 1 : 1;
    for (int i = 0; i < count; ++i)
        if (__atomic_load_n(&keys[i], __ATOMIC_ACQUIRE) == key)
            return i;
    for (int i = 0; i < count; ++i) {
        std::uint32_t expected = 0;
        if (__atomic_compare_exchange_n(&keys[i], &expected, key, false, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE) ||
            expected == key)
            return i;
    }
    int taken = static_cast<int>(session % static_cast<std::uint32_t>(count));
    __atomic_store_n(&keys[taken], key, __ATOMIC_RELEASE);
    *takenOver = true;
    return taken;
}

SessionPart& PartOfSession(SessionPart* parts, std::uint32_t* keys, int count,
                           std::uint32_t session)
{
    bool takenOver = false;
    SessionPart& part = parts[ClaimSessionPart(keys, count, session, &takenOver)];
    if (takenOver)
        part = FreshPart();
    return part;
}

std::uint32_t PackCodes(const char codes[kCornerCount])
{
    std::uint32_t packed = 0;
    for (int i = kCornerCount; i-- > 0;)
        packed = (packed << 8) | static_cast<unsigned char>(codes[i]);
    return packed;
}

void UnpackCodes(std::uint32_t packed, char codes[kCornerCount])
{
    for (int i = 0; i < kCornerCount; ++i)
        codes[i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
}

bool UpdateCornerCopy(char copy[kCornerCount], const char fresh[kCornerCount])
{
    if (std::memcmp(copy, fresh, kCornerCount) == 0)
        return false;
    std::memcpy(copy, fresh, kCornerCount);
    return true;
}

void CornerCodesFromValue(const unsigned char* data, std::size_t size, char codes[kCornerCount])
{
    if (!data || size > kCornerValueSize) {
        std::memcpy(codes, kDefaultCornerCodes, kCornerCount);
        return;
    }
    std::size_t i = 0;
    for (; i < kCornerCount && i < size && data[i] != 0; ++i)
        codes[i] = static_cast<char>(data[i]);
    for (; i < kCornerCount; ++i)
        codes[i] = kCodeDefault;
}
