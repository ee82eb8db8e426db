// One raster line as the preview sees it: how many pixels a decoded byte
// carries, which bytes clipping keeps at the bed's right edge, which pixels
// fall on which canvas columns, and where the next set bit is. Pure
// arithmetic on a line, kept apart from the row bookkeeping of the display.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "display/run_length.h"
#include "parser/job_format.h"

// The largest decoded line: longer lines are cut off there. Word-wise scans
// may read up to kDecodeSlack bytes past a decoded line (and ignore them), so
// decode buffers hold that much more.
inline constexpr std::uint32_t kDecodedLineCapacity = 65536;
inline constexpr std::uint32_t kDecodeSlack = 8;

// The settings a raster line is decoded with, as recorded when it is read.
struct RasterLineSettings {
    std::uint16_t bitMode = 0;
    std::uint16_t dotStep = 0;
    std::uint16_t rleBase = 0;
};

// A decoded line after clipping: pixel k (k < pixels) lies on dot
// x + step * k ('0' lines) or x - step * k ('1' lines).
struct ClippedLine {
    std::int64_t x = 0;
    std::int64_t step = 0;
    std::int64_t pixels = 0;
    bool forward = true;
};

// Pixels carried by one decoded byte in each bit mode; 0 for mode 3, which
// has none.
inline std::int64_t PixelsPerByte(std::uint16_t bitMode) {
    switch (bitMode) {
        case 0:
            return 8;
        case 1:
            return 2;
        case 2:
            return 1;
        default:
            return 0;
    }
}

// The eight bytes from p as one big-endian number, so that the first pixel of
// a 1-bit line is the most significant bit.
inline std::uint64_t LoadBigEndian64(const std::uint8_t* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// The first set bit in [first, end), or end if there is none; the most
// significant bit of each byte comes first. Reads whole words, up to 7 bytes
// past the last bit asked for.
inline std::int64_t NextSetBit(const std::uint8_t* bits, std::int64_t first, std::int64_t end) {
    while (first < end) {
        const std::int64_t lead = first & 7;
        const std::uint64_t word = LoadBigEndian64(bits + (first >> 3)) << lead;
        if (word != 0) return std::min(end, first + std::countl_zero(word));
        first += 64 - lead;
    }
    return end;
}

// The run-length threshold of ESC 'C': codes above it repeat the next byte.
// Only the low byte counts; 0 stands for the default.
inline std::uint32_t RunThreshold(std::uint16_t rleBase) {
    const std::uint32_t low = rleBase & 0xFFu;
    return low == 0 ? jobformat::kDefaultRleThreshold : low;
}

// The run-length coded bytes of one raster line, and whether the job goes on
// past them: a repeat code that is the line's last byte takes its value from
// the next job byte, and at the very end of the job there is none.
struct CodedLine {
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    bool jobGoesOn = false;
};

// Decodes the line into buffer (kDecodedLineCapacity + kDecodeSlack bytes)
// as far as limit (at most kDecodedLineCapacity) bytes; returns how many.
inline std::uint32_t DecodeRuns(const CodedLine& line, std::uint32_t threshold, std::uint32_t limit,
                                std::uint8_t* buffer) {
    return DecodeRunLengths(line.data, line.length, line.jobGoesOn, threshold, limit, buffer,
                            kDecodedLineCapacity);
}

// Which of the bytes of a decoded line of n bytes stay on the bed: whole
// bytes are dropped at the right edge. Where a byte must be dropped the line
// reaches past its own first dot, so dotsPerByte is not 0 there.
struct LineClip {
    bool kept = false;
    std::int64_t firstByte = 0;
    std::int64_t bytes = 0;
    std::int64_t x = 0;  // the dot of the first kept pixel
};

inline LineClip ClipLine(std::int64_t x, std::int64_t dotsPerByte, bool forward, std::int64_t n,
                         std::int64_t width) {
    const std::int64_t span = dotsPerByte * n;
    if (forward) {
        if (x >= width) return {};
        const std::int64_t last = x + span - 1;
        if (last < width) return {true, 0, n, x};
        const std::int64_t cut = (last - width) / dotsPerByte + 1;
        if (n <= cut) return {};
        return {true, 0, n - cut, x};
    }
    const std::int64_t low = x - span + 1;
    if (low >= width) return {};
    if (x < width) return {true, 0, n, x};
    const std::int64_t cut = (x - width) / dotsPerByte + 1;
    if (n <= cut) return {};
    return {true, cut, n - cut, low + dotsPerByte * (n - cut) - 1};
}

// floor(n / step) for 0 <= n < 2^34 and 1 <= step <= 256, as a multiply
// by a rounded-up reciprocal: with 42 fraction bits the product is exact for
// that range, and it is far quicker than a division.
class StepDivider {
public:
    explicit StepDivider(std::int64_t step)
        : m_reciprocal(((UInt128{1} << kFractionBits) + static_cast<std::uint64_t>(step) - 1) /
                       static_cast<std::uint64_t>(step)) {}
    std::int64_t operator()(std::int64_t n) const {
        return static_cast<std::int64_t>((static_cast<UInt128>(n) * m_reciprocal) >> kFractionBits);
    }

private:
    __extension__ typedef unsigned __int128 UInt128;
    static constexpr int kFractionBits = 42;
    UInt128 m_reciprocal;
};

// Which pixels [first, end) of a clipped line fall on given canvas columns,
// from the first dot of every column (columnStart): exactly the pixels whose
// dots the float mapping sends there. Pixels left of dot 0 fall on none.
class ColumnPixels {
public:
    struct Run {
        std::int64_t first = 0;
        std::int64_t end = 0;
    };

    ColumnPixels(std::int64_t x, std::int64_t step, std::int64_t pixels, bool forward,
                 const std::int64_t* columnStart)
        : m_start(columnStart),
          m_x(x),
          m_step(step),
          m_pixels(pixels),
          m_forward(forward),
          m_divide(step == 0 ? 1 : step) {}

    // The pixels of columns first to last; in the order of the line, the
    // first of them comes from one end of that stretch and the last from
    // the other.
    Run Span(std::int32_t first, std::int32_t last) const {
        const std::int64_t end = End(m_forward ? last : first);
        return Run{std::min(First(m_forward ? first : last), end), end};
    }

    // The number of pixels up to the last one on the column.
    std::int64_t End(std::int32_t column) const {
        const std::int64_t end =
            m_forward ? PixelsBefore(m_start[column + 1] - m_x) : PixelsUpTo(m_x - m_start[column]);
        return std::min(end, m_pixels);
    }

private:
    // The number of pixels before the column's first.
    std::int64_t First(std::int32_t column) const {
        return m_forward ? PixelsBefore(m_start[column] - m_x)
                         : PixelsUpTo(m_x - m_start[column + 1]);
    }
    // The number of pixels k >= 0 with step * k < distance. Every pixel of a
    // line with dot step 0 falls on its first dot.
    std::int64_t PixelsBefore(std::int64_t distance) const {
        if (distance <= 0) return 0;
        return m_step == 0 ? m_pixels : m_divide(distance + m_step - 1);
    }
    // The number of pixels k >= 0 with step * k <= distance.
    std::int64_t PixelsUpTo(std::int64_t distance) const {
        if (distance < 0) return 0;
        return m_step == 0 ? m_pixels : m_divide(distance) + 1;
    }

    const std::int64_t* m_start;
    std::int64_t m_x;
    std::int64_t m_step;
    std::int64_t m_pixels;
    bool m_forward;
    StepDivider m_divide;
};
