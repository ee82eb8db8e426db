// Raster lines whose block length does not fit: too short for x and y, or
// reaching past the end of the job, up to the largest N.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RasterBlockTest, BlockTooShortForXAndYIsSkippedWithoutHook) {
    for (std::uint32_t n = 0; n < 8; ++n) {
        JobWriter w;
        w.Magic().RasterBlock('0', n, Bytes(n, 0x00)).Pen(6);
        HookLog parser;
        parser.ParseJob(w.Bytes());
        EXPECT_EQ(parser.Hooks(), (std::vector<Hook>{Hook::kParseBegin, Hook::kPenSelect}))
            << "N " << n;
        EXPECT_EQ(parser.events.back().state.m_pos, 3 + 6 + n + 3);
        EXPECT_EQ(parser.State().m_unknownCount, 0u);
    }
}

TEST(RasterBlockTest, ShortBlockRunningPastTheEndStopsAtTheEnd) {
    JobWriter w;
    w.Magic().RasterBlock('1', 7, Bytes{1, 2});
    HookLog parser;
    parser.ParseJob(w.Bytes());
    EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin});
    EXPECT_EQ(parser.State().m_pos, w.Size());
}

// Block lengths near 2^32 must not wrap the position round to an earlier
// byte (which would re-read the job, or loop).
TEST(RasterBlockTest, HugeBlockLengthsEndTheWalk) {
    for (const std::uint32_t n : {0xFFFFFFFFu, 0xFFFFFFFAu, 0xFFFFFFF9u, 0x80000000u, 100u}) {
        JobWriter w;
        w.Magic().RasterBlock('0', n, Bytes(12, 0x1B)).Pen(1);
        HookLog parser;
        parser.ParseJob(w.Bytes());
        EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin}) << n;
        EXPECT_EQ(parser.State().m_pos, w.Size()) << n;
        EXPECT_EQ(parser.State().m_penNumber, 0) << n;
    }
}

TEST(RasterBlockTest, BlockEndingExactlyAtTheJobEndIsKept) {
    JobWriter w;
    w.Magic().Raster('1', 3, 4, Bytes{0xAA, 0xAA, 0xAA, 0xAA});
    HookLog parser;
    parser.ParseJob(w.Bytes());
    ASSERT_EQ(parser.Hooks(), (std::vector<Hook>{Hook::kParseBegin, Hook::kRasterLine}));
    EXPECT_EQ(parser.events[1].state.m_pos, w.Size());
    EXPECT_EQ(parser.events[1].state.m_cmdLength, std::uint32_t(w.Size() - 3));
}

}  // namespace
