// Reads the JSON of a lumikor_bench run with repetitions and prints, per job,
// the median floor and render times, the render throughput and the ratio
// render / floor, the time per code of the run-length decode alone, and the
// region views' times.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

namespace {

struct Medians {
    double floorMs = 0;
    double renderMs = 0;
    double renderBytesPerSecond = 0;
    double renderItemsPerSecond = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumikor_bench_table RESULTS.json\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    nlohmann::json results;
    try {
        results = nlohmann::json::parse(in);
    } catch (const nlohmann::json::exception& e) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], e.what());
        return 1;
    }
    std::map<std::string, Medians> jobs;
    std::map<std::string, double> decodeCodesPerSecond;
    // Region views and the index: median CPU and real time.
    std::map<std::string, std::pair<double, double>> views;
    for (const auto& run : results.value("benchmarks", nlohmann::json::array())) {
        if (run.value("aggregate_name", "") != "median") continue;
        const std::string name = run.value("run_name", "");
        const auto slash = name.find('/');
        if (slash == std::string::npos) continue;
        if (name.starts_with("view/") || name.starts_with("bed/") || name.starts_with("step/") ||
            name.starts_with("index/")) {
            views[name] = {run.value("cpu_time", 0.0), run.value("real_time", 0.0)};
            continue;
        }
        if (name.starts_with("decode/")) {
            decodeCodesPerSecond[name.substr(slash + 1)] = run.value("items_per_second", 0.0);
            continue;
        }
        Medians& m = jobs[name.substr(slash + 1)];
        const double cpuMs = run.value("cpu_time", 0.0);
        if (name.starts_with("floor/")) {
            m.floorMs = cpuMs;
        } else {
            m.renderMs = cpuMs;
            m.renderBytesPerSecond = run.value("bytes_per_second", 0.0);
            m.renderItemsPerSecond = run.value("items_per_second", 0.0);
        }
    }
    if (!jobs.empty())
        std::printf("%-16s %10s %10s %12s %8s %14s\n", "job", "floor ms", "render ms",
                    "render MB/s", "ratio", "commands/s");
    for (const auto& [job, m] : jobs) {
        const double ratio = m.floorMs > 0 ? m.renderMs / m.floorMs : 0;
        std::printf("%-16s %10.2f %10.2f %12.1f %8.2f", job.c_str(), m.floorMs, m.renderMs,
                    m.renderBytesPerSecond / 1e6, ratio);
        if (m.renderItemsPerSecond > 0) {
            std::printf(" %14.3g\n", m.renderItemsPerSecond);
        } else {
            std::printf(" %14s\n", "-");
        }
    }
    for (const auto& [job, rate] : decodeCodesPerSecond) {
        if (rate > 0)
            std::printf("run-length decode of %s: %.2f ns per code\n", job.c_str(), 1e9 / rate);
    }
    if (!views.empty())
        std::printf("\n%-34s %10s %10s\n", "view (1600 x 1000 window)", "cpu ms", "real ms");
    for (const auto& [name, times] : views) {
        std::printf("%-34s %10.2f %10.2f\n", name.c_str(), times.first, times.second);
    }
    return 0;
}
