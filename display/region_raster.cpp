#include "display/region_raster.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "display/canvas.h"
#include "display/job_display.h"
#include "parser/byte_readers.h"

namespace {

constexpr std::uint32_t kPixelBitsSize = kDecodedLineCapacity / 4 + kDecodeSlack;
// The dots of a dot row marked at a time: 512 KiB of bits, one window for
// any bed narrower than about 100 m at 1000 dpi.
constexpr std::int64_t kMarkWindowDots = std::int64_t{1} << 22;

// Stores a number at p as eight big-endian bytes.
void StoreBigEndian64(std::uint8_t* p, std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    std::memcpy(p, &word, sizeof word);
}

// ORs bits [first, end) of source into target from bit at on, the most
// significant bit of each byte first, up to 57 bits a word. Reads and writes
// up to 8 bytes past the last bit.
void OrBits(const std::uint8_t* source, std::int64_t first, std::int64_t end, std::uint8_t* target,
            std::int64_t at) {
    while (first < end) {
        const std::int64_t take = std::min({end - first, 64 - (first & 7), 64 - (at & 7)});
        const std::uint64_t bits =
            (LoadBigEndian64(source + (first >> 3)) << (first & 7)) >> (64 - take) << (64 - take);
        std::uint8_t* word = target + (at >> 3);
        StoreBigEndian64(word, LoadBigEndian64(word) | bits >> (at & 7));
        first += take;
        at += take;
    }
}

// The set bits in [first, end), the most significant bit of each byte first.
// Reads whole words, up to 7 bytes past the last bit asked for. Inlined so
// that the callers cloned for popcount use the instruction.
[[gnu::always_inline]] inline std::uint64_t CountBits(const std::uint8_t* bits, std::int64_t first,
                                                      std::int64_t end) {
    std::uint64_t count = 0;
    while (first < end) {
        const std::int64_t lead = first & 7;
        const std::uint64_t word = LoadBigEndian64(bits + (first >> 3)) << lead;
        const std::int64_t take = std::min(end - first, 64 - lead);
        count += static_cast<std::uint64_t>(std::popcount(word >> (64 - take)));
        first += take;
    }
    return count;
}

// A colour mixed with white by count / total, channel by channel:
// 255 - floor(count * (255 - c) / total).
Color Shade(Color color, std::uint64_t count, std::uint64_t total) {
    Color shaded = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint64_t gap = 255 - ((color >> shift) & 0xFF);
        shaded |= static_cast<Color>(255 - count * gap / total) << shift;
    }
    return shaded;
}

// Which pixels of a line lie on a stretch of dots: the line's own dots are
// spaced by its step, so this is a division, done by multiplication for the
// steps that allow it.
class PixelRanges {
public:
    PixelRanges(std::int64_t x, std::int64_t step, bool forward)
        : m_x(x),
          m_step(step),
          m_forward(forward),
          m_divide(std::clamp<std::int64_t>(step, 1, 256)) {}

    // The pixels [first, end) on dots a <= d < b, for a stretch within the
    // line's reach (so every distance below is at most 2^27 + 2^8).
    void Range(std::int64_t a, std::int64_t b, std::int64_t* first, std::int64_t* end) const {
        if (m_forward) {
            *first = Divide(a - m_x + m_step - 1);
            *end = Divide(b - m_x + m_step - 1);
        } else {
            *first = Divide(m_x - b + m_step);
            *end = Divide(m_x - a + m_step);
        }
    }

private:
    std::int64_t Divide(std::int64_t n) const {
        if (m_step == 1) return n;
        return m_step <= 256 ? m_divide(n) : n / m_step;
    }

    std::int64_t m_x;
    std::int64_t m_step;
    bool m_forward;
    StepDivider m_divide;
};

}  // namespace

