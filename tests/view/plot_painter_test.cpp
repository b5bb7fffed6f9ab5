#include "tests/view/plot_fixture.h"
#include "view/plot_axes.h"
#include "view/plot_curves.h"

#include <gtest/gtest.h>

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

bool hasSegment(const RecordingCanvas& c, Point a, Point b)
{
    for (const Segment& s : c.segments())
        if (s.from == a && s.to == b)
            return true;
    return false;
}

TEST(PlotPainter, FrameLabelsTitleAndGeometry)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(555), nullptr));
    b.show(10, 90);
    b.paint();
    const RecordingCanvas& c = b.canvas;
    const int L = PlotBench::kLeft, R = PlotBench::kRight, T = PlotBench::kTop, B = PlotBench::kBottom;

    // White page first, then the frame rectangle.
    ASSERT_FALSE(c.calls.empty());
    EXPECT_EQ(c.calls[0].kind, K::Fill);
    EXPECT_EQ(c.calls[0].rect, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(c.calls[0].colour, kWhite);
    const auto rects = c.ofKind(K::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->rect, (Rect{L, T, R, B}));
    EXPECT_TRUE(rects[0]->brush.hollow);

    // X labels: (point - centre)*step with the unit, at bottom + w.
    expectText(c, "-80\"", L, B + 5, HAlign::Left, VAlign::Top);
    expectText(c, "80\"", R, B + 5, HAlign::Right, VAlign::Top);
    // Inner ticks at left + k*((right - left)/4) = +137 each, w long.
    const int ticks[] = {L + 137, L + 274, L + 411};
    const char* labels[] = {"-40\"", "0\"", "40\""};
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(hasSegment(c, {ticks[k], B}, {ticks[k], B - 5})) << k;
        expectText(c, labels[k], ticks[k], B + 5, HAlign::Center, VAlign::Top);
    }
    // Title centred over the frame, bottom at top - w, dark blue.
    expectText(c, "Sun: 2004/05/01: 10.00[cm]", (L + R) / 2, T - 5, HAlign::Center, VAlign::Bottom);
    EXPECT_EQ(c.findText("Sun: 2004/05/01: 10.00[cm]")->textColour, 0x0064201eu);
    // Automatic axis label of channel 1 above the left edge.
    expectText(c, "Ta,I", L - 5, T - 5, HAlign::Right, VAlign::Bottom);

    const PlotGeometry& g = b.wb.geometry;
    EXPECT_TRUE(g.valid);
    EXPECT_EQ((Rect{g.left, g.top, g.right, g.bottom}), (Rect{L, T, R, B}));
    EXPECT_DOUBLE_EQ(g.pixelsPerPoint, 550.0 / 80);
    EXPECT_EQ(g.viewBegin, 10);
    EXPECT_EQ(g.viewEnd, 90);
    EXPECT_EQ(g.gridColumns, 0);

    // The main title replaces the automatic one; the wavelength is 0 for
    // a frequency that is not positive.
    b.wb.view.mainTitle = "Eclipse";
    b.wb.view.leftAxisTitle = "K";
    b.paint();
    EXPECT_NE(b.canvas.findText("Eclipse"), nullptr);
    EXPECT_NE(b.canvas.findText("K"), nullptr);
    b.wb.view.mainTitle = "%auto";
    b.wb.activeScan->frequency = 0;
    b.paint();
    EXPECT_NE(b.canvas.findText("Sun: 2004/05/01: 0.00[cm]"), nullptr);

    // "View scale" off: no labels, title or axes, curves still drawn.
    b.wb.view.viewScale = false;
    b.paint();
    EXPECT_TRUE(b.canvas.texts().empty());
    EXPECT_EQ(b.curves(b.colour(kRgbDataI)).size(), 1u);
}

TEST(PlotPainter, NothingBeyondTheBackgroundWithoutScansSelectionOrRoom)
{
    PlotBench b;
    b.paint();
    EXPECT_EQ(b.canvas.calls.size(), 1u); // the white fill
    EXPECT_FALSE(b.wb.geometry.valid);

    b.load(plotScan(3, 101, constant(1), nullptr));
    b.wb.chkDataI = b.wb.chkDataV = false;
    b.paint();
    EXPECT_TRUE(b.canvas.ofKind(K::Rectangle).empty());
    EXPECT_FALSE(b.wb.geometry.valid);

    b.wb.chkDataI = true;
    RecordingCanvas tiny(150, 90);
    paintPlot(b.wb, tiny, b.layout); // right < left, bottom < top
    EXPECT_TRUE(tiny.ofKind(K::Rectangle).empty());
    EXPECT_FALSE(b.wb.geometry.valid);
}

