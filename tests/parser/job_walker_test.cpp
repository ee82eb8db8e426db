// The walker behind dump and info must tile the job exactly and agree with
// the parser's own count of bytes that are not commands, on any bytes.
#include "parser/job_walker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

class CTilingWalker : public CJobWalker {
public:
    std::uint64_t covered = 0;
    std::int64_t unknown = 0;
    bool gapOrOverlap = false;

protected:
    void OnItem(const StreamItem& item) override {
        if (item.offset != covered) gapOrOverlap = true;
        covered = std::uint64_t{item.offset} + item.length;
        if (item.kind == ItemKind::kUnknownRun) unknown += item.length;
        if (item.kind == ItemKind::kCommand &&
            item.command.status == jobformat::ExtentStatus::kComplete &&
            item.command.shape.layout == jobformat::ParamLayout::kNotACommand) {
            ++unknown;
        }
        if (item.kind == ItemKind::kTrailer &&
            item.trailer.outcome == jobformat::TrailerOutcome::kTagMismatch) {
            ++unknown;
        }
    }
};

TEST(JobWalkerTest, ItemsTileRandomJobsAndCountTheParsersUnknowns) {
    const std::vector<std::uint8_t> likely = {27,  'G', 'P', '0', '1', 'B', 'Y', 'E', 'F', 'I',
                                              'A', 'R', 'C', 'D', 'N', 'Z', 0,   8,   255};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> job = {'L', 'T', 'T'};
        const int size = static_cast<int>(random() % 80);
        for (int i = 0; i < size; ++i) {
            job.push_back(random() % 5 == 0 ? std::uint8_t(random())
                                            : likely[random() % likely.size()]);
        }
        CTilingWalker walker;
        walker.Walk(job);
        ASSERT_FALSE(walker.gapOrOverlap) << "round " << round;
        ASSERT_EQ(walker.covered, job.size()) << "round " << round;
        ASSERT_EQ(walker.unknown, std::int64_t{walker.State().m_unknownCount}) << "round " << round;
    }
}

}  // namespace
