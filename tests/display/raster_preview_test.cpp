// Raster engraving: pixels of decoded, clipped and expanded lines, rows and
// their flushes, layer colours and the process display.
#include <gtest/gtest.h>

#include <vector>

#include "tests/display/display_harness.h"

namespace {

using Columns = std::vector<std::int32_t>;
using Bytes = std::vector<std::uint8_t>;

// A 200 x 100 dot bed on a 200 x 100 canvas: dot x is column x, dot row y is
// canvas row 100 - y.
class RasterTest : public ::testing::Test {
protected:
    DisplayHarness h{200, 100, UnitScaleModel(200, 100)};
    static constexpr std::int32_t kY = 60;    // dot row used by most lines
    static constexpr std::int32_t kRow = 40;  // its canvas row
};

TEST_F(RasterTest, DecodesLiteralsAndRepeatCodes) {
    // C3 0A 05 -> 0A 0A 0A 05; C0 is a literal 192 (two leading bits).
    JobWriter job;
    job.Magic().DotStep(1).RasterCompressed('0', 0, kY, Bytes{0xC3, 0x80, 0x01, 0xC0}).Trailer();
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{0, 8, 16, 31, 32, 33}));

    // A threshold of 200 makes 0xC3 a literal and 0xC9 a repeat of one.
    JobWriter custom;
    custom.Magic().DotStep(1).RleBase(200);
    custom.RasterCompressed('0', 0, kY, Bytes{0xC3, 0xC9, 0x01}).Trailer();
    h.Run(custom);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{0, 1, 6, 7, 15}));
}

TEST_F(RasterTest, FinalRepeatCodeTakesTheNextJobByteButNeverReadsPastTheJob) {
    // The byte after the line's data is the ESC of the next command (0x1B).
    JobWriter job;
    job.Magic().DotStep(1).RasterCompressed('0', 0, kY, Bytes{0xC2}).Trailer();
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{3, 4, 6, 7, 11, 12, 14, 15}));

    // At the very end of the job there is no such byte: the code is dropped
    // without reading past the buffer (the row then stays unflushed).
    JobWriter last;
    last.Magic().DotStep(1).RasterCompressed('0', 0, kY, Bytes{0x80, 0xC2});
    h.Run(last);
    EXPECT_TRUE(h.ColumnsOf(kRow, kBlack).empty());
}

TEST_F(RasterTest, BitModesAndDotSteps) {
    struct Case {
        std::uint8_t mode;
        std::uint8_t step;
        char letter;
        std::int32_t x;
        Bytes decoded;
        Columns expected;
    };
    const std::vector<Case> cases = {
        {0, 1, '0', 100, {0xA0}, {100, 102}},
        {0, 2, '1', 100, {0x80}, {100}},
        {0, 2, '1', 100, {0x01}, {86}},
        {1, 1, '0', 10, {0x0F}, {11}},
        {1, 3, '1', 50, {0x10, 0x01}, {41, 50}},
        {2, 1, '0', 20, {0x00, 0x01, 0xFF}, {21, 22}},
        {3, 1, '0', 20, {0xFF}, {}},
        {0, 0, '0', 30, {0xFF, 0xFF}, {30}},  // step 0: every pixel on the first dot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int{c.mode} << " step " << int{c.step} << " "
                                        << c.letter << " x " << c.x);
        JobWriter job;
        job.Magic().BitMode(c.mode).DotStep(c.step).Raster(c.letter, c.x, kY, c.decoded).Trailer();
        h.Run(job);
        EXPECT_EQ(h.ColumnsOf(kRow, kBlack), c.expected);
    }
}

TEST_F(RasterTest, ClipsWholeBytesAtTheRightEdgeAndDropsDotsLeftOfZero) {
    struct Case {
        std::uint8_t step;
        char letter;
        std::int32_t x;
        std::int32_t offsetX;
        Bytes decoded;
        Columns expected;
    };
    const auto range = [](std::int32_t from, std::int32_t to) {
        Columns columns;
        for (std::int32_t x = from; x <= to; ++x) columns.push_back(x);
        return columns;
    };
    const Bytes ones3 = {0xFF, 0xFF, 0xFF};
    const std::vector<Case> cases = {
        {1, '0', 190, 0, ones3, range(190, 197)},  // last 213: two bytes dropped
        {1, '1', 205, 0, ones3, range(182, 197)},  // low 182: first byte dropped
        {1, '0', 200, 0, ones3, {}},               // starts at the edge
        {1, '1', 199, 0, {0xFF}, range(192, 199)},
        {0, '1', 199, 0, {0xFF}, {}},  // step 0: low = x + 1 = W
        {0, '1', 198, 0, {0xFF}, {198}},
        {1, '1', 3, 0, {0xFF, 0xFF}, range(0, 3)},        // runs left of dot 0
        {1, '0', 0, -5, {0xFF}, range(0, 2)},             // displaced left of dot 0
        {1, '0', 190, 2, {0xFF, 0xFF}, range(192, 199)},  // displacement moves the clip
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.letter << " x " << c.x << " offset " << c.offsetX);
        h.display.SetOffset(c.offsetX, 0);
        JobWriter job;
        job.Magic().DotStep(c.step).Raster(c.letter, c.x, kY, c.decoded).Trailer();
        h.Run(job);
        EXPECT_EQ(h.ColumnsOf(kRow, kBlack), c.expected);
    }
}

