// Large jobs for the benchmarks, written with the job writer: a full-bed
// dithered photo, an 8-bit grey engraving, sparse text, a million vector
// commands, a job with a trailer every 4 KB (and its twin without them) and
// arcs with coordinates near the 32-bit limits. Each is a pure function of
// its name, so a cached file is as good as a fresh one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct BigJob {
    std::string_view name;
    std::vector<std::uint8_t> (*generate)();
    // Commands in the job, for the vector rate; 0 where bytes are the measure.
    std::uint64_t commands = 0;
};

const std::vector<BigJob>& BigJobs();

// Writes every job that is missing from dir (created if needed) and returns
// the path of the named one. Returns an empty string when a file cannot be
// written.
std::string EnsureBigJob(const std::string& dir, const BigJob& job);
