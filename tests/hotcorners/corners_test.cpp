// The hot corners' rules without the system: geometry, the dwell and the
// decisions of a tick, the monitor extension, the lists and the formats.
#include "hotcorners/corners.h"
#include "answering_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(Corners, HitTestOnOneScreen)
{
    CornerPoint points[kCornerCount];
    PrimaryCorners(points, 1024, 768);
    struct Row {
        long x, y;
        int corner;
    } rows[] = {
        {0, 0, kTopLeft},       {16, 0, kTopLeft},         {17, 0, kNoCorner},
        {8, 8, kTopLeft},       {8, 9, kNoCorner},         {1023, 0, kTopRight},
        {1008, 0, kTopRight},   {1007, 0, kNoCorner},      {1023, 767, kBottomRight},
        {0, 767, kBottomLeft},  {0, 753, kBottomLeft},     {0, 751, kNoCorner},
        {512, 384, kNoCorner},  {-1, 0, kNoCorner},        {1025, 0, kNoCorner},
        {-2147483647L - 1, -2147483647L - 1, kNoCorner},   {2147483647L, 2147483647L, kNoCorner},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << "," << row.y);
        EXPECT_EQ(row.corner, HitCorner(points, {row.x, row.y}, 16));
    }
}

// The watch's view of the system, recording what a tick did.
class FakeSystem : public AnsweringSystem {
public:
    std::vector<bool> switches;
    std::vector<int> states;

    void SetSaverActive(bool on) override
    {
        AnsweringSystem::SetSaverActive(on);
        switches.push_back(on);
    }
    void FeedbackChanged(int state, int) override { states.push_back(state); }
};

CornerWatch WatchWith(const char* codes)
{
    CornerWatch watch;
    std::memcpy(watch.codes, codes, kCornerCount);
    return watch;
}

TEST(Corners, NowCornerStartsOncePerVisitOnTheThirdTick)
{
    CornerWatch watch = WatchWith("Y---");
    FakeSystem system;
    struct Tick {
        int corner;
        int state, starts, count;
    } ticks[] = {
        {kTopLeft, kStatePending, 0, 1},   {kTopLeft, kStatePending, 0, 2},
        {kTopLeft, kStateStarting, 1, 3},  {kTopLeft, kStateStarting, 1, 4},
        {kTopLeft, kStateStarting, 1, 4},  {kNoCorner, kStateIdle, 1, 0},
        {kTopLeft, kStatePending, 1, 1},   {kTopLeft, kStatePending, 1, 2},
        {kTopLeft, kStateStarting, 2, 3},  {kBottomLeft, kStateIdle, 2, 1},
    };
    int n = 0;
    for (const Tick& tick : ticks) {
        SCOPED_TRACE(testing::Message() << "tick " << ++n);
        CornerTick(watch, system, tick.corner, false);
        EXPECT_EQ(tick.state, watch.feedbackState);
        EXPECT_EQ(tick.starts, system.starts);
        EXPECT_EQ(tick.count, watch.cornerCount);
    }
    // Each change of state was told once.
    EXPECT_EQ((std::vector<int>{kStatePending, kStateStarting, kStateIdle, kStatePending,
                                kStateStarting, kStateIdle}),
              system.states);
    EXPECT_TRUE(system.switches.empty());
}

TEST(Corners, NowCornerWithoutUsableSaverOrWithOneRunning)
{
    // A request that reaches nothing (the post refused and no saver could
    // be started either) shows the failure, not a start.
    struct Row {
        bool usable, running, startWorks;
        int state, starts;
    } rows[] = {{false, false, true, kStateFailed, 0}, {true, true, true, kStateStarting, 0},
                {true, false, true, kStateStarting, 1}, {true, false, false, kStateFailed, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.usable << row.running << row.startWorks);
        CornerWatch watch = WatchWith("Y---");
        FakeSystem system;
        system.usable = row.usable;
        system.running = row.running;
        system.startWorks = row.startWorks;
        for (int i = 0; i < 5; ++i)
            CornerTick(watch, system, kTopLeft, false);
        EXPECT_EQ(row.state, watch.feedbackState);
        EXPECT_EQ(row.starts, system.starts);
    }
}

