#include "proc/cube_spline.h"
#include "tests/view/plot_fixture.h"
#include "view/plot_axes.h"
#include "view/plot_curves.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <cmath>
#include <limits>

namespace qm::test {
namespace {

using K = CanvasCall;

void expectText(const RecordingCanvas& c, const std::string& text, int x, int y, HAlign h, VAlign v)
{
    const CanvasCall* t = c.findText(text);
    ASSERT_NE(t, nullptr) << text;
    EXPECT_EQ(t->points[0], (Point{x, y})) << text;
    EXPECT_EQ(t->hAlign, h) << text;
    EXPECT_EQ(t->vAlign, v) << text;
}

// A bare frame for curves: columns 10..right, rows 0..60 (50 of them for
// values), points 0..viewEnd.
PlotFrame curveFrame(Canvas& c, int right, int viewEnd)
{
    PlotFrame f;
    f.canvas = &c;
    f.left = 10;
    f.right = right;
    f.top = 0;
    f.bottom = 60;
    f.viewBegin = 0;
    f.viewEnd = viewEnd;
    return f;
}

TEST(PlotPainter, FrameFromFontMetricsLabelsAndTitle)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(555), nullptr));
    b.show(10, 90);
    b.paint();
    const RecordingCanvas& c = b.canvas;
    const int L = PlotBench::kLeft, R = PlotBench::kRight, T = PlotBench::kTop, B = PlotBench::kBottom;
    const auto rects = c.ofKind(K::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->rect, (Rect{L, T, R, B}));
    const PlotGeometry& g = b.wb.geometry;
    EXPECT_EQ((Rect{g.left, g.top, g.right, g.bottom}), (Rect{L, T, R, B}));
    EXPECT_DOUBLE_EQ(g.pixelsPerPoint, 550.0 / 80);

    // X labels: (point - centre)*step with the unit, at bottom + w.
    expectText(c, "-80\"", L, B + 5, HAlign::Left, VAlign::Top);
    expectText(c, "0\"", L + 274, B + 5, HAlign::Center, VAlign::Top);
    expectText(c, "80\"", R, B + 5, HAlign::Right, VAlign::Top);
    expectText(c, "Sun: 2004/05/01: 10.00[cm]", (L + R) / 2, T - 5, HAlign::Center, VAlign::Bottom);
    expectText(c, "Ta,I", L - 5, T - 5, HAlign::Right, VAlign::Bottom);
    b.wb.view.mainTitle = "Eclipse";
    b.paint();
    EXPECT_NE(b.canvas.findText("Eclipse"), nullptr);

    // Page output: h = 25 and w = 10 give the frame 17w, h + w + margin.
    RecordingCanvas page(1000, 800, 99);
    paintPlot(b.wb, page, PlotLayout{10, 10, 10, 25, 3, true});
    EXPECT_EQ((Rect{g.left, g.top, g.right, g.bottom}), (Rect{170, 45, 1000 - 10 - 170, 800 - 45}));

    // No room: no frame and no geometry.
    RecordingCanvas tiny(150, 90);
    paintPlot(b.wb, tiny, b.layout);
    EXPECT_TRUE(tiny.ofKind(K::Rectangle).empty());
    EXPECT_FALSE(b.wb.geometry.valid);
}

// The scale bar: a round tenth of the range (1, 2 or 5 times a power of
// ten) drawn at left + 3w; with "Dig.frame" five numbers replace it.
TEST(PlotPainter, ScaleBarAndDigitalFrame)
{
    EXPECT_DOUBLE_EQ(scaleBarValue(1000), 200);
    EXPECT_DOUBLE_EQ(scaleBarValue(95), 10);
    EXPECT_DOUBLE_EQ(scaleBarValue(0.37), 0.04);
    EXPECT_EQ(scaleBarValue(std::numeric_limits<double>::infinity()), 0);

    PlotBench b;
    b.load(plotScan(3, 101, constant(555), nullptr)); // axis [490, 610]
    b.show(10, 90);
    b.paint();
    const int L = PlotBench::kLeft, T = PlotBench::kTop, B = PlotBench::kBottom;
    const int x = L + 15, y1 = T + 5, y2 = y1 + (B - y1) * 20 / 120;
    bool bar = false;
    for (const Segment& seg : b.canvas.segments())
        bar = bar || (seg.from == Point{x, y1} && seg.to == Point{x, y2});
    EXPECT_TRUE(bar);
    expectText(b.canvas, "20", x + 7, (y1 + y2) / 2 - 7, HAlign::Left, VAlign::Top);

    b.wb.view.digFrame = true;
    b.paint();
    const int q = (B - T - 5) / 4;
    expectText(b.canvas, "550", L - 7, B - 2 * q - 7, HAlign::Right, VAlign::Top);
    expectText(b.canvas, "610", L - 7, T + 10, HAlign::Right, VAlign::Top);
    expectText(b.canvas, "490", L - 7, B - 5, HAlign::Right, VAlign::Bottom);
    EXPECT_EQ(b.canvas.findText("20"), nullptr);
}

