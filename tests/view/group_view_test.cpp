#include "tests/view/plot_fixture.h"
#include "view/group_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qm::test {
namespace {

using K = CanvasCall;

// Loads scans of the given frequencies and shows them as a group in
// descending frequency (the order the group dialog gives).
void showGroup(PlotBench& b, const std::vector<float>& freqs, int mode, Fill wrkI = constant(100),
               Fill wrkV = nullptr)
{
    std::vector<std::unique_ptr<ScanRecord>> scans;
    for (float f : freqs)
        scans.push_back(plotScan(f, 50, constant(0), wrkI, wrkV ? constant(0) : nullptr, wrkV));
    b.load(std::move(scans));
    b.wb.groupScans.clear();
    for (int k = b.wb.scans.count() - 1; k >= 0; --k)
        b.wb.groupScans.push_back(b.wb.scans.at(k));
    b.wb.setGroupView(mode);
}

TEST(GroupView, LabelsTitlesAndGridShapes)
{
    struct Case {
        float frequency;
        const char *date, *time;
        int parts;
        const char *label, *title;
    };
    const Case cases[] = {
        {3, "2004/05/01", "05:06:07.25", kTitleFreq, "10.00cm", "Sun:2004/05/01 05:06:07.25"},
        {3, "2004/05/01", "05:06:07.25", kTitleDate, "01May", "Sun:2004 10.00cm05:06:07.25"},
        {3, "2004/05/01", "05:06:07.25", kTitleTime, "05:06:07", "Sun:2004/05/01 10.00cm"},
        {3, "2004/05/01", "05:06:07.25", 7, "01May 10.00cm 05:06:07", "Sun:2004 "},
        {3, "2004/05/01", "05:06:07.25", 0, "", "Sun:2004/05/01 10.00cm05:06:07.25"},
        {12, "2004/05/01", "05:06:07.25", kTitleFreq | kTitleTime, "02.50cm 05:06:07", "Sun:2004/05/01 "},
        {12, "2004/05/01", "05:06:07.25", kTitleTime, "05:06:07", "Sun:2004/05/01  2.50cm"},
        {0, "2004/05/01", "05:06:07.25", kTitleFreq, "00.00cm", "Sun:2004/05/01 05:06:07.25"},
        {3, "16.09.2004", "05:06:07.25", kTitleDate, "16Sep", "Sun:2004 10.00cm05:06:07.25"},
        {3, "16.09.2004", "05:06:07.25", 7, "16Sep 10.00cm 05:06:07", "Sun:2004 "},
        {3, "2004/13/01", "05:06:07.25", kTitleDate, "01", "Sun:2004 10.00cm05:06:07.25"},
        {3, "unknown", "05:06:07.25", 7, "00 10.00cm 05:06:07", "Sun:unknown "},
        {3, "2004/05/01", "12.30.15.5", kTitleTime, "12.30.15", "Sun:2004/05/01 10.00cm"},
    };
    auto s = plotScan(3, 10, constant(0), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time + " " + std::to_string(c.parts));
        s->frequency = c.frequency;
        copyField(s->dateObs, c.date);
        copyField(s->timeObs, c.time);
        EXPECT_EQ(groupLabel(*s, c.parts), c.label);
        EXPECT_EQ(groupTitle(*s, c.parts), c.title);
    }
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m) {
        copyField(s->dateObs, format("1999/%02d/07", m));
        EXPECT_EQ(groupLabel(*s, kTitleDate), std::string("07") + months[m - 1]);
    }

    // Array view grids, columns x rows.
    const std::pair<int, GridShape> grids[] = {{0, {0, 0}}, {1, {2, 1}}, {2, {2, 1}}, {3, {2, 2}}, {4, {2, 2}},
                                               {5, {3, 2}}, {6, {3, 2}}, {7, {3, 3}}, {9, {3, 3}}, {12, {3, 3}}};
    for (const auto& [n, g] : grids) {
        EXPECT_EQ(arrayGrid(n).columns, g.columns) << n;
        EXPECT_EQ(arrayGrid(n).rows, g.rows) << n;
    }
}

