// The magic check, the order of hooks and m_pos in them, and what a second
// Parse keeps and resets.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
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
        EXPECT_EQ(parser.State().m_errorFlags, bit) << job.size();
        EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin});
        EXPECT_EQ(parser.State().m_unknownCount, 0u);
        EXPECT_EQ(parser.State().m_penNumber, 0);
    }
}

TEST(MagicTest, MagicAloneIsAValidJob) {
    HookLog parser;
    parser.ParseJob(Bytes{'L', 'T', 'T'});
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    EXPECT_EQ(parser.State().m_pos, 3u);
    EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin});
}

TEST(MagicTest, SwitchedOffDecodingStartsAtTheFirstByte) {
    HookLog parser;
    parser.SetCheckMagic(false);
    parser.ParseJob(Bytes{'X', 0x1B, 'N', 2});
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    EXPECT_EQ(parser.State().m_unknownCount, 1u);
    EXPECT_EQ(parser.State().m_penNumber, 2);
}

TEST(AttachTest, NullPointerIsRefusedAndChangesNothing) {
    const Bytes job{'L', 'T', 'T'};
    HookLog parser;
    EXPECT_EQ(parser.Attach(job.data(), 3), 1);
    EXPECT_EQ(parser.Attach(nullptr, 99), 0);
    EXPECT_EQ(parser.Data(), job.data());
    EXPECT_EQ(parser.State().m_dataSize, 3u);
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
        EXPECT_EQ(parser.events[i + 1].state.m_pos, expected[i].second) << i;
    }
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    // Values are stored before the hook that reports them.
    EXPECT_EQ(parser.events[2].state.m_penNumber, 2);
    EXPECT_EQ(parser.events[5].state.m_penDown, 1);
    EXPECT_EQ(parser.events[8].state.m_penDown, 0);
}

// Every field Parse resets, as a list of members, so that a test can tell
// that a job really set each of them.
constexpr auto kRecordedFields = std::make_tuple(
    &RecordedState::m_escLowV, &RecordedState::m_fileName, &RecordedState::m_bitMode,
    &RecordedState::m_escOBit4, &RecordedState::m_escQ, &RecordedState::m_dotStep,
    &RecordedState::m_escOBit0, &RecordedState::m_rleBase, &RecordedState::m_escT,
    &RecordedState::m_escMBit4, &RecordedState::m_escY, &RecordedState::m_escH,
    &RecordedState::m_escR, &RecordedState::m_checksumSum, &RecordedState::m_checksumStored,
    &RecordedState::m_unknownCount, &RecordedState::m_penNumber, &RecordedState::m_escJ,
    &RecordedState::m_escS, &RecordedState::m_escP, &RecordedState::m_penDown,
    &RecordedState::m_errorFlags, &RecordedState::m_pos);
static_assert(std::tuple_size_v<decltype(kRecordedFields)> == 23);

TEST(SecondParseTest, StartsFromZeroButBeginHookSeesThePreviousJob) {
    JobWriter first;
    first.Magic().EscLowV({1, 2, 3}).FileName("part").BitMode(0x12).EscO(0x11).EscQ(4, 5);
    first.DotStep(6).RleBase(7).EscT({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    first.EscY(8).EscH(9).EscR(10).Pen(11).EscJ(12).EscS(13).EscP(14).PenDown();
    first.Raw({0x00}).Trailer(1, 1);
    JobWriter second;
    second.Magic().MoveAbsolute(1, 1);  // sets the descriptor, which Parse keeps

    HookLog parser;
    parser.ParseJob(first.Bytes());
    const ParserState afterFirst = parser.State();
    const RecordedState zero;
    const auto isSet = [&](auto field) { EXPECT_NE(afterFirst.*field, zero.*field); };
    std::apply([&](auto... fields) { (isSet(fields), ...); }, kRecordedFields);

    parser.ParseJob(second.Bytes());
    EXPECT_EQ(parser.events.front().hook, Hook::kParseBegin);
    const RecordedState& begin = parser.events.front().state;
    EXPECT_TRUE(begin == static_cast<const RecordedState&>(afterFirst));

    HookLog fresh;
    fresh.ParseJob(second.Bytes());
    const ParserState again = parser.State();
    const ParserState expected = fresh.State();
    const auto isReset = [&](auto field) { EXPECT_EQ(again.*field, expected.*field); };
    std::apply([&](auto... fields) { (isReset(fields), ...); }, kRecordedFields);
    EXPECT_TRUE(again == expected);
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
