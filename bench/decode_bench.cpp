// The run-length decode alone, on every raster line of text1 (the job where
// it dominates): the time per code, against the one-ns-per-code mark.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/big_jobs.h"
#include "display/run_length.h"
#include "parser/base_job_parser.h"
#include "parser/byte_readers.h"

namespace {

struct LineSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// Collects where each raster line's codes lie.
class LineCollector : public CBaseJobParser {
public:
    std::vector<LineSpan> lines;

protected:
    void OnRasterLine() override {
        const std::uint32_t p = m_cmdStart + m_cmdPrefix;
        lines.push_back(LineSpan{p + 12, ReadU32BE(m_data, p) - 8});
    }
};

constexpr std::uint32_t kThreshold = 192;
constexpr std::uint32_t kCapacity = 65536;

void Decode(benchmark::State& state, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> job{std::istreambuf_iterator<char>(in), {}};
    LineCollector collector;
    collector.Attach(job.data(), static_cast<std::uint32_t>(job.size()));
    collector.Parse();
    std::uint64_t codes = 0;
    for (const LineSpan& line : collector.lines) {
        for (std::uint32_t i = 0; i < line.length; ++codes) {
            i += job[line.offset + i] > kThreshold ? 2 : 1;
        }
    }
    static std::array<std::uint8_t, kCapacity + 8> buffer;
    for (auto _ : state) {
        for (const LineSpan& line : collector.lines) {
            benchmark::DoNotOptimize(DecodeRunLengths(job.data() + line.offset, line.length, true,
                                                      kThreshold, kCapacity, buffer.data(),
                                                      kCapacity));
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * codes));
}

}  // namespace

void RegisterDecodeBenchmark(const std::string& jobsDir) {
    for (const BigJob& job : BigJobs()) {
        if (job.name != "text1") continue;
        benchmark::RegisterBenchmark("decode/text1", Decode, EnsureBigJob(jobsDir, job))
            ->Unit(benchmark::kMillisecond);
    }
}
