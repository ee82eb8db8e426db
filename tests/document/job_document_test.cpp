// A loaded job outlives changes to its file: replaced by a rename, it keeps
// the bytes it loaded; truncated in place while or after it is drawn, the
// preview and the index read the lost part as zeros instead of ending the
// program.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include <filesystem>

#include "display/job_display.h"
#include "display/screen.h"
#include "document/job_document.h"
#include "tests/support/job_writer.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kSegments = 3000;  // 30 KB of lines: several pages

// Counts what is shown step by step (the move, then each segment); can cut
// the job file when the first segment is shown.
class TruncatingScreen : public Screen {
public:
    explicit TruncatingScreen(std::string job) : m_job(std::move(job)) {}
    void Present(const Canvas&, const CanvasRect&) override {
        if (++presents == 2 && truncateAtFirstSegment) {
            ASSERT_EQ(truncate(m_job.c_str(), 0), 0);
        }
    }
    void Pause(std::uint32_t) override {}

    bool truncateAtFirstSegment = false;
    int presents = 0;

private:
    std::string m_job;
};

int StepsShown(const std::string& path, TruncatingScreen& screen) {
    CJobDisplay display;
    const CanvasDesc desc{kDefaultCanvasWidth, kDefaultCanvasHeight, &screen, 0};
    const ModelInfo model = DefaultModel();
    EXPECT_EQ(display.SetCanvas(&desc), 1);
    EXPECT_EQ(display.SetModel(&model), 1);
    display.SetShowCutProcess(1);
    display.SetShowPR(1);
    display.SetCutDelay(0);
    const auto document = JobDocument::Load(path, JobSource::kRegularFile, nullptr);
    EXPECT_NE(document, nullptr);
    if (document == nullptr) return -1;
    screen.presents = 0;
    display.Attach(document->Data(), document->Size());
    display.Parse();
    return screen.presents;
}

JobWriter ZigZagJob(std::int32_t x) {
    JobWriter job;
    job.Magic().Pen(1).MoveAbsolute(x, 1000);
    for (int i = 0; i < kSegments; ++i) job.LineRelative(i % 2 == 0 ? 10 : -10, 5);
    job.Trailer();
    return job;
}

std::string_view Text(const JobWriter& job) {
    return {reinterpret_cast<const char*>(job.Bytes().data()), job.Size()};
}

TEST(JobDocumentTest, PreviewSurvivesATruncatedJobAndDrawsNoMoreOfIt) {
    const TempDir dir;
    const std::string path = dir.Write("job.prn", Text(ZigZagJob(1000)));

    TruncatingScreen whole(path);
    EXPECT_EQ(StepsShown(path, whole), 1 + kSegments);
    TruncatingScreen cut(path);
    cut.truncateAtFirstSegment = true;
    EXPECT_EQ(StepsShown(path, cut), 2);
}

TEST(JobDocumentTest, KeepsTheBytesOfItsLoadWhateverBecomesOfTheFile) {
    const TempDir dir;
    const JobWriter loaded = ZigZagJob(1000);
    const std::string path = dir.Write("job.prn", Text(loaded));
    const auto document = JobDocument::Load(path, JobSource::kRegularFile, nullptr);
    ASSERT_NE(document, nullptr);
    JobIndex fromMemory;
    ASSERT_TRUE(fromMemory.Build(loaded.Bytes().data(), loaded.Size()));
    ASSERT_GT(fromMemory.Commands().size(), std::size_t{kSegments});

    // A generator renames another job over the file: the load is unchanged.
    std::filesystem::rename(dir.Write("job.part", Text(ZigZagJob(2000))), path);
    EXPECT_EQ(Text(loaded),
              std::string_view(reinterpret_cast<const char*>(document->Data()), document->Size()));
    EXPECT_EQ(document->Index().Commands().size(), fromMemory.Commands().size());

    // Truncated in place before the index is first asked for: the lost pages
    // read as zeros, which index as nothing.
    const auto cut = JobDocument::Load(path, JobSource::kRegularFile, nullptr);
    ASSERT_NE(cut, nullptr);
    ASSERT_EQ(truncate(path.c_str(), 0), 0);
    EXPECT_TRUE(cut->Index().Commands().empty());
    EXPECT_EQ(&cut->Index(), &JobDocument::IndexOf(cut));
}

}  // namespace
