// libFuzzer target for the hot corners' rules fed with what another program
// or the user may have put there: the raw "Mouse Corners" value of any length
// and type, the packed codes, the pointer and screen geometry, the dwell
// ticks and the shared block's window lists with any count. Built and run by
// scripts/fuzz-parsers.sh (clang), not by the ordinary build.
// Coordinates are 32-bit: a LONG on Windows, whatever long is here.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "answering_system.h"
#include "hotcorners/corners.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The value as the registry hands it over: at most one byte more than a
// well-formed value is read, or none at all.
void CheckCodesFromValue(FuzzedDataProvider& in, char codes[kCornerCount])
{
    const bool missing = in.ConsumeBool();
    const std::size_t size = in.ConsumeIntegralInRange<std::size_t>(0, 3 * kCornerValueSize);
    const std::vector<unsigned char> value = in.ConsumeBytes<unsigned char>(size);
    // An exact-size heap block (never null, even when empty), so that a read
    // past its end is caught.
    std::unique_ptr<unsigned char[]> block(new unsigned char[value.size()]);
    std::copy(value.begin(), value.end(), block.get());
    CornerCodesFromValue(missing ? nullptr : block.get(), value.size(), codes);
    if (missing || value.size() > kCornerValueSize) {
        Check(std::memcmp(codes, kDefaultCornerCodes, kCornerCount) == 0);
        return;
    }
    bool ended = false;
    for (std::size_t i = 0; i < kCornerCount; ++i) {
        ended = ended || i >= value.size() || value[i] == 0;
        Check(codes[i] == (ended ? kCodeDefault : static_cast<char>(value[i])));
    }
}

void CheckPacked(FuzzedDataProvider& in, const char codes[kCornerCount])
{
    char back[kCornerCount];
    UnpackCodes(PackCodes(codes), back);
    Check(std::memcmp(codes, back, kCornerCount) == 0);
    const std::uint32_t packed = in.ConsumeIntegral<std::uint32_t>();
    UnpackCodes(packed, back);
    Check(PackCodes(back) == packed);

    char copy[kCornerCount];
    std::memcpy(copy, back, kCornerCount);
    const bool same = std::memcmp(copy, codes, kCornerCount) == 0;
    Check(UpdateCornerCopy(copy, codes) == !same);
    Check(std::memcmp(copy, codes, kCornerCount) == 0 && !UpdateCornerCopy(copy, codes));
}

long Coordinate(FuzzedDataProvider& in)
{
    return static_cast<long>(in.ConsumeIntegral<std::int32_t>());
}

bool InTriangle(const CornerPoint& p, CornerPoint pointer, int corner, long d)
{
    using Wide = long long;
    const Wide dx = corner == kTopLeft || corner == kBottomLeft ? Wide(pointer.x) - p.x
                                                                : Wide(p.x) - pointer.x;
    const Wide dy = corner == kTopLeft || corner == kTopRight ? Wide(pointer.y) - p.y
                                                              : Wide(p.y) - pointer.y;
    return dx >= 0 && dy >= 0 && dx + dy <= d;
}

// The corner points of the primary screen, extended over a few monitors, and
// which corner a pointer is in.
int CheckGeometry(FuzzedDataProvider& in)
{
    CornerPoint points[kCornerCount];
    const long cx = Coordinate(in), cy = Coordinate(in);
    PrimaryCorners(points, cx, cy);
    for (int monitors = in.ConsumeIntegralInRange(0, 3); monitors > 0; --monitors) {
        const long left = Coordinate(in), top = Coordinate(in);
        ExtendCornersToMonitor(points, cx, cy, left, top, Coordinate(in), Coordinate(in));
    }
    const long d = Coordinate(in);
    const CornerPoint pointer{Coordinate(in), Coordinate(in)};
    const int corner = HitCorner(points, pointer, d);
    Check(corner >= kTopLeft && corner <= kNoCorner);
    if (corner != kNoCorner)
        Check(InTriangle(points[corner], pointer, corner, d));
    else
        for (int i = 0; i < kCornerCount; ++i)
            Check(!InTriangle(points[i], pointer, i, d));

    const std::uint32_t style = in.ConsumeIntegral<std::uint32_t>();
    const long left = Coordinate(in), top = Coordinate(in);
    IsFullScreenStyleAndRect(style, left, top, Coordinate(in), Coordinate(in), cx, cy);
    return corner;
}

// A system that holds the switch and checks that the watch keeps its word.
class CheckedSystem : public AnsweringSystem {
public:
    void FeedbackChanged(int state, int corner) override
    {
        Check(state >= kStateIdle && state <= kStateFailed);
        Check(corner >= kTopLeft && corner <= kNoCorner);
    }
};

void CheckTicks(FuzzedDataProvider& in, const char codes[kCornerCount], int firstCorner)
{
    CornerWatch watch;
    std::memcpy(watch.codes, codes, kCornerCount);
    CheckedSystem system;
    system.active = in.ConsumeBool();
    const bool activeBefore = system.active;
    int corner = firstCorner;
    for (int tick = 0; tick < 64 && in.remaining_bytes() > 0; ++tick) {
        const bool fullScreen = in.ConsumeBool();
        system.usable = in.ConsumeBool();
        system.running = in.ConsumeBool();
        system.startWorks = in.ConsumeBool();
        const int startsBefore = system.starts;
        const char decision = CornerTick(watch, system, corner, fullScreen);
        Check(watch.cornerCount >= 0 && watch.cornerCount <= 4);
        Check(watch.lastCorner >= kTopLeft && watch.lastCorner <= kNoCorner);
        Check(decision == kCodeDefault || decision == kCodeNow || decision == kCodeNever);
        Check(!fullScreen || decision == kCodeDefault);
        Check(system.starts == startsBefore ||
              (decision == kCodeNow && watch.cornerCount == 3 && !system.running));
        // Held off only while in a Never corner; never turned on when it was off.
        Check(watch.isSuppressed == (decision == kCodeNever));
        if (!watch.isSuppressed)
            Check(system.active == activeBefore);
        corner = in.ConsumeIntegral<int>();
        if (in.ConsumeBool())
            corner &= 7;
    }
}

// The shared block's lists as another process may have left them.
void CheckList(FuzzedDataProvider& in)
{
    WindowList list;
    for (WindowId& entry : list.entries)
        entry = in.ConsumeIntegralInRange<WindowId>(0, 3);
    list.count = in.ConsumeIntegral<std::uint32_t>();
    for (int op = 0; op < 8 && in.remaining_bytes() > 0; ++op) {
        const WindowId window = in.ConsumeIntegralInRange<WindowId>(0, 3);
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: ListAdd(list, window); break;
        case 1: ListRemove(list, window); break;
        case 2: ListPrune(list, [](WindowId w, void*) { return w != 2; }, nullptr); break;
        default: {
            std::uint32_t sent = 0;
            ListSend(list, window, [](WindowId, void* context) {
                ++*static_cast<std::uint32_t*>(context);
            }, &sent);
            Check(sent <= kListCapacity);
            break;
        }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    char codes[kCornerCount];
    CheckCodesFromValue(in, codes);
    CheckPacked(in, codes);
    const int corner = CheckGeometry(in);
    CheckTicks(in, codes, corner);
    CheckList(in);
    return 0;
}
