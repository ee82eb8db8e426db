// Raster engraving: each ESC '0' / '1' line is decoded and clipped to the bed
// width, and its pixels are shrunk straight onto a canvas-wide row that keeps
// the largest value per column; lines that fall on the same canvas row
// accumulate there until the row changes, when it is plotted in the layer
// colour. A dot matters only through the column it maps to, and every pixel
// value only ever raises a column, so no bed-wide row of dots is needed.
#include <algorithm>
#include <bit>
#include <cstring>

#include "display/job_display.h"
#include "display/saturating_cast.h"
#include "parser/byte_readers.h"

namespace {

constexpr std::uint32_t kDefaultRleThreshold = 192;
// A repeat code repeats at most 255 times (threshold 0 is taken as 192, so
// the count is 1 to 254); runs up to kShortRun are written as one block.
constexpr std::uint32_t kLongestRun = 255;
constexpr std::uint32_t kShortRun = 16;

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

// Whether any of the bits [first, end) is set, most significant bit of each
// byte first. Reads whole words, up to 7 bytes past the last bit asked for.
bool AnyBitSet(const std::uint8_t* bits, std::int64_t first, std::int64_t end) {
    const std::uint8_t* word = bits + (first >> 3);
    std::int64_t lead = first & 7;
    std::int64_t count = end - first;
    std::uint64_t any = 0;
    while (count > 0) {
        const std::int64_t take = std::min<std::int64_t>(count, 64 - lead);
        any |= (LoadBigEndian64(word) << lead) >> (64 - take);
        count -= take;
        word += 8;
        lead = 0;
    }
    return any != 0;
}

// A clipped line as the column walk sees it: pixel k lies on dot
// x + step * k ('0' lines) or x - step * k.
struct LineColumns {
    const std::int64_t* columnStart;
    std::int64_t x;
    std::int64_t step;
    std::int64_t pixels;
    std::int64_t width;
    bool forward;
};

// floor(n / step) for 0 <= n < 2^33 and step >= 1, without a division: the
// double product is off by at most one, which the check mends.
class StepDivider {
public:
    explicit StepDivider(std::int64_t step)
        : m_step(step), m_inverse(1.0 / static_cast<double>(step)) {}
    std::int64_t operator()(std::int64_t n) const {
        if (m_step == 1) return n;
        std::int64_t q = static_cast<std::int64_t>(static_cast<double>(n) * m_inverse);
        if (q * m_step > n) {
            --q;
        } else if ((q + 1) * m_step <= n) {
            ++q;
        }
        return q;
    }

private:
    std::int64_t m_step;
    double m_inverse;
};

// Calls visit(column, first, end) for every display column that pixels of
// the line fall on, with the run [first, end) of those pixels: the pixels of
// one column are consecutive. Clipping has kept every pixel left of the
// right edge; those left of dot 0 are dropped. Only the first pixel needs
// the float mapping (columnOf); the walk follows the column starts after it.
template <typename ColumnOf, typename Visit>
void ForEachColumnRun(const LineColumns& line, ColumnOf columnOf, Visit visit) {
    const std::int64_t* start = line.columnStart;
    const std::int64_t step = line.step;
    // Every pixel of a line with dot step 0 falls on its first dot.
    if (step == 0) {
        if (line.x >= 0 && line.x < line.width) visit(columnOf(line.x), 0, line.pixels);
        return;
    }
    const StepDivider divide(step);
    if (line.forward) {
        std::int64_t k = line.x >= 0 ? 0 : (step - 1 - line.x) / step;
        std::int64_t dot = line.x + step * k;
        if (k >= line.pixels || dot >= line.width) return;
        std::int32_t column = columnOf(dot);
        while (k < line.pixels && dot < line.width) {
            while (start[column + 1] <= dot) ++column;
            const std::int64_t count = divide(start[column + 1] - dot + step - 1);
            const std::int64_t end = std::min(line.pixels, k + count);
            visit(column, k, end);
            dot += step * (end - k);
            k = end;
        }
        return;
    }
    std::int64_t dot = line.x;
    if (dot < 0) return;
    std::int32_t column = columnOf(dot);
    std::int64_t k = 0;
    while (k < line.pixels && dot >= 0) {
        while (start[column] > dot) --column;
        const std::int64_t end = std::min(line.pixels, k + divide(dot - start[column]) + 1);
        visit(column, k, end);
        dot -= step * (end - k);
        k = end;
    }
}

}  // namespace

