// The alignment behind the command-stream comparison: against a plain
// longest-common-subsequence table on random sequences, hunk folding, and the
// cost limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "cli/sequence_diff.h"

namespace {

using Seq = std::vector<std::uint64_t>;

std::size_t LcsLength(const Seq& a, const Seq& b) {
    std::vector<std::vector<std::size_t>> t(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            t[i][j] =
                a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
        }
    }
    return t[a.size()][b.size()];
}

TEST(SequenceDiffTest, CountsMatchTheLongestCommonSubsequence) {
    std::mt19937 random(15);
    for (int round = 0; round < 3000; ++round) {
        // Few distinct values, so that there are many ways to align.
        const std::uint64_t alphabet = 1 + random() % 5;
        Seq a(random() % 40);
        for (auto& v : a) v = random() % alphabet;
        Seq b = a;
        for (int edits = static_cast<int>(random() % 8); edits > 0; --edits) {
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
        const SequenceDiff d = DiffSequences(a, b);
        const std::size_t lcs = LcsLength(a, b);
        ASSERT_TRUE(d.exact);
        ASSERT_EQ(d.removed + d.changed, a.size() - lcs) << "round " << round;
        ASSERT_EQ(d.inserted + d.changed, b.size() - lcs) << "round " << round;
        ASSERT_EQ(d.Identical(), a == b);
        std::size_t prefix = 0;
        while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
        ASSERT_EQ(d.commonPrefix, prefix);
    }
}

TEST(SequenceDiffTest, ReplacementsMeetingInsertionsAreChanges) {
    // 1 2 3 4 5 6 -> 1 9 3 4 7 8 5: 2 became 9 (changed), 7 8 came in.
    const SequenceDiff d = DiffSequences(Seq{1, 2, 3, 4, 5, 6}, Seq{1, 9, 3, 4, 7, 8, 5});
    EXPECT_EQ(d.changed, 1u);
    EXPECT_EQ(d.inserted, 2u);
    EXPECT_EQ(d.removed, 1u);  // the 6 at the end
    EXPECT_EQ(d.commonPrefix, 1u);
}

TEST(SequenceDiffTest, CostLimitCountsTheRestAsReplaced) {
    Seq a(1000);
    Seq b(1200);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = i;
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = 100000 + i;
    b[0] = 0;  // a shared first item
    const SequenceDiff limited = DiffSequences(a, b, 16);
    EXPECT_FALSE(limited.exact);
    EXPECT_EQ(limited.changed, 999u);
    EXPECT_EQ(limited.inserted, 200u);
    EXPECT_EQ(limited.removed, 0u);
    const SequenceDiff full = DiffSequences(a, b, 4096);
    EXPECT_TRUE(full.exact);
    EXPECT_EQ(full.changed + full.removed, 999u);
}

TEST(SequenceDiffTest, LongSequencesWithScatteredEdits) {
    // A million items with a few edits far apart.
    Seq a(1'000'000);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = i * 2654435761u;
    Seq b = a;
    b[10] = 1;
    b.erase(b.begin() + 500'000);
    b.insert(b.begin() + 900'000, {7, 8, 9});
    const SequenceDiff d = DiffSequences(a, b);
    EXPECT_TRUE(d.exact);
    EXPECT_EQ(d.changed, 1u);
    EXPECT_EQ(d.removed, 1u);
    EXPECT_EQ(d.inserted, 3u);
    EXPECT_EQ(d.commonPrefix, 10u);
}

TEST(SequenceDiffTest, EmptySides) {
    EXPECT_TRUE(DiffSequences(Seq{}, Seq{}).Identical());
    const SequenceDiff added = DiffSequences(Seq{}, Seq{1, 2});
    EXPECT_EQ(added.inserted, 2u);
    EXPECT_EQ(added.commonPrefix, 0u);
    const SequenceDiff dropped = DiffSequences(Seq{1, 2}, Seq{1});
    EXPECT_EQ(dropped.removed, 1u);
    EXPECT_EQ(dropped.commonPrefix, 1u);
}

}  // namespace
