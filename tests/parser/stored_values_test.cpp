// What the commands leave in the parser's fields: widths without sign
// extension, flags that stick, the file name limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

ParserState ParseAll(const JobWriter& w) {
    HookLog parser;
    parser.ParseJob(w.Bytes());
    EXPECT_EQ(parser.State().m_unknownCount, 0u);
    return parser.State();
}

TEST(StoredValuesTest, HighValuesAreZeroExtended) {
    std::array<std::uint8_t, 16> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(0xF0 + i);
    JobWriter w;
    w.Magic()
        .RleBase(0xFF)
        .DotStep(0xFE)
        .Pen(0xFD)
        .EscH(0xFFFF)
        .EscR(0x8000)
        .EscJ(0xFFFE)
        .EscS(0x8001)
        .EscP(0xFFFF)
        .EscQ(0x80, 0xFF)
        .EscY(0xFFFFFFFF)
        .EscT(t)
        .EscLowV({0x80, 0x81, 0xFF});
    const ParserState s = ParseAll(w);
    EXPECT_EQ(s.m_rleBase, 255);
    EXPECT_EQ(s.m_dotStep, 254);
    EXPECT_EQ(s.m_penNumber, 253);
    EXPECT_EQ(s.m_escH, 65535u);
    EXPECT_EQ(s.m_escR, 32768u);
    EXPECT_EQ(s.m_escJ, 0xFFFE);
    EXPECT_EQ(s.m_escS, 0x8001);
    EXPECT_EQ(s.m_escP, 0xFFFF);
    EXPECT_EQ(s.m_escQ, (std::array<std::uint16_t, 2>{0x80, 0xFF}));
    EXPECT_EQ(s.m_escY, 0xFFFFFFFFu);
    for (std::size_t i = 0; i < t.size(); ++i) EXPECT_EQ(s.m_escT[i], t[i]);
    EXPECT_EQ(s.m_escLowV, (std::array<std::uint8_t, 3>{0x80, 0x81, 0xFF}));
}

TEST(StoredValuesTest, LatestValueWinsAndFlagsStick) {
    JobWriter w;
    w.Magic().Pen(3).Pen(5).BitMode(0x12).BitMode(0x01).EscO(0x10).EscO(0x01).EscO(0x00);
    w.PenDown().PenUp('P');
    const ParserState s = ParseAll(w);
    EXPECT_EQ(s.m_penNumber, 5);
    EXPECT_EQ(s.m_bitMode, 1);
    EXPECT_EQ(s.m_escMBit4, 1);
    EXPECT_EQ(s.m_escOBit4, 1);
    EXPECT_EQ(s.m_escOBit0, 1);
    EXPECT_EQ(s.m_penDown, 0);
}

TEST(StoredValuesTest, FileNameKeepsAtMost39BytesAndAZero) {
    struct Case {
        std::string name;
        std::string stored;
    };
    const std::string latin1 = "\xE9t\xE9";
    const Case cases[] = {
        {"", ""},
        {latin1, latin1},
        {std::string(39, 'a'), std::string(39, 'a')},
        {std::string(40, 'b'), std::string(39, 'b')},
        {std::string(45, 'c') + "tail", std::string(39, 'c')},
        {std::string(255, 'd'), std::string(39, 'd')},
    };
    for (const Case& c : cases) {
        JobWriter w;
        w.Magic().FileName(c.name).Pen(1);  // the pen shows where the walk went on
        const ParserState s = ParseAll(w);
        EXPECT_EQ(std::string(s.m_fileName.data()), c.stored) << c.name.size();
        EXPECT_EQ(s.m_penNumber, 1) << c.name.size();
    }
}

TEST(StoredValuesTest, ShorterSecondNameIsTerminated) {
    JobWriter w;
    w.Magic().FileName("longer name").FileName("ab");
    EXPECT_STREQ(ParseAll(w).m_fileName.data(), "ab");
}

}  // namespace