TEST(GroupView, ArrayViewCellsLabelsAndOutline)
{
    PlotBench b;
    showGroup(b, {3, 4, 5, 6, 7.5f}, 1, constant(100), constant(5));
    b.wb.view.titleParts = kTitleFreq;
    ASSERT_EQ(b.wb.groupMode, 1);
    b.paint();
    const RecordingCanvas& c = b.canvas;
    // Area: x 0..720, y 33..579; 3x2 cells of 240x273.
    const PlotGeometry& g = b.wb.geometry;
    EXPECT_EQ(g.gridColumns, 3);
    EXPECT_EQ(g.gridRows, 2);
    EXPECT_EQ(g.cellWidth, 240);
    EXPECT_EQ(g.cellHeight, 273);
    EXPECT_EQ(g.gridTop, 33);
    EXPECT_EQ((Rect{g.left, g.top, g.right, g.bottom}), (Rect{0, 33, 240, 306}));
    EXPECT_DOUBLE_EQ(g.pixelsPerPoint, 240.0 / 47);

    // Labels at each cell's top left + (5, 5), in group order.
    const char* labels[] = {"04.00cm", "05.00cm", "06.00cm", "07.50cm", "10.00cm"};
    for (int k = 0; k < 5; ++k) {
        const CanvasCall* t = c.findText(labels[k]);
        ASSERT_NE(t, nullptr) << k;
        EXPECT_EQ(t->points[0], (Point{(k % 3) * 240 + 5, 33 + (k / 3) * 273 + 5})) << k;
    }
    // Group title above the area, corner labels below it.
    const CanvasCall* title = c.findText("Sun:2004/05/01 05:06:07.25");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->points[0], (Point{360, 28}));
    ASSERT_NE(c.findText("-98\""), nullptr);
    EXPECT_EQ(c.findText("-98\"")->points[0], (Point{0, 584}));

    // The active scan (lowest frequency, last in the group) is outlined.
    std::vector<Rect> outlined;
    for (const CanvasCall* r : c.ofKind(K::Rectangle))
        if (r->pen.colour == b.colour(kRgbSelG))
            outlined.push_back(r->rect);
    EXPECT_EQ(outlined, (std::vector<Rect>{{240, 306, 480, 579}}));
    // Grid lines over the whole grid.
    int gridLines = 0;
    for (const Segment& s : c.segments())
        gridLines += (s.from == Point{240, 33} && s.to == Point{240, 579}) ||
                     (s.from == Point{0, 306} && s.to == Point{720, 306});
    EXPECT_EQ(gridLines, 2);

    // Each cell: channel order with their pens, spanning its cell.
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.paint();
    const auto polys = b.canvas.ofKind(K::Polyline);
    ASSERT_EQ(polys.size(), 20u);
    const Pen order[] = {{b.colour(kRgbDataI), PenStyle::Solid, 0},
                         {b.colour(kRgbWorkI), PenStyle::Dot, 0},
                         {b.colour(kRgbDataV), PenStyle::Solid, 0},
                         {b.colour(kRgbWorkV), PenStyle::Dot, 0}};
    for (std::size_t k = 0; k < 20; ++k)
        EXPECT_EQ(polys[k]->pen, order[k % 4]) << k;
    EXPECT_EQ(polys[16]->points.front().x, 240);
    EXPECT_EQ(polys[16]->points.back().x, 480);

    // Page output keeps a line above and below the grid.
    RecordingCanvas page(900, 700);
    paintPlot(b.wb, page, {10, 10, 10, 20, 1, true});
    EXPECT_EQ(b.wb.geometry.gridTop, 30);                  // 10 + h
    EXPECT_EQ(b.wb.geometry.cellHeight, (700 - 25 - 30) / 2); // to bottom - h - 5
    EXPECT_EQ(b.wb.geometry.cellWidth, 300);
}

TEST(GroupView, StackedOffsetsSkipGapListAndColours)
{
    PlotBench b;
    b.wb.settings.minYscaleI = 10;
    b.wb.skipFrequency = 9;
    showGroup(b, {6, 8, 10, 12}, 3, [](int i) { return float(i % 2 * 100); });
    b.wb.chkWrkV = false;
    b.wb.view.titleParts = kTitleFreq;
    b.wb.view.groupList = true;
    // Group order 12, 10, 8, 6; the gap starts at 8 GHz. Step
    // max((100 - 0)*0.2, 10) = 20, slots 0, 1, 3, 4.
    b.paint();
    const PlotGeometry& g = b.wb.geometry;
    // Largest shifted value 100 + 80, smallest 0 - 200; rounded outward.
    EXPECT_EQ(g.maxI, 190);
    EXPECT_EQ(g.minI, -210);
    const int T = PlotBench::kTop, B = PlotBench::kBottom;
    const auto polys = b.canvas.ofKind(K::Polyline);
    ASSERT_EQ(polys.size(), 5u); // four scans, then the active one on top
    const Colour colours[] = {b.colour(kRgbGrp1), b.colour(kRgbGrp2), b.colour(kRgbGrp3), b.colour(kRgbSelG),
                              b.colour(kRgbSelG)};
    const int slots[] = {0, 1, 3, 4, 4};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(polys[k]->pen, (Pen{colours[k], PenStyle::Solid, 0})) << k;
        // Point viewBegin = 1 holds 100.
        EXPECT_EQ(polys[k]->points[0].y, expectedY(100, -210, 190, T, B, slots[k] * 20.0)) << k;
    }
    // The list: right-aligned at right - 5, one line per slot from the top.
    const int x = PlotBench::kRight - 5;
    const char* labels[] = {"02.50cm", "03.00cm", "03.75cm", "05.00cm"};
    for (int k = 0; k < 4; ++k) {
        const CanvasCall* t = b.canvas.findText(labels[k]);
        ASSERT_NE(t, nullptr) << k;
        EXPECT_EQ(t->points[0], (Point{x, T + (4 - slots[k] + 2) * 14})) << k;
        EXPECT_EQ(t->hAlign, HAlign::Right);
        EXPECT_EQ(t->textColour, colours[k]);
    }
    const CanvasCall* gap = b.canvas.findText(": : : : ");
    ASSERT_NE(gap, nullptr);
    EXPECT_EQ(gap->points[0], (Point{x, T + 4 * 14}));
    EXPECT_NE(b.canvas.findText("Sun:2004/05/01 05:06:07.25"), nullptr);

    // Outside the frame with one channel side: 17w further right, or six
    // forced font heights on a page.
    b.wb.view.listOutside = true;
    b.paint();
    EXPECT_EQ(b.canvas.findText("02.50cm")->points[0].x, x + 85);
    RecordingCanvas page(800, 600);
    paintPlot(b.wb, page, {32, 20, 80, 10, 0, true});
    EXPECT_EQ(page.findText("02.50cm")->points[0].x, b.wb.geometry.right - 5 + 60);

    // A Gaussian of the second scan stands on its scan's offset.
    b.wb.groupScans[1]->gauss = {1, 1, 1, 50, 2, 25, 0};
    b.paint();
    const auto gauss = b.curves(b.colour(kRgbSunD));
    ASSERT_EQ(gauss.size(), 1u);
    // Base: mean of the worksheet at 1 and 48 = 50; peak 50 at point 25.
    EXPECT_EQ(gauss[0]->points[7].y, expectedY(100, -210, 190, T, B, 20));

    // Without colour drawing everything is black and drawn once.
    b.wb.groupScans[1]->gauss.clear();
    b.wb.view.colour = false;
    b.paint();
    EXPECT_EQ(b.curves(kBlack).size(), 4u);
}

