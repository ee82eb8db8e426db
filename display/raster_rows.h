// RasterRows gathers the preview's raster lines into canvas rows: each line
// is decoded and clipped to the bed width, and its pixels are gathered
// straight into the canvas columns they map to; lines that fall on the same
// canvas row accumulate there until the row changes, when every column that
// received a non-zero pixel is plotted in the layer colour. A dot matters
// only through its column, and a column only through whether it has been
// marked: once it is, nothing later in the row changes it. So no bed-wide
// row of dots is kept, only the columns still open are examined, and a line
// is decoded no further than the last open column it reaches (not at all
// when it reaches none). A row flushed by ESC 'B', 'V' or 'N' may go on; its
// plotted columns stay settled for as long as plotting them again could
// change nothing (see m_rowShown).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "display/canvas.h"
#include "display/column_set.h"
#include "display/raster_line.h"

// How dots map onto the canvas, as the display's model and canvas set it.
struct RowGeometry {
    float scale = 0.0f;
    std::int32_t bedWidthDots = 0;
    std::int32_t bedHeightDots = 0;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    std::int32_t canvasWidth = 0;
};

// One ESC '0' / '1' line as read from the job, the offset applied.
struct RasterLineInput {
    bool forward = true;  // '0': pixels run left to right
    std::int64_t x = 0;   // 64 bits: start + displacement, and the clip arithmetic
    std::int64_t y = 0;
    const std::uint8_t* data = nullptr;  // the run-length coded bytes
    std::uint32_t dataLength = 0;        // N - 8 of a u32 N
    bool jobGoesOn = false;              // the job has a byte after the data
    RasterLineSettings settings;
};

class RasterRows {
public:
    // Makes room for a canvas of the given width. Returns false, changing
    // nothing, when the memory cannot be had.
    bool Resize(std::int32_t canvasWidth);
    // Takes the mapping of a new model or canvas (the canvas width as given
    // to Resize).
    void SetGeometry(const RowGeometry& geometry);

    // Starts a job: row 0, nothing gathered.
    void Begin();

    // Gathers the line into its row. When the line starts another row, the
    // row it closes is plotted on the canvas in color first; returns true
    // then, with that row in *closedRow.
    bool AddLine(const RasterLineInput& line, Canvas& canvas, Color color,
                 std::uint32_t* closedRow);
    // Plots the row gathered so far, if anything in it is pending; returns
    // whether it did.
    bool Flush(Canvas& canvas, Color color);

private:
    // Plotted columns first..last; empty when first > last.
    struct ColumnRange {
        std::int32_t first = 0;
        std::int32_t last = -1;
    };

    void FindColumnStarts();
    void ClearRow();
    std::uint32_t RowOf(const RasterLineInput& line) const;
    bool ChangeRow(std::uint32_t row, Canvas& canvas, Color color);
    void Gather(const RasterLineInput& line);
    LineClip WidestClip(const RasterLineInput& line) const;
    std::uint32_t DecodeLimit(const RasterLineInput& line) const;
    std::uint32_t ClipDecidingBytes(const RasterLineInput& line) const;
    // The decoded pixels of the line that stay on the bed; none when
    // clipping discards it.
    ClippedLine DecodeAndClip(const RasterLineInput& line, std::uint32_t limit, bool* kept);
    void MarkLine(const ClippedLine& line, std::int64_t pixelsPerByte);
    ColumnRange ColumnsReached(const ClippedLine& line) const;
    std::int32_t ColumnOfDot(std::int64_t dot) const;
    std::int32_t PlottedColumns() const;
    void MarkColumn(std::int32_t column);
    void Plot(Canvas& canvas, Color color);
    bool ShownRowUnchanged(const Canvas& canvas, Color color) const;
    void SettleDeferredLines();

    RowGeometry m_geometry;
    std::uint32_t m_currentRow = 0;
    // Something was gathered into the row since it was last plotted.
    bool m_rowPending = false;
    // The canvas columns of the row being gathered that received a non-zero
    // pixel since it was last plotted: those are plotted when the row
    // changes or is flushed.
    ColumnSet m_displayRow;
    // The columns no further line of the row can change: those in
    // m_displayRow and, after a flush, those the flush plotted, for as long
    // as they still show (m_rowShown). Lines examine only the others.
    ColumnSet m_settledColumns;
    // After a flush the row may go on. Its plotted columns count as settled
    // while the canvas is unchanged since (m_shownRevision) and the row and
    // its colour are the same; the lines gathered meanwhile are remembered,
    // so that they can be gathered again in full once that no longer holds.
    bool m_rowShown = false;
    std::uint64_t m_shownRevision = 0;
    Color m_shownColor = 0;
    std::uint32_t m_shownRow = 0;
    std::array<RasterLineInput, 64> m_deferredLines{};
    std::uint32_t m_deferredCount = 0;
    // The first dot of every column, for columns 0 to canvasWidth + 1 (the
    // last is the bed width): the dots of column c are those from
    // m_columnStart[c] up to m_columnStart[c + 1], exactly as the truncated
    // product of dot and scale maps them.
    std::unique_ptr<std::int64_t[]> m_columnStart;
    std::int32_t m_columns = 0;
    std::array<std::uint8_t, kDecodedLineCapacity + kDecodeSlack> m_decodeBuffer{};
    // The kept decoded bytes of the line being gathered, in m_decodeBuffer.
    const std::uint8_t* m_decodedData = nullptr;
};
