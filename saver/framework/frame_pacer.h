// When the animation's frames are due: on the display's exact period, and
// whether a synchronised swap really paces them. Times in microseconds of
// one clock. No windows.h: also built natively.
#pragma once
#include <cstdint>

// Frame k is due at start + k * 1000000 / rate: every deadline from the one
// start time, so no rounding of the period accumulates (60 Hz gives 16666
// or 16667 us by turns, 60 frames a second exactly).
class FrameSchedule {
public:
    // Frame 0 is due at now; rate in frames a second (at least 1).
    void Start(unsigned rate, std::uint64_t now);
    // After a frame, at now: how long until the next frame is due, 0 when
    // it is due already. A frame that comes late is drawn at once and the
    // schedule goes on from the slot it fell in: the frame after it is due
    // at that slot's end, so late frames are never followed by a bunch of
    // frames catching up.
    std::uint64_t WaitAfterFrame(std::uint64_t now);
    // The frames that were due before the one before them had ended.
    unsigned long Late() const { return late_; }
    unsigned Rate() const { return rate_; }

private:
    std::uint64_t Due(std::uint64_t slot) const;

    unsigned rate_ = 60;
    std::uint64_t start_ = 0;
    std::uint64_t slot_ = 0; // the slot of the frame drawn last
    unsigned long late_ = 0;
};

// A swap that waits for the display's refresh paces the frames by itself;
// one that does not (a display server with no refresh to wait for, where
// the driver still accepts the swap interval) lets them run as fast as they
// are drawn. Frames drawn without waits during the first half second tell:
// more than a quarter above the rate, and the timer paces instead.
class SwapPaceCheck {
public:
    void Start(unsigned rate, std::uint64_t now);
    // After each frame; false once the swap has shown it does not pace.
    bool SwapPaces(std::uint64_t now);

private:
    unsigned rate_ = 60;
    std::uint64_t start_ = 0;
    unsigned long frames_ = 0;
    bool decided_ = false;
    bool paces_ = true;
};
