// The view rectangle against hand-worked cases: proportions, clamping, the band in either direction,
// the scroll bars' ends, and trusses too far from the origin for centimetre positions.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "drawing/viewport.h"

namespace varlen::drawing {
namespace {

void ExpectView(const Viewport& v, double x1, double x2, double y1, double y2) {
    const ViewRect r = v.View();
    EXPECT_DOUBLE_EQ(r.x1, x1);
    EXPECT_DOUBLE_EQ(r.x2, x2);
    EXPECT_DOUBLE_EQ(r.y1, y1);
    EXPECT_DOUBLE_EQ(r.y2, y2);
}

bool FitsInt32(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// A world 10 m by 4 m in a picture twice as wide as high: the height grows to 5 m, more than the world,
// so the view is centred on it; nothing to scroll.
TEST(Viewport, FullScaleKeepsThePictureProportionsAndCentresTheSpareHeight) {
    Viewport v(World{0, 10, 0, 4});
    v.SetAspect(0.5);
    ExpectView(v, 0, 10, -0.5, 4.5);
    EXPECT_FALSE(v.HorizontalBar().visible);
    EXPECT_FALSE(v.VerticalBar().visible);
    // "1/2 Magnification" cannot show more than the world: nothing changes.
    v.Magnify(20);
    ExpectView(v, 0, 10, -0.5, 4.5);
    v.Magnify(40);
    ExpectView(v, 0, 10, -0.5, 4.5);
}

struct BandCase {
    const char* name;
    Point from, to;
    double aspect;
    double x1, x2, y1, y2; // the view after the release
};

class ViewportBand : public ::testing::TestWithParam<BandCase> {};

// Corners taken in the order dragged would give a negative width, which the clamp turns into the smallest
// view somewhere else.
TEST_P(ViewportBand, BecomesTheViewWhicheverWayItIsDragged) {
    const BandCase& c = GetParam();
    Viewport v(World{-1, 11, -1, 6});
    v.SetAspect(c.aspect);
    v.ArmZoom();
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Armed);
    v.Press(c.from);
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Dragging);
    v.Drag({5, 5});
    EXPECT_EQ(v.BandEnd(), (Point{5, 5}));
    v.Release(c.to);
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Idle);
    ExpectView(v, c.x1, c.x2, c.y1, c.y2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewportBand,
    ::testing::Values(
        // Aspect 2 is the band's own: X 1..2, Y 1..3 as dragged.
        BandCase{"UpLeft", {2, 3}, {1, 1}, 2, 1, 2, 1, 3},
        BandCase{"DownRight", {1, 1}, {2, 3}, 2, 1, 2, 1, 3},
        BandCase{"DownLeft", {2, 1}, {1, 3}, 2, 1, 2, 1, 3},
        // A square picture widens the band to 2 x 2 about its centre (1.5, 2).
        BandCase{"SquarePicture", {2, 3}, {1, 1}, 1, 0.5, 2.5, 1, 3},
        // Narrower and lower than 1 m: the smallest view, 1 x 1, about the band's centre.
        BandCase{"Smallest", {3, 3}, {3.4, 3.2}, 1, 2.7, 3.7, 2.6, 3.6},
        // A click without a drag zooms to the smallest view about the point.
        BandCase{"Click", {4, 4}, {4, 4}, 1, 3.5, 4.5, 3.5, 4.5},
        // A band over the world's edge is moved back inside.
        BandCase{"PastTheLeftEdge", {-3, 2}, {-2, 4}, 2, -1, 0, 2, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Viewport, PressAndReleaseDoNothingUnlessArmed) {
    Viewport v(World{-1, 11, -1, 6});
    v.Press({1, 1});
    v.Release({2, 2});
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Idle);
    ExpectView(v, -1, 11, -3.5, 8.5); // full scale in a square picture: 12 x 12, centred in Y
    // A magnification item while armed leaves the band unstarted and the view as the item makes it.
    v.ArmZoom();
    v.Magnify(1);
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Idle);
    ExpectView(v, -1, 11, -3.5, 8.5);
    v.Press({1, 1});
    EXPECT_EQ(v.Zoom(), Viewport::ZoomState::Idle);
    // CancelZoom in the middle of a drag leaves the view as it was.
    v.ArmZoom();
    v.Press({1, 1});
    v.CancelZoom();
    v.Release({2, 2});
    ExpectView(v, -1, 11, -3.5, 8.5);
}

TEST(Viewport, MagnificationIndexRule) {
    Viewport v(World{-1, 21, -1, 21}); // 22 x 22
    v.ZoomBy(2);
    ExpectView(v, 4.5, 15.5, 4.5, 15.5);
    v.Magnify(20); // 1 / 2: twice the width again
    ExpectView(v, -1, 21, -1, 21);
    v.Magnify(4); // an index below 10 is the factor itself
    ExpectView(v, 7.25, 12.75, 7.25, 12.75);
    v.Magnify(40); // 1 / 4
    ExpectView(v, -1, 21, -1, 21);
    v.ZoomBy(0); // no factor: nothing
    v.ZoomBy(-2);
    ExpectView(v, -1, 21, -1, 21);
    v.ZoomBy(1000); // never below 1 m
    EXPECT_DOUBLE_EQ(v.View().x2 - v.View().x1, 1);
    EXPECT_DOUBLE_EQ(v.View().y2 - v.View().y1, 1);
}

// After zooming in, the bars tell the view's left and top edges in centimetres, and their ends are the
// world's edges exactly.
TEST(Viewport, ScrollBarsAtBothEnds) {
    Viewport v(World{-1, 13, -1, 4}); // 14 x 5
    v.SetAspect(0.5);
    v.ZoomBy(2); // 7 x 3.5 about (6, 1.5)
    ExpectView(v, 2.5, 9.5, -0.25, 3.25);
    const ScrollBarState& h = v.HorizontalBar();
    EXPECT_TRUE(h.visible);
    EXPECT_EQ(h.minimum, -100);
    EXPECT_EQ(h.maximum, 600); // (13 - 7) x 100
    EXPECT_EQ(h.singleStep, 70);
    EXPECT_EQ(h.pageStep, 700);
    EXPECT_EQ(h.value, 250);
    const ScrollBarState& vb = v.VerticalBar();
    EXPECT_TRUE(vb.visible);
    EXPECT_EQ(vb.minimum, 400); // the top of the world
    EXPECT_EQ(vb.maximum, 250); // (-1 + 3.5) x 100: the lowest top edge
    EXPECT_EQ(vb.value, 325);
    EXPECT_EQ(vb.singleStep, 35);

    v.HScrollView(h.maximum);
    EXPECT_DOUBLE_EQ(v.View().x2, 13);
    EXPECT_DOUBLE_EQ(v.View().x1, 6);
    v.HScrollView(h.minimum);
    EXPECT_DOUBLE_EQ(v.View().x1, -1);
    v.HScrollView(123);
    EXPECT_DOUBLE_EQ(v.View().x1, 1.23);
    EXPECT_DOUBLE_EQ(v.View().x2, 8.23);
    EXPECT_EQ(v.HorizontalBar().value, 123);

    v.VScrollView(vb.minimum);
    EXPECT_DOUBLE_EQ(v.View().y2, 4);
    EXPECT_DOUBLE_EQ(v.View().y1, 0.5);
    v.VScrollView(vb.maximum);
    EXPECT_DOUBLE_EQ(v.View().y1, -1);
    v.VScrollView(300);
    EXPECT_DOUBLE_EQ(v.View().y2, 3);
    // Past either end (a bar set by hand) the view stays in the world.
    v.HScrollView(100000);
    EXPECT_DOUBLE_EQ(v.View().x2, 13);
    v.VScrollView(-100000);
    EXPECT_DOUBLE_EQ(v.View().y1, -1);
}

TEST(Viewport, ScrollPositionsRoundHalvesToEven) {
    Viewport v(World{-0.125, 10.375, -0.625, 1.5});
    EXPECT_EQ(v.HorizontalBar().minimum, -12); // -12.5
    EXPECT_EQ(v.VerticalBar().minimum, 150);
    Viewport w(World{-0.375, 10, -1, 1});
    EXPECT_EQ(w.HorizontalBar().minimum, -38); // -37.5
}

struct FarCase {
    const char* name;
    double x;     // where the truss lies, metres from the origin
    double span;  // its length
    double scale; // the scroll units per metre expected
};

class ViewportFar : public ::testing::TestWithParam<FarCase> {};

// In 16-bit centimetres a truss 400 m from the origin could not scroll at all; in 32-bit ones one 1e7 m
// away overflows. Every position must fit an int and still move the view to where it says.
TEST_P(ViewportFar, ScrollsWithPositionsThatFitAnInt) {
    const FarCase& c = GetParam();
    Viewport v(World{c.x - 1, c.x + c.span, -1, 11});
    v.SetAspect(0.5);
    EXPECT_DOUBLE_EQ(v.ScrollScale(), c.scale);
    v.ZoomBy(5);
    for (const ScrollBarState& bar : {v.HorizontalBar(), v.VerticalBar()}) {
        EXPECT_TRUE(FitsInt32(bar.minimum) && FitsInt32(bar.maximum) && FitsInt32(bar.value)) << bar.value;
        EXPECT_TRUE(FitsInt32(bar.maximum - bar.minimum));
        EXPECT_GE(bar.singleStep, 1);
    }
    EXPECT_TRUE(v.HorizontalBar().visible);
    const double width = v.View().x2 - v.View().x1;
    v.HScrollView(v.HorizontalBar().maximum);
    EXPECT_DOUBLE_EQ(v.View().x2, c.x + c.span);
    v.HScrollView(v.HorizontalBar().minimum);
    EXPECT_DOUBLE_EQ(v.View().x1, c.x - 1);
    const std::int64_t middle = (v.HorizontalBar().minimum + v.HorizontalBar().maximum) / 2;
    v.HScrollView(middle);
    EXPECT_NEAR(v.View().x1, static_cast<double>(middle) / c.scale, 1e-6 * std::abs(c.x) + 1e-9);
    EXPECT_NEAR(v.View().x2 - v.View().x1, width, 1e-6 * width);
    EXPECT_EQ(v.HorizontalBar().value, middle);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewportFar,
                         ::testing::Values(FarCase{"Near", 0, 50, 100}, FarCase{"Beyond16Bit", 400, 50, 100},
                                           FarCase{"TenThousandKm", 1e7, 50, 10},
                                           FarCase{"NegativeFar", -3e8, 50, 1},
                                           // Positions of 10 km: a truss a million metres long.
                                           FarCase{"Astronomical", 4e12, 1e6, 1e-4}),
                         [](const auto& info) { return std::string(info.param.name); });

// One joint: the world is 2 x 2 and the view can neither grow beyond it nor shrink below 1 m.
TEST(Viewport, SingleJoint) {
    Viewport v(World{-1, 1, -1, 1});
    v.SetAspect(1);
    ExpectView(v, -1, 1, -1, 1);
    v.ZoomBy(0.5);
    ExpectView(v, -1, 1, -1, 1);
    v.ZoomBy(10);
    ExpectView(v, -0.5, 0.5, -0.5, 0.5);
    EXPECT_TRUE(v.HorizontalBar().visible);
}

// An edit that shrinks the world pulls the view back inside and keeps its size where it can.
TEST(Viewport, NewWorldKeepsTheZoom) {
    Viewport v(World{-1, 21, -1, 21});
    v.ZoomBy(4); // 5.5 x 5.5 about (10, 10)
    v.HScrollView(v.HorizontalBar().maximum);
    v.SetWorld(World{-1, 11, -1, 11});
    ExpectView(v, 5.5, 11, 5.5, 11);
}

} // namespace
} // namespace varlen::drawing
