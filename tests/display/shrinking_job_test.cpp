// The desktop program's load when another program truncates the job file
// while it is drawn: the preview keeps running and draws nothing more of it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "display/job_display.h"
#include "display/screen.h"
#include "io/file_buffer.h"
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
    std::uint32_t length = 0;
    std::uint8_t* buffer = LoadFileToBuffer(path.c_str(), &length);
    EXPECT_NE(buffer, nullptr);
    if (buffer == nullptr) return -1;
    screen.presents = 0;
    display.Attach(buffer, length);
    display.Parse();
    EXPECT_EQ(FreeFileBuffer(buffer), 1);
    return screen.presents;
}

TEST(ShrinkingJobTest, PreviewSurvivesATruncatedJobAndDrawsNoMoreOfIt) {
    JobWriter job;
    job.Magic().Pen(1).MoveAbsolute(1000, 1000);
    for (int i = 0; i < kSegments; ++i) job.LineRelative(i % 2 == 0 ? 10 : -10, 5);
    job.Trailer();
    const TempDir dir;
    const std::string path =
        dir.Write("job.prn", {reinterpret_cast<const char*>(job.Bytes().data()), job.Size()});

    TruncatingScreen whole(path);
    EXPECT_EQ(StepsShown(path, whole), 1 + kSegments);
    TruncatingScreen cut(path);
    cut.truncateAtFirstSegment = true;
    EXPECT_EQ(StepsShown(path, cut), 2);
}

}  // namespace