TEST(PlotPainter, CurvesDrawTheEnvelopeOfPointsSharingAPixelColumn)
{
    // 0.4 pixels per point: points 0-2 share column 0, 3-4 column 1, and so
    // on; a rising ramp keeps each column's first (lowest) and last
    // (highest) point.
    RecordingCanvas c(100, 100);
    const PlotFrame f = curveFrame(c, 14, 10);
    std::vector<float> a(11);
    for (int i = 0; i < 11; ++i)
        a[std::size_t(i)] = float(i * 10);
    const auto pts = curvePoints(f, a.data(), 11, AxisRange{0, 100});
    const int taken[] = {0, 2, 3, 4, 5, 7, 8, 9, 10};
    ASSERT_EQ(pts.size(), 9u);
    for (std::size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(pts[k].x, 10 + taken[k] * 4 / 10);
        EXPECT_EQ(pts[k].y, expectedY(a[std::size_t(taken[k])], 0, 100, 0, 60));
    }
    // A spike inside a column is drawn: first, highest, lowest, last in
    // the order they come.
    a = {50, 90, 10, 60, 60, 60, 60, 60, 60, 60, 60};
    const auto spike = curvePoints(f, a.data(), 11, AxisRange{0, 100});
    ASSERT_GE(spike.size(), 3u);
    EXPECT_EQ(spike[0].y, expectedY(50, 0, 100, 0, 60));
    EXPECT_EQ(spike[1].y, expectedY(90, 0, 100, 0, 60));
    EXPECT_EQ(spike[2].y, expectedY(10, 0, 100, 0, 60));

    // Through the painter: a NaN is skipped and every column shows both
    // levels of the alternating curve.
    PlotBench b;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    b.load(plotScan(3, 2300, [&](int i) { return i == 8 ? nan : i % 4 == 0 ? 0.f : 1000.f; }, nullptr));
    b.show(0, 2200);
    b.paint();
    const auto curves = b.curves(b.colour(kRgbDataI));
    ASSERT_EQ(curves.size(), 1u);
    const auto& p = curves[0]->points;
    const PlotGeometry& g = b.wb.geometry;
    const int low = expectedY(0, g.minI, g.maxI, g.top, g.bottom), high = expectedY(1000, g.minI, g.maxI, g.top, g.bottom);
    // Columns of four points hold both levels; the one starting with the NaN
    // (points 8-11) and the last (point 2200 alone) hold one.
    std::map<int, std::set<int>> levels;
    for (const Point& q : p)
        levels[q.x].insert(q.y);
    ASSERT_EQ(levels.size(), std::size_t(PlotBench::kRight - PlotBench::kLeft + 1));
    for (const auto& [x, ys] : levels) {
        const bool single = x == PlotBench::kLeft + 2 || x == PlotBench::kRight;
        const std::set<int> expected = single ? std::set<int>{x == PlotBench::kRight ? low : high}
                                              : std::set<int>{low, high};
        EXPECT_EQ(ys, expected) << x;
    }
    EXPECT_EQ(p.size(), 2 * levels.size() - 2);
}

TEST(PlotPainter, CurvesKeepOnlyThePointsTheLineNeeds)
{
    // A flat stretch within one pixel row (bad samples and a wholly bad
    // column inside it) is one horizontal line; a spike in column 50 is a
    // vertical stroke up and back.
    RecordingCanvas c(200, 100);
    PlotFrame f = curveFrame(c, 110, 1000);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::vector<float> a(1001);
    for (int i = 0; i <= 1000; ++i)
        a[std::size_t(i)] = 51 + 0.001f * float(i % 7);
    a[200] = nan;
    a[300] = inf;
    for (int i = 700; i < 710; ++i)
        a[std::size_t(i)] = nan;
    a[505] = 90;
    const AxisRange axis{0, 100};
    const int flat = expectedY(51, 0, 100, 0, 60), spike = expectedY(90, 0, 100, 0, 60);
    const std::vector<Point> expected{{10, flat}, {60, flat}, {60, spike}, {60, flat}, {110, flat}};
    EXPECT_EQ(curvePoints(f, a.data(), 1001, axis), expected);

    // One point per column, each on the row PlotFrame::y gives it, also
    // where the exact row boundary leaves it to rounding (2 units a row: 58
    // lands on 28.999...). A value below the axis keeps every point apart.
    f = curveFrame(c, 10 + 299, 299);
    std::vector<float> edges;
    for (int k = 0; k < 150; ++k)
        edges.insert(edges.end(), {float(2 * k), -50});
    const auto pts = curvePoints(f, edges.data(), 300, axis);
    ASSERT_EQ(pts.size(), 300u);
    for (std::size_t i = 0; i < pts.size(); ++i)
        EXPECT_EQ(pts[i].y, f.y(edges[i], axis)) << edges[i];
    EXPECT_EQ(f.y(58, axis), 60 - 28);
}

