// The alignment behind the command-stream comparison: against a plain edit
// distance table on random sequences, hunk folding, and how closely long,
// much-changed sequences are aligned past the exact search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "cli/sequence_diff.h"
#include "tests/cli/edit_distance.h"

namespace {

using Seq = std::vector<std::uint64_t>;

// What holds of any alignment: each side's unmatched items are its changed
// ones plus its removed (or inserted) ones, and both sides match alike.
void ExpectConsistent(const SequenceDiff& d, const Seq& a, const Seq& b) {
    ASSERT_LE(d.removed + d.changed, a.size() - d.commonPrefix);
    ASSERT_LE(d.inserted + d.changed, b.size() - d.commonPrefix);
    ASSERT_EQ(a.size() - d.removed, b.size() - d.inserted);
    ASSERT_EQ(d.Identical(), a == b);
}

TEST(SequenceDiffTest, CountsMatchTheCheapestEdit) {
    std::mt19937 random(15);
    int approximate = 0;
    for (int round = 0; round < 3000; ++round) {
        // Few distinct values, so that there are many ways to align.
        const std::uint64_t alphabet = 1 + random() % 5;
        Seq a(random() % 60);
        for (auto& v : a) v = random() % alphabet;
        Seq b = a;
        for (int edits = static_cast<int>(random() % 30); edits > 0; --edits) {
            const std::size_t at = b.empty() ? 0 : random() % (b.size() + 1);
            switch (random() % 3) {
                case 0:
                    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), random() % alphabet);
                    break;
                case 1:
                    if (at < b.size()) b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
                default:
                    if (at < b.size()) b[at] = random() % alphabet;
                    break;
            }
        }
        // A limit below the distance now and then: the result is then marked.
        const std::size_t limit = round % 4 == 0 ? 1 + random() % 8 : kExactEditCost;
        const SequenceDiff d = DiffSequences(a, b, limit);
        const std::size_t distance = EditDistance(a, b);
        ExpectConsistent(d, a, b);
        std::size_t prefix = 0;
        while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
        ASSERT_EQ(d.commonPrefix, prefix);
        // Beyond the limit the result may still be exact (one side used up),
        // but then it must say so only when it is.
        if (distance <= limit) {
            ASSERT_TRUE(d.exact) << "round " << round;
        }
        if (d.exact) {
            ASSERT_EQ(d.changed + d.inserted + d.removed, distance) << "round " << round;
        }
        if (!d.exact) ++approximate;
    }
    EXPECT_GT(approximate, 100);
}

struct LargeCase {
    const char* what;
    std::uint64_t period;  // 0: every item distinct
    int substitutions;
    int insertedBlock;  // items inserted at a third of the way
    int removedBlock;   // items removed at two thirds of the way
    int shifts = 0;     // single items inserted and removed in turn, spread out
};

