// Whole processes against the streaming floor: for each job, `lumikor-cli
// render JOB -o OUT.bmp` and `lumikor_stream_floor JOB` are run in pairs,
// the jobs interleaved within each pair round and the order inside a pair
// alternating, so that a shift in the machine's load falls on both. Prints
// the medians, the median of the per-pair ratios and the render's peak
// resident and anonymous memory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/big_jobs.h"
#include "bench/process_runs.h"

namespace {

struct JobRuns {
    const BigJob* job = nullptr;
    std::string path;
    std::string outPath;
    std::vector<double> floorSeconds;
    std::vector<double> renderSeconds;
    std::vector<double> ratios;
    std::uint64_t peakResidentKiB = 0;
    std::uint64_t peakAnonKiB = 0;
    std::uint64_t sizeBytes = 0;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

const BigJob* FindJob(const std::string& name) {
    for (const BigJob& job : BigJobs()) {
        if (job.name == name) return &job;
    }
    return nullptr;
}

bool Run(const std::vector<std::string>& argv, bool sample, ProcessRun& run) {
    run = RunProcess(argv, sample);
    if (!run.ok) std::fprintf(stderr, "%s\n", run.failure.c_str());
    return run.ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: lumikor_process_bench CLI FLOOR PAIRS OUTDIR JOB...\n");
        return 2;
    }
    const std::string cli = argv[1];
    const std::string floor = argv[2];
    const int pairs = std::atoi(argv[3]);
    const std::string outDir = argv[4];
    if (pairs < 1) {
        std::fprintf(stderr, "PAIRS must be at least 1\n");
        return 2;
    }

    std::vector<JobRuns> jobs;
    for (int i = 5; i < argc; ++i) {
        JobRuns runs;
        runs.job = FindJob(argv[i]);
        if (runs.job == nullptr) {
            std::fprintf(stderr, "no job named %s\n", argv[i]);
            return 2;
        }
        runs.path = EnsureBigJob(LUMIKOR_BENCH_JOBS_DIR, *runs.job);
        if (runs.path.empty()) {
            std::fprintf(stderr, "cannot write the job %s into %s\n", argv[i],
                         LUMIKOR_BENCH_JOBS_DIR);
            return 1;
        }
        runs.outPath = outDir + "/" + std::string(runs.job->name) + ".bmp";
        jobs.push_back(runs);
    }

    // One untimed round brings every job into the page cache and measures
    // the render's memory.
    ProcessRun run;
    for (JobRuns& runs : jobs) {
        if (!Run({floor, runs.path}, false, run)) return 1;
        if (!Run({cli, "render", runs.path, "-o", runs.outPath}, true, run)) return 1;
        runs.peakAnonKiB = run.peakAnonKiB;
        runs.peakResidentKiB = run.peakResidentKiB;
        FILE* file = std::fopen(runs.path.c_str(), "rb");
        if (file != nullptr) {
            std::fseek(file, 0, SEEK_END);
            runs.sizeBytes = static_cast<std::uint64_t>(std::ftell(file));
            std::fclose(file);
        }
    }

    for (int pair = 0; pair < pairs; ++pair) {
        for (JobRuns& runs : jobs) {
            ProcessRun floorRun;
            ProcessRun renderRun;
            const std::vector<std::string> floorArgs = {floor, runs.path};
            const std::vector<std::string> renderArgs = {cli, "render", runs.path, "-o",
                                                         runs.outPath};
            const bool floorFirst = pair % 2 == 0;
            if (!Run(floorFirst ? floorArgs : renderArgs, false, floorFirst ? floorRun : renderRun))
                return 1;
            if (!Run(floorFirst ? renderArgs : floorArgs, false, floorFirst ? renderRun : floorRun))
                return 1;
            runs.floorSeconds.push_back(floorRun.seconds);
            runs.renderSeconds.push_back(renderRun.seconds);
            runs.ratios.push_back(renderRun.seconds / floorRun.seconds);
        }
    }

    std::printf("%-10s %9s %9s %10s %7s %13s %13s\n", "job", "job MiB", "floor ms", "render ms",
                "ratio", "peak RSS MiB", "peak anon MiB");
    for (const JobRuns& runs : jobs) {
        std::printf("%-10s %9.1f %9.2f %10.2f %7.2f %13.1f %13.1f\n",
                    std::string(runs.job->name).c_str(), runs.sizeBytes / 1048576.0,
                    Median(runs.floorSeconds) * 1e3, Median(runs.renderSeconds) * 1e3,
                    Median(runs.ratios), runs.peakResidentKiB / 1024.0, runs.peakAnonKiB / 1024.0);
    }
    std::printf("(medians of %d interleaved pairs; ratio = median of render / floor per pair)\n",
                pairs);
    return 0;
}
