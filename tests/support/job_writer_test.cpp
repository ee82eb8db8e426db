#include "tests/support/job_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The decoder the display implements: a byte above the threshold is a repeat
// code (count = byte - threshold, value next), anything else a literal.
Bytes DecodeRow(const Bytes& data, std::uint8_t rleBase) {
    const unsigned threshold = rleBase == 0 ? 192 : rleBase;
    Bytes out;
    for (std::size_t i = 0; i < data.size();) {
        if (data[i] <= threshold) {
            out.push_back(data[i++]);
            continue;
        }
        EXPECT_LT(i + 1, data.size()) << "repeat code without a value";
        if (i + 1 >= data.size()) break;
        out.insert(out.end(), data[i] - threshold, data[i + 1]);
        i += 2;
    }
    return out;
}

TEST(JobWriterTest, SmallestJobMatchesTheFormatExample) {
    JobWriter w;
    w.Magic().Trailer();
    EXPECT_EQ(w.Bytes(),
              (Bytes{0x4C, 0x54, 0x54, 0x1B, 0x42, 0x59, 0x45, 0x01, 0xEF, 0, 0, 0, 13}));
}

TEST(JobWriterTest, TrailerCoversEverythingWrittenBefore) {
    JobWriter w;
    w.Magic().Pen(3).MoveAbsolute(-1, 2, 'P').Trailer();
    const Bytes& job = w.Bytes();
    ASSERT_EQ(job.size(), 3u + 3 + 10 + 10);
    const Bytes upToE(job.begin(), job.end() - 6);
    const unsigned stored = job[job.size() - 6] << 8 | job[job.size() - 5];
    EXPECT_EQ(stored, JobWriter::ByteSum(upToE));
    EXPECT_EQ(job.back(), job.size());
    EXPECT_EQ(job[6], 'P');
    EXPECT_EQ((Bytes{job[8], job[9], job[10], job[11]}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(JobWriterTest, RasterRowsRoundTripForEveryKindOfThreshold) {
    Bytes row;
    for (int i = 0; i < 300; ++i) row.push_back(0x0A);  // long run, several repeat codes
    for (int i = 0; i < 256; ++i) row.push_back(static_cast<std::uint8_t>(i));
    row.insert(row.end(), {0xFF, 0xFF, 0xC0, 0xC1, 0xC1, 0x00});
    for (std::uint8_t base : {0, 1, 192, 200, 253, 254, 255}) {
        const Bytes encoded = JobWriter::EncodeRasterRow(row, base);
        EXPECT_EQ(DecodeRow(encoded, base), row) << "threshold " << int(base);
    }
}

TEST(JobWriterTest, RasterUsesTheLastThresholdWritten) {
    const Bytes row{0xC9, 0xC9};
    JobWriter w;
    w.RleBase(200).Raster('1', 5, 6, row);
    // 0xC9 is above 200: each run of it is one repeat code.
    const Bytes expected{0x1B, 'C', 200, 0x1B, '1', 0, 0, 0, 10, 0, 0, 0, 5, 0, 0, 0, 6, 202, 0xC9};
    EXPECT_EQ(w.Bytes(), expected);
}

}  // namespace
