// The Detail window's navigation: zoom levels, zooming about the cursor,
// fitting the bed and panning, in whole dots.
#include "ui/view_navigation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ViewNavigationTest, ZoomLevelsRunThroughPowersOfTwoBothWays) {
    std::vector<ViewZoom> in = {{64, 1}};
    while (in.back().pixelsPerDot < 16) in.push_back(ZoomIn(in.back()));
    const std::vector<ViewZoom> expected = {{64, 1}, {32, 1}, {16, 1}, {8, 1}, {4, 1}, {2, 1},
                                            {1, 1},  {1, 2},  {1, 4},  {1, 8}, {1, 16}};
    EXPECT_EQ(in, expected);
    EXPECT_EQ(ZoomIn({1, 16}), (ViewZoom{1, 16}));
    for (std::size_t i = in.size() - 1; i > 0; --i) EXPECT_EQ(ZoomOut(in[i]), in[i - 1]);
    // A fitted K between levels goes to the neighbouring ones.
    EXPECT_EQ(ZoomIn({43, 1}), (ViewZoom{32, 1}));
    EXPECT_EQ(ZoomOut({43, 1}), (ViewZoom{64, 1}));
    EXPECT_EQ(ZoomOut({3, 1}), (ViewZoom{4, 1}));
    EXPECT_EQ(ZoomOut({ViewNavigator::kMaxDotsPerPixel, 1}),
              (ViewZoom{ViewNavigator::kMaxDotsPerPixel, 1}));
}

TEST(ViewNavigationTest, FitIsTheSmallestKThatHoldsTheWholeBedCentred) {
    ViewNavigator nav;
    nav.SetBed(39370, 23622);
    nav.SetWindow(916, 600);
    nav.Fit();
    EXPECT_EQ(nav.Zoom(), (ViewZoom{43, 1}));  // 39370 / 916 = 42.98
    EXPECT_LE(nav.X0(), 0);
    EXPECT_GE(nav.X1(), 39370);
    EXPECT_LT(nav.Y0(), 1);
    EXPECT_GE(nav.Y1(), 23622);
    EXPECT_LE((nav.X0() + nav.X1()) / 2 - 39370 / 2, 1);
    EXPECT_GE((nav.X0() + nav.X1()) / 2 - 39370 / 2, -1);
    nav.SetWindow(915, 600);
    nav.Fit();
    EXPECT_EQ(nav.Zoom(), (ViewZoom{44, 1}));
    // A bed smaller than the window is shown at 1 dot per pixel.
    nav.SetBed(100, 50);
    nav.Fit();
    EXPECT_EQ(nav.Zoom(), (ViewZoom{1, 1}));
}

TEST(ViewNavigationTest, ZoomingKeepsTheDotUnderTheCursor) {
    ViewNavigator nav;
    nav.SetBed(39370, 23622);
    nav.SetWindow(800, 600);
    nav.CentreOn({12345, 6789}, {1, 1});
    EXPECT_EQ(nav.DotAt(400, 300).x, 12345);
    EXPECT_EQ(nav.DotAt(400, 300).y, 6789);
    const DotPosition under = nav.DotAt(123, 456);
    // In through the pixel-per-dot levels and back out past 1 dot per pixel.
    for (const bool in : {true, true, true, false, false, false, false, false}) {
        nav.ZoomAbout(123, 456, in);
        EXPECT_EQ(nav.DotAt(123, 456).x, under.x);
        EXPECT_EQ(nav.DotAt(123, 456).y, under.y);
    }
    EXPECT_EQ(nav.Zoom(), (ViewZoom{4, 1}));
}

TEST(ViewNavigationTest, PanningMovesThePictureByWholeDots) {
    ViewNavigator nav;
    nav.SetWindow(100, 100);
    nav.CentreOn({1000, 1000}, {4, 1});
    const std::int64_t x0 = nav.X0();
    const std::int64_t y1 = nav.Y1();
    nav.Pan(10, -5);  // picture right and up: the view moves left and up
    EXPECT_EQ(nav.X0(), x0 - 40);
    EXPECT_EQ(nav.Y1(), y1 - 20);
    // At 4 pixels per dot, 3 pixels are no dot yet; 2 more make one.
    nav.CentreOn({1000, 1000}, {1, 4});
    const std::int64_t x0m = nav.X0();
    nav.Pan(3, 0);
    EXPECT_EQ(nav.X0(), x0m);
    nav.Pan(2, 0);
    EXPECT_EQ(nav.X0(), x0m - 1);
    nav.Pan(-5, 0);
    EXPECT_EQ(nav.X0(), x0m);
    EXPECT_EQ(nav.X1() - nav.X0(), 25);
}

}  // namespace