TEST_F(RasterTest, LinesOfOneRowCombineAndARowChangePlotsThePreviousRow) {
    JobWriter job;
    job.Magic().DotStep(1);
    job.Raster('0', 0, kY, Bytes{0x80}).Raster('0', 4, kY, Bytes{0x80});
    job.Raster('0', 10, kY - 1, Bytes{0x80});  // closes row 40, opens row 41
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{0, 4}));
    // No ESC 'B', 'V' or 'N' after the last line: its row stays unplotted.
    EXPECT_TRUE(h.ColumnsOf(kRow + 1, kBlack).empty());
}

TEST_F(RasterTest, RowsOutsideTheImageCarryTheirDotsIntoTheNextPlottedRow) {
    JobWriter job;
    job.Magic().DotStep(1);
    job.Raster('0', 5, -1, Bytes{0x80});  // row 101: below the image
    job.Raster('0', 9, kY, Bytes{0x80});  // row 40 inherits dot 5
    job.Trailer();
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{5, 9}));
}

TEST_F(RasterTest, ALineFarBelowTheBedWrapsAsThirtyTwoBitsAtScaleOne) {
    // 100 - 200 wraps to 2^32 - 100, which is 2^32 as a float: its low 32 bits
    // put the line on row 0.
    JobWriter job;
    job.Magic().DotStep(1).Raster('0', 7, 200, Bytes{0x80}).Trailer();
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(0, kBlack), (Columns{7}));
}

TEST(RasterDefaultModelTest, BottomLineLandsInTheGreyBandOnlyWhenFlushed) {
    DisplayHarness h;  // bed 39370 x 23622 dots, image 910 x 546
    JobWriter flushed;
    flushed.Magic().Raster('0', 44, 0, Bytes{0x80}).Trailer();
    h.Run(flushed);
    EXPECT_EQ(h.Pixel(1, 546), kBlack);

    // Closed by a row change instead, row 546 is not plotted; its dot moves
    // on to row 0.
    JobWriter changed;
    changed.Magic().Raster('0', 44, 0, Bytes{0x80}).Raster('0', 88, 23622, Bytes{0x80}).Trailer();
    h.Run(changed);
    EXPECT_EQ(h.Pixel(1, 546), kGrey);
    EXPECT_EQ(h.ColumnsOf(0, kBlack), (Columns{1, 2}));
}

TEST(RasterMergeTest, TheLastDotOfAnExactlyFittedBedFallsOffTheCanvas) {
    // 273 x 186 mm at 1000 dpi on 910 x 620: dot 10747 maps to column 910.
    DisplayHarness h(910, 620, MakeModel(273, 186, 1000));
    ASSERT_EQ(h.display.GetBedWidthDots(), 10748);
    JobWriter job;
    job.Magic().DotStep(1).Raster('0', 10740, 7322, Bytes{0xFF}).Trailer();
    h.Run(job);
    EXPECT_EQ(h.ColumnsOf(0, kBlack), (Columns{909}));
}

TEST_F(RasterTest, FlushesByEscBVAndNAndLayerColours) {
    JobWriter job;
    job.Magic().DotStep(1).Pen(1);
    job.Raster('0', 0, kY, Bytes{0x80});
    job.Pen(3);  // flushes dot 0 in red, then yellow for the rest of the row
    job.Raster('0', 2, kY, Bytes{0x80});
    job.EscV();
    job.Raster('0', 4, kY - 1, Bytes{0x80});
    job.Pen(8);  // only flushes: the layer stays yellow
    job.Raster('0', 6, kY - 2, Bytes{0x80});
    job.Trailer();
    h.Run(job);
    EXPECT_EQ(h.Pixel(0, kRow), kRed);
    EXPECT_EQ(h.Pixel(2, kRow), kYellow);
    EXPECT_EQ(h.Pixel(4, kRow + 1), kYellow);
    EXPECT_EQ(h.Pixel(6, kRow + 2), kYellow);

    // The layer carries over to the next job, the pen does not.
    JobWriter next;
    next.Magic().DotStep(1).Raster('0', 8, kY, Bytes{0x80}).Trailer();
    h.Run(next);
    EXPECT_EQ(h.Pixel(8, kRow), kYellow);
    EXPECT_EQ(h.display.GetCanvas().PenColor(), kBlack);
}