bool RegionRaster::Draw(const JobIndex& job, const ViewMapping& mapping, const RasterFrame& frame,
                        Canvas* canvas, const std::atomic<bool>* cancel) {
    m_mapping = mapping;
    m_frame = frame;
    m_blockSize = mapping.dotsPerPixel;
    m_blockColumns = FloorDivide(mapping.x1 - mapping.x0 + m_blockSize - 1, m_blockSize);
    m_lowDot = std::max<std::int64_t>(mapping.x0, 0);
    m_highDot = std::min(mapping.x1, frame.bedWidthDots);
    if (m_lowDot >= m_highDot) return true;
    const auto columns = static_cast<std::size_t>(m_blockColumns);
    m_count.assign(columns, 0);
    m_lastOrder.assign(columns, 0);
    m_color.assign(columns, 0);
    m_decoded.resize(kDecodedLineCapacity + kDecodeSlack);
    m_pixelBits.resize(kPixelBitsSize);
    m_marks.clear();
    m_markLow = m_markHigh = 0;
    m_touchedFirst = m_blockColumns;
    m_touchedEnd = 0;
    SortIntoBlockRows(job);
    const auto blockRows = static_cast<std::int64_t>(m_rowStart.size()) - 2;
    for (std::int64_t row = 0; row < blockRows; ++row) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
        DrawBlockRow(job, row, canvas);
    }
    return true;
}

void RegionRaster::SortIntoBlockRows(const JobIndex& job) {
    // A counting sort by block row keeps stream order within each row.
    const std::int64_t blockRows =
        FloorDivide(m_mapping.y1 - m_mapping.y0 + m_blockSize - 1, m_blockSize);
    m_rowStart.assign(static_cast<std::size_t>(blockRows) + 2, 0);
    m_lines.clear();
    const std::uint8_t* data = job.Data();
    const std::deque<IndexedCommand>& commands = job.Commands();
    // The block row of a line the view shows, or -1.
    const auto rowOf = [&](const IndexedCommand& command) -> std::int64_t {
        if (PixelsPerByte(command.bitMode) == 0) return -1;
        const std::int64_t y = std::int64_t{ReadS32BE(data, command.params + 8)} + m_frame.offsetY;
        if (y <= m_mapping.y0 || y > m_mapping.y1) return -1;
        const std::int64_t x = std::int64_t{ReadS32BE(data, command.params + 4)} + m_frame.offsetX;
        const bool forward = data[command.params - 1] == '0';
        if (forward ? x >= m_highDot : x < m_lowDot) return -1;
        return (m_mapping.y1 - y) / m_blockSize;
    };
    for (const IndexedCommand& command : commands) {
        if (command.kind != IndexedCommand::kRasterLine) continue;
        const std::int64_t row = rowOf(command);
        if (row >= 0) ++m_rowStart[static_cast<std::size_t>(row) + 2];
    }
    for (std::size_t i = 2; i < m_rowStart.size(); ++i) m_rowStart[i] += m_rowStart[i - 1];
    m_lines.resize(m_rowStart.back());
    std::uint8_t layer = 0;
    for (std::uint32_t i = 0; i < commands.size(); ++i) {
        const IndexedCommand& command = commands[i];
        if (command.kind == IndexedCommand::kPenSelect) {
            if (command.penNumber < g_penColors.size())
                layer = static_cast<std::uint8_t>(command.penNumber);
            continue;
        }
        if (command.kind != IndexedCommand::kRasterLine) continue;
        const std::int64_t row = rowOf(command);
        if (row < 0) continue;
        const std::int64_t y = std::int64_t{ReadS32BE(data, command.params + 8)} + m_frame.offsetY;
        const auto dotRow = static_cast<std::uint32_t>(m_mapping.y1 - y - row * m_blockSize);
        m_lines[m_rowStart[static_cast<std::size_t>(row) + 1]++] = LineRef{i, dotRow << 8 | layer};
    }
}