TEST(PlotPainter, CurvesSkipPointsSharingAPixelColumn)
{
    // Direct: 0.4 pixels per point, so points 0-2 share column 0 and the
    // path goes from point 0 straight to point 3.
    RecordingCanvas c(100, 100);
    PlotFrame f;
    f.canvas = &c;
    f.left = 10;
    f.right = 14;
    f.top = 0;
    f.bottom = 60;
    f.viewBegin = 0;
    f.viewEnd = 10;
    std::vector<float> a(11);
    for (int i = 0; i < 11; ++i)
        a[std::size_t(i)] = float(i * 10);
    const AxisRange axis{0, 100};
    const auto pts = curvePoints(f, a.data(), 11, axis);
    std::vector<int> taken;
    for (int i = 0, col = -1; i <= 10; ++i) {
        if (i * 4 / 10 > col) { // integer column of point i
            col = i * 4 / 10;
            taken.push_back(i);
        }
    }
    ASSERT_EQ(taken, (std::vector<int>{0, 3, 5, 8, 10}));
    ASSERT_EQ(pts.size(), taken.size());
    for (std::size_t k = 0; k < pts.size(); ++k) {
        EXPECT_EQ(pts[k].x, 10 + taken[k] * 4 / 10);
        EXPECT_EQ(pts[k].y, expectedY(a[std::size_t(taken[k])], 0, 100, 0, 60));
    }

    // Through the painter: 0.25 pixels per point, the three points after
    // each column's first are never visited; non-finite samples are
    // skipped, the stretch of the path ends at viewEnd.
    PlotBench b;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    b.load(plotScan(3, 2300, [&](int i) { return i == 8 ? nan : i % 4 == 0 ? 0.f : 1000.f; }, nullptr));
    b.show(0, 2200); // 550 pixels for 2200 points
    b.paint();
    const auto curves = b.curves(b.colour(kRgbDataI));
    ASSERT_EQ(curves.size(), 1u);
    const auto& p = curves[0]->points;
    ASSERT_EQ(p.size(), 551u);
    const PlotGeometry& g = b.wb.geometry;
    const int y0 = expectedY(0, g.minI, g.maxI, g.top, g.bottom);
    EXPECT_EQ(p[0], (Point{PlotBench::kLeft, y0}));
    EXPECT_EQ(p[1], (Point{PlotBench::kLeft + 1, y0}));
    // Point 8 is NaN: column 2 starts with point 9.
    EXPECT_EQ(p[2], (Point{PlotBench::kLeft + 2, expectedY(1000, g.minI, g.maxI, g.top, g.bottom)}));
    EXPECT_EQ(p[3], (Point{PlotBench::kLeft + 3, y0}));
    EXPECT_EQ(p.back().x, PlotBench::kRight);
}

TEST(PlotPainter, ArraysInTheirOrderPensAndAxes)
{
    PlotBench b;
    auto s = plotScan(3, 101, constant(100), constant(200), constant(-30), constant(-40));
    s->flagIvData = 1; // Data holds R, L
    s->fluxData = 1;
    b.load(std::move(s));
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.show(10, 90);
    b.paint();
    const auto polys = b.canvas.ofKind(K::Polyline);
    ASSERT_EQ(polys.size(), 4u);
    const Pen expected[] = {{b.colour(kRgbDataI), PenStyle::Solid, 0},
                            {b.colour(kRgbDataV), PenStyle::Solid, 0},
                            {b.colour(kRgbWorkI), PenStyle::Dot, 0},
                            {b.colour(kRgbWorkV), PenStyle::Dot, 0}};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(polys[std::size_t(k)]->pen, expected[k]) << k;
    // Both arrays of each channel shown with different flags: " " and a
    // blank letter; channel 2 on the right.
    const int R = PlotBench::kRight, T = PlotBench::kTop;
    expectText(b.canvas, "  ", PlotBench::kLeft - 5, T - 5, HAlign::Right, VAlign::Bottom);
    EXPECT_EQ(b.canvas.countText("  "), 2);

    // Data only: "Flx,R" and "Flx,L"; colour drawing off gives black.
    b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.wb.view.colour = false;
    b.paint();
    expectText(b.canvas, "Flx,R", PlotBench::kLeft - 5, T - 5, HAlign::Right, VAlign::Bottom);
    expectText(b.canvas, "Flx,L", R + 5, T - 5, HAlign::Left, VAlign::Bottom);
    EXPECT_EQ(b.curves(kBlack).size(), 2u);
    EXPECT_EQ(b.canvas.findText("Sun: 2004/05/01: 10.00[cm]")->textColour, kBlack);

    // Channel 2 alone takes the left edge and the left scale bar place.
    b.wb.chkDataI = b.wb.chkDataV = false;
    b.wb.chkWrkV = true;
    b.paint();
    expectText(b.canvas, "Ta,V", PlotBench::kLeft - 5, T - 5, HAlign::Right, VAlign::Bottom);
    EXPECT_EQ(b.canvas.countText("Ta,V") + b.canvas.countText("Flx,L"), 1);
}