TEST(PlotPainter, BadScansPaintWithoutFaults)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    PlotBench b;
    auto s = plotScan(3, 64, [&](int i) { return i % 3 == 0 ? nan : i % 3 == 1 ? inf : 3e38f; },
                      [&](int i) { return i % 2 ? -3e38f : 3e38f; }, constant(nan), constant(-inf));
    s->step = 0;
    s->radius = -1;
    s->centerPoint = nan;
    s->gauss = {1, 1, 1, 1e30f, 0, 10, 0};
    b.load(std::move(s));
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.wb.view.sunCenter = b.wb.view.residual = true;
    b.wb.magField = {{30, nan}, {30, 1e30f}};
    for (auto [from, to] : {std::pair{5, 5}, {40, 10}, {-20, 500}, {0, 63}}) {
        b.show(from, to);
        b.paint();
        const PlotGeometry& g = b.wb.geometry;
        EXPECT_TRUE(std::isfinite(g.minI) && g.maxI > g.minI) << from << " " << to;
        EXPECT_TRUE(std::isfinite(g.pixelsPerPoint));
        for (const Segment& seg : b.canvas.segments())
            EXPECT_LE(std::abs(seg.to.x) + std::abs(seg.to.y), 80000);
    }
}

TEST(PlotPainter, SplineKnotsMarkedUntilOkOrCancel)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(0), [](int i) { return float(i * i % 37); }));
    b.wb.chkDataI = false;
    b.wb.chkWrkI = true;
    b.show(10, 90);
    b.paint(); // the geometry the double clicks are read with
    auto ellipses = [&] {
        b.paint();
        return b.canvas.ofKind(K::Ellipse);
    };
    auto start = [&] {
        b.ui.textAnswers = {"2"};
        b.wb.dispatch(139);
        ASSERT_NE(b.ui.splineDialog, nullptr);
    };
    auto click = [&](Point p) { b.wb.plotDoubleClickHook(b.wb, p.x, p.y); };
    const std::vector<Point> at{{200, 300}, {400, 150}};
    start();
    click(at[0]);
    EXPECT_EQ(b.ui.choiceCursor, std::vector<bool>{true});
    EXPECT_EQ(ellipses().size(), 1u);
    click(at[1]);
    // All knots picked: the normal cursor returns, each knot has an 8x6
    // ellipse with a cross where it was clicked.
    EXPECT_EQ(b.ui.choiceCursor, (std::vector<bool>{true, false}));
    const auto marks = ellipses();
    ASSERT_EQ(marks.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        const Rect r = marks[k]->rect;
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        EXPECT_EQ(r.width(), 8);
        EXPECT_EQ(r.height(), 6);
        EXPECT_EQ((Point{cx, cy}), at[k]) << k;
        int crossed = 0;
        for (const Segment& seg : b.canvas.segments())
            crossed += (seg.from == Point{cx - 4, cy} && seg.to == Point{cx + 4, cy}) ||
                       (seg.from == Point{cx, cy - 3} && seg.to == Point{cx, cy + 3});
        EXPECT_EQ(crossed, 2) << k;
    }
    // A preview keeps them; Cancel removes them. An OK does as well.
    SplineDialogState& d = *b.ui.splineDialog;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Preview));
    EXPECT_EQ(ellipses().size(), 2u);
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Cancel));
    EXPECT_TRUE(ellipses().empty());
    start();
    click(at[0]);
    click(at[1]);
    EXPECT_EQ(ellipses().size(), 2u);
    EXPECT_TRUE(pressSplineButton(*b.ui.splineDialog, SplineButton::Ok));
    EXPECT_TRUE(ellipses().empty());
    EXPECT_EQ(b.ui.choiceCursor, (std::vector<bool>{true, false, false, true, false, false}));
}

} // namespace
} // namespace qm::test
