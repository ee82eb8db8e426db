// The difference between two sequences of item fingerprints, as a shortest
// edit script counts it: items only in the first (removed), only in the
// second (inserted), and, where a stretch of removals meets a stretch of
// insertions, the pairs that stand in each other's place (changed). Memory
// stays linear in the search cost, not in the sequence lengths; a stretch
// that would need more than the cost limit to align is counted as replaced
// wholesale and the result is marked approximate.
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

inline constexpr std::size_t kDefaultDiffCostLimit = 4096;

SequenceDiff DiffSequences(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                           std::size_t costLimit = kDefaultDiffCostLimit);
