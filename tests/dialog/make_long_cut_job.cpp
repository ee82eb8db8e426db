// Writes a job of a million vector commands, moves and short cut lines in
// turn, for the smoke test: with the cutting animation on, every move is a
// step that pauses, so the whole animation would last many minutes.
//
//   make_long_cut_job OUT.prn
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "tests/support/job_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_long_cut_job OUT.prn\n");
        return 2;
    }
    constexpr int kCommands = 1'000'000;
    JobWriter job;
    job.Magic();
    for (std::int64_t i = 0; i < kCommands / 2; ++i) {
        const auto x = static_cast<std::int32_t>(i * 7919 % 39000);
        const auto y = static_cast<std::int32_t>(i * 104729 % 23000);
        job.MoveAbsolute(x, y).LineRelative(static_cast<std::int32_t>(300 - i % 600),
                                            static_cast<std::int32_t>(200 - i % 400));
    }
    job.Trailer();
    const auto& bytes = job.Bytes();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good() ? 0 : 1;
}
