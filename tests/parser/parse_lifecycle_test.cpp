// The magic check, the order of hooks and m_pos in them, and what a second
// Parse keeps and resets.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "parser/job_format.h"
#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MagicTest, JobsThatAreNotDecoded) {
    const std::pair<Bytes, std::uint32_t> cases[] = {
        {Bytes{}, jobformat::kErrorTruncated},
        {Bytes{'L', 'T'}, jobformat::kErrorTruncated},
        {Bytes{'L', 'T', 'X', 0x1B, 'N', 3, 0x00}, jobformat::kErrorBadMagic},
        {Bytes{'l', 'T', 'T'}, jobformat::kErrorBadMagic},
    };
    for (const auto& [job, bit] : cases) {
        HookLog parser;
        parser.ParseJob(job);
        EXPECT_EQ(parser.State().errorFlags, bit) << job.size();
        EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin});
        EXPECT_EQ(parser.State().unknownCount, 0);
        EXPECT_EQ(parser.State().penNumber, 0);
    }
}

TEST(MagicTest, MagicAloneIsAValidJob) {
    HookLog parser;
    parser.ParseJob(Bytes{'L', 'T', 'T'});
    EXPECT_EQ(parser.State().errorFlags, 0u);
    EXPECT_EQ(parser.State().pos, 3u);
    EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin});
}

TEST(MagicTest, SwitchedOffDecodingStartsAtTheFirstByte) {
    HookLog parser;
    parser.SetCheckMagic(false);
    parser.ParseJob(Bytes{'X', 0x1B, 'N', 2});
    EXPECT_EQ(parser.State().errorFlags, 0u);
    EXPECT_EQ(parser.State().unknownCount, 1);
    EXPECT_EQ(parser.State().penNumber, 2);
}

TEST(AttachTest, NullPointerIsRefusedAndChangesNothing) {
    const Bytes job{'L', 'T', 'T'};
    HookLog parser;
    EXPECT_EQ(parser.Attach(job.data(), 3), 1);
    EXPECT_EQ(parser.Attach(nullptr, 99), 0);
    EXPECT_EQ(parser.Data(), job.data());
    EXPECT_EQ(parser.State().dataSize, 3u);
}

TEST(HookOrderTest, HooksComeInStreamOrderWithThePositionAfterTheirCommand) {
    JobWriter w;
    w.Magic()                           // 0
        .FileName("badge")              // 3, 8 bytes
        .Pen(2)                         // 11, 3
        .Raster('0', 1, 2, Bytes{0xF})  // 14, 15
        .MoveAbsolute(5, 6)             // 29, 10
        .PenDown('P')                   // 39, 2
        .LineRelative(7, 8)             // 41, 10
        .ArcC(1, 1, 0, 1)               // 51, 18
        .PenUp()                        // 69, 2
        .EscV()                         // 71, 2
        .Trailer();                     // 73, 10
    HookLog parser;
    parser.ParseJob(w.Bytes());
    const std::vector<std::pair<Hook, std::uint32_t>> expected = {
        {Hook::kFileName, 11},     {Hook::kPenSelect, 14}, {Hook::kRasterLine, 29},
        {Hook::kMoveAbsolute, 39}, {Hook::kPenDown, 41},   {Hook::kLineRelative, 51},
        {Hook::kArcC, 69},         {Hook::kPenUp, 71},     {Hook::kEscV, 73},
        {Hook::kJobEnd, 83},
    };
    ASSERT_EQ(parser.events.size(), expected.size() + 1);
    EXPECT_EQ(parser.events[0].hook, Hook::kParseBegin);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(parser.events[i + 1].hook, expected[i].first) << i;
        EXPECT_EQ(parser.events[i + 1].state.pos, expected[i].second) << i;
    }
    EXPECT_EQ(parser.State().errorFlags, 0u);
    // Values are stored before the hook that reports them.
    EXPECT_EQ(parser.events[2].state.penNumber, 2);
    EXPECT_EQ(parser.events[5].state.penDown, 1);
    EXPECT_EQ(parser.events[8].state.penDown, 0);
}

TEST(SecondParseTest, StartsFromZeroButBeginHookSeesThePreviousJob) {
    JobWriter first;
    first.Magic().Pen(7).BitMode(0x13).EscJ(40).Raw({0x00}).Trailer(1, 1);
    JobWriter second;
    second.Magic().DotStep(3);

    HookLog parser;
    parser.ParseJob(first.Bytes());
    const ParserState afterFirst = parser.State();
    ASSERT_EQ(afterFirst.errorFlags, jobformat::kErrorChecksumMismatch);
    ASSERT_EQ(afterFirst.cmdStart, 9);  // ESC 'J'

    parser.ParseJob(second.Bytes());
    EXPECT_EQ(parser.events.front().hook, Hook::kParseBegin);
    const ParserState& begin = parser.events.front().state;
    EXPECT_EQ(begin.penNumber, 7);
    EXPECT_EQ(begin.escMBit4, 1);
    EXPECT_EQ(begin.errorFlags, jobformat::kErrorChecksumMismatch);

    const ParserState end = parser.State();
    EXPECT_EQ(end.errorFlags, 0u);
    EXPECT_EQ(end.penNumber, 0);
    EXPECT_EQ(end.bitMode, 0);
    EXPECT_EQ(end.escMBit4, 0);
    EXPECT_EQ(end.escJ, 0);
    EXPECT_EQ(end.unknownCount, 0);
    EXPECT_EQ(end.checksumSum, 0u);
    EXPECT_EQ(end.dotStep, 3);
    // No command of the second job set the descriptor.
    EXPECT_EQ(end.cmdStart, afterFirst.cmdStart);
    EXPECT_EQ(end.cmdLength, afterFirst.cmdLength);
}

TEST(SecondParseTest, ParsingTheSameJobAgainGivesTheSameResult) {
    JobWriter w;
    w.Magic().Pen(1).Raw({0x05}).MoveAbsolute(1, 1).Trailer();
    HookLog parser;
    parser.ParseJob(w.Bytes());
    const ParserState once = parser.State();
    const std::vector<Hook> hooks = parser.Hooks();
    parser.events.clear();
    parser.Parse();
    EXPECT_EQ(parser.State(), once);
    EXPECT_EQ(parser.Hooks(), hooks);
}

}  // namespace
