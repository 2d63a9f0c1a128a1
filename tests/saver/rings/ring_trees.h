// The ring tree the tests look at, built as the saver builds it from its
// options, with the random sequence started at seed.
#pragma once
#include <cstdint>

#include "saver/rings/rings.h"

inline RingTree BuildTree(const RingOptions& options, std::uint32_t seed)
{
    RingRandom random(seed);
    RingTree tree;
    BuildRings(tree, options, random);
    return tree;
}
