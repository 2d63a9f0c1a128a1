#include "common/clock.h"

#include <windows.h>

std::uint32_t SecondsSince1970()
{
    // FILETIME counts 100 ns steps from 1601; 1970 is 11644473600 s later.
    const std::uint64_t kEpochSteps = 116444736000000000ull;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    std::uint64_t steps = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return steps < kEpochSteps ? 0 : static_cast<std::uint32_t>((steps - kEpochSteps) / 10000000u);
}
