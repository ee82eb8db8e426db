// Whole processes, timed and measured from outside: how long a command takes
// from spawn to exit, and its peak resident and anonymous memory (anonymous:
// what is not the page cache's).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProcessRun {
    bool ok = false;     // spawned and exited with a status up to the one allowed
    double seconds = 0;  // spawn to exit, wall clock
    // User and system time: on a shared machine, what the command itself cost.
    double cpuSeconds = 0;
    // Sampled, 0 unless asked for: the kernel's high-water mark VmHWM and
    // the largest RssAnon seen.
    std::uint64_t peakResidentKiB = 0;
    std::uint64_t peakAnonKiB = 0;
    std::string failure;  // why ok is false
};

// Runs argv[0] with the arguments argv[1..], stdout and stdin on /dev/null,
// stderr inherited. With sample the caller polls the child's memory figures
// as fast as it can until it exits: memory is faulted in a page at a time,
// so no peak that matters slips between two samples. That costs a core, so
// timed runs leave it off. (The rusage of a spawned child will not do: its
// high-water mark starts from the spawning process's.)
// highestOk: the highest exit status that is not a failure (diff exits 1
// when the jobs differ).
ProcessRun RunProcess(const std::vector<std::string>& argv, bool sample, int highestOk = 0);
