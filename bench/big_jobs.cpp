#include "bench/big_jobs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "bench/slow_jobs.h"
#include "tests/support/job_writer.h"

namespace {

// The default bed: 1000 x 600 mm at 1000 dpi.
constexpr std::int32_t kBedWidth = 39370;
constexpr std::int32_t kBedHeight = 23622;

constexpr std::uint64_t kVectorCommands = 1'000'000;
constexpr std::uint64_t kHugeArcCommands = 10'000;
constexpr std::size_t kTrailerRasterBytes = 20u << 20;
constexpr std::size_t kTrailerSpacing = 4096;

// A fixed, well-mixed hash: noise that is the same on every run.
std::uint32_t Hash(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// A triangle wave from 0 up to 255 and back over one period.
std::int32_t Triangle(std::int32_t v, std::int32_t period) {
    const std::int32_t phase = v % period;
    const std::int32_t half = period / 2;
    return (phase < half ? phase : period - phase) * 255 / half;
}

// The synthetic photo: broad shapes and a dark and a light patch.
std::int32_t SmoothLevel(std::int32_t x, std::int32_t y) {
    const std::int32_t dx = x - 26000;
    const std::int32_t dy = y - 12000;
    if (std::int64_t{dx} * dx + std::int64_t{dy} * dy < std::int64_t{6000} * 6000) return 255;
    if (x < 8000 && y < 9000) return 0;
    return (Triangle(x, 14000) + Triangle(y + x / 3, 9000)) / 2;
}

// The photo: the broad shapes kept between light and dark grey, so that no
// area is solid, with strong grain. Dithered, hardly any of it forms runs,
// and the full bed is over 100 MB.
std::int32_t PhotoLevel(std::int32_t x, std::int32_t y) {
    const std::int32_t shade = (Triangle(x, 14000) + Triangle(y + x / 3, 9000)) / 2;
    const auto noise = static_cast<std::int32_t>(Hash((std::uint64_t(y) << 32) | x) & 127) - 64;
    return std::clamp(24 + shade * 208 / 255 + noise, 0, 255);
}

constexpr std::array<std::array<std::uint8_t, 8>, 8> kBayer = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

// One dithered dot row, packed 8 dots a byte in the direction of the line:
// '0' lines from dot 0 up, '1' lines from the last dot down.
void DitheredRow(std::int32_t y, bool forward, std::vector<std::uint8_t>* bytes) {
    bytes->assign((kBedWidth + 7) / 8, 0);
    for (std::int32_t k = 0; k < kBedWidth; ++k) {
        const std::int32_t x = forward ? k : kBedWidth - 1 - k;
        const std::int32_t threshold = kBayer[y & 7][x & 7] * 4 + 2;
        if (PhotoLevel(x, y) > threshold)
            (*bytes)[k / 8] |= static_cast<std::uint8_t>(0x80 >> (k % 8));
    }
}

std::vector<std::uint8_t> Photo1() {
    JobWriter job;
    job.Magic().DotStep(1);
    std::vector<std::uint8_t> row;
    for (std::int32_t r = 0; r < kBedHeight; ++r) {
        const std::int32_t y = kBedHeight - r;
        const bool forward = r % 2 == 0;
        DitheredRow(y, forward, &row);
        job.Raster(forward ? '0' : '1', forward ? 0 : kBedWidth - 1, y, row);
    }
    return job.Trailer().Bytes();
}

std::vector<std::uint8_t> Gray8() {
    constexpr std::int32_t kStep = 2;
    JobWriter job;
    job.Magic().BitMode(2).DotStep(kStep);
    std::vector<std::uint8_t> row((kBedWidth + kStep - 1) / kStep);
    for (std::int32_t r = 0; r < kBedHeight; r += 2) {
        const std::int32_t y = kBedHeight - r;
        const bool forward = r % 4 == 0;
        for (std::size_t k = 0; k < row.size(); ++k) {
            const auto dot = static_cast<std::int32_t>(k) * kStep;
            const std::int32_t x = forward ? dot : kBedWidth - 1 - dot;
            // Grey in 16 levels, so runs form, with sparse speckle.
            std::int32_t level = SmoothLevel(x, y) & 0xF0;
            if ((Hash(std::uint64_t(x) * 7 + y) & 31) == 0) level |= 0x0F;
            row[k] = static_cast<std::uint8_t>(level);
        }
        job.Raster(forward ? '0' : '1', forward ? 0 : kBedWidth - 1, y, row);
    }
    return job.Trailer().Bytes();
}

// The whole bed in 8-bit grey at dot step 1, grain on every dot so that
// nothing forms runs, a line every rowStep dot rows: every row makes about
// 1 GB, more than the program may hold in its own memory; every fourth row
// about 250 MB, the large job of the desktop program's Redraw.
std::vector<std::uint8_t> GreyBed(std::int32_t rowStep) {
    JobWriter job;
    job.Magic().BitMode(2).DotStep(1);
    std::vector<std::uint8_t> row(kBedWidth);
    for (std::int32_t r = 0; r < kBedHeight; r += rowStep) {
        const std::int32_t y = kBedHeight - r;
        for (std::int32_t x = 0; x < kBedWidth; ++x) {
            const auto noise = static_cast<std::int32_t>(Hash((std::uint64_t(y) << 32) | x) & 63);
            row[x] = static_cast<std::uint8_t>(std::min(SmoothLevel(x, y) + noise, 255));
        }
        job.Raster('0', 0, y, row);
    }
    return job.Trailer().Bytes();
}

// Lines of text: bands of glyphs 160 dots high every 600 dot rows, each glyph
// a 12 x 16 grid of 10-dot cells set by a hash, with gaps between words.
std::vector<std::uint8_t> Text1() {
    JobWriter job;
    job.Magic().DotStep(1);
    std::vector<std::uint8_t> row((kBedWidth + 7) / 8);
    for (std::int32_t band = 0; band * 600 + 600 <= kBedHeight; ++band) {
        for (std::int32_t line = 0; line < 160; ++line) {
            const std::int32_t r = band * 600 + 200 + line;
            std::fill(row.begin(), row.end(), 0);
            for (std::int32_t x = 2000; x < kBedWidth - 2000; ++x) {
                const std::int32_t glyph = x / 150;
                const std::int32_t inGlyph = x % 150;
                if (inGlyph >= 120 || Hash(std::uint64_t(band) << 20 | glyph) % 6 == 0) continue;
                const std::uint64_t cell = (std::uint64_t(band * 1000 + glyph) << 16) |
                                           (std::uint64_t(line / 10) << 8) | (inGlyph / 10);
                if (Hash(cell) % 3 == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            job.Raster('0', 0, kBedHeight - r, row);
        }
    }
    return job.Trailer().Bytes();
}

// Cutting contours: short lines and arcs between moves, with pen changes and
// end-speed marks, all inside the bed.
std::vector<std::uint8_t> Vector() {
    JobWriter job;
    job.Magic();
    std::uint64_t commands = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (std::uint64_t i = 0; commands < kVectorCommands; ++i) {
        const std::uint32_t h = Hash(i);
        if (i % 64 == 0) {
            job.Pen(static_cast<std::uint8_t>(h % 8)).PenUp();
            x = 1000 + h % (kBedWidth - 2000);
            y = 1000 + (h >> 8) % (kBedHeight - 2000);
            job.MoveAbsolute(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)).PenDown();
            commands += 4;
            continue;
        }
        const auto small = [&](std::uint32_t bits) {
            return static_cast<std::int32_t>(bits % 601) - 300;
        };
        switch (h % 10) {
            case 0:
                job.VectorF();
                break;
            case 1:
                job.VectorJ();
                break;
            case 2:
            case 3: {
                // An arc from here around a centre up to 400 dots away, to a
                // point a quarter turn on.
                const std::int32_t cx = small(h >> 4) * 4 / 3;
                const std::int32_t cy = small(h >> 14) * 4 / 3;
                const std::int32_t ex = cx + cy;
                const std::int32_t ey = cy - cx;
                if ((h >> 30) & 1) {
                    job.ArcB(ex, ey, cx, cy);
                } else {
                    job.ArcC(ex, ey, cx, cy);
                }
                x += ex;
                y += ey;
                break;
            }
            default: {
                const std::int32_t dx = small(h >> 4);
                const std::int32_t dy = small(h >> 14);
                job.LineRelative(dx, dy);
                x += dx;
                y += dy;
                break;
            }
        }
        ++commands;
    }
    return job.Trailer().Bytes();
}

// Photo rows up to the size limit; with trailers, an ESC 'B' wherever 4 KB
// have passed since the last, each with the right checksum and length.
std::vector<std::uint8_t> TrailerJob(bool withExtraTrailers) {
    JobWriter job;
    job.Magic().DotStep(1);
    std::vector<std::uint32_t> trailerEnds;  // offsets of the byte after each trailer
    std::size_t lastTrailer = 0;
    std::vector<std::uint8_t> row;
    for (std::int32_t r = 0; job.Size() < kTrailerRasterBytes; ++r) {
        const std::int32_t y = kBedHeight - r;
        const bool forward = r % 2 == 0;
        DitheredRow(y, forward, &row);
        job.Raster(forward ? '0' : '1', forward ? 0 : kBedWidth - 1, y, row);
        if (withExtraTrailers && job.Size() - lastTrailer >= kTrailerSpacing) {
            job.Trailer(0, 0);
            trailerEnds.push_back(job.Size());
            lastTrailer = job.Size();
        }
    }
    job.Trailer(0, 0);
    trailerEnds.push_back(job.Size());

    // Fill the fields in stream order: each checksum covers the fields of
    // the trailers before it.
    std::vector<std::uint8_t> bytes = job.Bytes();
    const auto size = static_cast<std::uint32_t>(bytes.size());
    std::uint32_t sum = 0;
    std::size_t summed = 0;
    for (const std::uint32_t end : trailerEnds) {
        for (int i = 0; i < 4; ++i)
            bytes[end - 4 + i] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
        const std::size_t checksumAt = end - 6;
        for (; summed < checksumAt; ++summed) sum += bytes[summed];
        bytes[checksumAt] = static_cast<std::uint8_t>(sum >> 8);
        bytes[checksumAt + 1] = static_cast<std::uint8_t>(sum);
    }
    return bytes;
}

// Moves, lines and arcs whose coordinates and radii reach 2^30 to 2^31, with
// centres far outside the bed.
std::vector<std::uint8_t> HugeArcs() {
    JobWriter job;
    job.Magic().PenDown();
    const auto huge = [](std::uint32_t h) {
        const std::int32_t magnitude = (1 << 30) + static_cast<std::int32_t>(h % (1u << 30));
        return (h >> 31) != 0 ? -magnitude : magnitude;
    };
    for (std::uint64_t i = 0; i < kHugeArcCommands; ++i) {
        const std::uint32_t a = Hash(i);
        const std::uint32_t b = Hash(i + (1ull << 40));
        switch (i % 4) {
            case 0:
                job.MoveAbsolute(static_cast<std::int32_t>(a % kBedWidth),
                                 static_cast<std::int32_t>(b % kBedHeight));
                break;
            case 1:
                job.LineRelative(huge(a) / 2, huge(b) / 2);
                break;
            case 2:
                job.ArcB(huge(a), huge(b), huge(b ^ a), huge(a * 3));
                break;
            default:
                job.ArcC(huge(b), huge(a), huge(a ^ 0x5555), huge(b * 5));
                break;
        }
    }
    return job.Trailer().Bytes();
}

std::vector<std::uint8_t> Bed1G() { return GreyBed(1); }
std::vector<std::uint8_t> Bed250M() { return GreyBed(4); }
std::vector<std::uint8_t> TrailersEvery4K() { return TrailerJob(true); }
std::vector<std::uint8_t> TrailersPlain() { return TrailerJob(false); }

}  // namespace

const std::vector<BigJob>& BigJobs() {
    static const std::vector<BigJob> jobs = {
        {"photo1", Photo1, 0},
        {"gray8", Gray8, 0},
        {"text1", Text1, 0},
        {"vector", Vector, kVectorCommands},
        {"trailers", TrailersEvery4K, 0},
        {"trailers_plain", TrailersPlain, 0},
        {"hugearcs", HugeArcs, kHugeArcCommands},
        {"circles", CirclesJob, kCircles},
        {"circles_b", CirclesThreeBytesChanged, kCircles, true},
        {"circles16k", Circles16kJob, kCircles16k, true},
        {"periodic", PeriodicJob, 0, true},
        {"periodic_b", PeriodicChanged, 0, true},
        {"scattered", ScatteredJob, 0, true},
        {"scattered_b", ScatteredChanged, 0, true},
        {"bed1g", Bed1G, 0, true},
        {"bed250m", Bed250M, 0, true},
    };
    return jobs;
}

std::string EnsureBigJob(const std::string& dir, const BigJob& job) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    const std::string path = dir + "/" + std::string(job.name) + ".prn";
    if (std::filesystem::exists(path, error)) return path;
    const std::vector<std::uint8_t> bytes = job.generate();
    // Written under a temporary name, so an interrupted run leaves no
    // half-written job behind to be taken for a complete one.
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) return {};
    }
    std::filesystem::rename(temporary, path, error);
    return error ? std::string() : path;
}
