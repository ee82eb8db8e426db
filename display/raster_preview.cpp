// Raster engraving: each ESC '0' / '1' line is decoded and clipped to the bed
// width, and its pixels are gathered straight into the canvas columns they
// map to; lines that fall on the same canvas row accumulate there until the
// row changes, when every column that received a non-zero pixel is plotted
// in the layer colour. A dot matters only through its column, and a column
// only through whether it has been marked: once it is, nothing later in the
// row changes it. So no bed-wide row of dots is kept, only the columns still
// open are examined, and a line is decoded no further than the last open
// column it reaches (not at all when it reaches none). A row flushed by
// ESC 'B', 'V' or 'N' may go on; its plotted columns stay settled for as
// long as plotting them again could change nothing (see m_rowShown).
#include <algorithm>
#include <bit>
#include <cstring>

#include "display/display_modes.h"
#include "display/job_display.h"
#include "display/raster_line.h"
#include "display/saturating_cast.h"
#include "parser/byte_readers.h"
#include "parser/job_format.h"

void CJobDisplay::OnRasterLine() {
    if ((m_displayMode & displaymode::kRaster) == 0) return;
    const auto cmdStart = static_cast<std::uint32_t>(m_cmdStart);
    ReadRasterHeader(cmdStart);
    // The row changes before decoding, so a line that clipping discards
    // still closes the previous row.
    ChangeRow();
    if (m_rowShown && !ShownRowUnchanged()) SettleDeferredLines();
    const RasterLineSettings settings{m_bitMode, m_dotStep, m_rleBase};
    // A line that may pass over the flushed columns is remembered, in case
    // they have to be gathered after all; past the last free place, they are
    // gathered now and the row goes on without the flush's help.
    if (m_rowShown) {
        if (m_deferredCount == m_deferredLines.size()) {
            SettleDeferredLines();
        } else {
            m_deferredLines[m_deferredCount++] = DeferredLine{cmdStart, settings};
        }
    }
    GatherRasterLine(settings);
}

void CJobDisplay::GatherRasterLine(const RasterLineSettings& settings) {
    // Bit mode 3 carries no pixels: clipping discards every such line.
    if (PixelsPerByte(settings.bitMode) == 0) return;
    // A line is decoded no further than the last open column it reaches.
    // While nothing is pending, it must also be decoded far enough to tell
    // whether clipping keeps it, which decides whether the row is pending.
    std::uint32_t limit = DecodeLimit(settings);
    if (m_rowPending == 0) {
        limit = std::max(limit, ClipDecidingBytes(settings));
    } else if (limit == 0) {
        return;
    }
    DecodeRasterLine(limit, settings.rleBase);
    if (!ClipRasterLine(settings)) return;
    MarkRasterLine(settings);
    m_rowPending = 1;
}

void CJobDisplay::ReadRasterHeader(std::uint32_t cmdStart) {
    const std::uint32_t p = cmdStart + static_cast<std::uint32_t>(m_cmdPrefix);
    const std::uint32_t position = cmdStart + jobformat::kRasterHeaderLength;
    m_lineDirection = m_data[p - 1];
    m_lineDataLength = ReadU32BE(m_data, p) - jobformat::kRasterMinimumBlock;
    m_lineX = std::int64_t{ReadS32BE(m_data, position)} + m_offsetX;
    m_lineY = std::int64_t{ReadS32BE(m_data, position + 4)} + m_offsetY;
    m_lineData = m_data + position + jobformat::kRasterMinimumBlock;
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

LineClip CJobDisplay::WidestClip(const RasterLineSettings& settings) const {
    // Pixel positions after clipping do not depend on the line's length, so
    // the longest line possible reaches every column this one can.
    const std::int64_t dotsPerByte =
        std::int64_t{settings.dotStep} * PixelsPerByte(settings.bitMode);
    return ClipLine(m_lineX, dotsPerByte, m_lineDirection == jobformat::kRasterForward,
                    kDecodeBufferSize, m_bedWidthDots);
}

std::uint32_t CJobDisplay::DecodeLimit(const RasterLineSettings& settings) const {
    const std::int64_t pixelsPerByte = PixelsPerByte(settings.bitMode);
    const LineClip widest = WidestClip(settings);
    if (!widest.kept) return 0;
    const bool forward = m_lineDirection == jobformat::kRasterForward;
    const ClippedLine line{widest.x, settings.dotStep, widest.bytes * pixelsPerByte, forward};
    const ColumnRange columns = ColumnsReached(line);
    if (columns.first > columns.last) return 0;
    // Pixels run left to right on '0' lines and right to left on '1' lines:
    // the open column met last decides how far to decode.
    const std::int32_t end = columns.last + 1;
    const std::int32_t furthest = forward ? m_settledColumns.LastUnmarked(columns.first, end)
                                          : m_settledColumns.NextUnmarked(columns.first, end);
    if (furthest < columns.first || furthest >= end) return 0;
    const ColumnPixels pixels(line.x, line.step, line.pixels, line.forward, m_columnStart.get());
    const std::int64_t pixelEnd = pixels.End(furthest);
    const std::int64_t bytes = widest.firstByte + (pixelEnd + pixelsPerByte - 1) / pixelsPerByte;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(bytes, kDecodeBufferSize));
}