TEST(GroupView, OverlaidRangesCentreLinesAndMissingWorksheets)
{
    PlotBench b;
    showGroup(b, {3, 4, 5}, 2, [](int i) { return -500.f + float(i % 5) * 100; });
    b.wb.chkWrkV = false;
    b.paint();
    // No offsets; the largest value search starts from 0.
    EXPECT_EQ(b.wb.geometry.maxI, 10);
    EXPECT_EQ(b.wb.geometry.minI, -710);
    const auto polys = b.canvas.ofKind(K::Polyline);
    ASSERT_EQ(polys.size(), 4u);
    for (const CanvasCall* p : polys)
        EXPECT_EQ(p->points[0].y, polys[0]->points[0].y);

    // Centre lines need one common centre.
    b.wb.view.sunCenter = true;
    b.paint();
    auto centreLines = [&] {
        int n = 0;
        for (const Segment& s : b.canvas.segments())
            n += s.pen.colour == b.colour(kRgbSunC);
        return n;
    };
    EXPECT_EQ(centreLines(), 1); // 50 - 60/2 only: 50 and 80 lie beyond point 48
    b.wb.groupScans[2]->centerPoint = 51;
    b.paint();
    EXPECT_EQ(centreLines(), 0);

    // Neither worksheet: only the message, centred in the plot area.
    b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.paint();
    const CanvasCall* t = b.canvas.findText("WORKSHEET is not checked");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->points[0], (Point{360, 306 - 7}));
    EXPECT_EQ(t->hAlign, HAlign::Center);
    EXPECT_TRUE(b.canvas.ofKind(K::Rectangle).empty());
    EXPECT_TRUE(b.canvas.ofKind(K::Polyline).empty());
    EXPECT_FALSE(b.wb.geometry.valid);
}

TEST(GroupView, EmptyAndDegenerateGroupsPaintSafely)
{
    PlotBench b;
    showGroup(b, {3, 4}, 3);
    for (int mode : {1, 2, 3}) {
        b.wb.groupMode = mode;
        b.wb.groupScans.clear();
        b.paint();
        EXPECT_TRUE(b.canvas.ofKind(K::Polyline).empty()) << mode;
        b.wb.groupScans = {b.wb.scans.at(0)};
        b.show(20, 20);
        b.paint();
        EXPECT_TRUE(std::isfinite(b.wb.geometry.pixelsPerPoint)) << mode;
        b.show(1, 48);
    }
    // A group that outgrew the array view shows its first nine cells.
    std::vector<std::unique_ptr<ScanRecord>> more;
    for (int k = 0; k < 12; ++k)
        more.push_back(plotScan(10.f + k, 50, constant(0), constant(1)));
    PlotBench many;
    many.load(std::move(more));
    for (int k = 0; k < 12; ++k)
        many.wb.groupScans.push_back(many.wb.scans.at(k));
    many.wb.groupMode = 1;
    many.wb.chkWrkI = true;
    many.paint();
    EXPECT_EQ(many.wb.geometry.gridRows, 3);
    EXPECT_EQ(many.canvas.ofKind(K::Polyline).size(), 18u); // Data and Worksheet I of nine
}

} // namespace
} // namespace qm::test
