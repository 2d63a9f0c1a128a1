// The wall clock, as the C library's time() gives it, from the system.
#pragma once
#include <cstdint>

// Whole seconds since 1 January 1970 UTC (the system clock before it gives 0).
std::uint32_t SecondsSince1970();
