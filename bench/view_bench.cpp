// Region views of a job that is loaded and indexed already, as the Detail
// window draws them: a 1600 x 1000 window at several zooms, the whole bed
// with coverage shading, and one zoom or pan step at a time. The index
// itself, built once per load, is timed on its own. Two jobs made to cost
// memory: ten thousand full lines on one dot row (1.7 MB), viewed across
// the bed, and 20 MB of nothing but ESC 'V', indexed.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/big_jobs.h"
#include "display/bed_dots.h"
#include "display/region_view.h"
#include "io/job_file.h"
#include "tests/support/job_writer.h"
#include "ui/view_navigation.h"

namespace {

constexpr std::int64_t kWindowWidth = 1600;
constexpr std::int64_t kWindowHeight = 1000;

// The default bed, which the big jobs fill.
const std::int64_t kBedWidth = BedDots(kDefaultModelWidth, kDefaultModelResolution);
const std::int64_t kBedHeight = BedDots(kDefaultModelHeight, kDefaultModelResolution);

// The job mapped and indexed once, shared by every case on it.
struct IndexedJob {
    JobFile file;
    JobIndex index;
    std::string error;
};

// A job made in memory and indexed, for the cases that need no file.
struct MadeJob {
    std::vector<std::uint8_t> bytes;
    JobIndex index;
};

std::shared_ptr<MadeJob> MakeIndexed(std::vector<std::uint8_t> bytes) {
    auto job = std::make_shared<MadeJob>();
    job->bytes = std::move(bytes);
    job->index.Build(job->bytes.data(), static_cast<std::uint32_t>(job->bytes.size()));
    return job;
}

std::vector<std::uint8_t> OverlappingLines() {
    const std::vector<std::uint8_t> full(static_cast<std::size_t>((kBedWidth + 7) / 8), 0xFF);
    JobWriter writer;
    writer.Magic().DotStep(1);
    for (int i = 0; i < 10000; ++i) writer.Raster('0', 0, 1000, full);
    return writer.Bytes();
}

std::vector<std::uint8_t> HomesOnly() {
    JobWriter writer;
    writer.Magic();
    for (int i = 0; i < 10'000'000; ++i) writer.EscV();
    return writer.Bytes();
}

std::shared_ptr<IndexedJob> LoadIndexed(const std::string& path) {
    auto job = std::make_shared<IndexedJob>();
    if (job->file.Open(path, JobSource::kRegularFile, &job->error)) {
        job->index.Build(job->file.Data(), job->file.Size());
    }
    return job;
}

void DrawOrFail(const IndexedJob& job, const RegionViewSettings& settings, Canvas* image,
                benchmark::State& state) {
    if (DrawRegionView(job.index, settings, image) != ViewOutcome::kDrawn) {
        state.SkipWithError("the view was not drawn");
    }
}

RegionViewSettings ViewOf(const ViewNavigator& navigator, ViewShade shade) {
    RegionViewSettings settings;
    settings.view = ViewMapping{navigator.X0(),
                                navigator.Y0(),
                                navigator.X1(),
                                navigator.Y1(),
                                navigator.Zoom().dotsPerPixel,
                                navigator.Zoom().pixelsPerDot};
    settings.shade = shade;
    return settings;
}

ViewNavigator WindowOnTheBed() {
    ViewNavigator navigator;
    navigator.SetBed(kBedWidth, kBedHeight);
    navigator.SetWindow(kWindowWidth, kWindowHeight);
    return navigator;
}

// The window centred on the bed at one zoom, drawn again and again.
void Window(benchmark::State& state, std::shared_ptr<IndexedJob> job, ViewZoom zoom) {
    if (!job->error.empty()) return state.SkipWithError(job->error.c_str());
    ViewNavigator navigator = WindowOnTheBed();
    navigator.CentreOn(DotPosition{kBedWidth / 2, kBedHeight / 2}, zoom);
    const RegionViewSettings settings = ViewOf(navigator, ViewShade::kAny);
    Canvas image;
    for (auto _ : state) {
        DrawOrFail(*job, settings, &image, state);
        benchmark::DoNotOptimize(image.Row(0));
    }
}

// The bed fitted to the window, each pixel shaded by its dots' coverage.
void WholeBed(benchmark::State& state, std::shared_ptr<IndexedJob> job, std::int64_t dotsPerPixel) {
    if (!job->error.empty()) return state.SkipWithError(job->error.c_str());
    RegionViewSettings settings;
    settings.view = ViewMapping{0, 0, kBedWidth, kBedHeight, dotsPerPixel, 1};
    settings.shade = ViewShade::kCoverage;
    Canvas image;
    for (auto _ : state) {
        DrawOrFail(*job, settings, &image, state);
        benchmark::DoNotOptimize(image.Row(0));
    }
}

// One step of the user's: a wheel notch about a point off the centre (in
// and out in turn, between 4 and 2 dots per pixel), or a drag of a tenth of
// the window (right and back), each followed by the new view.
void Step(benchmark::State& state, std::shared_ptr<IndexedJob> job, bool zoom) {
    if (!job->error.empty()) return state.SkipWithError(job->error.c_str());
    ViewNavigator navigator = WindowOnTheBed();
    navigator.CentreOn(DotPosition{kBedWidth / 2, kBedHeight / 2}, ViewZoom{zoom ? 4 : 2, 1});
    Canvas image;
    bool forth = true;
    for (auto _ : state) {
        if (zoom) {
            navigator.ZoomAbout(kWindowWidth / 3, kWindowHeight / 3, forth);
        } else {
            navigator.Pan(forth ? kWindowWidth / 10 : -kWindowWidth / 10, kWindowHeight / 10);
        }
        forth = !forth;
        DrawOrFail(*job, ViewOf(navigator, ViewShade::kAny), &image, state);
        benchmark::DoNotOptimize(image.Row(0));
    }
}

// A band of the bed 2000 dots high across its width, 4 dots per pixel,
// through the one dot row all the lines share.
void OverlappingView(benchmark::State& state, std::shared_ptr<MadeJob> job) {
    RegionViewSettings settings;
    settings.view = ViewMapping{0, 0, kBedWidth, 2000, 4, 1};
    settings.shade = ViewShade::kCoverage;
    Canvas image;
    for (auto _ : state) {
        if (DrawRegionView(job->index, settings, &image) != ViewOutcome::kDrawn) {
            state.SkipWithError("the view was not drawn");
        }
        benchmark::DoNotOptimize(image.Row(0));
    }
}

// The records' own bytes per byte of job; the blocks holding them add under
// a tenth to that.
void Index(benchmark::State& state, const std::uint8_t* data, std::uint32_t size) {
    JobIndex index;
    for (auto _ : state) {
        index.Build(data, size);
        benchmark::DoNotOptimize(index.Commands().size());
    }
    state.counters["records"] = static_cast<double>(index.Commands().size());
    state.counters["index_bytes_per_job_byte"] =
        static_cast<double>(sizeof(IndexedCommand) * index.Commands().size()) /
        static_cast<double>(std::max<std::uint32_t>(size, 1));
}

void IndexFile(benchmark::State& state, std::shared_ptr<IndexedJob> job) {
    if (!job->error.empty()) return state.SkipWithError(job->error.c_str());
    Index(state, job->file.Data(), job->file.Size());
}

void IndexMade(benchmark::State& state, std::shared_ptr<MadeJob> job) {
    Index(state, job->bytes.data(), static_cast<std::uint32_t>(job->bytes.size()));
}

void Register(const std::string& name, auto function, auto... arguments) {
    benchmark::RegisterBenchmark(name.c_str(), function, arguments...)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

void RegisterViewBenchmarks(const std::string& jobsDir) {
    for (const BigJob& big : BigJobs()) {
        const std::string name(big.name);
        if (name != "photo1" && name != "gray8" && name != "text1") continue;
        const std::shared_ptr<IndexedJob> job = LoadIndexed(EnsureBigJob(jobsDir, big));
        Register("view/" + name + "/4px-per-dot", Window, job, ViewZoom{1, 4});
        Register("view/" + name + "/1-dot-per-px", Window, job, ViewZoom{1, 1});
        Register("view/" + name + "/4-dots-per-px", Window, job, ViewZoom{4, 1});
        Register("view/" + name + "/16-dots-per-px", Window, job, ViewZoom{16, 1});
        if (name == "photo1") Register("bed/photo1/43-coverage", WholeBed, job, std::int64_t{43});
        if (name == "gray8") {
            Register("step/gray8/zoom", Step, job, true);
            Register("step/gray8/pan", Step, job, false);
        }
        Register("index/" + name, IndexFile, job);
    }
    Register("view/overlapping-lines/4-dots-per-px", OverlappingView,
             MakeIndexed(OverlappingLines()));
    Register("index/homes-only-20MB", IndexMade, MakeIndexed(HomesOnly()));
}
