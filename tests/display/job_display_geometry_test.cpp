// Canvas and model geometry: bed size in dots, fit, scale, image size,
// refusals, the canvas clears and the load that starts with them.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "parser/job_format.h"
#include "tests/display/display_harness.h"

namespace {

TEST(GeometryTest, ModelsOnTheDialogCanvas) {
    struct Case {
        std::int32_t width, height, resolution;
        std::int32_t bedWidth, bedHeight, imageWidth, imageHeight;
        float scale;
    };
    const std::vector<Case> cases = {
        {1000, 600, 1000, 39370, 23622, 910, 546, 910.0f / 39370.0f},
        {1300, 900, 1000, 51181, 35433, 895, 620, 620.0f / 35433.0f},
        {400, 300, 254, 4000, 3000, 826, 620, 620.0f / 3000.0f},
        {910, 620, 254, 9100, 6200, 910, 620, 620.0f / 6200.0f},  // equal ratios: by height
        {1000, 600, 300, 11811, 7086, 910, 546, 910.0f / 11811.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " @ " << c.resolution);
        DisplayHarness h(910, 620, MakeModel(c.width, c.height, c.resolution));
        ASSERT_EQ(h.setModel, 1);
        EXPECT_EQ(h.display.GetBedWidthDots(), c.bedWidth);
        EXPECT_EQ(h.display.GetBedHeightDots(), c.bedHeight);
        EXPECT_EQ(h.display.GetImageWidth(), c.imageWidth);
        EXPECT_EQ(h.display.GetImageHeight(), c.imageHeight);
        EXPECT_EQ(h.display.GetScale(), c.scale);
    }
}

TEST(GeometryTest, RefusedModelsChangeNothing) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    DisplayHarness h;
    const std::vector<ModelInfo> refused = {
        MakeModel(0, 600, 1000),    MakeModel(1000, -1, 1000),
        MakeModel(1000, 600, 0),    MakeModel(1, 1, 1),           // under one dot
        MakeModel(kMax, 600, 1000), MakeModel(1000, kMax, kMax),  // beyond 32 bits
        MakeModel(100000, 1, 1000), MakeModel(1, 100000, 1000),   // an image under one pixel
    };
    for (const ModelInfo& model : refused) {
        SCOPED_TRACE(testing::Message()
                     << model.width << " x " << model.height << " @ " << model.resolution);
        EXPECT_EQ(h.display.SetModel(&model), 0);
        EXPECT_EQ(h.display.GetBedWidthDots(), 39370);
        EXPECT_EQ(h.display.GetBedHeightDots(), 23622);
        EXPECT_EQ(h.display.GetImageWidth(), 910);
        EXPECT_EQ(h.display.GetScale(), 910.0f / 39370.0f);
    }
    EXPECT_EQ(h.display.SetModel(nullptr), 0);

    // The fit needs the canvas: no model before SetCanvas.
    CJobDisplay bare;
    const ModelInfo model = MakeModel(1000, 600, 1000);
    EXPECT_EQ(bare.SetModel(&model), 0);
    EXPECT_EQ(bare.GetBedWidthDots(), 0);
}

TEST(GeometryTest, CanvasCreationAndRefusal) {
    DisplayHarness h;
    ASSERT_EQ(h.setCanvas, 1);
    EXPECT_EQ(h.display.GetCanvas().Stride(), 2732);
    EXPECT_EQ(h.display.SetCanvas(nullptr), 0);
    const CanvasDesc empty{0, 620, nullptr, 1015};
    const CanvasDesc huge{Canvas::kMaxSide + 1, 10, nullptr, 1015};
    EXPECT_EQ(h.display.SetCanvas(&empty), 0);
    EXPECT_EQ(h.display.SetCanvas(&huge), 0);
    EXPECT_EQ(h.display.GetCanvas().Width(), 910);  // the old canvas stays
    EXPECT_EQ(h.display.GetCanvas().Height(), 620);
}

TEST(GeometryTest, ClearsPaintGreyCanvasAndWhiteBed) {
    DisplayHarness h;
    h.display.ClearCanvas();
    h.display.ClearBed();
    EXPECT_EQ(h.Pixel(0, 0), kWhite);
    EXPECT_EQ(h.Pixel(909, 545), kWhite);
    EXPECT_EQ(h.Pixel(0, 546), kGrey);  // 74 grey rows under the bed
    EXPECT_EQ(h.Pixel(909, 619), kGrey);

    h.display.PresentAll();
    ASSERT_EQ(h.screen.presents.size(), 1u);
    EXPECT_EQ(h.screen.presents[0].right, 909);
    EXPECT_EQ(h.screen.presents[0].bottom, 619);
    // Rectangles reaching off the canvas are clipped before they reach the screen.
    h.display.Present(CanvasRect{-5, 600, 2000, 5000});
    ASSERT_EQ(h.screen.presents.size(), 2u);
    EXPECT_EQ(h.screen.presents[1].left, 0);
    EXPECT_EQ(h.screen.presents[1].top, 600);
    EXPECT_EQ(h.screen.presents[1].right, 909);
    EXPECT_EQ(h.screen.presents[1].bottom, 619);
    h.display.Present(CanvasRect{950, 0, 990, 10});
    EXPECT_EQ(h.screen.presents.size(), 2u);
}

TEST(DrawJobTest, ALoadClearsShowsParsesAndShowsAgain) {
    DisplayHarness h;
    JobWriter square;
    square.Magic().MoveAbsolute(0, 23622).PenDown().LineRelative(4000, 0).PenUp().Trailer();
    h.Run(square);
    ASSERT_EQ(h.Pixel(0, 0), kBlack);
    h.display.SetOffset(0, -4000);  // the next line draws elsewhere
    h.screen.presents.clear();

    // The screen sees the cleared canvas, then the drawn one; the earlier
    // drawing is gone and the canvas outside the bed is grey again.
    const std::vector<std::uint8_t> job = square.Bytes();
    h.display.DrawJob(job.data(), static_cast<std::uint32_t>(job.size()));
    ASSERT_EQ(h.screen.presents.size(), 2u);
    EXPECT_TRUE(h.IsWholeCanvas(h.screen.presents.front()));
    EXPECT_TRUE(h.IsWholeCanvas(h.screen.presents.back()));
    EXPECT_EQ(h.Pixel(0, 0), kWhite);
    EXPECT_EQ(h.Pixel(0, 92), kBlack);  // 4000 dots lower
    EXPECT_EQ(h.Pixel(0, 546), kGrey);
    EXPECT_EQ(h.display.GetErrorFlags(), 0u);

    // No job at all is an empty one: too short, nothing drawn.
    h.display.DrawJob(nullptr, 7);
    EXPECT_EQ(h.display.GetErrorFlags(), jobformat::kErrorTruncated);
    EXPECT_EQ(h.ColumnsOf(92, kWhite).size(), 910u);
}

}  // namespace