TEST(PlotPainter, ScaleBarAndDigitalFrame)
{
    EXPECT_DOUBLE_EQ(scaleBarValue(1000), 200); // d = 1.000000e+02
    EXPECT_DOUBLE_EQ(scaleBarValue(95), 10);    // 9.500000e+00
    EXPECT_DOUBLE_EQ(scaleBarValue(120), 20);   // 1.200000e+01
    EXPECT_DOUBLE_EQ(scaleBarValue(0.37), 0.04);
    EXPECT_EQ(scaleBarValue(0), 0);
    EXPECT_EQ(scaleBarValue(std::numeric_limits<double>::infinity()), 0);

    PlotBench b;
    b.load(plotScan(3, 101, constant(555), nullptr)); // axis [490, 610]
    b.show(10, 90);
    b.paint();
    const int L = PlotBench::kLeft, T = PlotBench::kTop, B = PlotBench::kBottom;
    // Bar at left + 3w from top + w down by (bottom - y1)*20/120 pixels.
    const int x = L + 15, y1 = T + 5, y2 = y1 + (B - y1) * 20 / 120;
    EXPECT_TRUE(hasSegment(b.canvas, {x, y1}, {x, y2}));
    EXPECT_TRUE(hasSegment(b.canvas, {x - 5, y1}, {x + 5, y1}));
    EXPECT_TRUE(hasSegment(b.canvas, {x - 5, y2}, {x + 5, y2}));
    expectText(b.canvas, "20", x + 7, (y1 + y2) / 2 - 7, HAlign::Left, VAlign::Top);

    b.wb.view.digFrame = true;
    b.paint();
    const int q = (B - T - 5) / 4;
    EXPECT_TRUE(hasSegment(b.canvas, {L, T + 5}, {L - 5, T + 5}));
    const char* values[] = {"520", "550", "580"};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(hasSegment(b.canvas, {L, B - k * q}, {L - 5, B - k * q}));
        expectText(b.canvas, values[k - 1], L - 7, B - k * q - 7, HAlign::Right, VAlign::Top);
    }
    expectText(b.canvas, "610", L - 7, T + 10, HAlign::Right, VAlign::Top);
    expectText(b.canvas, "490", L - 7, B - 5, HAlign::Right, VAlign::Bottom);
    EXPECT_EQ(b.canvas.findText("20"), nullptr);
}

