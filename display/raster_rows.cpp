#include "display/raster_rows.h"

#include <algorithm>
#include <bit>
#include <new>

#include "display/saturating_cast.h"

bool RasterRows::Resize(std::int32_t canvasWidth) {
    const auto columns = static_cast<std::size_t>(canvasWidth);
    ColumnSet displayRow;
    ColumnSet settledColumns;
    std::unique_ptr<std::int64_t[]> columnStart(new (std::nothrow) std::int64_t[columns + 2]());
    if (!displayRow.Resize(canvasWidth) || !settledColumns.Resize(canvasWidth) || !columnStart)
        return false;
    m_displayRow = std::move(displayRow);
    m_settledColumns = std::move(settledColumns);
    m_columnStart = std::move(columnStart);
    m_columns = canvasWidth;
    return true;
}

void RasterRows::SetGeometry(const RowGeometry& geometry) {
    m_geometry = geometry;
    FindColumnStarts();
}

void RasterRows::FindColumnStarts() {
    if (!m_columnStart) return;
    // The column of a dot never decreases along the bed, so the first dot of
    // each column is found by bisection; dots beyond the canvas all count as
    // the column just past it.
    const std::int64_t width = m_geometry.bedWidthDots;
    for (std::int64_t column = 0; column <= m_columns + 1; ++column) {
        std::int64_t low = 0;
        std::int64_t high = width;
        while (low < high) {
            const std::int64_t mid = low + (high - low) / 2;
            if (ColumnOfDot(mid) >= column) {
                high = mid;
            } else {
                low = mid + 1;
            }
        }
        m_columnStart[static_cast<std::size_t>(column)] = low;
    }
}

void RasterRows::Begin() {
    m_currentRow = 0;
    m_rowPending = false;
    ClearRow();
}

void RasterRows::ClearRow() {
    m_displayRow.Clear();
    m_settledColumns.Clear();
    m_rowShown = false;
    m_deferredCount = 0;
}

bool RasterRows::AddLine(const RasterLineInput& line, Canvas& canvas, Color color,
                         std::uint32_t* closedRow) {
    // The row changes before decoding, so a line that clipping discards
    // still closes the previous row.
    const std::uint32_t previous = m_currentRow;
    const bool closed = ChangeRow(RowOf(line), canvas, color);
    if (closed) *closedRow = previous;
    if (m_rowShown && !ShownRowUnchanged(canvas, color)) SettleDeferredLines();
    // A line that may pass over the flushed columns is remembered, in case
    // they have to be gathered after all; past the last free place, they are
    // gathered now and the row goes on without the flush's help.
    if (m_rowShown) {
        if (m_deferredCount == m_deferredLines.size()) {
            SettleDeferredLines();
        } else {
            m_deferredLines[m_deferredCount++] = line;
        }
    }
    Gather(line);
    return closed;
}

bool RasterRows::Flush(Canvas& canvas, Color color) {
    if (!m_rowPending) return false;
    Plot(canvas, color);
    m_rowPending = false;
    // The row may go on after the flush. Until something else is drawn, the
    // columns just plotted show in the row's colour, and plotting them again
    // would change nothing: they stay settled.
    m_displayRow.Clear();
    m_rowShown = true;
    m_shownRevision = canvas.Revision();
    m_shownColor = color;
    m_shownRow = m_currentRow;
    m_deferredCount = 0;
    return true;
}

std::uint32_t RasterRows::RowOf(const RasterLineInput& line) const {
    // The distance from the top is taken as unsigned 32 bits, so a line below
    // the bed wraps to a row near 2^32 times the scale; only the low 32 bits
    // of the truncated product count.
    const std::uint32_t fromTop =
        static_cast<std::uint32_t>(m_geometry.bedHeightDots) - static_cast<std::uint32_t>(line.y);
    return static_cast<std::uint32_t>(
        TruncateToInt64(static_cast<float>(fromTop) * m_geometry.scale));
}

bool RasterRows::ChangeRow(std::uint32_t row, Canvas& canvas, Color color) {
    if (row == m_currentRow) return false;
    // A row outside the image is not plotted: its columns stay in the display
    // row and join the next row that is.
    const bool plotted = m_currentRow < static_cast<std::uint32_t>(m_geometry.imageHeight);
    if (plotted) {
        Plot(canvas, color);
        m_rowPending = false;
        ClearRow();
    }
    m_currentRow = row;
    return plotted;
}

void RasterRows::Gather(const RasterLineInput& line) {
    // Bit mode 3 carries no pixels: clipping discards every such line.
    if (PixelsPerByte(line.settings.bitMode) == 0) return;
    // A line is decoded no further than the last open column it reaches.
    // While nothing is pending, it must also be decoded far enough to tell
    // whether clipping keeps it, which decides whether the row is pending.
    std::uint32_t limit = DecodeLimit(line);
    if (!m_rowPending) {
        limit = std::max(limit, ClipDecidingBytes(line));
    } else if (limit == 0) {
        return;
    }
    bool kept = false;
    const ClippedLine clipped = DecodeAndClip(line, limit, &kept);
    if (!kept) return;
    MarkLine(clipped, PixelsPerByte(line.settings.bitMode));
    m_rowPending = true;
}