// After a flush the row may go on, and a later line plots its columns again:
// that matters when something was drawn over them in between, whether before
// the line or after it (also after more lines than are remembered), or when
// the layer colour changed.
TEST_F(RasterTest, ALineAfterAFlushPlotsItsColumnsAgainOverLaterDrawing) {
    h.display.SetShowCutPath(1);
    Columns grey;
    for (std::int32_t x = 1; x < 50; ++x) grey.push_back(x);
    for (const int linesBeforeTravel : {0, 1, 70}) {
        SCOPED_TRACE(linesBeforeTravel);
        // ESC 'V' first: travel starts from the canvas origin in every round.
        JobWriter job;
        job.Magic().EscV().DotStep(1).Raster('0', 0, kY, Bytes{0xFF}).Trailer(0, 0);
        for (int i = 0; i < linesBeforeTravel; ++i) job.Raster('0', 0, kY, Bytes{0x80});
        // A grey travel line along the row, over columns 0 to 49.
        job.MoveAbsolute(0, kY).MoveAbsolute(50, kY);
        job.Raster('0', 0, kY, Bytes{0x80}).Trailer(0, 0);
        h.Run(job);
        EXPECT_EQ(h.ColumnsOf(kRow, kBlack), Columns{0});
        EXPECT_EQ(h.ColumnsOf(kRow, kGrey), grey);
    }
    h.display.SetShowCutPath(0);

    // Nothing drawn in between: the first flush's columns stay as they are.
    JobWriter plain;
    plain.Magic().DotStep(1).Raster('0', 0, kY, Bytes{0xF0}).Trailer(0, 0);
    plain.Raster('0', 0, kY, Bytes{0x81}).Trailer(0, 0);
    h.Run(plain);
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), (Columns{0, 1, 2, 3, 7}));
    EXPECT_EQ(h.screen.presents.size(), 2u);

    // A new layer colour: the line's column takes it.
    JobWriter recoloured;
    recoloured.Magic().DotStep(1).Raster('0', 0, kY, Bytes{0xC0}).Trailer(0, 0);
    recoloured.Pen(1).Raster('0', 0, kY, Bytes{0x80}).Trailer(0, 0);
    h.Run(recoloured);
    EXPECT_EQ(h.ColumnsOf(kRow, kRed), Columns{0});
    EXPECT_EQ(h.ColumnsOf(kRow, kBlack), Columns{1});
}

TEST_F(RasterTest, RasterDisplayOffSkipsLinesEntirely) {
    h.display.SetDisplayMode(2);
    JobWriter job;
    job.Magic().DotStep(1).Raster('0', 0, kY, Bytes{0xFF}).Trailer();
    h.Run(job);
    EXPECT_TRUE(h.ColumnsOf(kRow, kBlack).empty());
    EXPECT_TRUE(h.screen.presents.empty());
}

TEST_F(RasterTest, ProcessDisplayPresentsEachClosedRowAndPauses) {
    h.display.SetShowEngraveProcess(1);
    h.display.SetEngraveDelay(50);
    JobWriter job;
    job.Magic().DotStep(1);
    job.Raster('0', 0, 90, Bytes{0x80}).Raster('0', 0, 89, Bytes{0x80});
    job.Raster('0', 0, 88, Bytes{0x80}).Trailer();
    h.Run(job);
    // Row 0 (empty, current after the parse begins), 10 and 11 are closed by
    // row changes; ESC 'B' presents the whole canvas without a pause.
    ASSERT_EQ(h.screen.presents.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        const std::int32_t row = i == 0 ? 0 : 9 + i;
        const CanvasRect& r = h.screen.presents[i];
        EXPECT_EQ((std::vector<std::int32_t>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<std::int32_t>{0, row, 199, row}));
    }
    const CanvasRect& all = h.screen.presents[3];
    EXPECT_EQ((std::vector<std::int32_t>{all.left, all.top, all.right, all.bottom}),
              (std::vector<std::int32_t>{0, 0, 199, 99}));
    EXPECT_EQ(h.screen.pauses, (std::vector<std::uint32_t>{50, 50, 50}));

    // A negative delay pauses 0 ms rather than for ever.
    h.display.SetEngraveDelay(-5);
    h.Run(job);
    EXPECT_EQ(h.screen.pauses, (std::vector<std::uint32_t>{0, 0, 0}));
}

}  // namespace
