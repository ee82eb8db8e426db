// The pieces the sequence comparison is built from: the counter that folds an
// edit script into changed, inserted and removed items, a shared budget of
// comparisons, and the cheapest-edit search itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cli/sequence_diff.h"

namespace sequence_diff {

using Index = std::int64_t;
using Items = std::span<const std::uint64_t>;

// A stretch of both sequences: a[a0, a1) against b[b0, b1).
struct Region {
    Index a0 = 0;
    Index a1 = 0;
    Index b0 = 0;
    Index b1 = 0;

    Index SizeA() const { return a1 - a0; }
    Index SizeB() const { return b1 - b0; }
};

// Collects the edit script in order and folds it into counts: the removals,
// insertions and changes between two matches are one hunk, and its removed
// and inserted sides pair up as changes as far as they go.
class ScriptCounter {
public:
    explicit ScriptCounter(SequenceDiff& result) : m_result(result) {}
    ~ScriptCounter() { CloseHunk(); }
    ScriptCounter(const ScriptCounter&) = delete;
    ScriptCounter& operator=(const ScriptCounter&) = delete;

    void Match() { CloseHunk(); }
    void Remove(Index count) { m_removed += static_cast<std::uint64_t>(count); }
    void Insert(Index count) { m_inserted += static_cast<std::uint64_t>(count); }
    void Change(Index count) {
        Remove(count);
        Insert(count);
    }

private:
    void CloseHunk();

    SequenceDiff& m_result;
    std::uint64_t m_removed = 0;
    std::uint64_t m_inserted = 0;
};

// Comparisons left to the whole run, so that no input makes it crawl.
class WorkBudget {
public:
    explicit WorkBudget(std::uint64_t comparisons) : m_left(comparisons) {}
    bool Spend(std::uint64_t comparisons) {
        m_left = comparisons < m_left ? m_left - comparisons : 0;
        return m_left > 0;
    }
    bool Exhausted() const { return m_left == 0; }

private:
    std::uint64_t m_left;
};

// The cheapest edit from a region's start, where removing, inserting and
// changing an item each cost one (so a substitution is one change, never a
// removal and an insertion), found cost by cost along the diagonals of the
// edit grid keeping only the furthest point each reaches (the greedy
// method of Ukkonen and Myers, with changes). It stops at the first cost
// that reaches the region's end or, with a resync length, a run of that
// many matches; costs up to maxCost are kept, so the script can be read back.
class EditSearch {
public:
    enum class Outcome { kReachedEnd, kResynced, kTooCostly, kOutOfBudget };

    EditSearch(Items a, Items b, Index maxCost);

    // resyncLength 0: only the region's end counts.
    Outcome Run(const Region& region, Index resyncLength, WorkBudget& budget);
    // After kTooCostly: the point of cost maxCost that got furthest.
    void TakeFurthest();
    // The script up to the point found, as matches, removals, insertions and
    // changes; returns that point.
    void Emit(ScriptCounter& script, Index& aEnd, Index& bEnd) const;

private:
    static constexpr Index kNone = -1;
    Index& At(Index d, Index k) {
        return m_reach[static_cast<std::size_t>(d * m_width + k + m_maxCost)];
    }
    Index At(Index d, Index k) const {
        return m_reach[static_cast<std::size_t>(d * m_width + k + m_maxCost)];
    }
    // The furthest x on diagonal k at cost d before its matches, and how it
    // got there: 0 change, 1 removal, 2 insertion.
    Index Before(Index d, Index k, int& how) const;

    Items m_a;
    Items m_b;
    Index m_maxCost;
    Index m_width;
    std::vector<Index> m_reach;  // x after the matches, per cost and diagonal
    Region m_region;
    Index m_cost = 0;
    Index m_diagonal = 0;
};

}  // namespace sequence_diff
