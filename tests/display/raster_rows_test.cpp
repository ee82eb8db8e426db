// The row gathering on its own: when a row is plotted and reported closed,
// what a flush plots, and that a flushed row going on after something else
// was drawn over it is plotted again in full.
#include "display/raster_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

// A bed of 64 x 16 dots on a canvas of 64 x 16 pixels: one dot per pixel,
// dot row y on canvas row 16 - y.
struct RowsHarness {
    RasterRows rows;
    Canvas canvas;
    std::vector<std::uint8_t> data = {0xFF, 0x81};  // 1-bit pixels 0-7 and 8, 15

    RowsHarness() {
        EXPECT_TRUE(canvas.Create(64, 16));
        canvas.FillSolidRect(0, 0, 64, 16, kWhite);
        EXPECT_TRUE(rows.Resize(64));
        rows.SetGeometry(RowGeometry{1.0f, 64, 16, 64, 16, 64});
        rows.Begin();
    }
    RasterLineInput Line(std::int64_t x, std::int64_t y) const {
        RasterLineInput line;
        line.x = x;
        line.y = y;
        line.data = data.data();
        line.dataLength = static_cast<std::uint32_t>(data.size());
        line.settings = RasterLineSettings{0, 1, 255};  // bit mode 0, step 1, all literals
        return line;
    }
    std::vector<std::int32_t> Plotted(std::int32_t row, Color color) const {
        std::vector<std::int32_t> columns;
        for (std::int32_t x = 0; x < 64; ++x) {
            if (canvas.GetPixel(x, row) == color) columns.push_back(x);
        }
        return columns;
    }
};

TEST(RasterRowsTest, ARowIsPlottedWhenTheNextLineLeavesItOrAtAFlush) {
    RowsHarness h;
    std::uint32_t closed = 99;
    // The first line is on row 6: the empty row 0 it leaves counts as closed.
    EXPECT_TRUE(h.rows.AddLine(h.Line(10, 10), h.canvas, kRed, &closed));
    EXPECT_EQ(closed, 0u);
    EXPECT_TRUE(h.Plotted(6, kRed).empty());  // gathered, not yet plotted
    EXPECT_FALSE(h.rows.AddLine(h.Line(40, 10), h.canvas, kRed, &closed));
    EXPECT_TRUE(h.rows.AddLine(h.Line(0, 12), h.canvas, kRed, &closed));
    EXPECT_EQ(closed, 6u);
    const std::vector<std::int32_t> row6 = {10, 11, 12, 13, 14, 15, 16, 17, 18, 25,
                                            40, 41, 42, 43, 44, 45, 46, 47, 48, 55};
    EXPECT_EQ(h.Plotted(6, kRed), row6);
    EXPECT_TRUE(h.rows.Flush(h.canvas, kBlue));
    EXPECT_EQ(h.Plotted(4, kBlue), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 15}));
    EXPECT_FALSE(h.rows.Flush(h.canvas, kBlue));  // nothing pending any more
}

TEST(RasterRowsTest, ANewJobStartsWithoutTheLastJobsUnplottedRow) {
    RowsHarness h;
    std::uint32_t closed = 0;
    // The last job ends without a flush: its row 6 is gathered, never plotted.
    h.rows.AddLine(h.Line(10, 10), h.canvas, kRed, &closed);
    h.rows.Begin();
    // The next job's first line leaves the empty row 0; nothing of the last
    // job may show there, nor on the row it was gathered for.
    EXPECT_TRUE(h.rows.AddLine(h.Line(40, 12), h.canvas, kRed, &closed));
    EXPECT_EQ(closed, 0u);
    EXPECT_TRUE(h.Plotted(0, kRed).empty());
    EXPECT_FALSE(h.rows.AddLine(h.Line(40, 12), h.canvas, kRed, &closed));
    EXPECT_TRUE(h.rows.Flush(h.canvas, kRed));
    EXPECT_EQ(h.Plotted(4, kRed).size(), 10u);
    EXPECT_TRUE(h.Plotted(6, kRed).empty());
}

TEST(RasterRowsTest, OnlyTheRightEdgeDiscardsALine) {
    RowsHarness h;
    std::uint32_t closed = 0;
    h.rows.AddLine(h.Line(64, 10), h.canvas, kRed, &closed);  // at the right edge
    EXPECT_FALSE(h.rows.Flush(h.canvas, kRed));
    // Left of dot 0 the line is kept, and its row pending, though none of
    // its pixels reaches a column.
    h.rows.AddLine(h.Line(-16, 10), h.canvas, kRed, &closed);
    EXPECT_TRUE(h.rows.Flush(h.canvas, kRed));
    EXPECT_TRUE(h.Plotted(6, kRed).empty());
}

TEST(RasterRowsTest, AFlushedRowDrawnOverIsGatheredAgainInFull) {
    RowsHarness h;
    std::uint32_t closed = 0;
    h.rows.AddLine(h.Line(10, 10), h.canvas, kRed, &closed);
    ASSERT_TRUE(h.rows.Flush(h.canvas, kRed));
    // Something else paints over the flushed columns; the row goes on with
    // a line that covers the same columns again.
    h.canvas.FillSolidRect(0, 6, 64, 1, kWhite);
    h.rows.AddLine(h.Line(10, 10), h.canvas, kRed, &closed);
    ASSERT_TRUE(h.rows.Flush(h.canvas, kRed));
    EXPECT_EQ(h.Plotted(6, kRed),
              (std::vector<std::int32_t>{10, 11, 12, 13, 14, 15, 16, 17, 18, 25}));

    // In another colour the shown columns are open again.
    h.rows.AddLine(h.Line(10, 10), h.canvas, kBlue, &closed);
    ASSERT_TRUE(h.rows.Flush(h.canvas, kBlue));
    EXPECT_EQ(h.Plotted(6, kBlue).size(), 10u);
}

}  // namespace
