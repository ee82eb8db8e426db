// The chunked run-length decoder against the rule taken one code at a time,
// above all where a stretch of repeat codes meets the edges of the 64-byte
// chunks it classifies at once.
#include "display/run_length.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The rule: a code at or below the threshold is itself, one above repeats
// the next byte; the last code of the line takes the byte after the line,
// if there is one; the output stops at the limit.
Bytes DecodeOneCodeAtATime(const Bytes& job, std::uint32_t length, std::uint32_t threshold,
                           std::uint32_t limit) {
    Bytes out;
    for (std::uint32_t i = 0; i < length && out.size() < limit;) {
        const std::uint32_t code = job[i];
        if (code <= threshold) {
            out.push_back(static_cast<std::uint8_t>(code));
            i += 1;
            continue;
        }
        if (i + 1 >= job.size()) break;
        const std::size_t count = std::min<std::size_t>(code - threshold, limit - out.size());
        out.insert(out.end(), count, job[i + 1]);
        i += 2;
    }
    return out;
}

constexpr std::uint8_t kGuard = 0xA5;

// Decodes the first `length` bytes of job (which may hold one byte more, the
// job going on) into a buffer of `capacity` followed by guard bytes, and
// checks the result against the rule and that the guard is untouched, with
// each form of the decoder this processor runs. The job is its own
// allocation, so the sanitizer build catches a read past it.
void ExpectDecodesLikeTheRule(const Bytes& job, std::uint32_t length, std::uint32_t threshold,
                              std::uint32_t limit, std::uint32_t capacity) {
    const Bytes expected = DecodeOneCodeAtATime(job, length, threshold, limit);
    for (const bool avx2 : {false, true}) {
        if (avx2 && !RunLengthDecodeUsesAvx2()) continue;
        SCOPED_TRACE(::testing::Message()
                     << "length " << length << " threshold " << threshold << " limit " << limit
                     << " capacity " << capacity << " avx2 " << avx2);
        Bytes buffer(capacity + 64, kGuard);
        const std::uint32_t decoded =
            run_length_detail::DecodeRunLengths(job.data(), length, job.size() > length, threshold,
                                                limit, buffer.data(), capacity, avx2);
        ASSERT_EQ(decoded, expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
        EXPECT_TRUE(std::all_of(buffer.begin() + capacity, buffer.end(),
                                [](std::uint8_t b) { return b == kGuard; }));
    }
}

constexpr std::uint32_t kCapacity = 65536;

// Every stretch of bytes above the threshold from 0 to 140 long, starting at
// every place in the first two chunks: codes and values alternate from the
// stretch's start, whichever chunk it starts or ends in, and a repeat code
// at a chunk's last byte takes its value from the next chunk.
TEST(RunLengthTest, StretchesOfRepeatCodesAcrossChunkEdges) {
    for (std::uint32_t start = 0; start < 130; ++start) {
        for (std::uint32_t stretch = 0; stretch <= 140; ++stretch) {
            Bytes job(start + stretch + 70);
            for (std::size_t k = 0; k < job.size(); ++k) {
                job[k] = static_cast<std::uint8_t>(k % 7 + 1);  // literals
            }
            for (std::uint32_t k = 0; k < stretch; ++k) {
                job[start + k] = static_cast<std::uint8_t>(193 + (start + k) % 60);
            }
            ExpectDecodesLikeTheRule(job, static_cast<std::uint32_t>(job.size()), 192, kCapacity,
                                     kCapacity);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// Random lines around the chunk sizes and longer, with every kind of
// threshold, lines that end in a repeat code with and without a byte after
// them, limits anywhere (0 included) and outputs too small for whole chunks.
TEST(RunLengthTest, RandomLinesLimitsAndCapacities) {
    std::mt19937 random(11);
    const std::uint32_t thresholds[] = {1, 2, 100, 127, 128, 129, 192, 200, 254, 255};
    for (int round = 0; round < 4000; ++round) {
        const std::uint32_t threshold = thresholds[random() % std::size(thresholds)];
        const std::uint32_t length =
            round % 4 == 0 ? random() % 5000 : static_cast<std::uint32_t>(random() % 200);
        // Mostly codes above the threshold in some rounds, few in others.
        const std::uint32_t repeatShare = random() % 101;
        Bytes job(length + random() % 2);
        std::uniform_int_distribution<std::uint32_t> above(std::min(threshold + 1, 255u), 255);
        std::uniform_int_distribution<std::uint32_t> atOrBelow(0, threshold);
        for (std::uint8_t& b : job) {
            const bool repeat = threshold < 255 && random() % 100 < repeatShare;
            b = static_cast<std::uint8_t>(repeat ? above(random) : atOrBelow(random));
        }
        const std::uint32_t capacity =
            round % 3 == 0 ? kCapacity : 256 + static_cast<std::uint32_t>(random() % 20000);
        const std::uint32_t limit =
            round % 5 == 0 ? capacity : static_cast<std::uint32_t>(random() % (capacity + 1));
        ExpectDecodesLikeTheRule(job, length, threshold, limit, capacity);
        if (::testing::Test::HasFailure()) return;
    }
}

// A line of the longest repeats fills the output: the chunks stop where a
// chunk's stores might pass the end, and the rest is cut at the capacity.
TEST(RunLengthTest, LongestRepeatsFillTheOutputExactly) {
    Bytes job;
    for (int k = 0; k < 600; ++k) {
        job.push_back(255);
        job.push_back(static_cast<std::uint8_t>(k));
    }
    const auto length = static_cast<std::uint32_t>(job.size());
    for (const std::uint32_t capacity : {kCapacity, 8448u, 8449u, 9000u, 300u}) {
        ExpectDecodesLikeTheRule(job, length, 1, capacity, capacity);
        ExpectDecodesLikeTheRule(job, length, 1, capacity - 1, capacity);
    }
}

}  // namespace
