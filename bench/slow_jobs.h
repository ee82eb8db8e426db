// Jobs made to be slow for one subcommand or another: full circles just
// larger than the canvas they are drawn on, and pairs of jobs for diff (with
// 3 bytes changed, a periodic stream with 4,000 substitutions, a stream of
// distinct commands with 5,000 scattered changes). The second job of a pair
// is named after the first with "_b".
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> CirclesJob();
std::vector<std::uint8_t> CirclesThreeBytesChanged();
std::vector<std::uint8_t> Circles16kJob();
std::vector<std::uint8_t> PeriodicJob();
std::vector<std::uint8_t> PeriodicChanged();
std::vector<std::uint8_t> ScatteredJob();
std::vector<std::uint8_t> ScatteredChanged();

// The commands (arcs) in the circle jobs, for the vector rate.
inline constexpr std::uint64_t kCircles = 300'000;
inline constexpr std::uint64_t kCircles16k = 30'000;
