// When the animation's next frame is due: one period in microseconds, one
// clock (the caller's, in microseconds), and whether the swap already waits
// for the display's refresh. No windows.h: also built natively.
#pragma once
#include <cstdint>

// The period from one frame's start to the next at a refresh rate in Hz,
// rounded up so that no refresh gets two frames (60 Hz: 16667 us). A rate
// of 0 or 1 is the system's "hardware default": taken as 60 Hz.
std::uint32_t FramePeriodUs(unsigned refreshHz);

// How the frames are paced; the one decision the animation timer follows.
struct FramePace {
    // Microseconds from one frame's start to the next; 0: frames as fast as
    // they are drawn.
    std::uint32_t periodUs = 10000;
    // The frame's swap waits for the refresh (the context took a swap
    // interval): it paces the frames while it shows that it really waits.
    bool swapWaits = false;
};

inline bool operator==(const FramePace& a, const FramePace& b)
{
    return a.periodUs == b.periodUs && a.swapWaits == b.swapWaits;
}
inline bool operator!=(const FramePace& a, const FramePace& b)
{
    return !(a == b);
}

// Frame k is due at start + k * period: every deadline from the one start
// time, so waits that end a little late do not add up.
class FrameSchedule {
public:
    // Frame 0 is due at now; period at least 1 us.
    void Start(std::uint32_t periodUs, std::uint64_t now);
    // After a frame, at now: how long until the next frame is due, 0 when
    // it is due already. A frame that comes late is drawn at once and the
    // schedule goes on from the slot it fell in: the frame after it is due
    // at that slot's end, so late frames are never followed by a bunch of
    // frames catching up.
    std::uint64_t WaitAfterFrame(std::uint64_t now);
    // The frames that were due before the one before them had ended.
    unsigned long Late() const { return late_; }
    std::uint32_t PeriodUs() const { return period_; }

private:
    std::uint64_t Due(std::uint64_t slot) const { return start_ + slot * period_; }

    std::uint32_t period_ = 16667;
    std::uint64_t start_ = 0;
    std::uint64_t slot_ = 0; // the slot of the frame drawn last
    unsigned long late_ = 0;
};

// A swap that waits for the display's refresh paces the frames by itself;
// one that does not (a display server with no refresh to wait for, where
// the driver still accepts the swap interval) lets them run as fast as they
// are drawn. Frames drawn without waits during the first half second tell:
// more than a quarter above the rate, and the schedule paces instead.
class SwapPaceCheck {
public:
    void Start(std::uint32_t periodUs, std::uint64_t now);
    // After each frame; false once the swap has shown it does not pace.
    bool SwapPaces(std::uint64_t now);

private:
    std::uint32_t period_ = 16667;
    std::uint64_t start_ = 0;
    unsigned long frames_ = 0;
    bool decided_ = false;
    bool paces_ = true;
};

// The animation timer's pacing: the schedule, or the swap while it paces.
// A new pace starts both afresh from the frame that brought it; a swap that
// gives up hands over to a schedule starting at that frame.
class FramePacer {
public:
    // After a frame that ended at now, drawn with this pace: the wait in
    // microseconds before the next frame starts (0: at once).
    std::uint64_t WaitAfterFrame(const FramePace& pace, std::uint64_t now);
    // Whether the swap paces the frames now (no waits of the pacer's own).
    bool SwapPacing() const { return swapPacing_; }
    // Late frames of the current schedule.
    unsigned long Late() const { return schedule_.Late(); }

private:
    void Restart(const FramePace& pace, std::uint64_t now);

    bool started_ = false;
    FramePace pace_;
    FrameSchedule schedule_;
    SwapPaceCheck swap_;
    bool swapPacing_ = false;
};
