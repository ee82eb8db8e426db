// Every command kind, as the writer produces it: how far the walk moves, which
// hook it raises with which descriptor, and what happens when the job ends
// inside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct CommandCase {
    std::string name;
    std::function<void(JobWriter&)> write;
    std::uint32_t length;
    std::optional<Hook> hook;
    std::uint32_t unknown = 0;
};

const std::array<std::uint8_t, 3> k3{1, 2, 3};

std::vector<CommandCase> AllCommands() {
    std::vector<CommandCase> cases = {
        {"Raster0",
         [](JobWriter& w) {
             w.Raster('0', 10, 20, Bytes{1, 2, 2, 2, 2});
         },
         14 + 3, Hook::kRasterLine},
        {"Raster1NoData", [](JobWriter& w) { w.Raster('1', -5, 7, Bytes{}); }, 14,
         Hook::kRasterLine},
        {"EscC", [](JobWriter& w) { w.RleBase(200); }, 3, {}},
        {"EscD", [](JobWriter& w) { w.DotStep(2); }, 3, {}},
        {"EscE",
         [](JobWriter& w) {
             w.EscE({1, 2, 3, 4, 5, 6, 7});
         },
         9,
         {}},
        {"EscFEmpty", [](JobWriter& w) { w.FileName(""); }, 3, Hook::kFileName},
        {"EscFLong", [](JobWriter& w) { w.FileName(std::string(45, 'n')); }, 48, Hook::kFileName},
        {"EscH", [](JobWriter& w) { w.EscH(0x1234); }, 4, {}},
        {"EscIEmpty", [](JobWriter& w) { w.EscI(Bytes{}); }, 3, {}},
        {"EscIFull", [](JobWriter& w) { w.EscI(Bytes(255, 0x1B)); }, 258, {}},
        {"EscJ", [](JobWriter& w) { w.EscJ(7); }, 4, Hook::kEscJ},
        {"EscL", [](JobWriter& w) { w.EscL(k3); }, 5, {}},
        {"EscM", [](JobWriter& w) { w.BitMode(0x12); }, 3, {}},
        {"EscN", [](JobWriter& w) { w.Pen(3); }, 3, Hook::kPenSelect},
        {"EscO", [](JobWriter& w) { w.EscO(0x11); }, 3, {}},
        {"EscP", [](JobWriter& w) { w.EscP(9); }, 4, Hook::kEscP},
        {"EscQ", [](JobWriter& w) { w.EscQ(1, 2); }, 4, {}},
        {"EscR", [](JobWriter& w) { w.EscR(3); }, 4, {}},
        {"EscS", [](JobWriter& w) { w.EscS(4); }, 4, Hook::kEscS},
        {"EscT", [](JobWriter& w) { w.EscT({}); }, 18, {}},
        {"EscV", [](JobWriter& w) { w.EscV(); }, 2, Hook::kEscV},
        {"EscW", [](JobWriter& w) { w.EscW(); }, 2, {}},
        {"EscY", [](JobWriter& w) { w.EscY(5); }, 6, {}},
        {"Esca", [](JobWriter& w) { w.EscLowA(1); }, 3, {}},
        {"Escf", [](JobWriter& w) { w.EscLowF(1); }, 3, {}},
        {"Escl", [](JobWriter& w) { w.EscLowL({}); }, 34, {}},
        {"Escn", [](JobWriter& w) { w.EscLowN({}); }, 10, {}},
        {"Escv", [](JobWriter& w) { w.EscLowV(k3); }, 5, {}},
        {"EscUnknownZ",
         [](JobWriter& w) {
             w.Raw({0x1B, 'Z'});
         },
         2,
         {},
         1},
        {"EscUnknownLowB",
         [](JobWriter& w) {
             w.Raw({0x1B, 'b'});
         },
         2,
         {},
         1},
    };
    // Vector commands, once with each prefix byte.
    for (const char prefix : {'G', 'P'}) {
        const std::string p(1, prefix);
        const std::vector<CommandCase> vector = {
            {p + "A", [prefix](JobWriter& w) { w.MoveAbsolute(1, 2, prefix); }, 10,
             Hook::kMoveAbsolute},
            {p + "R", [prefix](JobWriter& w) { w.LineRelative(1, -2, prefix); }, 10,
             Hook::kLineRelative},
            {p + "B", [prefix](JobWriter& w) { w.ArcB(1, 2, 3, 4, prefix); }, 18, Hook::kArcB},
            {p + "C", [prefix](JobWriter& w) { w.ArcC(1, 2, 3, 4, prefix); }, 18, Hook::kArcC},
            {p + "D", [prefix](JobWriter& w) { w.PenDown(prefix); }, 2, Hook::kPenDown},
            {p + "U", [prefix](JobWriter& w) { w.PenUp(prefix); }, 2, Hook::kPenUp},
            {p + "F", [prefix](JobWriter& w) { w.VectorF(prefix); }, 2, Hook::kVectorF},
            {p + "J", [prefix](JobWriter& w) { w.VectorJ(prefix); }, 2, Hook::kVectorJ},
            {p + "E", [prefix](JobWriter& w) { w.VectorE(1, 2, prefix); }, 4, {}},
            {p + "s", [prefix](JobWriter& w) { w.VectorLowS(1, prefix); }, 3, {}},
            {p + "S", [prefix](JobWriter& w) { w.VectorS(prefix); }, 2, {}},
            {p + "UnknownZ",
             [prefix](JobWriter& w) {
                 w.Raw({std::uint8_t(prefix), 'Z'});
             },
             2,
             {},
             1},
        };
        cases.insert(cases.end(), vector.begin(), vector.end());
    }
    return cases;
}