void CJobDisplay::OnRasterLine() {
    if ((m_displayMode & 1) == 0) return;
    ReadRasterHeader();
    // The row changes before decoding, so a line that clipping discards
    // still closes the previous row.
    ChangeRow();
    DecodeRasterLine();
    if (!ClipRasterLine()) return;
    ExpandRasterLine();
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

void CJobDisplay::DecodeRasterLine() {
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
    // While a code and its value lie inside the line and the longest run
    // fits the buffer, short runs are stored as one fixed-size block (the
    // excess is overwritten or never read) and nothing needs a bound check.
    while (i + 1 < m_lineDataLength && out + kLongestRun <= kDecodeBufferSize) {
        const std::uint32_t code = in[i];
        if (code <= threshold) {
            buffer[out++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        const std::uint32_t count = code - threshold;
        if (count <= kShortRun) {
            std::memset(buffer + out, in[i + 1], kShortRun);
        } else {
            std::memset(buffer + out, in[i + 1], count);
        }
        out += count;
        i += 2;
    }
    while (i < m_lineDataLength && out < kDecodeBufferSize) {
        const std::uint32_t code = m_lineData[i];
        if (code <= threshold) {
            m_decodeBuffer[out++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        if (i + 1 == m_lineDataLength && !jobGoesOn) break;
        // Output beyond the buffer is cut off there.
        const std::uint32_t count = std::min(code - threshold, kDecodeBufferSize - out);
        std::memset(m_decodeBuffer.data() + out, m_lineData[i + 1], count);
        out += count;
        i += 2;
    }
    m_decodedLength = out;
    m_decodedData = m_decodeBuffer.data();
}

int CJobDisplay::ClipRasterLine() {
    const std::int64_t pixelsPerByte = PixelsPerByte(m_bitMode);
    if (pixelsPerByte == 0) return 0;
    const std::int64_t width = m_bedWidthDots;
    const std::int64_t n = m_decodedLength;
    const std::int64_t dotsPerByte = std::int64_t{m_dotStep} * pixelsPerByte;
    const std::int64_t span = dotsPerByte * n;

    // Whole bytes are dropped at the right edge. Where a byte must be dropped
    // the line reaches past its own first dot, so dotsPerByte is not 0.
    if (m_lineDirection == '0') {
        if (m_lineX >= width) return 0;
        const std::int64_t last = m_lineX + span - 1;
        if (last < width) return 1;
        const std::int64_t cut = (last - width) / dotsPerByte + 1;
        if (n <= cut) return 0;
        m_decodedLength = static_cast<std::uint32_t>(n - cut);
        return 1;
    }
    const std::int64_t low = m_lineX - span + 1;
    if (low >= width) return 0;
    if (m_lineX < width) return 1;
    const std::int64_t cut = (m_lineX - width) / dotsPerByte + 1;
    if (n <= cut) return 0;
    m_decodedData += cut;
    m_decodedLength = static_cast<std::uint32_t>(n - cut);
    m_lineX = low + dotsPerByte * (n - cut) - 1;
    return 1;
}

void CJobDisplay::ExpandRasterLine() {
    const std::int64_t pixels = PixelsPerByte(m_bitMode) * std::int64_t{m_decodedLength};
    if (pixels == 0) return;
    const LineColumns line{m_columnStart.get(),   m_lineX, m_dotStep, pixels, m_bedWidthDots,
                           m_lineDirection == '0'};
    const auto columnOf = [this](std::int64_t dot) { return ColumnOfDot(dot); };
    const std::uint8_t* data = m_decodedData;
    // One walk per bit mode, so that the column loop holds no switch.
    switch (m_bitMode) {
        case 0:
            ForEachColumnRun(line, columnOf,
                             [&](std::int32_t column, std::int64_t first, std::int64_t end) {
                                 if (AnyBitSet(data, first, end)) MarkColumn(column, 255);
                             });
            break;
        case 1:
            ForEachColumnRun(line, columnOf,
                             [&](std::int32_t column, std::int64_t first, std::int64_t end) {
                                 if (AnyBitSet(data, 4 * first, 4 * end)) MarkColumn(column, 255);
                             });
            break;
        default:
            ForEachColumnRun(line, columnOf,
                             [&](std::int32_t column, std::int64_t first, std::int64_t end) {
                                 std::uint8_t maximum = 0;
                                 for (std::int64_t i = first; i < end; ++i)
                                     maximum = std::max(maximum, data[i]);
                                 MarkColumn(column, maximum);
                             });
            break;
    }
}

std::int32_t CJobDisplay::ColumnOfDot(std::int64_t dot) const {
    const std::int64_t column = TruncateToInt64(static_cast<float>(dot) * m_scale);
    return static_cast<std::int32_t>(std::min<std::int64_t>(column, m_canvasWidth));
}

void CJobDisplay::MarkColumn(std::int32_t column, std::uint8_t value) {
    std::uint8_t& cell = m_displayRow[static_cast<std::size_t>(column)];
    cell = std::max(cell, value);
}

void CJobDisplay::PlotDisplayRow() {
    const Color color = g_penColors[m_penIndex];
    const std::int32_t columns = std::min(m_imageWidth, m_canvasWidth);
    // Rows at or beyond 2^31 become negative and fall outside the canvas.
    const auto y = static_cast<std::int32_t>(m_currentRow);
    for (std::int32_t x = 0; x < columns; ++x) {
        if (m_displayRow[x] != 0) m_memDC.SetPixel(x, y, color);
    }
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
