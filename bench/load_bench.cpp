// The load of a job as the program does it (read the file, clear canvas and
// bed, attach, parse), against a floor that only reads the same file and
// adds up its bytes: no previewer can do less, since the trailer checksum
// covers every byte.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <numeric>
#include <string>

#include "bench/big_jobs.h"
#include "display/job_display.h"
#include "io/job_file.h"

namespace {

// Loads the job as the programs do; an empty job after a failure.
void LoadOrFail(JobFile& job, const std::string& path, benchmark::State& state) {
    std::string error;
    if (!job.Open(path, JobSource::kRegularFile, &error)) state.SkipWithError(error.c_str());
}

void Floor(benchmark::State& state, const std::string& path) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        JobFile job;
        LoadOrFail(job, path, state);
        std::uint32_t sum =
            std::accumulate(job.Bytes().begin(), job.Bytes().end(), std::uint32_t{0});
        benchmark::DoNotOptimize(sum);
        bytes = job.Size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void Render(benchmark::State& state, const std::string& path, std::uint64_t commands) {
    // The main dialog's canvas and the default model.
    CJobDisplay display;
    const CanvasDesc desc{kDefaultCanvasWidth, kDefaultCanvasHeight, nullptr, 0};
    const ModelInfo model = DefaultModel();
    if (!display.SetCanvas(&desc) || !display.SetModel(&model)) state.SkipWithError("setup");
    std::size_t bytes = 0;
    for (auto _ : state) {
        JobFile job;
        LoadOrFail(job, path, state);
        display.DrawJob(job.Data(), job.Size());
        benchmark::DoNotOptimize(display.GetCanvas().Row(0));
        bytes = job.Size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    if (commands != 0)
        state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * commands));
}

}  // namespace

void RegisterDecodeBenchmark(const std::string& jobsDir);  // decode_bench.cpp
void RegisterViewBenchmarks(const std::string& jobsDir);   // view_bench.cpp

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const BigJob& job : BigJobs()) {
        if (job.onDemand) continue;
        const std::string path = EnsureBigJob(LUMIKOR_BENCH_JOBS_DIR, job);
        if (path.empty()) {
            std::fprintf(stderr, "cannot write the job %s into %s\n", std::string(job.name).c_str(),
                         LUMIKOR_BENCH_JOBS_DIR);
            return 1;
        }
        const std::string name(job.name);
        benchmark::RegisterBenchmark(("render/" + name).c_str(), Render, path, job.commands)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("floor/" + name).c_str(), Floor, path)
            ->Unit(benchmark::kMillisecond);
    }
    RegisterDecodeBenchmark(LUMIKOR_BENCH_JOBS_DIR);
    RegisterViewBenchmarks(LUMIKOR_BENCH_JOBS_DIR);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
