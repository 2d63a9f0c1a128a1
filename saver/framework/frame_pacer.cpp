#include "saver/rings/frame_schedule.h"

namespace {
constexpr std::uint64_t kSecond = 1000000;
}

void FrameSchedule::Start(unsigned rate, std::uint64_t now)
{
    rate_ = rate ? rate : 1;
    start_ = now;
    slot_ = 0;
    late_ = 0;
}

std::uint64_t FrameSchedule::Due(std::uint64_t slot) const
{
    // slot * 10^6 stays far inside 64 bits for any saver's lifetime.
    return start_ + slot * kSecond / rate_;
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
    slot_ = now < start_ ? next : (now - start_) * rate_ / kSecond;
    if (slot_ < next)
        slot_ = next;
    return 0;
}

void SwapPaceCheck::Start(unsigned rate, std::uint64_t now)
{
    rate_ = rate ? rate : 1;
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
    paces_ = frames_ * kSecond * 4 <= elapsed * rate_ * 5;
    return paces_;
}
