// The raster engraving of a region view. Each line's dots are the ones the
// main canvas takes (run-length decode, threshold, bit mode, dot step,
// direction, whole bytes clipped at the bed's right edge, dots left of the
// bed dropped, displacement), but each stays on its own row. A pixel shows
// the colour of the last line, in stream order, that set a dot of its block;
// with coverage shading it is that colour mixed with white by the share of
// the block's K x K dots that are set (a dot set twice counts once, dots
// outside the view count as unset).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "display/canvas_types.h"
#include "display/job_index.h"
#include "display/raster_line.h"
#include "display/view_mapping.h"

class Canvas;

enum class ViewShade { kAny, kCoverage };

// What the raster of a view depends on besides the view itself.
struct RasterFrame {
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int64_t bedWidthDots = 0;
    ViewShade shade = ViewShade::kAny;
};

class RegionRaster {
public:
    // Paints the raster lines of the job onto the canvas, which has the
    // mapping's size. Returns false when cancel became true on the way.
    bool Draw(const JobIndex& job, const ViewMapping& mapping, const RasterFrame& frame,
              Canvas* canvas, const std::atomic<bool>* cancel);

private:
    // A raster line of the view, in stream order: its command, and its dot
    // row within its block row (below K <= 2^24) above its layer.
    struct LineRef {
        std::uint32_t command = 0;
        std::uint32_t rowAndLayer = 0;
        std::uint32_t DotRow() const { return rowAndLayer >> 8; }
        std::uint8_t Layer() const { return static_cast<std::uint8_t>(rowAndLayer); }
    };
    static_assert(sizeof(LineRef) <= 8);
    // The pixels of a decoded, clipped line: pixel k is bit k of bits (most
    // significant first) and lies on dot x + step * k, or x - step * k.
    struct LinePixels {
        const std::uint8_t* bits = nullptr;
        std::int64_t x = 0;
        std::int64_t step = 0;
        std::int64_t pixels = 0;
        bool forward = true;
    };

    void SortIntoBlockRows(const JobIndex& job);
    void DrawBlockRow(const JobIndex& job, std::int64_t blockRow, Canvas* canvas);
    bool ReadLine(const JobIndex& job, std::uint32_t command, LinePixels* line);
    // Cloned for processors with a popcount instruction; every declaration
    // must say so, or some compilers refuse the definition's clones.
#if defined(__x86_64__)
    [[gnu::target_clones("popcnt", "default")]]
#endif
    void
    CountLine(const LinePixels& line, std::uint32_t order, Color color, bool counts);
    bool MayReach(const JobIndex& job, std::uint32_t command, std::int64_t start,
                  std::int64_t end) const;
    void MarkDots(const LinePixels& line, std::int64_t start);
    void CountDotsOnce(const JobIndex& job, const LineRef* first, const LineRef* last);
#if defined(__x86_64__)
    [[gnu::target_clones("popcnt", "default")]]
#endif
    void
    CountMarkedDots(std::int64_t start);
    void PaintBlockRow(std::int64_t blockRow, Canvas* canvas);

    ViewMapping m_mapping;
    RasterFrame m_frame;
    std::int64_t m_blockSize = 1;  // K, or 1 when each dot is an M x M block
    std::int64_t m_blockColumns = 0;
    std::int64_t m_lowDot = 0;  // the dots a line can show: m_lowDot <= x < m_highDot
    std::int64_t m_highDot = 0;
    // Lines by block row: those of row r are m_lines[m_rowStart[r]] up to
    // m_lines[m_rowStart[r + 1]].
    std::vector<std::uint32_t> m_rowStart;
    std::vector<LineRef> m_lines;
    // Per block column of the row being drawn: the set dots, and 1 + the
    // stream position and the colour of the last line that set one.
    std::vector<std::uint64_t> m_count;
    std::vector<std::uint32_t> m_lastOrder;
    std::vector<Color> m_color;
    std::int64_t m_touchedFirst = 0;
    std::int64_t m_touchedEnd = 0;
    // The dots set by the lines of one dot row, a window of the dots the
    // view shows at a time (bit i is dot start + i), so that a dot set by
    // several lines counts once; and the marked stretch, [m_markLow,
    // m_markHigh) in dots.
    std::vector<std::uint8_t> m_marks;
    std::int64_t m_markLow = 0;
    std::int64_t m_markHigh = 0;
    std::vector<std::uint8_t> m_decoded;
    std::vector<std::uint8_t> m_pixelBits;
};