// A Never corner switches screen saving off only when it was on, and gives
// back only what it took.
TEST(Corners, NeverCornerSuppressesAndRestoresOnlyWhatWasOn)
{
    for (bool before : {true, false}) {
        SCOPED_TRACE(before);
        CornerWatch watch = WatchWith("-N--");
        FakeSystem system;
        system.active = before;
        CornerTick(watch, system, kTopRight, false);
        EXPECT_EQ(kStateSuppressed, watch.feedbackState);
        EXPECT_TRUE(watch.isSuppressed);
        EXPECT_FALSE(system.active);
        CornerTick(watch, system, kTopRight, false);
        CornerTick(watch, system, kNoCorner, false);
        EXPECT_EQ(kStateIdle, watch.feedbackState);
        EXPECT_FALSE(watch.isSuppressed);
        EXPECT_EQ(before, system.active);
        std::vector<bool> expected;
        if (before)
            expected = {false, true};
        EXPECT_EQ(expected, system.switches);
    }
}

// A full-screen program in front withholds both actions and lifts a
// suppression that was on; the Now corner still shows it is waiting.
TEST(Corners, FullScreenForegroundWithholdsTheActions)
{
    CornerWatch watch = WatchWith("YN--");
    FakeSystem system;
    CornerTick(watch, system, kTopRight, false);
    ASSERT_TRUE(watch.isSuppressed);
    EXPECT_EQ(kCodeDefault, CornerTick(watch, system, kTopRight, true));
    EXPECT_FALSE(watch.isSuppressed);
    EXPECT_TRUE(system.active);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kCodeDefault, CornerTick(watch, system, kTopLeft, true));
    EXPECT_EQ(0, system.starts);
    EXPECT_EQ(kStatePending, watch.feedbackState);

    struct Row {
        std::uint32_t style;
        long left, top, right, bottom;
        bool full;
    } rows[] = {
        {0x90000000u, 0, 0, 1024, 768, true},      // popup, visible
        {0x90000000u, 1024, 0, 2048, 768, true},   // on another monitor, same size
        {0x90CF0000u, 0, 0, 1024, 768, true},      // lower bits do not matter
        {0x10000000u, 0, 0, 1024, 768, false},     // visible, not a popup
        {0xB0000000u, 0, 0, 1024, 768, false},     // minimized
        {0xD0000000u, 0, 0, 1024, 768, false},     // child
        {0x90000000u, 0, 0, 1023, 768, false},
        {0x90000000u, -1, -1, 1023, 767, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.style << " " << row.left);
        EXPECT_EQ(row.full, IsFullScreenStyleAndRect(row.style, row.left, row.top, row.right,
                                                     row.bottom, 1024, 768));
    }
}

// Other bytes in the codes act like nothing and leave the state alone.
TEST(Corners, UnknownCodeDoesNothing)
{
    CornerWatch watch = WatchWith("X---");
    FakeSystem system;
    watch.feedbackState = kStateFailed;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kCodeDefault, CornerTick(watch, system, kTopLeft, false));
    EXPECT_EQ(kStateFailed, watch.feedbackState);
    EXPECT_EQ(0, system.starts);
    EXPECT_TRUE(system.switches.empty());
    // Out-of-range corners count as none.
    CornerTick(watch, system, 7, false);
    EXPECT_EQ(kNoCorner, watch.lastCorner);
}

