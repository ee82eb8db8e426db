#include "cli/sequence_diff.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using Index = std::int64_t;

// Collects the edit script as it is found, in order, and folds it into
// counts: a run of removals and insertions between two matches is one hunk,
// whose shorter side counts as changed.
class ScriptCounter {
public:
    explicit ScriptCounter(SequenceDiff& result) : m_result(result) {}
    ~ScriptCounter() { CloseHunk(); }

    void Match() { CloseHunk(); }
    void Remove(Index count) { m_removed += static_cast<std::uint64_t>(count); }
    void Insert(Index count) { m_inserted += static_cast<std::uint64_t>(count); }

private:
    void CloseHunk() {
        const std::uint64_t changed = std::min(m_removed, m_inserted);
        m_result.changed += changed;
        m_result.removed += m_removed - changed;
        m_result.inserted += m_inserted - changed;
        m_removed = 0;
        m_inserted = 0;
    }

    SequenceDiff& m_result;
    std::uint64_t m_removed = 0;
    std::uint64_t m_inserted = 0;
};

struct Snake {
    Index x = 0;  // where the middle snake starts in a and b
    Index y = 0;
    bool found = false;
};

// Linear-space alignment (the middle-snake bisection of the O(ND) method):
// each step finds a point that an optimal path passes half-way through its
// cost, and the two halves are aligned on their own.
class Aligner {
public:
    Aligner(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b, std::size_t limit,
            ScriptCounter& script, bool& exact)
        : m_a(a),
          m_b(b),
          m_limit(static_cast<Index>(limit)),
          m_forward(2 * limit + 3),
          m_backward(2 * limit + 3),
          m_script(script),
          m_exact(exact) {}

    void Align(Index a0, Index a1, Index b0, Index b1) {
        while (a0 < a1 && b0 < b1 && m_a[a0] == m_b[b0]) {
            ++a0;
            ++b0;
            m_script.Match();
        }
        Index matchedAtEnd = 0;
        while (a0 < a1 && b0 < b1 && m_a[a1 - 1] == m_b[b1 - 1]) {
            --a1;
            --b1;
            ++matchedAtEnd;
        }
        if (a0 == a1 || b0 == b1) {
            m_script.Remove(a1 - a0);
            m_script.Insert(b1 - b0);
        } else {
            const Snake middle = MiddleSnake(a0, a1, b0, b1);
            if (middle.found) {
                Align(a0, middle.x, b0, middle.y);
                Align(middle.x, a1, middle.y, b1);
            } else {
                m_exact = false;
                m_script.Remove(a1 - a0);
                m_script.Insert(b1 - b0);
            }
        }
        if (matchedAtEnd > 0) m_script.Match();
    }

private:
    // The furthest-reaching paths from both corners, cost step by cost step,
    // until they overlap; the point where the forward path then ends lies on
    // an optimal path. Diagonals that leave the grid are dropped. Both ends of
    // the range differ, so neither half is the whole range.
    Snake MiddleSnake(Index a0, Index a1, Index b0, Index b1) {
        const Index n = a1 - a0;
        const Index m = b1 - b0;
        const Index delta = n - m;
        const bool front = (delta & 1) != 0;
        const Index maxCost = std::min<Index>((n + m + 1) / 2, m_limit);
        const Index offset = m_limit + 1;
        // Forward reach x on diagonal k = x - y at forward[offset + k];
        // backward reach (counted from the far corner) alike; -1: none yet.
        std::fill(m_forward.begin() + offset - maxCost - 1,
                  m_forward.begin() + offset + maxCost + 2, -1);
        std::fill(m_backward.begin() + offset - maxCost - 1,
                  m_backward.begin() + offset + maxCost + 2, -1);
        m_forward[static_cast<std::size_t>(offset + 1)] = 0;
        m_backward[static_cast<std::size_t>(offset + 1)] = 0;
        const auto at = [offset](std::vector<Index>& v, Index k) -> Index& {
            return v[static_cast<std::size_t>(offset + k)];
        };
        Index forwardStart = 0;
        Index forwardEnd = 0;
        Index backwardStart = 0;
        Index backwardEnd = 0;
        for (Index d = 0; d <= maxCost; ++d) {
            for (Index k = -d + forwardStart; k <= d - forwardEnd; k += 2) {
                Index x = (k == -d || (k != d && at(m_forward, k - 1) < at(m_forward, k + 1)))
                              ? at(m_forward, k + 1)
                              : at(m_forward, k - 1) + 1;
                Index y = x - k;
                while (x < n && y < m && m_a[a0 + x] == m_b[b0 + y]) {
                    ++x;
                    ++y;
                }
                at(m_forward, k) = x;
                if (x > n) {
                    forwardEnd += 2;
                } else if (y > m) {
                    forwardStart += 2;
                } else if (front && std::abs(delta - k) <= maxCost) {
                    const Index back = at(m_backward, delta - k);
                    if (back != -1 && x >= n - back) return Split(a0, a1, b0, b1, x, y);
                }
            }
            for (Index k = -d + backwardStart; k <= d - backwardEnd; k += 2) {
                Index x = (k == -d || (k != d && at(m_backward, k - 1) < at(m_backward, k + 1)))
                              ? at(m_backward, k + 1)
                              : at(m_backward, k - 1) + 1;
                Index y = x - k;
                while (x < n && y < m && m_a[a1 - 1 - x] == m_b[b1 - 1 - y]) {
                    ++x;
                    ++y;
                }
                at(m_backward, k) = x;
                if (x > n) {
                    backwardEnd += 2;
                } else if (y > m) {
                    backwardStart += 2;
                } else if (!front && std::abs(delta - k) <= maxCost) {
                    const Index ahead = at(m_forward, delta - k);
                    if (ahead != -1 && ahead >= n - x) {
                        return Split(a0, a1, b0, b1, ahead, ahead - (delta - k));
                    }
                }
            }
        }
        return Snake{};
    }

    // A split at a corner would not shrink the range; it cannot happen when
    // both ends differ, and is refused rather than trusted.
    static Snake Split(Index a0, Index a1, Index b0, Index b1, Index x, Index y) {
        const bool corner = (x == 0 && y == 0) || (a0 + x == a1 && b0 + y == b1);
        return Snake{a0 + x, b0 + y, !corner};
    }

    std::span<const std::uint64_t> m_a;
    std::span<const std::uint64_t> m_b;
    Index m_limit;
    std::vector<Index> m_forward;
    std::vector<Index> m_backward;
    ScriptCounter& m_script;
    bool& m_exact;
};

}  // namespace

SequenceDiff DiffSequences(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                           std::size_t costLimit) {
    SequenceDiff result;
    const auto common = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    result.commonPrefix = static_cast<std::size_t>(common.first - a.begin());
    {
        ScriptCounter script(result);
        Aligner aligner(a, b, std::max<std::size_t>(costLimit, 1), script, result.exact);
        aligner.Align(static_cast<Index>(result.commonPrefix), static_cast<Index>(a.size()),
                      static_cast<Index>(result.commonPrefix), static_cast<Index>(b.size()));
    }
    return result;
}
