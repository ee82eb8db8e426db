#include "bench/slow_jobs.h"

#include <cmath>

#include "tests/support/job_writer.h"

namespace {

// The default bed: 1000 x 600 mm at 1000 dpi, 39370 x 23622 dots.
constexpr std::int32_t kBedWidth = 39370;
constexpr std::int32_t kBedHeight = 23622;

std::uint32_t Hash(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// Full circles (arcs back to their start, nothing between them) whose
// diameter is the width of a canvas of canvasWidth pixels and 1 to 2 pixels
// more, centred on it, so that every outline runs just off the surface's
// sides: the bed is mapped at canvasScale pixels per dot. All pass through
// one start point; their centres move a little.
std::vector<std::uint8_t> Circles(std::uint64_t count, double canvasWidth, double canvasScale) {
    const double radius = (canvasWidth + 1.5) / 2 / canvasScale;
    const auto start = static_cast<std::int32_t>(canvasWidth / 2 / canvasScale + radius);
    JobWriter job;
    job.Magic().PenDown().MoveAbsolute(start, kBedHeight / 2);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint32_t h = Hash(i);
        const auto r = static_cast<std::int32_t>(radius) + static_cast<std::int32_t>(h % 21) - 10;
        job.ArcB(0, 0, -r, static_cast<std::int32_t>(h >> 8) % 21 - 10);
    }
    return job.Trailer().Bytes();
}

// A diamond of four lines repeated to about 10 MB; the changed twin moves
// one line's end by a dot in 4,000 repetitions spread over the job.
std::vector<std::uint8_t> Periodic(bool changed) {
    constexpr std::uint64_t kRepetitions = 250'000;
    constexpr std::uint64_t kChanges = 4'000;
    JobWriter job;
    job.Magic().MoveAbsolute(20000, 12000).PenDown();
    for (std::uint64_t r = 0; r < kRepetitions; ++r) {
        const bool change = changed && r % (kRepetitions / kChanges) == 3;
        job.LineRelative(change ? 101 : 100, 50).LineRelative(-100, 50);
        job.LineRelative(-100, -50).LineRelative(100, -50);
    }
    return job.Trailer().Bytes();
}

// About 10 MB of distinct short lines, moves and arcs; the changed twin has
// 5,000 of its commands end a dot further, spread over the job.
std::vector<std::uint8_t> Scattered(bool changed) {
    constexpr std::uint64_t kCommands = 1'000'000;
    constexpr std::uint64_t kChanges = 5'000;
    JobWriter job;
    job.Magic().PenDown();
    for (std::uint64_t i = 0; i < kCommands; ++i) {
        const std::uint32_t h = Hash(i);
        const auto small = [](std::uint32_t bits) {
            return static_cast<std::int32_t>(bits % 601) - 300;
        };
        const std::int32_t change = changed && i % (kCommands / kChanges) == 7 ? 1 : 0;
        if (i % 50 == 0) {
            job.MoveAbsolute(1000 + change + static_cast<std::int32_t>(h % (kBedWidth - 2000)),
                             1000 + static_cast<std::int32_t>((h >> 8) % (kBedHeight - 2000)));
        } else if (h % 4 == 0) {
            job.ArcC(small(h >> 4) + change, small(h >> 14), small(h >> 8), small(h >> 18));
        } else {
            job.LineRelative(small(h >> 4) + change, small(h >> 14));
        }
    }
    return job.Trailer().Bytes();
}

// The default canvas maps the bed's width onto its 910 pixels.
constexpr double kDefaultScale = 910.0 / kBedWidth;
// A 16384 x 5461 canvas maps the bed's height onto its 5461 pixels.
constexpr double kLargeScale = 5461.0 / kBedHeight;

}  // namespace

std::vector<std::uint8_t> CirclesJob() { return Circles(kCircles, 910, kDefaultScale); }

std::vector<std::uint8_t> CirclesThreeBytesChanged() {
    std::vector<std::uint8_t> bytes = CirclesJob();
    // One byte each in three radii near the start, middle and end; the
    // trailer's checksum no longer matches, as for a hand-edited job.
    for (const std::size_t at : {bytes.size() / 5, bytes.size() / 2, bytes.size() * 4 / 5}) {
        bytes[at] ^= 1;
    }
    return bytes;
}

std::vector<std::uint8_t> Circles16kJob() { return Circles(kCircles16k, 16384, kLargeScale); }
std::vector<std::uint8_t> PeriodicJob() { return Periodic(false); }
std::vector<std::uint8_t> PeriodicChanged() { return Periodic(true); }
std::vector<std::uint8_t> ScatteredJob() { return Scattered(false); }
std::vector<std::uint8_t> ScatteredChanged() { return Scattered(true); }
