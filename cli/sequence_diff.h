// The difference between two sequences of item fingerprints as the cheapest
// edit counts it, where removing, inserting and changing an item each cost
// one: items only in the first (removed), only in the second (inserted), and
// those that stand in each other's place (changed). It is exact up to
// kExactEditCost and always within a bounded number of comparisons per item;
// a costlier difference is aligned on the items that occur once on each side
// and, between them, by resynchronising after each difference, and the
// result is marked approximate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct SequenceDiff {
    std::uint64_t removed = 0;
    std::uint64_t inserted = 0;
    std::uint64_t changed = 0;
    std::size_t commonPrefix = 0;  // index of the first difference in both
    bool exact = true;

    bool Identical() const { return removed == 0 && inserted == 0 && changed == 0; }
};

inline constexpr std::size_t kExactEditCost = 100;

SequenceDiff DiffSequences(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                           std::size_t exactCost = kExactEditCost);