void RegionRaster::DrawBlockRow(const JobIndex& job, std::int64_t blockRow, Canvas* canvas) {
    const auto begin = m_lines.begin() + m_rowStart[static_cast<std::size_t>(blockRow)];
    const auto end = m_lines.begin() + m_rowStart[static_cast<std::size_t>(blockRow) + 1];
    if (begin == end) return;
    // Lines of one dot row may overlap, and a dot set twice counts once; a
    // dot row of a single line (the usual case) needs no such care.
    std::sort(begin, end, [](const LineRef& a, const LineRef& b) {
        return a.DotRow() != b.DotRow() ? a.DotRow() < b.DotRow() : a.command < b.command;
    });
    LinePixels line;
    for (auto group = begin; group != end;) {
        auto groupEnd = group + 1;
        while (groupEnd != end && groupEnd->DotRow() == group->DotRow()) ++groupEnd;
        const bool single = groupEnd - group == 1;
        for (auto it = group; it != groupEnd; ++it) {
            if (!ReadLine(job, it->command, &line)) continue;
            CountLine(line, it->command, g_penColors[it->Layer()], single);
            if (!single) MarkDots(line, m_lowDot);
        }
        if (!single) CountDotsOnce(job, &*group, &*group + (groupEnd - group));
        group = groupEnd;
    }
    PaintBlockRow(blockRow, canvas);
}

bool RegionRaster::ReadLine(const JobIndex& job, std::uint32_t command, LinePixels* line) {
    const IndexedCommand& c = job.Commands()[command];
    const std::uint8_t* data = job.Data();
    const std::uint32_t p = c.params;
    const bool forward = data[p - 1] == '0';
    const std::uint32_t codedLength = ReadU32BE(data, p) - 8;
    const std::int64_t x = std::int64_t{ReadS32BE(data, p + 4)} + m_frame.offsetX;
    const std::int64_t perByte = PixelsPerByte(c.bitMode);
    const std::int64_t step = c.dotStep;
    // Decoded no further than the view's far edge needs: pixel positions do
    // not depend on the line's length, nor (but for a line too short to
    // reach it) does what clipping keeps of them.
    std::int64_t pixels = std::int64_t{kDecodedLineCapacity} * perByte;
    if (step != 0) {
        pixels = std::min(pixels,
                          forward ? (m_highDot - x + step - 1) / step : (x - m_lowDot) / step + 1);
    }
    const auto limit = static_cast<std::uint32_t>((pixels + perByte - 1) / perByte);
    const CodedLine coded{data + p + 12, codedLength,
                          std::uint64_t{p} + 12 + codedLength < job.Size()};
    const std::uint32_t decoded =
        DecodeRuns(coded, RunThreshold(c.rleBase), limit, m_decoded.data());
    const LineClip clip = ClipLine(x, step * perByte, forward, decoded, m_frame.bedWidthDots);
    if (!clip.kept) return false;
    const std::uint8_t* bytes = m_decoded.data() + clip.firstByte;
    const std::int64_t count = clip.bytes * perByte;
    if (perByte != 8) {
        // One bit per pixel: set when any bit of its nibble or byte is.
        const auto set = [&](std::int64_t k) {
            return perByte == 1 ? bytes[k] != 0 : (bytes[k >> 1] >> (k & 1 ? 0 : 4) & 0xF) != 0;
        };
        for (std::int64_t k = 0; k < count; k += 8) {
            std::uint8_t packed = 0;
            for (std::int64_t j = 0; j < 8 && k + j < count; ++j) {
                packed = static_cast<std::uint8_t>(packed | (set(k + j) ? 0x80 >> j : 0));
            }
            m_pixelBits[static_cast<std::size_t>(k >> 3)] = packed;
        }
        bytes = m_pixelBits.data();
    }
    *line = LinePixels{bytes, clip.x, step, count, forward};
    return count > 0;
}