TEST(Corners, MonitorsLeftOfAndAboveThePrimaryMoveTheirCorners)
{
    const long kFar = -2147483647L - 1;
    struct Row {
        const char* name;
        long left, top, right, bottom;
        CornerPoint expected[kCornerCount];
    } rows[] = {
        {"left", -1280, 0, 0, 1024, {{-1280, 0}, {1024, 0}, {1024, 768}, {-1280, 1024}}},
        {"above", 0, -768, 1024, 0, {{0, -768}, {1024, -768}, {1024, 768}, {0, 768}}},
        {"right", 1024, 0, 2048, 768, {{0, 0}, {2048, 0}, {2048, 768}, {0, 768}}},
        {"primary", 0, 0, 1024, 768, {{0, 0}, {1024, 0}, {1024, 768}, {0, 768}}},
        // The farthest a 32-bit coordinate goes: its squared distance is 2^63.
        {"farthest", kFar, kFar, kFar + 1280, kFar + 1024,
         {{kFar, kFar}, {1024, 0}, {1024, 768}, {0, 768}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CornerPoint points[kCornerCount];
        PrimaryCorners(points, 1024, 768);
        ExtendCornersToMonitor(points, 1024, 768, 0, 0, 1024, 768);
        ExtendCornersToMonitor(points, 1024, 768, row.left, row.top, row.right, row.bottom);
        for (int i = 0; i < kCornerCount; ++i) {
            EXPECT_EQ(row.expected[i].x, points[i].x) << "corner " << i;
            EXPECT_EQ(row.expected[i].y, points[i].y) << "corner " << i;
        }
    }
    // The hit test follows: the pointer at the left monitor's top-left.
    CornerPoint points[kCornerCount];
    PrimaryCorners(points, 1024, 768);
    ExtendCornersToMonitor(points, 1024, 768, -1280, 0, 0, 1024);
    EXPECT_EQ(kTopLeft, HitCorner(points, {-1280, 0}, 16));
    EXPECT_EQ(kNoCorner, HitCorner(points, {0, 0}, 16));
}

void Record(WindowId window, void* context)
{
    static_cast<std::vector<WindowId>*>(context)->push_back(window);
}

std::vector<WindowId> Sent(const WindowList& list, WindowId excluded)
{
    std::vector<WindowId> sent;
    ListSend(list, excluded, Record, &sent);
    return sent;
}

WindowList ListOf(const std::vector<WindowId>& windows)
{
    WindowList list = {};
    for (WindowId w : windows)
        ListAdd(list, w);
    return list;
}

TEST(Corners, WindowListOperations)
{
    WindowList list = {};
    for (WindowId w = 1; w <= 21; ++w)
        ListAdd(list, w);
    EXPECT_EQ(kListCapacity, list.count);
    EXPECT_EQ(20u, list.entries[19]);

    // Remove the later of two equal entries; an absent one changes nothing.
    list = ListOf({5, 7, 5, 9});
    ListRemove(list, 5);
    EXPECT_EQ((std::vector<WindowId>{5, 7, 9}), Sent(list, 0));
    ListRemove(list, 42);
    EXPECT_EQ(3u, list.count);

    // Notify skips every entry equal to the excluded one, in list order.
    ListAdd(list, 7);
    EXPECT_EQ((std::vector<WindowId>{5, 9}), Sent(list, 7));
    EXPECT_EQ((std::vector<WindowId>{5, 7, 9, 7}), Sent(list, 0));

    // A count written wild by another process is read as a full list.
    list.count = 0xFFFFFFFFu;
    EXPECT_EQ(kListCapacity, Sent(list, 0).size());
    ListAdd(list, 3);
    ListRemove(list, 9);
    EXPECT_EQ(kListCapacity - 1, list.count);
}

// Windows that are gone leave the list, so dead entries never keep new
// windows out; the others keep their order. A window that does not answer
// a walk stays: it hears the next one.
TEST(Corners, WindowListDropsOnlyWindowsThatAreGone)
{
    struct Row {
        std::vector<WindowId> entries;
        std::vector<WindowId> gone;
        std::vector<WindowId> kept;
    } rows[] = {
        {{1, 2, 3}, {}, {1, 2, 3}},
        {{1, 2, 3}, {2}, {1, 3}},
        {{4, 4, 1}, {4}, {1}},
        {{1, 2, 3}, {1, 2, 3}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.entries));
        WindowList list = ListOf(row.entries);
        ListPrune(list, [](WindowId window, void* data) {
            for (WindowId g : *static_cast<const std::vector<WindowId>*>(data))
                if (g == window)
                    return false;
            return true;
        }, const_cast<std::vector<WindowId>*>(&row.gone));
        EXPECT_EQ(row.kept, Sent(list, 0));
    }

    // A walk whose sends all go unanswered leaves the list as it was.
    WindowList silent = ListOf({1, 2, 3});
    ListSend(silent, 0, [](WindowId, void*) {}, nullptr);
    EXPECT_EQ((std::vector<WindowId>{1, 2, 3}), Sent(silent, 0));

    // Twenty dead windows, then a live one: it still gets in.
    WindowList list = {};
    for (WindowId w = 100; w < 120; ++w)
        ListAdd(list, w);
    ListPrune(list, [](WindowId window, void*) { return window < 100; }, nullptr);
    ListAdd(list, 1);
    EXPECT_EQ((std::vector<WindowId>{1}), Sent(list, 0));
}

// The same handle value names different windows in two sessions: each
// session's windows sit in a part of its own, and a part taken over by
// another session starts fresh, the old session's windows gone from it.
TEST(Corners, SessionPartsKeepSessionsApart)
{
    SessionPart parts[2] = {FreshPart(), FreshPart()};
    std::uint32_t keys[2] = {};
    ListAdd(PartOfSession(parts, keys, 2, 1).notifyList, 5);
    PartOfSession(parts, keys, 2, 1).serviceWindow = 9;
    ListAdd(PartOfSession(parts, keys, 2, 2).notifyList, 5);
    ListAdd(PartOfSession(parts, keys, 2, 2).notifyList, 6);
    EXPECT_EQ((std::vector<WindowId>{5}), Sent(PartOfSession(parts, keys, 2, 1).notifyList, 0));
    EXPECT_EQ((std::vector<WindowId>{5, 6}), Sent(PartOfSession(parts, keys, 2, 2).notifyList, 0));

    // A third session takes over session 2's part (3 % 2): it finds it
    // fresh, and session 1's part keeps what it held.
    SessionPart& third = PartOfSession(parts, keys, 2, 3);
    EXPECT_EQ(&parts[1], &third);
    EXPECT_TRUE(Sent(third.notifyList, 0).empty());
    EXPECT_EQ(0, std::memcmp(third.cornerCopy, "----", 4));
    SessionPart& first = PartOfSession(parts, keys, 2, 1);
    EXPECT_EQ((std::vector<WindowId>{5}), Sent(first.notifyList, 0));
    EXPECT_EQ(9u, first.serviceWindow);
}

// Each session finds its own part of the shared block, the same each time;
// with every part taken a newcomer takes one over and says so.
TEST(Corners, SessionPartsAreClaimedOnce)
{
    std::uint32_t keys[3] = {};
    bool takenOver = true;
    EXPECT_EQ(0, ClaimSessionPart(keys, 3, 7, &takenOver));
    EXPECT_FALSE(takenOver);
    EXPECT_EQ(1, ClaimSessionPart(keys, 3, 0, &takenOver));
    EXPECT_EQ(0, ClaimSessionPart(keys, 3, 7, &takenOver));
    EXPECT_EQ(2, ClaimSessionPart(keys, 3, 2, &takenOver));
    EXPECT_FALSE(takenOver);
    EXPECT_EQ(1, ClaimSessionPart(keys, 3, 0, &takenOver));
    EXPECT_EQ(1, ClaimSessionPart(keys, 3, 4, &takenOver)); // 4 % 3
    EXPECT_TRUE(takenOver);
    EXPECT_EQ(1, ClaimSessionPart(keys, 3, 4, &takenOver));
    EXPECT_FALSE(takenOver);
    // A session number that would make key 0 (a free part) does not.
    std::uint32_t fresh[2] = {};
    ClaimSessionPart(fresh, 2, 0xFFFFFFFFu, &takenOver);
    EXPECT_NE(0u, fresh[0]);
}

TEST(Corners, PackedCodesAndChangeDetection)
{
    EXPECT_EQ(0x2D4E4E59u, PackCodes("YNN-"));
    char codes[kCornerCount];
    UnpackCodes(0x2D4E4E59u, codes);
    EXPECT_EQ(0, std::memcmp(codes, "YNN-", kCornerCount));
    UnpackCodes(0xFF000080u, codes);
    EXPECT_EQ(0xFF000080u, PackCodes(codes));

    // Only a real change is told, and once.
    char copy[kCornerCount] = {'-', '-', '-', '-'};
    struct Step {
        const char* fresh;
        bool changed;
    } steps[] = {{"YNN-", true}, {"YNN-", false}, {"YNY-", true}, {"YNY-", false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.fresh);
        EXPECT_EQ(step.changed, UpdateCornerCopy(copy, step.fresh));
        EXPECT_EQ(0, std::memcmp(copy, step.fresh, kCornerCount));
    }
}

TEST(Corners, CornerSettingOfAnyLengthAndContent)
{
    struct Row {
        const char* name;
        std::string data; // null: no value at all
        bool present;
        const char* codes;
    } rows[] = {
        {"missing", "", false, "YNN-"},
        {"four codes and a zero", std::string("NYN-\0", 5), true, "NYN-"},
        {"four codes, no zero", "NYN-", true, "NYN-"},
        {"five bytes, no zero", "NYN-X", true, "NYN-"},
        {"six bytes", std::string("NYN-\0\0", 6), true, "YNN-"},
        {"long text", "NNNNNNNNNNNN", true, "YNN-"},
        {"empty string", std::string("\0", 1), true, "----"},
        {"no bytes", "", true, "----"},
        {"two codes", std::string("NY\0", 3), true, "NY--"},
        {"zero inside", std::string("N\0YY\0", 5), true, "N---"},
        {"other bytes", std::string("\x01\xFFZ-\0", 5), true, "\x01\xFFZ-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char codes[kCornerCount] = {'?', '?', '?', '?'};
        CornerCodesFromValue(row.present ? reinterpret_cast<const unsigned char*>(row.data.data())
                                         : nullptr,
                             row.data.size(), codes);
        EXPECT_EQ(std::string(row.codes, kCornerCount), std::string(codes, kCornerCount));
    }
}

} // namespace
