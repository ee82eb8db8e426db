// The line arithmetic of the raster path against the plain rules it stands
// for: the reciprocal divider against division, the word-wise bit and
// column searches against one bit at a time, the clip at the bed's edges
// against a byte-by-byte rule.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "display/column_set.h"
#include "display/raster_line.h"

namespace {

TEST(StepDividerTest, MatchesDivisionForEveryStepAtItsBoundaries) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 34;  // the range it is exact for
    for (std::int64_t step = 1; step <= 256; ++step) {
        const StepDivider divide(step);
        std::vector<std::int64_t> values = {0, 1, 2, 255, 256, 257, 65535, 65536};
        // Around multiples of the step, where a rounding error would show
        // first, near 0, 2^31, 2^32 and the top of the range.
        for (const std::int64_t base :
             {std::int64_t{0}, std::int64_t{1} << 31, std::int64_t{1} << 32, kLimit - 2 * step}) {
            const std::int64_t multiple = base / step * step;
            for (std::int64_t k = -2; k <= 3; ++k) {
                values.push_back(multiple + k * step - 1);
                values.push_back(multiple + k * step);
                values.push_back(multiple + k * step + 1);
            }
        }
        values.push_back(kLimit - 1);
        for (const std::int64_t n : values) {
            if (n < 0 || n >= kLimit) continue;
            ASSERT_EQ(divide(n), n / step) << n << " / " << step;
        }
    }
}

// A bit buffer with the slack the word-wise reads may touch.
struct Bits {
    static constexpr std::int64_t kBitCount = 192;
    std::array<std::uint8_t, kBitCount / 8 + kDecodeSlack> bytes{};

    void Set(std::int64_t bit) { bytes[bit >> 3] |= std::uint8_t(0x80u >> (bit & 7)); }
    bool Test(std::int64_t bit) const { return (bytes[bit >> 3] >> (7 - (bit & 7))) & 1; }
    std::int64_t NextOneByOne(std::int64_t first, std::int64_t end) const {
        while (first < end && !Test(first)) ++first;
        return first;
    }
};

TEST(NextSetBitTest, FindsEachBitFromEveryStartAcrossWordEdges) {
    for (std::int64_t bit = 0; bit < Bits::kBitCount; ++bit) {
        Bits bits;
        bits.Set(bit);
        // Bits past the end asked for, in the slack too, must not be found.
        bits.bytes.back() = 0xFF;
        for (std::int64_t first = 0; first <= Bits::kBitCount; ++first) {
            for (const std::int64_t end : {bit, bit + 1, Bits::kBitCount}) {
                if (end < first) continue;
                ASSERT_EQ(NextSetBit(bits.bytes.data(), first, end), bits.NextOneByOne(first, end))
                    << "bit " << bit << " from " << first << " to " << end;
            }
        }
    }
}

TEST(NextSetBitTest, DenseAndEmptyStretches) {
    Bits bits;
    for (const std::int64_t bit : {0, 7, 8, 63, 64, 65, 127, 128, 191}) bits.Set(bit);
    for (std::int64_t first = 0; first <= Bits::kBitCount; ++first) {
        for (std::int64_t end = first; end <= Bits::kBitCount; ++end) {
            ASSERT_EQ(NextSetBit(bits.bytes.data(), first, end), bits.NextOneByOne(first, end))
                << first << " to " << end;
        }
    }
    const Bits none;
    EXPECT_EQ(NextSetBit(none.bytes.data(), 0, Bits::kBitCount), Bits::kBitCount);
}

// Every query of a set of 130 columns (two words and a part) against a plain
// list of marks, for every range.
void ExpectColumnSetMatches(const std::vector<std::int32_t>& marks) {
    constexpr std::int32_t kColumns = 130;
    ColumnSet set;
    ASSERT_TRUE(set.Resize(kColumns));
    std::vector<bool> marked(kColumns, false);
    for (const std::int32_t column : marks) {
        set.Mark(column);
        marked[static_cast<std::size_t>(column)] = true;
    }
    for (std::int32_t first = 0; first <= kColumns; ++first) {
        for (std::int32_t end = first; end <= kColumns; ++end) {
            std::int32_t nextMarked = first;
            while (nextMarked < end && !marked[static_cast<std::size_t>(nextMarked)]) ++nextMarked;
            std::int32_t nextOpen = first;
            while (nextOpen < end && marked[static_cast<std::size_t>(nextOpen)]) ++nextOpen;
            std::int32_t lastOpen = end - 1;
            while (lastOpen >= first && marked[static_cast<std::size_t>(lastOpen)]) --lastOpen;
            ASSERT_EQ(set.NextMarked(first, end), nextMarked) << first << " to " << end;
            ASSERT_EQ(set.NextUnmarked(first, end), nextOpen) << first << " to " << end;
            ASSERT_EQ(set.LastUnmarked(first, end), lastOpen) << first << " to " << end;
        }
    }
    for (std::int32_t end = 0; end <= kColumns; ++end) {
        std::vector<std::int32_t> visited;
        set.ForEachMarked(end, [&](std::int32_t column) { visited.push_back(column); });
        std::vector<std::int32_t> expected;
        for (std::int32_t c = 0; c < end; ++c) {
            if (marked[static_cast<std::size_t>(c)]) expected.push_back(c);
        }
        ASSERT_EQ(visited, expected) << "below " << end;
    }
}

