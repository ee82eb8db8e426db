#include "cli/sequence_diff_search.h"

#include <algorithm>
#include <cstdlib>

namespace sequence_diff {

void ScriptCounter::CloseHunk() {
    const std::uint64_t changed = std::min(m_removed, m_inserted);
    m_result.changed += changed;
    m_result.removed += m_removed - changed;
    m_result.inserted += m_inserted - changed;
    m_removed = 0;
    m_inserted = 0;
}

EditSearch::EditSearch(Items a, Items b, Index maxCost)
    : m_a(a),
      m_b(b),
      m_maxCost(maxCost),
      m_width(2 * maxCost + 1),
      m_reach(static_cast<std::size_t>((maxCost + 1) * (2 * maxCost + 1)), kNone) {}

Index EditSearch::Before(Index d, Index k, int& how) const {
    const Index n = m_region.SizeA();
    const Index m = m_region.SizeB();
    const auto reach = [&](Index kk) {
        return kk < -(d - 1) || kk > d - 1 ? kNone : At(d - 1, kk);
    };
    Index best = kNone;
    // Ties go to the change, so that a substitution is never a removal and
    // an insertion.
    const Index same = reach(k);
    if (same != kNone && same < n && same - k < m) {
        best = same + 1;
        how = 0;
    }
    const Index fromRemoval = reach(k - 1);
    if (fromRemoval != kNone && fromRemoval < n && fromRemoval + 1 > best) {
        best = fromRemoval + 1;
        how = 1;
    }
    const Index fromInsertion = reach(k + 1);
    if (fromInsertion != kNone && fromInsertion - k <= m && fromInsertion > best) {
        best = fromInsertion;
        how = 2;
    }
    return best;
}

EditSearch::Outcome EditSearch::Run(const Region& region, Index resyncLength, WorkBudget& budget) {
    m_region = region;
    const Index n = region.SizeA();
    const Index m = region.SizeB();
    const std::uint64_t* const a = m_a.data() + region.a0;
    const std::uint64_t* const b = m_b.data() + region.b0;
    // Follows the matches from x on diagonal k; true when they resync.
    const auto slide = [&](Index& x, Index k) {
        const Index from = x;
        Index y = x - k;
        const Index limit = resyncLength > 0 ? std::min(n, from + resyncLength) : n;
        while (x < limit && y < m && a[x] == b[y]) {
            ++x;
            ++y;
        }
        budget.Spend(static_cast<std::uint64_t>(x - from + 1));
        return resyncLength > 0 && x - from >= resyncLength;
    };
    for (Index d = 0; d <= m_maxCost; ++d) {
        // Diagonals nearest the start's own first: at one cost, a resync
        // there wins, so a change beats a shift.
        for (Index i = 0; i <= 2 * d; ++i) {
            const Index k = (i & 1) != 0 ? -(i + 1) / 2 : i / 2;
            Index& reach = At(d, k);
            reach = kNone;
            if (k < -m || k > n) continue;
            int how = 0;
            Index x = d == 0 ? 0 : Before(d, k, how);
            if (x == kNone) continue;
            const bool resynced = slide(x, k);
            reach = x;
            m_cost = d;
            m_diagonal = k;
            if (x == n && x - k == m) return Outcome::kReachedEnd;
            if (resynced) return Outcome::kResynced;
            if (budget.Exhausted()) return Outcome::kOutOfBudget;
        }
    }
    return Outcome::kTooCostly;
}

void EditSearch::TakeFurthest() {
    const Index d = m_maxCost;
    Index bestProgress = -1;
    for (Index k = -d; k <= d; ++k) {
        const Index x = At(d, k);
        if (x == kNone) continue;
        const Index progress = 2 * x - k;
        const bool nearer = progress == bestProgress && std::abs(k) < std::abs(m_diagonal);
        if (progress > bestProgress || nearer) {
            bestProgress = progress;
            m_diagonal = k;
        }
    }
    m_cost = d;
}

void EditSearch::Emit(ScriptCounter& script, Index& aEnd, Index& bEnd) const {
    // Read back from the end: each cost step's edit and the matches after it.
    struct Step {
        int how;
        Index matches;
    };
    std::vector<Step> steps;
    steps.reserve(static_cast<std::size_t>(m_cost));
    Index k = m_diagonal;
    const Index x = At(m_cost, k);
    for (Index d = m_cost; d > 0; --d) {
        int how = 0;
        const Index before = Before(d, k, how);
        steps.push_back(Step{how, At(d, k) - before});
        k += how == 1 ? -1 : (how == 2 ? 1 : 0);
    }
    if (At(0, 0) > 0) script.Match();
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->how == 0) script.Change(1);
        if (step->how == 1) script.Remove(1);
        if (step->how == 2) script.Insert(1);
        if (step->matches > 0) script.Match();
    }
    aEnd = m_region.a0 + x;
    bEnd = m_region.b0 + x - m_diagonal;
}

}  // namespace sequence_diff