// Counting bits is most of the work at large K: with the processor's own
// instruction where it has one, instead of a library call per block.
#if defined(__x86_64__)
[[gnu::target_clones("popcnt", "default")]]
#endif
void RegionRaster::CountLine(const LinePixels& line, std::uint32_t order, Color color,
                             bool counts) {
    const auto add = [&](std::int64_t column, std::uint64_t dots) {
        if (counts) m_count[static_cast<std::size_t>(column)] += dots;
        std::uint32_t& last = m_lastOrder[static_cast<std::size_t>(column)];
        if (order >= last) {
            last = order + 1;
            m_color[static_cast<std::size_t>(column)] = color;
        }
        m_touchedFirst = std::min(m_touchedFirst, column);
        m_touchedEnd = std::max(m_touchedEnd, column + 1);
    };
    const std::int64_t reach = line.step * (line.pixels - 1);
    const std::int64_t low = std::max(line.forward ? line.x : line.x - reach, m_lowDot);
    const std::int64_t high = std::min(line.forward ? line.x + reach : line.x, m_highDot - 1);
    if (low > high) return;
    if (line.step == 0) {
        // Every pixel lies on the one dot.
        if (NextSetBit(line.bits, 0, line.pixels) < line.pixels) {
            add((line.x - m_mapping.x0) / m_blockSize, 1);
        }
        return;
    }
    const PixelRanges ranges(line.x, line.step, line.forward);
    const std::int64_t lastColumn = (high - m_mapping.x0) / m_blockSize;
    for (std::int64_t column = (low - m_mapping.x0) / m_blockSize; column <= lastColumn; ++column) {
        const std::int64_t blockStart = m_mapping.x0 + column * m_blockSize;
        std::int64_t first = 0;
        std::int64_t end = 0;
        ranges.Range(std::max(blockStart, low), std::min(blockStart + m_blockSize, high + 1),
                     &first, &end);
        const std::uint64_t dots = CountBits(line.bits, first, end);
        if (dots != 0) add(column, dots);
    }
}

// Whether a line can set a dot in [start, end), from its header alone: its
// longest decode at its step.
bool RegionRaster::MayReach(const JobIndex& job, std::uint32_t command, std::int64_t start,
                            std::int64_t end) const {
    const IndexedCommand& c = job.Commands()[command];
    const std::uint8_t* data = job.Data();
    const bool forward = data[c.params - 1] == '0';
    const std::int64_t x = std::int64_t{ReadS32BE(data, c.params + 4)} + m_frame.offsetX;
    const std::int64_t reach =
        std::int64_t{c.dotStep} * (std::int64_t{kDecodedLineCapacity} * PixelsPerByte(c.bitMode));
    return (forward ? x : x - reach) < end && (forward ? x + reach : x) >= start;
}

// Marks the line's set dots in the window from start, which spans the view's
// dots or kMarkWindowDots of them.
void RegionRaster::MarkDots(const LinePixels& line, std::int64_t start) {
    const std::int64_t windowEnd = std::min(start + kMarkWindowDots, m_highDot);
    const std::int64_t reach = line.step * (line.pixels - 1);
    const std::int64_t low = std::max(line.forward ? line.x : line.x - reach, start);
    const std::int64_t high = std::min(line.forward ? line.x + reach : line.x, windowEnd - 1);
    if (low > high) return;
    if (m_marks.empty()) {
        m_marks.assign(
            static_cast<std::size_t>((std::min(kMarkWindowDots, m_highDot - m_lowDot) + 7) / 8 +
                                     kDecodeSlack),
            0);
    }
    const auto mark = [&](std::int64_t dot) {
        const std::int64_t i = dot - start;
        m_marks[static_cast<std::size_t>(i >> 3)] |= static_cast<std::uint8_t>(0x80 >> (i & 7));
    };
    if (line.step == 0) {
        if (NextSetBit(line.bits, 0, line.pixels) == line.pixels) return;
        mark(line.x);
    } else {
        const PixelRanges ranges(line.x, line.step, line.forward);
        std::int64_t first = 0;
        std::int64_t end = 0;
        ranges.Range(low, high + 1, &first, &end);
        if (line.step == 1 && line.forward) {
            // Solid engraving, a word at a time.
            OrBits(line.bits, first, end, m_marks.data(), line.x + first - start);
        } else {
            const std::int64_t step = line.forward ? line.step : -line.step;
            for (std::int64_t k = NextSetBit(line.bits, first, end); k < end;
                 k = NextSetBit(line.bits, k + 1, end)) {
                mark(line.x + step * k);
            }
        }
    }
    if (m_markLow >= m_markHigh) {
        m_markLow = low;
        m_markHigh = high + 1;
    } else {
        m_markLow = std::min(m_markLow, low);
        m_markHigh = std::max(m_markHigh, high + 1);
    }
}