TEST(ColumnSetTest, QueriesMatchAPlainListAtWordEdges) {
    ExpectColumnSetMatches({});
    ExpectColumnSetMatches({0, 63, 64, 127, 128, 129});
    ExpectColumnSetMatches({1, 62, 65, 126});
    std::vector<std::int32_t> all;
    for (std::int32_t c = 0; c < 130; ++c) all.push_back(c);
    ExpectColumnSetMatches(all);
    std::vector<std::int32_t> allButEdges;
    for (std::int32_t c = 0; c < 130; ++c) {
        if (c != 0 && c != 63 && c != 64 && c != 129) allButEdges.push_back(c);
    }
    ExpectColumnSetMatches(allButEdges);
}

TEST(ColumnSetTest, ClearAndCopyTakeEveryWord) {
    ColumnSet a;
    ColumnSet b;
    ASSERT_TRUE(a.Resize(130));
    ASSERT_TRUE(b.Resize(130));
    for (const std::int32_t column : {0, 64, 129}) a.Mark(column);
    b.Mark(5);
    b.CopyFrom(a);
    EXPECT_EQ(b.NextMarked(0, 130), 0);
    EXPECT_EQ(b.NextMarked(1, 130), 64);
    EXPECT_EQ(b.NextMarked(65, 130), 129);
    a.Clear();
    EXPECT_EQ(a.NextMarked(0, 130), 130);
    EXPECT_EQ(b.NextUnmarked(0, 1), 1);  // the copy is its own
}

// The clip rule one byte at a time: a byte stays when none of its dots lies
// at or past the bed's right edge; dots left of the bed are not its concern.
LineClip ClipOneByteAtATime(std::int64_t x, std::int64_t dotsPerByte, bool forward, std::int64_t n,
                            std::int64_t width) {
    LineClip clip;
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t highest = forward ? x + (i + 1) * dotsPerByte - 1 : x - i * dotsPerByte;
        if (highest >= width) continue;
        if (!clip.kept) {
            clip.kept = true;
            clip.firstByte = i;
            clip.x = forward ? x : highest;
        }
        ++clip.bytes;
    }
    return clip;
}

TEST(ClipLineTest, MatchesTheByteRuleAtBothBedEdges) {
    for (const std::int64_t width : {1, 8, 100}) {
        for (std::int64_t dotsPerByte = 1; dotsPerByte <= 17; ++dotsPerByte) {
            for (std::int64_t n = 1; n <= 6; ++n) {
                // Lines that start left of the bed, cross its left edge,
                // lie inside it, and cross or start past its right edge.
                for (std::int64_t x = -120; x <= width + 120; ++x) {
                    for (const bool forward : {true, false}) {
                        const LineClip expected =
                            ClipOneByteAtATime(x, dotsPerByte, forward, n, width);
                        const LineClip clip = ClipLine(x, dotsPerByte, forward, n, width);
                        ASSERT_EQ(clip.kept, expected.kept)
                            << "x " << x << " n " << n << " per byte " << dotsPerByte << " width "
                            << width << (forward ? " '0'" : " '1'");
                        if (!expected.kept) continue;
                        ASSERT_EQ(clip.firstByte, expected.firstByte) << x;
                        ASSERT_EQ(clip.bytes, expected.bytes) << x;
                        ASSERT_EQ(clip.x, expected.x) << x;
                    }
                }
            }
        }
    }
}

TEST(ClipLineTest, DotStepZeroKeepsALineOnTheBed) {
    // Every pixel of a line with dot step 0 lies on its first dot.
    EXPECT_TRUE(ClipLine(99, 0, true, 5, 100).kept);
    EXPECT_EQ(ClipLine(99, 0, true, 5, 100).bytes, 5);
    EXPECT_FALSE(ClipLine(100, 0, true, 5, 100).kept);
    EXPECT_TRUE(ClipLine(98, 0, false, 5, 100).kept);
    EXPECT_EQ(ClipLine(98, 0, false, 5, 100).x, 98);
    EXPECT_FALSE(ClipLine(100, 0, false, 5, 100).kept);
}

}  // namespace
