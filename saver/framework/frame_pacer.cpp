#include "saver/framework/frame_pacer.h"

namespace {
constexpr std::uint64_t kSecond = 1000000;
}

std::uint32_t FramePeriodUs(unsigned refreshHz)
{
    const unsigned kDefaultHz = 60;
    unsigned hz = refreshHz > 1 ? refreshHz : kDefaultHz;
    return static_cast<std::uint32_t>(kSecond / hz + (kSecond % hz != 0 ? 1 : 0));
}

void FrameSchedule::Start(std::uint32_t periodUs, std::uint64_t now)
{
    period_ = periodUs ? periodUs : 1;
    start_ = now;
    slot_ = 0;
    late_ = 0;
}

std::uint64_t FrameSchedule::WaitAfterFrame(std::uint64_t now)
{
    std::uint64_t next = slot_ + 1;
    if (now < Due(next)) {
        slot_ = next;
        return Due(next) - now;
    }
    // Late: this frame goes now, in the slot that now falls in.
    ++late_;
    slot_ = now < start_ ? next : (now - start_) / period_;
    if (slot_ < next)
        slot_ = next;
    return 0;
}

void SwapPaceCheck::Start(std::uint32_t periodUs, std::uint64_t now)
{
    period_ = periodUs ? periodUs : 1;
    start_ = now;
    frames_ = 0;
    decided_ = false;
    paces_ = true;
}

bool SwapPaceCheck::SwapPaces(std::uint64_t now)
{
    if (decided_)
        return paces_;
    ++frames_;
    std::uint64_t elapsed = now > start_ ? now - start_ : 0;
    // Half a second tells, and leaves room for the few frames a driver
    // lets its swaps queue ahead.
    if (elapsed < kSecond / 2)
        return true;
    decided_ = true;
    paces_ = frames_ * period_ * 4 <= elapsed * 5;
    return paces_;
}

void FramePacer::Restart(const FramePace& pace, std::uint64_t now)
{
    started_ = true;
    pace_ = pace;
    schedule_.Start(pace.periodUs, now);
    swap_.Start(pace.periodUs, now);
    swapPacing_ = pace.swapWaits && pace.periodUs != 0;
}

std::uint64_t FramePacer::WaitAfterFrame(const FramePace& pace, std::uint64_t now)
{
    if (!started_ || pace != pace_)
        Restart(pace, now);
    if (pace.periodUs == 0)
        return 0;
    if (swapPacing_) {
        if (swap_.SwapPaces(now))
            return 0;
        // The swap did not wait: from here the schedule paces, from now.
        swapPacing_ = false;
        schedule_.Start(pace.periodUs, now);
    }
    return schedule_.WaitAfterFrame(now);
}