TEST(PlotPainter, GaussianComponentsAndResidual)
{
    PlotBench b;
    auto s = plotScan(3, 101, constant(0), constant(10));
    // Two components on channel 1; the second is current.
    s->gauss = {2, 1, 2, /*A, s, p, y0*/ 100, 2, 50.5f, 0, 40, 1, 20, 0};
    b.load(std::move(s));
    b.wb.chkDataI = false;
    b.wb.chkWrkI = true;
    b.show(10, 90);
    b.paint();
    const PlotGeometry& g = b.wb.geometry;
    const auto current = b.curves(b.colour(kRgbSunD));
    const auto others = b.curves(b.colour(kRgbGauss), PenStyle::Dot);
    ASSERT_EQ(current.size(), 1u);
    ASSERT_EQ(others.size(), 1u);
    // First component: n = trunc(sqrt(log2 1000)*2) + 1 = 7 points each
    // side of 50, standing on the mean of the worksheet at 10 and 90.
    ASSERT_EQ(others[0]->points.size(), 15u);
    for (std::size_t k = 0; k < 15; ++k) {
        const int i = 43 + int(k);
        const double v = 100 * std::exp(-0.693147 * (i - 50.5) * (i - 50.5) / 4) + 10;
        EXPECT_EQ(others[0]->points[k].x, g.left + int((i - 10) * g.pixelsPerPoint)) << i;
        EXPECT_EQ(others[0]->points[k].y, expectedY(v, g.minI, g.maxI, g.top, g.bottom)) << i;
    }
    // Second: reach trunc(3.157) + 1 = 4 each side of 20.
    EXPECT_EQ(current[0]->points.size(), 9u);

    // Residual: worksheet minus both components, not below the axis minimum.
    b.wb.view.residual = true;
    b.paint();
    const auto wrk = b.curves(b.colour(kRgbWorkI), PenStyle::Dot);
    ASSERT_EQ(wrk.size(), 2u); // the worksheet and the residual
    const auto& res = wrk[1]->points;
    const std::size_t at50 = std::size_t(50 - 10); // one point per column here
    const double r50 = std::max(10 - 100 * std::exp(-0.693147 * 0.25 / 4), double(g.minI));
    EXPECT_EQ(res[at50].y, expectedY(r50, g.minI, g.maxI, g.top, g.bottom));
    EXPECT_EQ(res[0].y, expectedY(10, g.minI, g.maxI, g.top, g.bottom));

    // A table of channel 2 while channel 2 is hidden draws nothing; so do
    // broken components.
    b.wb.activeScan->gauss[1] = 0;
    b.paint();
    EXPECT_TRUE(b.curves(b.colour(kRgbSunD)).empty());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    b.wb.activeScan->gauss = {3, 1, 1, nan, 2, 50, 0, 100, 0, 50, 0, 5, 1, 1e30f, 0};
    b.paint();
    EXPECT_TRUE(b.curves(b.colour(kRgbGauss), PenStyle::Dot).empty());
    EXPECT_TRUE(b.curves(b.colour(kRgbSunD)).empty());
    b.wb.activeScan->gauss = {1e9f, 1, 1, 100, 2, 50, 0}; // count beyond the table
    b.paint();
    EXPECT_EQ(b.curves(b.colour(kRgbSunD)).size(), 1u);
}

TEST(PlotPainter, MagneticFieldLabels)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(0), nullptr, constant(0), [](int i) { return i < 50 ? 40.f : -40.f; }));
    b.wb.chkWrkV = true;
    b.show(10, 90);
    b.wb.magField = {{45, 1234.f}, {55, -567.f}, {30, 999.f}, {70, 999.f}, {31, 2550.f}, {500, 10.f}};
    b.paint();
    const PlotGeometry& g = b.wb.geometry;
    auto x = [&](int i) { return g.left + int((i - 10) * g.pixelsPerPoint); };
    const int yUp = expectedY(40, g.minV, g.maxV, g.top, g.bottom);
    const int yDown = expectedY(-40, g.minV, g.maxV, g.top, g.bottom);
    expectText(b.canvas, "1230G", x(45), yUp - 14 - 5, HAlign::Center, VAlign::Top);
    expectText(b.canvas, "-560G", x(55), yDown + 5, HAlign::Center, VAlign::Top);
    expectText(b.canvas, "2550G", x(31), yUp - 19, HAlign::Center, VAlign::Top);
    EXPECT_EQ(b.canvas.findText("990G"), nullptr); // 30 and 70 are not strictly inside
    EXPECT_EQ(b.canvas.findText("10G"), nullptr);

    // Kept inside the frame.
    b.wb.activeScan->wrkV()[45] = 1e6f;
    b.wb.magField = {{45, 1234.f}};
    b.paint();
    EXPECT_EQ(b.canvas.findText("1230G")->points[0].y, g.top + 3);
    // No labels without channel 2.
    b.wb.chkDataV = b.wb.chkWrkV = false;
    b.paint();
    EXPECT_EQ(b.canvas.findText("1230G"), nullptr);
    // Close forgets the table.
    b.wb.closeSet(false);
    EXPECT_TRUE(b.wb.magField.empty());
}

