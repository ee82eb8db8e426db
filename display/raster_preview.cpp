// Raster engraving: each ESC '0' / '1' line is decoded and clipped to the bed
// width, and its pixels are gathered straight into the canvas columns they
// map to; lines that fall on the same canvas row accumulate there until the
// row changes, when every column that received a non-zero pixel is plotted
// in the layer colour. A dot matters only through its column, and a column
// only through whether it has been marked: once it is, nothing later in the
// row changes it. So no bed-wide row of dots is kept, only the columns still
// open are examined, and a line is decoded no further than the last open
// column it reaches (not at all when it reaches none).
#include <algorithm>
#include <bit>
#include <cstring>

#include "display/job_display.h"
#include "display/saturating_cast.h"
#include "parser/byte_readers.h"

namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr std::uint32_t kDefaultRleThreshold = 192;
// A repeat code repeats at most 255 times (threshold 0 is taken as 192, so
// the count is 1 to 254). Runs are written in blocks of kRunBlock bytes,
// which the compiler turns into a few vector stores.
constexpr std::uint32_t kLongestRun = 255;
constexpr std::uint32_t kRunBlock = 32;
static_assert((kLongestRun + 1) % kRunBlock == 0);

// Pixels carried by one decoded byte in each bit mode; 0 for mode 3, which
// has none.
std::int64_t PixelsPerByte(std::uint16_t bitMode) {
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
std::uint64_t LoadBigEndian64(const std::uint8_t* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// The first set bit in [first, end), or end if there is none; the most
// significant bit of each byte comes first. Reads whole words, up to 7 bytes
// past the last bit asked for.
std::int64_t NextSetBit(const std::uint8_t* bits, std::int64_t first, std::int64_t end) {
    while (first < end) {
        const std::int64_t lead = first & 7;
        const std::uint64_t word = LoadBigEndian64(bits + (first >> 3)) << lead;
        if (word != 0) return std::min(end, first + std::countl_zero(word));
        first += 64 - lead;
    }
    return end;
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

LineClip ClipLine(std::int64_t x, std::int64_t dotsPerByte, bool forward, std::int64_t n,
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
    static constexpr int kFractionBits = 42;
    UInt128 m_reciprocal;
};

// The pixels [first, end) of a clipped line that fall on one canvas column,
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

    Run Of(std::int32_t column) const {
        // Every pixel of a line with dot step 0 falls on its first dot.
        if (m_step == 0) return OnFirstDot(column) ? Run{0, m_pixels} : Run{};
        const std::int64_t end = End(column);
        const std::int64_t first =
            m_forward ? PixelsBefore(m_start[column] - m_x) : PixelsUpTo(m_x - m_start[column + 1]);
        return Run{std::min(first, end), end};
    }

    // Of(column).end alone.
    std::int64_t End(std::int32_t column) const {
        if (m_step == 0) return OnFirstDot(column) ? m_pixels : 0;
        const std::int64_t end =
            m_forward ? PixelsBefore(m_start[column + 1] - m_x) : PixelsUpTo(m_x - m_start[column]);
        return std::min(end, m_pixels);
    }

private:
    bool OnFirstDot(std::int32_t column) const {
        return m_x >= m_start[column] && m_x < m_start[column + 1];
    }
    // The number of pixels k >= 0 with step * k < distance.
    std::int64_t PixelsBefore(std::int64_t distance) const {
        return distance <= 0 ? 0 : m_divide(distance + m_step - 1);
    }
    // The number of pixels k >= 0 with step * k <= distance.
    std::int64_t PixelsUpTo(std::int64_t distance) const {
        return distance < 0 ? 0 : m_divide(distance) + 1;
    }

    const std::int64_t* m_start;
    std::int64_t m_x;
    std::int64_t m_step;
    std::int64_t m_pixels;
    bool m_forward;
    StepDivider m_divide;
};

}  // namespace

void CJobDisplay::OnRasterLine() {
    if ((m_displayMode & 1) == 0) return;
    ReadRasterHeader();
    // The row changes before decoding, so a line that clipping discards
    // still closes the previous row.
    ChangeRow();
    // Bit mode 3 carries no pixels: clipping discards every such line.
    if (PixelsPerByte(m_bitMode) == 0) return;
    // Once the row has something to plot, a line can only add columns, so it
    // is decoded no further than the last column it can still mark.
    std::uint32_t limit = kDecodeBufferSize;
    if (m_rowPending == 1) {
        limit = DecodeLimit();
        if (limit == 0) return;
    }
    DecodeRasterLine(limit);
    if (!ClipRasterLine()) return;
    MarkRasterLine();
    m_rowPending = 1;
}

void CJobDisplay::ReadRasterHeader() {
    const std::uint32_t p =
        static_cast<std::uint32_t>(m_cmdStart) + static_cast<std::uint32_t>(m_cmdPrefix);
    m_lineDirection = m_data[p - 1];
    m_lineDataLength = ReadU32BE(m_data, p) - 8;
    m_lineX = std::int64_t{ReadS32BE(m_data, p + 4)} + m_offsetX;
    m_lineY = std::int64_t{ReadS32BE(m_data, p + 8)} + m_offsetY;
    m_lineData = m_data + p + 12;
}

std::uint32_t CJobDisplay::RowOfLine() const {
    // The distance from the top is taken as unsigned 32 bits, so a line below
    // the bed wraps to a row near 2^32 times the scale; only the low 32 bits
    // of the truncated product count.
    const std::uint32_t fromTop =
        static_cast<std::uint32_t>(m_bedHeightDots) - static_cast<std::uint32_t>(m_lineY);
    return static_cast<std::uint32_t>(TruncateToInt64(static_cast<float>(fromTop) * m_scale));
}

void CJobDisplay::ChangeRow() {
    const std::uint32_t row = RowOfLine();
    if (row == m_currentRow) return;
    // A row outside the image is not plotted: its columns stay in the display
    // row and join the next row that is.
    if (m_currentRow < static_cast<std::uint32_t>(m_imageHeight)) {
        PlotDisplayRow();
        m_rowPending = 0;
        if (m_showEngraveProcess != 0) {
            const auto y = static_cast<std::int32_t>(m_currentRow);
            Present(CanvasRect{0, y, m_canvasWidth - 1, y});
            Pause(m_engraveDelay);
        }
        ClearRowBuffers();
    }
    m_currentRow = row;
}

std::uint32_t CJobDisplay::DecodeLimit() const {
    const std::int64_t pixelsPerByte = PixelsPerByte(m_bitMode);
    const bool forward = m_lineDirection == '0';
    // Pixel positions after clipping do not depend on the line's length, so
    // the longest line possible reaches every column this one can.
    const LineClip widest = ClipLine(m_lineX, std::int64_t{m_dotStep} * pixelsPerByte, forward,
                                     kDecodeBufferSize, m_bedWidthDots);
    if (!widest.kept) return 0;
    const ClippedLine line{widest.x, m_dotStep, widest.bytes * pixelsPerByte, forward};
    const ColumnRange columns = ColumnsReached(line);
    if (columns.first > columns.last) return 0;
    // Pixels run left to right on '0' lines and right to left on '1' lines:
    // the open column met last decides how far to decode.
    const std::int32_t end = columns.last + 1;
    const std::int32_t furthest = forward ? m_displayRow.LastUnmarked(columns.first, end)
                                          : m_displayRow.NextUnmarked(columns.first, end);
    if (furthest < columns.first || furthest >= end) return 0;
    const ColumnPixels pixels(line.x, line.step, line.pixels, line.forward, m_columnStart.get());
    const std::int64_t pixelEnd = pixels.Of(furthest).end;
    const std::int64_t bytes = widest.firstByte + (pixelEnd + pixelsPerByte - 1) / pixelsPerByte;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(bytes, kDecodeBufferSize));
}

