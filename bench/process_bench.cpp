// Whole processes against the streaming floor: for each job, a subcommand
// (`lumikor-cli render JOB -o OUT.bmp` unless the job is named JOB:COMMAND)
// and `lumikor_stream_floor JOB` are run in pairs, the jobs interleaved
// within each pair round and the order inside a pair alternating, so that a
// shift in the machine's load falls on both. Prints the medians, the median
// of the per-pair ratios, the time per job byte and the subcommand's peak
// resident and anonymous memory. COMMAND is render, render16k (a 16384 x
// 5461 canvas), view16k (a region view of that size at 4 dots per pixel), info, thumbnail
// (256 pixels) or diff (against the job named JOB_b; the larger of the two
// is the floor's and the bytes').
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/big_jobs.h"
#include "bench/process_runs.h"

namespace {

struct JobRuns {
    const BigJob* job = nullptr;
    std::string label;  // as named on the command line
    std::string path;
    std::string floorPath;
    std::vector<std::string> command;
    int highestOk = 0;
    std::vector<double> floorSeconds;
    std::vector<double> renderSeconds;
    std::vector<double> ratios;
    std::vector<double> cpuSeconds;
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

bool Run(const std::vector<std::string>& argv, bool sample, ProcessRun& run, int highestOk = 0) {
    run = RunProcess(argv, sample, highestOk);
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
        runs.label = argv[i];
        const std::size_t colon = runs.label.find(':');
        const std::string name = runs.label.substr(0, colon);
        const std::string command =
            colon == std::string::npos ? "render" : runs.label.substr(colon + 1);
        runs.job = FindJob(name);
        if (runs.job == nullptr) {
            std::fprintf(stderr, "no job named %s\n", name.c_str());
            return 2;
        }
        runs.path = EnsureBigJob(LUMIKOR_BENCH_JOBS_DIR, *runs.job);
        if (runs.path.empty()) {
            std::fprintf(stderr, "cannot write the job %s into %s\n", name.c_str(),
                         LUMIKOR_BENCH_JOBS_DIR);
            return 1;
        }
        runs.floorPath = runs.path;
        const std::string out = outDir + "/" + name;
        if (command == "render") {
            runs.command = {cli, "render", runs.path, "-o", out + ".bmp"};
        } else if (command == "render16k") {
            runs.command = {cli, "render", runs.path, "--canvas", "16384,5461", "-o", out + ".bmp"};
        } else if (command == "view16k") {
            // 16384 x 5461 pixels at 4 dots each, centred where circles16k's are.
            runs.command = {cli,
                            "render",
                            runs.path,
                            "--view",
                            "2667,889,68203,22733",
                            "--dots-per-pixel",
                            "4",
                            "-o",
                            out + "-view.bmp"};
        } else if (command == "info") {
            runs.command = {cli, "info", runs.path};
        } else if (command == "thumbnail") {
            runs.command = {cli, "thumbnail", runs.path, out + "-thumbnail.png", "--size", "256"};
        } else if (command == "diff") {
            const BigJob* twin = FindJob(name + "_b");
            const std::string twinPath =
                twin == nullptr ? std::string() : EnsureBigJob(LUMIKOR_BENCH_JOBS_DIR, *twin);
            if (twinPath.empty()) {
                std::fprintf(stderr, "no job %s_b to compare %s with\n", name.c_str(),
                             name.c_str());
                return 2;
            }
            runs.command = {cli, "diff", runs.path, twinPath};
            runs.highestOk = 1;  // the jobs differ
            if (std::filesystem::file_size(twinPath) > std::filesystem::file_size(runs.path)) {
                runs.floorPath = twinPath;
            }
        } else {
            std::fprintf(stderr, "no command %s\n", command.c_str());
            return 2;
        }
        jobs.push_back(runs);
    }

    // One untimed round brings every job into the page cache and measures
    // the render's memory.
    ProcessRun run;
    for (JobRuns& runs : jobs) {
        if (!Run({floor, runs.floorPath}, false, run)) return 1;
        if (!Run(runs.command, true, run, runs.highestOk)) return 1;
        runs.peakAnonKiB = run.peakAnonKiB;
        runs.peakResidentKiB = run.peakResidentKiB;
        runs.sizeBytes = std::filesystem::file_size(runs.floorPath);
    }

    for (int pair = 0; pair < pairs; ++pair) {
        for (JobRuns& runs : jobs) {
            ProcessRun floorRun;
            ProcessRun renderRun;
            const std::vector<std::string> floorArgs = {floor, runs.floorPath};
            const bool floorFirst = pair % 2 == 0;
            for (int turn = 0; turn < 2; ++turn) {
                const bool isFloor = (turn == 0) == floorFirst;
                if (!Run(isFloor ? floorArgs : runs.command, false, isFloor ? floorRun : renderRun,
                         isFloor ? 0 : runs.highestOk)) {
                    return 1;
                }
            }
            runs.floorSeconds.push_back(floorRun.seconds);
            runs.renderSeconds.push_back(renderRun.seconds);
            runs.ratios.push_back(renderRun.seconds / floorRun.seconds);
            runs.cpuSeconds.push_back(renderRun.cpuSeconds);
        }
    }

    std::printf("%-20s %8s %9s %10s %7s %8s %8s %9s %9s\n", "job", "job MiB", "floor ms",
                "command ms", "ratio", "us/byte", "CPU ms", "CPU us/B", "anon MiB");
    for (const JobRuns& runs : jobs) {
        const double seconds = Median(runs.renderSeconds);
        const double cpu = Median(runs.cpuSeconds);
        const auto bytes = static_cast<double>(runs.sizeBytes);
        std::printf("%-20s %8.1f %9.2f %10.2f %7.2f %8.3f %8.1f %9.3f %9.1f\n", runs.label.c_str(),
                    bytes / 1048576.0, Median(runs.floorSeconds) * 1e3, seconds * 1e3,
                    Median(runs.ratios), seconds * 1e6 / bytes, cpu * 1e3, cpu * 1e6 / bytes,
                    runs.peakAnonKiB / 1024.0);
    }
    std::printf(
        "(us/byte: wall clock per byte of the job, the larger one for diff; CPU: user +\n"
        " system time; anon: the command's peak anonymous memory)\n");
    std::printf("(medians of %d interleaved pairs; ratio = median of command / floor per pair)\n",
                pairs);
    return 0;
}