Bytes CommandBytes(const CommandCase& c) {
    JobWriter w;
    c.write(w);
    return w.Bytes();
}

class CommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTest, PassesOverItsLengthAndRaisesItsHookLast) {
    const CommandCase& c = GetParam();
    ASSERT_EQ(CommandBytes(c).size(), c.length) << "writer and table disagree";
    JobWriter w;
    w.Magic();
    c.write(w);
    w.EscV();  // marks where the walk goes on
    HookLog parser;
    parser.ParseJob(w.Bytes());

    std::vector<Hook> expected{Hook::kParseBegin};
    if (c.hook) expected.push_back(*c.hook);
    expected.push_back(Hook::kEscV);
    ASSERT_EQ(parser.Hooks(), expected);
    const std::uint32_t end = 3 + c.length;
    EXPECT_EQ(parser.events.back().state.m_pos, end + 2);
    EXPECT_EQ(parser.State().m_unknownCount, c.unknown);
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
    if (!c.hook) return;
    const ParserState& at = parser.events[1].state;
    EXPECT_EQ(at.m_pos, end);
    if (HookHasDescriptor(*c.hook)) {
        EXPECT_EQ(at.m_cmdStart, 3);
        EXPECT_EQ(at.m_cmdLength, std::uint32_t(c.length));
        EXPECT_EQ(at.m_cmdPrefix, 2);
        const Bytes command = CommandBytes(c);
        EXPECT_EQ(parser.bytesTouched, std::accumulate(command.begin(), command.end(), 0u));
    }
}

// Cut the job after every byte of the command: the command is dropped whole
// (no hook, nothing stored), nothing past the end is read, and the walk
// ends at the job size.
TEST_P(CommandTest, CutShortAtAnyByteIsDroppedWithoutTrace) {
    const CommandCase& c = GetParam();
    const Bytes command = CommandBytes(c);
    JobWriter magicOnly;
    magicOnly.Magic();
    HookLog reference;
    reference.ParseJob(magicOnly.Bytes());
    for (std::size_t keep = 1; keep < command.size(); ++keep) {
        Bytes job = magicOnly.Bytes();
        job.insert(job.end(), command.begin(), command.begin() + std::ptrdiff_t(keep));
        HookLog parser;
        parser.ParseJob(job);
        EXPECT_EQ(parser.Hooks(), std::vector<Hook>{Hook::kParseBegin}) << "keep " << keep;
        ParserState expected = reference.State();
        expected.m_dataSize = static_cast<std::uint32_t>(job.size());
        expected.m_pos = static_cast<std::uint32_t>(job.size());
        EXPECT_EQ(parser.State(), expected) << "keep " << keep;
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, CommandTest, ::testing::ValuesIn(AllCommands()),
                         [](const auto& info) { return info.param.name; });

TEST(TopLevelBytesTest, NonCommandBytesAreCountedOneByOne) {
    JobWriter w;
    w.Magic().Raw({0x00, 0x1A, 0x1C, 'g', 'p', 0xFF});
    HookLog parser;
    parser.ParseJob(w.Bytes());
    EXPECT_EQ(parser.State().m_unknownCount, 6u);
    EXPECT_EQ(parser.State().m_errorFlags, 0u);
}

// An unlisted letter passes over only the prefix and the letter, so the bytes
// after it are read as commands of their own.
TEST(TopLevelBytesTest, ParametersOfAnUnlistedCommandAreReadAtTopLevel) {
    JobWriter w;
    w.Magic().Raw({0x1B, 'Z'}).Pen(4);
    HookLog parser;
    parser.ParseJob(w.Bytes());
    EXPECT_EQ(parser.Hooks(), (std::vector<Hook>{Hook::kParseBegin, Hook::kPenSelect}));
    EXPECT_EQ(parser.State().m_penNumber, 4);
}

}  // namespace