void CJobDisplay::DecodeRasterLine(std::uint32_t limit) {
    const std::uint32_t low = m_rleBase & 0xFF;
    const std::uint32_t threshold = low == 0 ? kDefaultRleThreshold : low;
    // A repeat code that is the last byte of the line takes its value from the
    // next job byte; at the very end of the job there is none, and the code
    // is dropped.
    const std::uint64_t dataEnd =
        static_cast<std::uint64_t>(m_lineData - m_data) + m_lineDataLength;
    const bool jobGoesOn = dataEnd < m_dataSize;

    const std::uint8_t* in = m_lineData;
    std::uint8_t* buffer = m_decodeBuffer.data();
    std::uint32_t out = 0;
    std::uint32_t i = 0;
    // While a code and its value lie inside the line and the longest run,
    // rounded up to whole blocks, fits the buffer, runs are stored in blocks
    // of kRunBlock bytes (the excess is overwritten or never read) and
    // nothing needs a bound check. The output may pass the limit here; only
    // the bytes below it count.
    while (i + 1 < m_lineDataLength && out < limit && out + kLongestRun + 1 <= kDecodeBufferSize) {
        const std::uint32_t code = in[i];
        if (code <= threshold) {
            buffer[out++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        const std::uint32_t count = code - threshold;
        const std::uint8_t value = in[i + 1];
        for (std::uint32_t done = 0; done < count; done += kRunBlock) {
            std::memset(buffer + out + done, value, kRunBlock);
        }
        out += count;
        i += 2;
    }
    while (i < m_lineDataLength && out < limit) {
        const std::uint32_t code = m_lineData[i];
        if (code <= threshold) {
            m_decodeBuffer[out++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        if (i + 1 == m_lineDataLength && !jobGoesOn) break;
        // Output beyond the limit (at most the buffer) is cut off there.
        const std::uint32_t count = std::min(code - threshold, limit - out);
        std::memset(m_decodeBuffer.data() + out, m_lineData[i + 1], count);
        out += count;
        i += 2;
    }
    m_decodedLength = std::min(out, limit);
    m_decodedData = m_decodeBuffer.data();
}

int CJobDisplay::ClipRasterLine() {
    const std::int64_t dotsPerByte = std::int64_t{m_dotStep} * PixelsPerByte(m_bitMode);
    const LineClip clip =
        ClipLine(m_lineX, dotsPerByte, m_lineDirection == '0', m_decodedLength, m_bedWidthDots);
    if (!clip.kept) return 0;
    m_decodedData += clip.firstByte;
    m_decodedLength = static_cast<std::uint32_t>(clip.bytes);
    m_lineX = clip.x;
    return 1;
}

void CJobDisplay::MarkRasterLine() {
    const std::int64_t pixelsPerByte = PixelsPerByte(m_bitMode);
    const ClippedLine line{m_lineX, m_dotStep, pixelsPerByte * std::int64_t{m_decodedLength},
                           m_lineDirection == '0'};
    if (line.pixels == 0) return;
    const ColumnRange columns = ColumnsReached(line);
    const std::int64_t* start = m_columnStart.get();
    const ColumnPixels pixels(line.x, line.step, line.pixels, line.forward, start);
    // Modes 0 and 1 plot any set bit of a pixel, mode 2 any non-zero byte:
    // in every mode a column is marked when a bit of its pixels is set.
    // Pixels are 1, 4 or 8 bits wide.
    const int bitShift = std::countr_zero(static_cast<std::uint64_t>(8 / pixelsPerByte));
    const std::int32_t end = columns.last + 1;
    // Each stretch of open columns is searched for set bits a word at a
    // time; a set bit marks its column and the search resumes after it.
    for (std::int32_t first = m_displayRow.NextUnmarked(columns.first, end); first < end;) {
        const std::int32_t stop = m_displayRow.NextMarked(first, end);
        const ColumnPixels::Run low = pixels.Of(first);
        const ColumnPixels::Run high = pixels.Of(stop - 1);
        std::int64_t k = line.forward ? low.first : high.first;
        const std::int64_t kEnd = line.forward ? high.end : low.end;
        // Columns are met in order along the line, so each set bit's column
        // is found by walking the column starts from the last one.
        std::int32_t column = line.forward ? first : stop - 1;
        while ((k = NextSetBit(m_decodedData, k << bitShift, kEnd << bitShift) >> bitShift) <
               kEnd) {
            if (line.forward) {
                for (const std::int64_t dot = line.x + line.step * k; start[column + 1] <= dot;)
                    ++column;
            } else {
                for (const std::int64_t dot = line.x - line.step * k; start[column] > dot;)
                    --column;
            }
            m_displayRow.Mark(column);
            k = pixels.End(column);
        }
        first = m_displayRow.NextUnmarked(stop, end);
    }
}

CJobDisplay::ColumnRange CJobDisplay::ColumnsReached(const ClippedLine& line) const {
    const std::int64_t reach = line.step * (line.pixels - 1);
    const std::int64_t lowDot = std::max<std::int64_t>(line.forward ? line.x : line.x - reach, 0);
    const std::int64_t highDot =
        std::min<std::int64_t>(line.forward ? line.x + reach : line.x, m_bedWidthDots - 1);
    if (lowDot > highDot) return {};
    return {ColumnOfDot(lowDot), std::min(ColumnOfDot(highDot), PlottedColumns() - 1)};
}

std::int32_t CJobDisplay::ColumnOfDot(std::int64_t dot) const {
    const std::int64_t column = TruncateToInt64(static_cast<float>(dot) * m_scale);
    return static_cast<std::int32_t>(std::min<std::int64_t>(column, m_canvasWidth));
}

std::int32_t CJobDisplay::PlottedColumns() const { return std::min(m_imageWidth, m_canvasWidth); }

void CJobDisplay::PlotDisplayRow() {
    const Color color = g_penColors[m_penIndex];
    // Rows at or beyond 2^31 become negative and fall outside the canvas.
    const auto y = static_cast<std::int32_t>(m_currentRow);
    m_displayRow.ForEachMarked(PlottedColumns(),
                               [&](std::int32_t x) { m_memDC.SetPixel(x, y, color); });
}

void CJobDisplay::FlushRasterRow() {
    if (m_rowPending != 1) return;
    PlotDisplayRow();
    m_rowPending = 0;
    ClearRowBuffers();
    PresentAll();
}

void CJobDisplay::OnJobEnd() { FlushRasterRow(); }

void CJobDisplay::OnEscV() {
    FlushRasterRow();
    m_memDC.MoveTo(0, 0);
}

void CJobDisplay::OnPenSelect() {
    FlushRasterRow();
    if (m_penNumber >= g_penColors.size()) return;
    m_penIndex = m_penNumber;
    if (m_colorMode == 0) SelectPenColor(g_penColors[m_penNumber]);
}