std::uint32_t CJobDisplay::ClipDecidingBytes(const RasterLineSettings& settings) const {
    // Clipping keeps a line or not by whether it reaches one byte past those
    // cut at the right edge: the first byte, unless a '1' line starts beyond
    // the edge. Lines the longest clip discards are discarded at any length
    // but, for a '0' line within the last byte of the edge, length 0; one
    // byte tells those apart too.
    const LineClip widest = WidestClip(settings);
    return static_cast<std::uint32_t>(1 + (widest.kept ? widest.firstByte : 0));
}

void CJobDisplay::DecodeRasterLine(std::uint32_t limit, std::uint16_t rleBase) {
    const std::uint64_t dataEnd =
        static_cast<std::uint64_t>(m_lineData - m_data) + m_lineDataLength;
    const CodedLine line{m_lineData, m_lineDataLength, dataEnd < m_dataSize};
    m_decodedLength = DecodeRuns(line, RunThreshold(rleBase), limit, m_decodeBuffer.data());
    m_decodedData = m_decodeBuffer.data();
}

int CJobDisplay::ClipRasterLine(const RasterLineSettings& settings) {
    const std::int64_t dotsPerByte =
        std::int64_t{settings.dotStep} * PixelsPerByte(settings.bitMode);
    const LineClip clip =
        ClipLine(m_lineX, dotsPerByte, m_lineDirection == jobformat::kRasterForward,
                 m_decodedLength, m_bedWidthDots);
    if (!clip.kept) return 0;
    m_decodedData += clip.firstByte;
    m_decodedLength = static_cast<std::uint32_t>(clip.bytes);
    m_lineX = clip.x;
    return 1;
}

void CJobDisplay::MarkRasterLine(const RasterLineSettings& settings) {
    const std::int64_t pixelsPerByte = PixelsPerByte(settings.bitMode);
    const ClippedLine line{m_lineX, settings.dotStep, pixelsPerByte * std::int64_t{m_decodedLength},
                           m_lineDirection == jobformat::kRasterForward};
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
    for (std::int32_t first = m_settledColumns.NextUnmarked(columns.first, end); first < end;) {
        const std::int32_t stop = m_settledColumns.NextMarked(first, end);
        const ColumnPixels::Run run = pixels.Span(first, stop - 1);
        std::int64_t k = run.first;
        const std::int64_t kEnd = run.end;
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
            MarkColumn(column);
            k = pixels.End(column);
        }
        first = m_settledColumns.NextUnmarked(stop, end);
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

void CJobDisplay::MarkColumn(std::int32_t column) {
    m_displayRow.Mark(column);
    m_settledColumns.Mark(column);
}

void CJobDisplay::PlotDisplayRow() {
    if (m_rowShown && !ShownRowUnchanged()) SettleDeferredLines();
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
    // The row may go on after the flush. Until something else is drawn, the
    // columns just plotted show in the row's colour, and plotting them again
    // would change nothing: they stay settled.
    m_displayRow.Clear();
    m_rowShown = true;
    m_shownRevision = m_memDC.Revision();
    m_shownColor = g_penColors[m_penIndex];
    m_shownRow = m_currentRow;
    m_deferredCount = 0;
    PresentAll();
}

bool CJobDisplay::ShownRowUnchanged() const {
    return m_memDC.Revision() == m_shownRevision && g_penColors[m_penIndex] == m_shownColor &&
           m_currentRow == m_shownRow;
}

void CJobDisplay::SettleDeferredLines() {
    // Something was drawn, or the row or its colour changed, since the
    // flush: its columns may no longer show as plotted, so the lines gathered
    // since are gathered again over every column they reach.
    m_rowShown = false;
    m_settledColumns.CopyFrom(m_displayRow);
    const std::int32_t direction = m_lineDirection;
    const std::int64_t x = m_lineX;
    const std::int64_t y = m_lineY;
    const std::uint32_t dataLength = m_lineDataLength;
    const std::uint8_t* data = m_lineData;
    for (std::uint32_t i = 0; i < m_deferredCount; ++i) {
        ReadRasterHeader(m_deferredLines[i].cmdStart);
        GatherRasterLine(m_deferredLines[i].settings);
    }
    m_deferredCount = 0;
    m_lineDirection = direction;
    m_lineX = x;
    m_lineY = y;
    m_lineDataLength = dataLength;
    m_lineData = data;
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
    if (m_colorMode == colormode::kFile) SelectPenColor(g_penColors[m_penNumber]);
}
