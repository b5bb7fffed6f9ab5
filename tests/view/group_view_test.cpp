#include "tests/view/plot_fixture.h"
#include "view/group_view.h"
#include "view/plot_mouse.h"
#include "view/y_range.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace qm::test {
namespace {

using K = CanvasCall;

// Loads scans of the given frequencies and shows them as a group in
// descending frequency (the order the group dialog gives).
void showGroup(PlotBench& b, const std::vector<float>& freqs, int mode, Fill wrkI = constant(100))
{
    std::vector<std::unique_ptr<ScanRecord>> scans;
    for (float f : freqs)
        scans.push_back(plotScan(f, 50, constant(0), wrkI));
    b.load(std::move(scans));
    b.wb.groupScans.clear();
    for (int k = b.wb.scans.count() - 1; k >= 0; --k)
        b.wb.groupScans.push_back(b.wb.scans.at(k));
    b.wb.setGroupView(mode);
}

TEST(GroupView, ArrayGridsAndCells)
{
    const std::pair<int, GridShape> grids[] = {{0, {0, 0}}, {1, {2, 1}}, {3, {2, 2}}, {5, {3, 2}}, {7, {3, 3}}, {12, {3, 3}}};
    for (const auto& [n, g] : grids) {
        EXPECT_EQ(arrayGrid(n).columns, g.columns) << n;
        EXPECT_EQ(arrayGrid(n).rows, g.rows) << n;
    }
    PlotBench b;
    showGroup(b, {3, 4, 5, 6, 7.5f}, 1);
    b.wb.view.titleParts = kTitleFreq;
    b.paint();
    // Area: x 0..720, y 33..579; the grid leaves h + 10 above it for the
    // title and h + 5 below it for the X labels: y 57..560, 3x2 cells of
    // 240x251.
    const PlotGeometry& g = b.wb.geometry;
    EXPECT_EQ(g.cellWidth, 240);
    EXPECT_EQ(g.cellHeight, 251);
    EXPECT_EQ(g.gridTop, 57);
    // Labels at each cell's top left + (5, 5), in group order.
    const char* labels[] = {"04.00cm", "05.00cm", "06.00cm", "07.50cm", "10.00cm"};
    for (int k = 0; k < 5; ++k) {
        const CanvasCall* t = b.canvas.findText(labels[k]);
        ASSERT_NE(t, nullptr) << k;
        EXPECT_EQ(t->points[0], (Point{(k % 3) * 240 + 5, 57 + (k / 3) * 251 + 5})) << k;
    }
    // The active scan (last in the group) is outlined.
    std::vector<Rect> outlined;
    for (const CanvasCall* r : b.canvas.ofKind(K::Rectangle))
        if (r->pen.colour == b.colour(kRgbSelG))
            outlined.push_back(r->rect);
    EXPECT_EQ(outlined, (std::vector<Rect>{{240, 308, 480, 559}}));
    // The group title centred in its band, the X labels of viewBegin = 1
    // and viewEnd = 48 ((i - 50)*2) under the grid's corners.
    const CanvasCall* title = b.canvas.findText("Sun:2004/05/01 05:06:07.25");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->points[0], (Point{360, 52}));
    EXPECT_EQ(title->vAlign, VAlign::Bottom);
    const CanvasCall* left = b.canvas.findText("-98\"");
    const CanvasCall* right = b.canvas.findText("-4\"");
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->points[0], (Point{0, 562}));
    EXPECT_EQ(right->points[0], (Point{720, 562}));
    EXPECT_EQ(right->hAlign, HAlign::Right);

    // On the screen widget (no bars around the plot) and on a page with
    // the largest page font every text lies inside the picture.
    auto expectTextsInside = [](const RecordingCanvas& c, const PlotLayout& layout) {
        const int h = layout.forcedFontHeight > 0 ? layout.forcedFontHeight : 14, w = 2 * h / 5;
        const auto texts = c.texts();
        EXPECT_EQ(texts.size(), 8u); // title, two X labels, five cell labels
        for (const CanvasCall* t : texts) {
            const int width = int(t->text.size()) * w;
            const Point p = t->points[0];
            const int x0 = t->hAlign == HAlign::Left ? p.x : t->hAlign == HAlign::Right ? p.x - width : p.x - width / 2;
            const int y0 = t->vAlign == VAlign::Bottom ? p.y - h : p.y;
            EXPECT_TRUE(x0 >= 0 && x0 + width <= c.width() && y0 >= 0 && y0 + h <= c.height())
                << t->text << " at " << p.x << "," << p.y;
        }
    };
    RecordingCanvas screen(800, 600);
    const PlotLayout widget{0, 0, 0, 0, 0, false};
    paintPlot(b.wb, screen, widget);
    expectTextsInside(screen, widget);
    RecordingCanvas page(800, 600);
    const PlotLayout paper{0, 0, 0, 30, 1, true};
    paintPlot(b.wb, page, paper);
    expectTextsInside(page, paper);
}

