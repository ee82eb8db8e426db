// Raster engraving: each ESC '0' / '1' line is decoded, clipped to the bed
// width and expanded into a bed-wide row of dots; lines that fall on the same
// canvas row accumulate there until the row changes, when the dots are shrunk
// onto a canvas-wide row and plotted in the layer colour.
#include <algorithm>
#include <cstring>

#include "display/job_display.h"
#include "display/saturating_cast.h"
#include "parser/byte_readers.h"

namespace {

constexpr std::uint32_t kDefaultRleThreshold = 192;

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
    // A row outside the image is not plotted: its dots stay in the machine
    // row and join the next row that is.
    if (m_currentRow < static_cast<std::uint32_t>(m_imageHeight)) {
        MergeMachineRow();
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

    std::uint32_t out = 0;
    std::uint32_t i = 0;
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
    const std::int64_t width = m_bedWidthDots;
    const std::int64_t stride = m_lineDirection == '0' ? m_dotStep : -std::int64_t{m_dotStep};
    std::uint8_t* row = m_machineRow.get();
    std::int64_t dot = m_lineX;
    // Writing only ever raises a dot, so overlapping lines combine by
    // maximum. Dots outside the bed (left of dot 0) are dropped.
    const auto write = [&](std::uint8_t value) {
        if (value != 0 && dot >= 0 && dot < width && row[dot] < value) {
            row[dot] = value;
            m_machineRowFirst = std::min(m_machineRowFirst, dot);
            m_machineRowLast = std::max(m_machineRowLast, dot);
        }
        dot += stride;
    };
    for (std::uint32_t i = 0; i < m_decodedLength; ++i) {
        const std::uint8_t byte = m_decodedData[i];
        switch (m_bitMode) {
            case 0:
                for (int bit = 7; bit >= 0; --bit) write(((byte >> bit) & 1) != 0 ? 255 : 0);
                break;
            case 1:
                write((byte >> 4) != 0 ? 255 : 0);
                write((byte & 0x0F) != 0 ? 255 : 0);
                break;
            default:
                write(byte);
                break;
        }
    }
}

void CJobDisplay::MergeMachineRow() {
    const std::uint8_t* machine = m_machineRow.get();
    std::uint8_t* display = m_displayRow.get();
    const std::int64_t last = std::min<std::int64_t>(m_machineRowLast, m_bedWidthDots - 1);
    for (std::int64_t i = m_machineRowFirst; i <= last; ++i) {
        const std::uint8_t value = machine[i];
        if (value == 0) continue;
        // The last dots of the bed can land on the column just past the
        // canvas; nothing is kept there.
        const std::int64_t column = TruncateToInt64(static_cast<float>(i) * m_scale);
        if (column < m_canvasWidth && display[column] < value) display[column] = value;
    }
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
    MergeMachineRow();
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
