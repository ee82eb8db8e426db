// Large jobs for the benchmarks, written with the job writer: a full-bed
// dithered photo, an 8-bit grey engraving, sparse text, a million vector
// commands, a job with a trailer every 4 KB (and its twin without them),
// arcs with coordinates near the 32-bit limits and, on demand, grey jobs
// of about 1 GB and 250 MB.
// Each is a pure function of its name, so a cached file is as good as a
// fresh one.
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
    // Too large to write and run every time: only when asked for by name.
    bool onDemand = false;
};

const std::vector<BigJob>& BigJobs();

// Writes the job into dir (created if needed) unless it is there, and
// returns its path. Returns an empty string when a file cannot be
// written.
std::string EnsureBigJob(const std::string& dir, const BigJob& job);
