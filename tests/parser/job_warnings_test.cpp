// Warnings the parser notes without setting error bits: the last command cut
// short (a raster block running past the end among them), no trailer, bytes
// after the final trailer.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "parser/job_format.h"
#include "tests/parser/hook_log.h"
#include "tests/support/job_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = JobWarningKind;

std::vector<JobWarning> WarningsOf(const Bytes& job, std::uint32_t* errorFlags = nullptr) {
    HookLog parser;
    parser.ParseJob(job);
    if (errorFlags != nullptr) *errorFlags = parser.State().m_errorFlags;
    return parser.GetWarnings();
}

Bytes Body() {
    JobWriter w;
    w.Magic().Pen(1).MoveAbsolute(10, 10).LineRelative(100, 0);
    w.DotStep(1).Raster('0', 0, 50, Bytes{0xFF, 0x0F, 0xF0});
    return w.Bytes();
}

TEST(JobWarningsTest, CompleteJobHasNone) {
    JobWriter w;
    w.Raw(Body()).Trailer();
    std::uint32_t errors = 1;
    EXPECT_TRUE(WarningsOf(w.Bytes(), &errors).empty());
    EXPECT_EQ(errors, 0u);
}

TEST(JobWarningsTest, JobCutAnywhereInsideItsLastCommand) {
    // Cut inside the 'R' command (offset 16, 10 bytes) past its letter: no
    // error bit, the command dropped and no trailer.
    const Bytes body = Body();
    for (std::uint32_t cut = 18; cut < 26; ++cut) {
        const Bytes job(body.begin(), body.begin() + cut);
        std::uint32_t errors = 1;
        const std::vector<JobWarning> warnings = WarningsOf(job, &errors);
        EXPECT_EQ(errors, 0u) << cut;
        ASSERT_EQ(warnings.size(), 2u) << cut;
        EXPECT_EQ(warnings[0].kind, Kind::kCutShort);
        EXPECT_EQ(warnings[0].offset, 16u);
        EXPECT_EQ(warnings[0].bytes, cut - 16);
        EXPECT_EQ(warnings[0].prefix, 'G');
        EXPECT_EQ(warnings[0].letter, 'R');
        EXPECT_EQ(warnings[1].kind, Kind::kNoTrailer);
        EXPECT_EQ(warnings[1].offset, cut);
    }
    // Cut right after a prefix: no letter to name.
    const Bytes prefixOnly(body.begin(), body.begin() + 17);
    EXPECT_EQ(WarningsOf(prefixOnly)[0].letter, 0);
    // Cut between commands: nothing dropped, but still no trailer.
    const Bytes between(body.begin(), body.begin() + 26);
    const std::vector<JobWarning> clean = WarningsOf(between);
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_EQ(clean[0].kind, Kind::kNoTrailer);
}

TEST(JobWarningsTest, DamagedBlockLengthSwallowsTheTrailer) {
    JobWriter w;
    w.Magic().DotStep(1);
    const std::uint32_t line = w.Size();
    w.RasterBlock('1', 5000, Bytes(12, 0)).Trailer();
    std::uint32_t errors = 1;
    const std::vector<JobWarning> warnings = WarningsOf(w.Bytes(), &errors);
    EXPECT_EQ(errors, 0u);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].kind, Kind::kRasterBlockPastEnd);
    EXPECT_EQ(warnings[0].offset, line);
    EXPECT_EQ(warnings[0].blockLength, 5000u);
    EXPECT_EQ(warnings[0].letter, '1');
    EXPECT_EQ(warnings[0].bytes, w.Size() - line);
    EXPECT_EQ(warnings[1].kind, Kind::kNoTrailer);
    // A header cut short is an ordinary cut-short command.
    const Bytes header(w.Bytes().begin(), w.Bytes().begin() + line + 4);
    EXPECT_EQ(WarningsOf(header)[0].kind, Kind::kCutShort);
}

TEST(JobWarningsTest, BytesAfterAPassedFinalTrailer) {
    JobWriter w;
    w.Raw(Body()).Trailer();
    const std::uint32_t end = w.Size();
    Bytes job = w.Bytes();
    job.insert(job.end(), {0x00, 0x00, 0x1B});
    std::uint32_t errors = 0;
    const std::vector<JobWarning> warnings = WarningsOf(job, &errors);
    // The trailer's length no longer matches: an error bit, and the final
    // trailer did not pass, so the bytes after it are not warned about; the
    // ESC at the very end is.
    EXPECT_NE(errors, 0u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].kind, Kind::kCutShort);

    // A trailer that passes, written for the longer job, then more bytes.
    JobWriter longer;
    longer.Raw(Body()).Trailer(0, 0);
    Bytes passing = longer.Bytes();
    passing.insert(passing.end(), {0x00, 0x00});
    const std::uint32_t total = static_cast<std::uint32_t>(passing.size());
    for (int i = 0; i < 4; ++i)
        passing[end - 4 + i] = static_cast<std::uint8_t>(total >> (24 - 8 * i));
    const std::uint16_t sum = JobWriter::ByteSum(std::span(passing).first(end - 6));
    passing[end - 6] = static_cast<std::uint8_t>(sum >> 8);
    passing[end - 5] = static_cast<std::uint8_t>(sum);
    const std::vector<JobWarning> after = WarningsOf(passing, &errors);
    EXPECT_EQ(errors, 0u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].kind, Kind::kBytesAfterTrailer);
    EXPECT_EQ(after[0].offset, end);
    EXPECT_EQ(after[0].bytes, 2u);
}

TEST(JobWarningsTest, BadMagicAndRepeatedParses) {
    EXPECT_TRUE(WarningsOf(Bytes{'L', 'T', 'X', 0x1B}).empty());
    EXPECT_TRUE(WarningsOf(Bytes{'L'}).empty());
    // A second parse of a clean job after a damaged one keeps nothing.
    const Bytes body = Body();
    JobWriter clean;
    clean.Raw(body).Trailer();
    HookLog parser;
    parser.ParseJob(Bytes(body.begin(), body.begin() + 20));
    EXPECT_EQ(parser.GetWarnings().size(), 2u);
    parser.ParseJob(clean.Bytes());
    EXPECT_TRUE(parser.GetWarnings().empty());
}

}  // namespace
