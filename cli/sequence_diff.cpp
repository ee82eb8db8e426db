#include "cli/sequence_diff.h"

#include <algorithm>
#include <vector>

#include "cli/sequence_diff_anchors.h"
#include "cli/sequence_diff_search.h"

namespace sequence_diff {
namespace {

// Between anchors, stretches are searched exactly up to this cost.
constexpr Index kGapCost = 32;
// After a difference, the search looks this far for a run of this many
// matches to resume from.
constexpr Index kResyncCost = 24;
constexpr Index kResyncLength = 16;
// Comparisons per item for everything past the exact search.
constexpr std::uint64_t kApproximateWork = 64;
// Anchors are looked for again inside the stretches between them, this deep.
constexpr int kAnchorDepth = 2;

class Aligner {
public:
    Aligner(Items a, Items b, Index exactCost, ScriptCounter& script, bool& exact)
        : m_a(a),
          m_b(b),
          m_exactCost(exactCost),
          m_exactSearch(a, b, exactCost),
          m_gapSearch(a, b, std::min(exactCost, kGapCost)),
          m_resync(a, b, kResyncCost),
          m_budget(kApproximateWork * (a.size() + b.size()) + (1u << 20)),
          m_script(script),
          m_exact(exact) {}

    void Align(Region region) {
        Index matchedAtEnd = Trim(region);
        if (!Trivial(region)) {
            // The search's work is bounded by (2 cost + 1) diagonals, each
            // sliding at most the region's length, so a difference within
            // the cost is always found.
            const Index cost = m_exactCost;
            WorkBudget work(
                static_cast<std::uint64_t>((2 * cost + 2) * (region.SizeA() + region.SizeB() + 1)) +
                static_cast<std::uint64_t>((cost + 1) * (cost + 1)) * 4);
            if (!Searched(m_exactSearch, region, work)) {
                m_exact = false;
                Approximate(region, 0);
            }
        }
        if (matchedAtEnd > 0) m_script.Match();
    }

private:
    // Moves the region's ends past the items both share; returns how many
    // matched at the end (to be counted after the middle).
    Index Trim(Region& region) {
        Index matched = 0;
        while (region.a0 < region.a1 && region.b0 < region.b1 && Same(region.a0, region.b0)) {
            ++region.a0;
            ++region.b0;
            ++matched;
        }
        if (matched > 0) m_script.Match();
        Index atEnd = 0;
        while (region.a0 < region.a1 && region.b0 < region.b1 &&
               Same(region.a1 - 1, region.b1 - 1)) {
            --region.a1;
            --region.b1;
            ++atEnd;
        }
        m_budget.Spend(static_cast<std::uint64_t>(matched + atEnd));
        return atEnd;
    }

    // With one side empty, the other is all removed or all inserted.
    bool Trivial(const Region& region) {
        if (region.SizeA() > 0 && region.SizeB() > 0) return false;
        m_script.Remove(region.SizeA());
        m_script.Insert(region.SizeB());
        return true;
    }

    bool Searched(EditSearch& search, const Region& region, WorkBudget& work) {
        if (search.Run(region, 0, work) != EditSearch::Outcome::kReachedEnd) return false;
        Index aEnd = 0;
        Index bEnd = 0;
        search.Emit(m_script, aEnd, bEnd);
        return true;
    }

    void Approximate(const Region& region, int depth) {
        const std::vector<Anchor> anchors = depth < kAnchorDepth && !m_budget.Exhausted()
                                                ? UniqueAnchors(m_a, m_b, region)
                                                : std::vector<Anchor>{};
        m_budget.Spend(static_cast<std::uint64_t>(region.SizeA() + region.SizeB()));
        if (anchors.empty()) {
            Resync(region);
            return;
        }
        Index a0 = region.a0;
        Index b0 = region.b0;
        for (const Anchor& anchor : anchors) {
            Gap(Region{a0, anchor.a, b0, anchor.b}, depth);
            m_script.Match();
            a0 = anchor.a + 1;
            b0 = anchor.b + 1;
        }
        Gap(Region{a0, region.a1, b0, region.b1}, depth);
    }

    void Gap(Region region, int depth) {
        const Index matchedAtEnd = Trim(region);
        if (!Trivial(region) && !Searched(m_gapSearch, region, m_budget)) {
            Approximate(region, depth + 1);
        }
        if (matchedAtEnd > 0) m_script.Match();
    }

    // Walks the region difference by difference: from each, the cheapest
    // edit that leads to a run of matches (or the furthest one within the
    // search's cost), then on along the matches. Once the budget is spent,
    // the rest is counted as replaced.
    void Resync(const Region& region) {
        Index x = region.a0;
        Index y = region.b0;
        while (x < region.a1 && y < region.b1 && !m_budget.Exhausted()) {
            if (Same(x, y)) {
                const Index from = x;
                while (x < region.a1 && y < region.b1 && Same(x, y)) {
                    ++x;
                    ++y;
                }
                m_budget.Spend(static_cast<std::uint64_t>(x - from));
                m_script.Match();
                continue;
            }
            const EditSearch::Outcome outcome =
                m_resync.Run(Region{x, region.a1, y, region.b1}, kResyncLength, m_budget);
            if (outcome == EditSearch::Outcome::kOutOfBudget) break;
            if (outcome == EditSearch::Outcome::kTooCostly) m_resync.TakeFurthest();
            m_resync.Emit(m_script, x, y);
        }
        m_script.Remove(region.a1 - x);
        m_script.Insert(region.b1 - y);
    }

    bool Same(Index x, Index y) const {
        return m_a[static_cast<std::size_t>(x)] == m_b[static_cast<std::size_t>(y)];
    }

    Items m_a;
    Items m_b;
    Index m_exactCost;
    EditSearch m_exactSearch;
    EditSearch m_gapSearch;
    EditSearch m_resync;
    WorkBudget m_budget;
    ScriptCounter& m_script;
    bool& m_exact;
};

}  // namespace
}  // namespace sequence_diff

SequenceDiff DiffSequences(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                           std::size_t exactCost) {
    using sequence_diff::Index;
    SequenceDiff result;
    const auto common = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    result.commonPrefix = static_cast<std::size_t>(common.first - a.begin());
    {
        // The counter folds its last hunk in when it goes.
        sequence_diff::ScriptCounter script(result);
        sequence_diff::Aligner aligner(
            a, b, static_cast<Index>(std::max<std::size_t>(exactCost, 1)), script, result.exact);
        aligner.Align(sequence_diff::Region{
            static_cast<Index>(result.commonPrefix), static_cast<Index>(a.size()),
            static_cast<Index>(result.commonPrefix), static_cast<Index>(b.size())});
    }
    return result;
}