LineClip RasterRows::WidestClip(const RasterLineInput& line) const {
    // Pixel positions after clipping do not depend on the line's length, so
    // the longest line possible reaches every column this one can.
    const std::int64_t dotsPerByte =
        std::int64_t{line.settings.dotStep} * PixelsPerByte(line.settings.bitMode);
    return ClipLine(line.x, dotsPerByte, line.forward, kDecodedLineCapacity,
                    m_geometry.bedWidthDots);
}

std::uint32_t RasterRows::DecodeLimit(const RasterLineInput& line) const {
    const std::int64_t pixelsPerByte = PixelsPerByte(line.settings.bitMode);
    const LineClip widest = WidestClip(line);
    if (!widest.kept) return 0;
    const ClippedLine reach{widest.x, line.settings.dotStep, widest.bytes * pixelsPerByte,
                            line.forward};
    const ColumnRange columns = ColumnsReached(reach);
    if (columns.first > columns.last) return 0;
    // Pixels run left to right on '0' lines and right to left on '1' lines:
    // the open column met last decides how far to decode.
    const std::int32_t end = columns.last + 1;
    const std::int32_t furthest = line.forward ? m_settledColumns.LastUnmarked(columns.first, end)
                                               : m_settledColumns.NextUnmarked(columns.first, end);
    if (furthest < columns.first || furthest >= end) return 0;
    const ColumnPixels pixels(reach.x, reach.step, reach.pixels, reach.forward,
                              m_columnStart.get());
    const std::int64_t pixelEnd = pixels.End(furthest);
    const std::int64_t bytes = widest.firstByte + (pixelEnd + pixelsPerByte - 1) / pixelsPerByte;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(bytes, kDecodedLineCapacity));
}

std::uint32_t RasterRows::ClipDecidingBytes(const RasterLineInput& line) const {
    // Clipping keeps a line or not by whether it reaches one byte past those
    // cut at the right edge: the first byte, unless a '1' line starts beyond
    // the edge. Lines the longest clip discards are discarded at any length
    // but, for a '0' line within the last byte of the edge, length 0; one
    // byte tells those apart too.
    const LineClip widest = WidestClip(line);
    return static_cast<std::uint32_t>(1 + (widest.kept ? widest.firstByte : 0));
}

ClippedLine RasterRows::DecodeAndClip(const RasterLineInput& line, std::uint32_t limit,
                                      bool* kept) {
    const CodedLine coded{line.data, line.dataLength, line.jobGoesOn};
    const std::uint32_t decoded =
        DecodeRuns(coded, RunThreshold(line.settings.rleBase), limit, m_decodeBuffer.data());
    const std::int64_t pixelsPerByte = PixelsPerByte(line.settings.bitMode);
    const LineClip clip = ClipLine(line.x, std::int64_t{line.settings.dotStep} * pixelsPerByte,
                                   line.forward, decoded, m_geometry.bedWidthDots);
    *kept = clip.kept;
    if (!clip.kept) return {};
    m_decodedData = m_decodeBuffer.data() + clip.firstByte;
    return ClippedLine{clip.x, line.settings.dotStep, pixelsPerByte * clip.bytes, line.forward};
}

void RasterRows::MarkLine(const ClippedLine& line, std::int64_t pixelsPerByte) {
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

RasterRows::ColumnRange RasterRows::ColumnsReached(const ClippedLine& line) const {
    const std::int64_t reach = line.step * (line.pixels - 1);
    const std::int64_t lowDot = std::max<std::int64_t>(line.forward ? line.x : line.x - reach, 0);
    const std::int64_t highDot =
        std::min<std::int64_t>(line.forward ? line.x + reach : line.x, m_geometry.bedWidthDots - 1);
    if (lowDot > highDot) return {};
    return {ColumnOfDot(lowDot), std::min(ColumnOfDot(highDot), PlottedColumns() - 1)};
}

std::int32_t RasterRows::ColumnOfDot(std::int64_t dot) const {
    const std::int64_t column = TruncateToInt64(static_cast<float>(dot) * m_geometry.scale);
    return static_cast<std::int32_t>(std::min<std::int64_t>(column, m_geometry.canvasWidth));
}

std::int32_t RasterRows::PlottedColumns() const {
    return std::min(m_geometry.imageWidth, m_geometry.canvasWidth);
}

void RasterRows::MarkColumn(std::int32_t column) {
    m_displayRow.Mark(column);
    m_settledColumns.Mark(column);
}

void RasterRows::Plot(Canvas& canvas, Color color) {
    if (m_rowShown && !ShownRowUnchanged(canvas, color)) SettleDeferredLines();
    // Rows at or beyond 2^31 become negative and fall outside the canvas.
    const auto y = static_cast<std::int32_t>(m_currentRow);
    m_displayRow.ForEachMarked(PlottedColumns(),
                               [&](std::int32_t x) { canvas.SetPixel(x, y, color); });
}

bool RasterRows::ShownRowUnchanged(const Canvas& canvas, Color color) const {
    return canvas.Revision() == m_shownRevision && color == m_shownColor &&
           m_currentRow == m_shownRow;
}

void RasterRows::SettleDeferredLines() {
    // Something was drawn, or the row or its colour changed, since the
    // flush: its columns may no longer show as plotted, so the lines gathered
    // since are gathered again over every column they reach.
    m_rowShown = false;
    m_settledColumns.CopyFrom(m_displayRow);
    for (std::uint32_t i = 0; i < m_deferredCount; ++i) Gather(m_deferredLines[i]);
    m_deferredCount = 0;
}