// Long sequences with thousands of scattered edits, far past the exact
// search: substitutions must come out as changes, whatever the repetition.
TEST(SequenceDiffTest, ManyScatteredEditsAreCountedAsMade) {
    const LargeCase cases[] = {
        {"distinct items, scattered substitutions", 0, 5000, 0, 0},
        {"periodic items, scattered substitutions", 7, 4000, 0, 0},
        {"every item alike but the substitutes", 1, 3000, 0, 0},
        {"substitutions around a large insertion and removal", 0, 2000, 20000, 15000},
        {"four values, single insertions and removals", 4, 0, 0, 0, 3000},
    };
    for (const LargeCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::mt19937_64 random(7);
        Seq a(400000);
        for (std::size_t i = 0; i < a.size(); ++i) {
            // Four values at random when there are shifts, to be mistaken.
            a[i] = c.period == 0 ? random() : c.shifts > 0 ? random() % c.period : i % c.period;
        }
        Seq b = a;
        // Substitutes are new values, at least 40 items apart, outside the
        // removed block.
        const std::size_t removedAt = 2 * b.size() / 3;
        const std::size_t spacing =
            b.size() / static_cast<std::size_t>(std::max(c.substitutions, 1));
        std::uint64_t substituted = 0;
        for (int s = 0; s < c.substitutions; ++s) {
            const std::size_t at = s * spacing + random() % (spacing - 40) + 20;
            if (at + 20 >= removedAt && at < removedAt + c.removedBlock + 20) continue;
            b[at] = (1ull << 63) | random();
            ++substituted;
        }
        b.erase(b.begin() + removedAt, b.begin() + removedAt + c.removedBlock);
        // Backwards, so that each edit leaves the places of the next alone.
        for (int s = c.shifts - 1; s >= 0; --s) {
            const std::size_t at = b.size() * static_cast<std::size_t>(s) / c.shifts + 7;
            if (s % 2 == 0) {
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), random() % c.period);
            } else {
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
            }
        }
        Seq block(static_cast<std::size_t>(c.insertedBlock));
        for (auto& v : block) v = (1ull << 62) | random();
        b.insert(b.begin() + b.size() / 3, block.begin(), block.end());
        const SequenceDiff d = DiffSequences(a, b);
        ExpectConsistent(d, a, b);
        EXPECT_FALSE(d.exact);
        // The block edges may pair a substitution with a block item.
        EXPECT_NEAR(static_cast<double>(d.changed), static_cast<double>(substituted), 2);
        EXPECT_NEAR(static_cast<double>(d.inserted), c.insertedBlock + c.shifts / 2, 2);
        EXPECT_NEAR(static_cast<double>(d.removed), c.removedBlock + c.shifts / 2, 2);
    }
}

TEST(SequenceDiffTest, SmallEdits) {
    struct Case {
        Seq a, b;
        std::uint64_t changed, inserted, removed;
        std::size_t prefix;
    };
    const Case cases[] = {
        // 2 became 9, 7 8 came in.
        {{1, 2, 3, 4, 5, 6}, {1, 9, 3, 4, 7, 8, 5, 6}, 1, 2, 0, 1},
        // A substitution in a repeating stream is a change, not a shift.
        {{1, 2, 1, 2, 1, 2, 1, 2}, {1, 2, 1, 1, 1, 2, 1, 2}, 1, 0, 0, 3},
        {{}, {}, 0, 0, 0, 0},
        {{}, {1, 2}, 0, 2, 0, 0},
        {{1, 2}, {1}, 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        const SequenceDiff d = DiffSequences(c.a, c.b);
        EXPECT_TRUE(d.exact);
        EXPECT_EQ(d.changed, c.changed);
        EXPECT_EQ(d.inserted, c.inserted);
        EXPECT_EQ(d.removed, c.removed);
        EXPECT_EQ(d.commonPrefix, c.prefix);
    }
}

TEST(SequenceDiffTest, EditsUpToTheExactCostAreExactInRepeatingSequences) {
    // Every second diagonal matches for long stretches: the search's worst case.
    Seq a(200'000);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = i % 2;
    Seq b = a;
    for (std::size_t k = 0; k < kExactEditCost; ++k) b[1000 + k * 1900] = 5;
    const SequenceDiff d = DiffSequences(a, b);
    EXPECT_TRUE(d.exact);
    EXPECT_EQ(d.changed, kExactEditCost);
    b[199'000] = 5;
    EXPECT_FALSE(DiffSequences(a, b).exact);
}

TEST(SequenceDiffTest, LongSequencesWithFewEditsAreExact) {
    // A million items with a few edits far apart.
    Seq a(1'000'000);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = i % 3;
    Seq b = a;
    b[10] = 7;
    b.erase(b.begin() + 500'000);
    b.insert(b.begin() + 900'000, {7, 8, 9});
    const SequenceDiff d = DiffSequences(a, b);
    EXPECT_TRUE(d.exact);
    EXPECT_EQ(d.changed, 1u);
    EXPECT_EQ(d.removed, 1u);
    EXPECT_EQ(d.inserted, 3u);
    EXPECT_EQ(d.commonPrefix, 10u);
}

}  // namespace
