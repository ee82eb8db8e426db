// The trailer check: where it stops, which bits it sets, what it leaves to
// be read as top-level bytes, and the checksum over jobs with many trailers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "parser/job_format.h"
#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace jobformat;

const Bytes kSmallestJob = {0x4C, 0x54, 0x54, 0x1B, 0x42, 0x59, 0x45, 0x01, 0xEF, 0, 0, 0, 0x0D};

Bytes Patched(Bytes job, std::size_t offset, std::uint8_t value) {
    job[offset] = value;
    return job;
}

struct TrailerCase {
    const char* name;
    Bytes job;
    std::uint32_t errorFlags;
    std::uint32_t unknownCount;
    std::uint32_t posAtJobEnd;
    std::uint32_t checksumSum;
    std::uint32_t checksumStored;
};

class TrailerTest : public ::testing::TestWithParam<TrailerCase> {};

TEST_P(TrailerTest, StopsAtFirstFailureAndResumesAfterIt) {
    const TrailerCase& c = GetParam();
    HookLog parser;
    parser.ParseJob(c.job);
    const ParserState end = parser.State();
    EXPECT_EQ(end.m_errorFlags, c.errorFlags);
    EXPECT_EQ(end.m_unknownCount, c.unknownCount);
    EXPECT_EQ(end.m_checksumSum, c.checksumSum);
    EXPECT_EQ(end.m_checksumStored, c.checksumStored);
    EXPECT_EQ(end.m_pos, c.job.size());
    ASSERT_EQ(parser.Hooks(), (std::vector<Hook>{Hook::kParseBegin, Hook::kJobEnd}));
    EXPECT_EQ(parser.events[1].state.m_pos, c.posAtJobEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrailerTest,
    ::testing::Values(
        TrailerCase{"Valid", kSmallestJob, 0, 0, 13, 495, 495},
        TrailerCase{"LengthOff", Patched(kSmallestJob, 12, 0x0E), kErrorLengthMismatch, 0, 13, 495,
                    495},
        // The four length bytes are then read as top-level bytes.
        TrailerCase{"ChecksumOff", Patched(kSmallestJob, 8, 0xF0), kErrorChecksumMismatch, 4, 9,
                    495, 496},
        // ESC 'W' after the magic: the check stops at the checksum, so the
        // length mismatch is never looked at.
        TrailerCase{
            "EscWInserted",
            Bytes{0x4C, 0x54, 0x54, 0x1B, 'W', 0x1B, 0x42, 0x59, 0x45, 0x01, 0xEF, 0, 0, 0, 0x0D},
            kErrorChecksumMismatch, 4, 11, 609, 495},
        TrailerCase{"TagCutShort", Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y'}, kErrorTruncated, 1, 5, 0,
                    0},
        TrailerCase{"TagMismatch", Bytes{'L', 'T', 'T', 0x1B, 'B', 'X', 'E'}, kErrorTruncated, 2, 6,
                    0, 0},
        TrailerCase{"SecondTagByteMismatch", Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y', 'Y', 'E'},
                    kErrorTruncated, 2, 7, 0, 0},
        TrailerCase{"ChecksumCutShort", Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y', 'E', 0x01},
                    kErrorTruncated, 1, 7, 0, 0},
        // The job ends right after a checksum that matches: the length is
        // what is missing.
        TrailerCase{"EndsAfterTheChecksum", Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y', 'E', 0x01, 0xEF},
                    kErrorTruncated, 0, 9, 495, 495},
        TrailerCase{"LengthCutShort",
                    Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y', 'E', 0x01, 0xEF, 0, 0, 0}, kErrorTruncated,
                    3, 9, 495, 495},
        TrailerCase{"LengthCutShortWithBadChecksum",
                    Bytes{'L', 'T', 'T', 0x1B, 'B', 'Y', 'E', 0x01, 0xEE, 0, 0},
                    kErrorChecksumMismatch, 2, 9, 495, 494}),
    [](const auto& info) { return info.param.name; });

TEST(TrailerChecksumTest, SumIsModuloSixteenBits) {
    JobWriter w;
    w.Magic();
    for (int i = 0; i < 300; ++i) w.Raw({0xFF});  // unknown bytes, summed all the same
    w.Trailer();
    HookLog parser;
    parser.ParseJob(w.Bytes());
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    EXPECT_EQ(parser.State().m_checksumSum, (244u + 300 * 255 + 27 + 'B' + 'Y' + 'E') % 65536);
    EXPECT_EQ(parser.State().m_unknownCount, 300u);
}

// Each trailer in the middle of a job is checked like the final one: its
// sum covers the bytes up to its own 'E' and its length must be the size of
// the whole job. A running sum must give exactly these values.
TEST(TrailerChecksumTest, ManyTrailersEachSumUpToTheirOwnE) {
    constexpr int kTrailers = 1000;
    std::vector<std::uint32_t> expectedSums;
    // Built twice: the first pass only finds the size that every length
    // field must carry.
    const auto build = [&](std::uint32_t size) {
        expectedSums.clear();
        JobWriter w;
        w.Magic();
        for (int i = 0; i < kTrailers; ++i) {
            w.Pen(static_cast<std::uint8_t>(i)).MoveAbsolute(i, -i);
            const auto sum = static_cast<std::uint16_t>(JobWriter::ByteSum(w.Bytes()) + 0x1B + 'B' +
                                                        'Y' + 'E');  // up to its 'E'
            expectedSums.push_back(sum);
            w.Trailer(sum, size);
        }
        return w.Bytes();
    };
    const Bytes job = build(static_cast<std::uint32_t>(build(0).size()));

    HookLog parser;
    parser.ParseJob(job);
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    EXPECT_EQ(parser.State().m_unknownCount, 0u);
    std::size_t seen = 0;
    for (const HookEvent& e : parser.events) {
        if (e.hook != Hook::kJobEnd) continue;
        ASSERT_LT(seen, expectedSums.size());
        EXPECT_EQ(e.state.m_checksumSum, expectedSums[seen]) << "trailer " << seen;
        EXPECT_EQ(e.state.m_checksumStored, expectedSums[seen]);
        ++seen;
    }
    EXPECT_EQ(seen, std::size_t{kTrailers});
}

TEST(TrailerChecksumTest, SecondParseSumsFromTheStartAgain) {
    HookLog parser;
    parser.ParseJob(kSmallestJob);
    parser.Parse();
    EXPECT_EQ(parser.State().m_checksumSum, 495u);
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
}

}  // namespace