// Adds the set dots of a dot row's lines, a dot set twice counted once. The
// first window is marked as the lines are read; a bed wider than a window
// takes one more read of each line per further window it may reach.
void RegionRaster::CountDotsOnce(const JobIndex& job, const LineRef* first, const LineRef* last) {
    CountMarkedDots(m_lowDot);
    LinePixels line;
    for (std::int64_t start = m_lowDot + kMarkWindowDots; start < m_highDot;
         start += kMarkWindowDots) {
        const std::int64_t end = std::min(start + kMarkWindowDots, m_highDot);
        for (const LineRef* it = first; it != last; ++it) {
            if (MayReach(job, it->command, start, end) && ReadLine(job, it->command, &line)) {
                MarkDots(line, start);
            }
        }
        CountMarkedDots(start);
    }
}

#if defined(__x86_64__)
[[gnu::target_clones("popcnt", "default")]]
#endif
void RegionRaster::CountMarkedDots(std::int64_t start) {
    if (m_markLow >= m_markHigh) return;
    const std::int64_t lastColumn = (m_markHigh - 1 - m_mapping.x0) / m_blockSize;
    for (std::int64_t column = (m_markLow - m_mapping.x0) / m_blockSize; column <= lastColumn;
         ++column) {
        const std::int64_t blockStart = m_mapping.x0 + column * m_blockSize;
        m_count[static_cast<std::size_t>(column)] +=
            CountBits(m_marks.data(), std::max(blockStart, m_markLow) - start,
                      std::min(blockStart + m_blockSize, m_markHigh) - start);
    }
    const std::int64_t firstByte = (m_markLow - start) >> 3;
    std::memset(m_marks.data() + firstByte, 0,
                static_cast<std::size_t>(((m_markHigh - 1 - start) >> 3) + 1 - firstByte));
    m_markLow = m_markHigh = 0;
}

void RegionRaster::PaintBlockRow(std::int64_t blockRow, Canvas* canvas) {
    const auto blockDots = static_cast<std::uint64_t>(m_blockSize * m_blockSize);
    const std::int64_t m = m_mapping.pixelsPerDot;
    for (std::int64_t column = m_touchedFirst; column < m_touchedEnd; ++column) {
        const auto i = static_cast<std::size_t>(column);
        const std::uint64_t dots = m_count[i];
        m_count[i] = 0;
        m_lastOrder[i] = 0;
        if (dots == 0) continue;
        const Color color =
            m_frame.shade == ViewShade::kCoverage ? Shade(m_color[i], dots, blockDots) : m_color[i];
        if (m == 1) {
            Canvas::StorePixel(canvas->Row(static_cast<std::int32_t>(blockRow)) + 3 * column,
                               color);
        } else {
            canvas->FillSolidRect(
                static_cast<std::int32_t>(column * m), static_cast<std::int32_t>(blockRow * m),
                static_cast<std::int32_t>(m), static_cast<std::int32_t>(m), color);
        }
    }
    m_touchedFirst = m_blockColumns;
    m_touchedEnd = 0;
}