TEST(PlotPainter, SolarCentreLinesAndUnderlays)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(0), nullptr)); // centre 50, radius 60, step 2
    b.show(10, 90);
    std::vector<PlotGeometry> disks;
    b.wb.sunDiskPainter = [&](Workbench&, Canvas&, const ScanRecord&, const PlotGeometry& f) { disks.push_back(f); };
    b.wb.view.sunCenter = true;
    b.wb.view.sunDisk = true;
    b.paint();
    const int L = PlotBench::kLeft, R = PlotBench::kRight, T = PlotBench::kTop, B = PlotBench::kBottom;
    const auto clips = b.canvas.ofKind(K::Clip);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0]->rect, (Rect{L + 5, T + 5, R - 5, B - 5}));
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_EQ(disks[0].left, L);
    EXPECT_EQ(disks[0].bottom, B);
    // Centre 50 and limbs 50 -/+ 60/2.
    std::vector<int> xs;
    for (const Segment& s : b.canvas.segments())
        if (s.pen == Pen{b.colour(kRgbSunC), PenStyle::Dot, 0}) {
            EXPECT_EQ(s.from.y, T);
            EXPECT_EQ(s.to.y, B);
            xs.push_back(s.from.x);
        }
    auto at = [&](int p) { return L + (p - 10) * (R - L) / 80; };
    EXPECT_EQ(xs, (std::vector<int>{at(50), at(20), at(80)}));

    // Zero step: only the centre; a limb at point 0 or on the range's end
    // is not drawn; no radius: nothing at all.
    b.wb.activeScan->step = 0;
    b.paint();
    int lines = 0;
    for (const Segment& s : b.canvas.segments())
        lines += s.pen.colour == b.colour(kRgbSunC);
    EXPECT_EQ(lines, 1);
    b.wb.activeScan->step = 2;
    b.wb.activeScan->radius = 80; // limbs at 10 and 90: on the ends
    b.paint();
    lines = 0;
    for (const Segment& s : b.canvas.segments())
        lines += s.pen.colour == b.colour(kRgbSunC);
    EXPECT_EQ(lines, 1);
    disks.clear();
    for (float radius : {0.f, -5.f, std::numeric_limits<float>::quiet_NaN()}) {
        b.wb.activeScan->radius = radius;
        b.paint();
        EXPECT_TRUE(b.canvas.ofKind(K::Clip).empty());
    }
    EXPECT_TRUE(disks.empty());
}

TEST(PlotPainter, PageOutputForcesFontAndPenWidth)
{
    PlotBench b;
    b.load(plotScan(3, 101, constant(555), nullptr));
    b.show(10, 90);
    RecordingCanvas page(1000, 800, 99);
    PlotLayout layout{10, 10, 10, 25, 3, true};
    paintPlot(b.wb, page, layout);
    const PlotGeometry& g = b.wb.geometry;
    EXPECT_EQ(g.textHeight, 25);
    EXPECT_EQ(g.charWidth, 10);
    // 17w, h + w + margin.
    EXPECT_EQ((Rect{g.left, g.top, g.right, g.bottom}), (Rect{170, 45, 1000 - 10 - 170, 800 - 45}));
    for (const CanvasCall* c : page.ofKind(K::Text))
        EXPECT_EQ(c->fontHeight, 25);
    int pens = 0;
    for (const CanvasCall* c : page.ofKind(K::Pen)) {
        EXPECT_EQ(c->pen.width, 3);
        ++pens;
    }
    EXPECT_GT(pens, 0);
    // A printer keeps the font it was given and its measured metrics.
    RecordingCanvas printer(1000, 800, 20);
    paintPlot(b.wb, printer, {10, 10, 10, 0, 1, true});
    EXPECT_TRUE(printer.ofKind(K::Font).empty());
    EXPECT_EQ(b.wb.geometry.textHeight, 20);
    EXPECT_EQ(b.wb.geometry.charWidth, 8);
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
    b.wb.settings.minYscaleI = nan;
    for (auto [from, to] : {std::pair{5, 5}, {40, 10}, {-20, 500}, {0, 63}, {63, 63}}) {
        b.show(from, to);
        b.wb.view.digFrame = !b.wb.view.digFrame;
        b.paint();
        const PlotGeometry& g = b.wb.geometry;
        EXPECT_TRUE(std::isfinite(g.minI) && std::isfinite(g.maxI) && g.maxI > g.minI) << from << " " << to;
        EXPECT_TRUE(std::isfinite(g.pixelsPerPoint));
        for (const Segment& seg : b.canvas.segments()) {
            EXPECT_LE(std::abs(seg.to.x), 40000);
            EXPECT_LE(std::abs(seg.to.y), 40000);
        }
    }
    // An all-equal scan: a flat line in the middle of its minimum range.
    PlotBench flat;
    flat.load(plotScan(3, 50, constant(7), nullptr));
    flat.paint();
    const auto c = flat.curves(flat.colour(kRgbDataI));
    ASSERT_EQ(c.size(), 1u);
    for (const Point& p : c[0]->points)
        EXPECT_EQ(p.y, c[0]->points[0].y);
}

} // namespace
} // namespace qm::test