TEST(GroupView, StackedOffsetsWithTheSkipGap)
{
    PlotBench b;
    b.wb.settings.minYscaleI = 10;
    b.wb.skipFrequency = 9;
    showGroup(b, {6, 8, 10, 12}, 3, [](int i) { return float(i % 2 * 100); });
    b.wb.chkWrkV = false;
    // Group order 12, 10, 8, 6; the gap starts at 8 GHz. Step
    // max((100 - 0)*0.2, 10) = 20, slots 0, 1, 3, 4.
    b.paint();
    const PlotGeometry& g = b.wb.geometry;
    EXPECT_EQ(g.maxI, 190); // 100 + 80 rounded outward
    EXPECT_EQ(g.minI, -210);
    const auto polys = b.canvas.ofKind(K::Polyline);
    ASSERT_EQ(polys.size(), 5u); // four scans, then the active one on top
    const int slots[] = {0, 1, 3, 4, 4};
    for (std::size_t k = 0; k < 5; ++k) // point viewBegin = 1 holds 100
        EXPECT_EQ(polys[k]->points[0].y,
                  expectedY(100, -210, 190, PlotBench::kTop, PlotBench::kBottom, slots[k] * 20.0))
            << k;
}

TEST(GroupView, NoWorksheetShowsOnlyTheMessage)
{
    PlotBench b;
    showGroup(b, {3, 4, 5}, 2);
    b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.paint();
    const CanvasCall* t = b.canvas.findText("WORKSHEET is not checked");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->points[0], (Point{360, 306 - 7}));
    EXPECT_TRUE(b.canvas.ofKind(K::Polyline).empty());
    EXPECT_FALSE(b.wb.geometry.valid);
    // Empty groups paint nothing in every mode.
    b.wb.chkWrkI = true;
    for (int mode : {1, 2, 3}) {
        b.wb.groupMode = mode;
        b.wb.groupScans.clear();
        b.paint();
        EXPECT_TRUE(b.canvas.ofKind(K::Polyline).empty()) << mode;
    }
}

} // namespace
} // namespace qm::test

namespace qm::test {
namespace {

// The readout of a click in the array view uses the clicked cell's own
// frame and value axes: the same spot in the first and the third cell
// reads the same position, and the value of the third cell's scan.
TEST(GroupView, ArrayReadoutInTheClickedCell)
{
    PlotBench b;
    std::vector<std::unique_ptr<ScanRecord>> scans;
    for (int k = 0; k < 5; ++k)
        scans.push_back(plotScan(3.0f + k, 50, constant(0), constant(100.0f * (k + 1))));
    b.load(std::move(scans));
    b.wb.groupScans.clear();
    for (int k = 0; k < 5; ++k)
        b.wb.groupScans.push_back(b.wb.scans.at(k));
    b.wb.setGroupView(1);
    b.wb.chkDataI = false;
    b.paint();
    const PlotGeometry g = b.wb.geometry;
    ASSERT_EQ(g.gridColumns, 3);
    // The height of 300 K on the third cell's axis (same row as the first).
    const AxisRanges r = scanRanges(*b.wb.groupScans[2], g.viewBegin, g.viewEnd, {false, true, false, false},
                                    b.wb.settings.minYscaleI, b.wb.settings.minYscaleV, false);
    const int yCurve = expectedY(300, r.i.min, r.i.max, g.top, g.bottom);
    const int x = (g.left + g.right) / 2;
    PlotMouse mouse;
    mouse.leftDown(b.wb, x, yCurve);
    const std::string first = b.ui.statuses.back();
    b.wb.geometry = g;
    mouse.leftDown(b.wb, x + 2 * g.cellWidth, yCurve); // third cell, its scan at 300 K
    const std::string third = b.ui.statuses.back();
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[2]);
    const auto xPart = [](const std::string& s) { return s.substr(s.find("X_sun"), s.find("Ti=") - s.find("X_sun")); };
    EXPECT_EQ(xPart(third), xPart(first));
    float ti = 0;
    ASSERT_EQ(std::sscanf(third.c_str() + third.find("Ti="), "Ti=%f", &ti), 1) << third;
    EXPECT_NEAR(ti, 300, 10) << third;
}

} // namespace
} // namespace qm::test
