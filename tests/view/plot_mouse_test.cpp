#include "view/plot_mouse.h"

#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::Bench;
using qm::test::makeScan;
using qm::test::scansOf;

namespace {

// A 1000-point scan, 2" a point, centre at point 400, radius 960", shown
// from 100 to 300 in a frame 400 pixels wide (2 pixels a point) whose curve
// area is 400 pixels high; channel 1 from 0 to 1000, channel 2 -100..100.
struct MouseBench : Bench {
    PlotMouse mouse;

    MouseBench()
    {
        load(scansOf(qm::test::solarScan(1000, 2.0f, 400, 960)));
        show(100, 300);
    }
    void show(int begin, int end)
    {
        wb.viewBegin = begin;
        wb.viewEnd = end;
        PlotGeometry& g = wb.geometry;
        g = qm::test::frameGeometry(100, 500, 50, 460, begin, end);
        g.minI = 0;
        g.maxI = 1000;
        g.minV = -100;
        g.maxV = 100;
    }
    std::pair<int, int> range() const { return {wb.viewBegin, wb.viewEnd}; }
    bool drag(int from, int to)
    {
        mouse.rightDown(wb, from, 200);
        mouse.move(wb, to, 210, true);
        return mouse.rightUp(wb, to, 210);
    }
};

} // namespace

TEST(PlotMouse, LeftClickReadout)
{
    MouseBench b;
    b.mouse.leftDown(b.wb, 300, 260);
    EXPECT_EQ(b.ui.statuses.back(), "i=200 X_sun=-400.0\"(-0.42 solar radius) Ti=500.0 K; Tv=0.0 K");
    // Beyond the frame the index stays in the shown range; X follows the cursor.
    b.mouse.leftDown(b.wb, 600, 60);
    EXPECT_EQ(b.ui.statuses.back(), "i=300 X_sun=-100.0\"(-0.10 solar radius) Ti=1000.0 K; Tv=100.0 K");
    b.mouse.leftDown(b.wb, 0, 460);
    EXPECT_EQ(b.ui.statuses.back(), "i=100 X_sun=-700.0\"(-0.73 solar radius) Ti=0.0 K; Tv=-100.0 K");
    // A channel that is not shown reads 0, and so does the radius ratio
    // of a scan without a radius.
    b.wb.chkDataV = false;
    b.wb.activeScan->radius = 0;
    b.mouse.leftDown(b.wb, 301, 260);
    EXPECT_EQ(b.ui.statuses.back(), "i=200 X_sun=-399.0\"(0.00 solar radius) Ti=500.0 K; Tv=0.0 K");
    // Nothing before the first paint or without a set.
    const auto n = b.ui.statuses.size();
    b.wb.geometry.valid = false;
    b.mouse.leftDown(b.wb, 300, 260);
    Bench empty;
    PlotMouse m;
    m.leftDown(empty.wb, 300, 260);
    EXPECT_EQ(b.ui.statuses.size(), n);
    EXPECT_TRUE(empty.ui.statuses.empty());
}

TEST(PlotMouse, RightDragZoomsWithThresholdAndFrameRule)
{
    MouseBench b;
    b.mouse.rightDown(b.wb, 200, 100);
    b.mouse.move(b.wb, 209, 120, true);
    ASSERT_TRUE(b.mouse.dragRect());
    EXPECT_EQ(*b.mouse.dragRect(), (Rect{200, 50, 209, 460}));
    EXPECT_EQ(b.ui.statuses.back(), "Delta X=9.00\"");
    EXPECT_FALSE(b.mouse.rightUp(b.wb, 209, 120));
    EXPECT_FALSE(b.mouse.dragRect());
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300})); // 9 pixels: no zoom

    const int redraws = b.ui.redraws;
    EXPECT_FALSE(b.drag(300, 200));
    EXPECT_EQ(b.range(), (std::pair<int, int>{150, 200}));
    EXPECT_EQ(b.ui.redraws, redraws + 1);

    // A release outside the frame takes the whole frame from the old begin.
    b.show(100, 300);
    b.drag(200, 700);
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300}));
    b.show(100, 300);
    b.drag(90, 300);
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300}));
}

TEST(PlotMouse, ZoomRangeClamps)
{
    MouseBench b;
    b.show(0, 999); // 400/999 pixels a point
    b.drag(100, 110);
    EXPECT_EQ(b.range(), (std::pair<int, int>{2, 24})); // begin at least 2
    b.show(0, 999);
    b.drag(490, 500);
    EXPECT_EQ(b.range(), (std::pair<int, int>{974, 997})); // 390*999/400 = 974.0; end at most n - 3
    b.show(990, 999);
    b.drag(480, 500);
    EXPECT_EQ(b.range(), (std::pair<int, int>{3, 997})); // a begin past n - 3 becomes 3
    b.show(100, 120); // 20 pixels a point
    b.drag(200, 210);
    EXPECT_EQ(b.range(), (std::pair<int, int>{105, 106})); // equal ends part by one

    // A tiny scan still ends with a range inside it.
    Bench t;
    t.load(scansOf(makeScan(5.0f, "2004/05/01", "09:00:00", 4)));
    t.wb.geometry = b.wb.geometry;
    PlotMouse m;
    m.rightDown(t.wb, 100, 100);
    m.move(t.wb, 200, 100, true);
    m.rightUp(t.wb, 200, 100);
    EXPECT_GE(t.wb.viewBegin, 0);
    EXPECT_LE(t.wb.viewBegin, t.wb.viewEnd);
    EXPECT_LE(t.wb.viewEnd, 3);
}

TEST(PlotMouse, RightClickPopupAndDoubleClick)
{
    MouseBench b;
    b.mouse.rightDown(b.wb, 200, 100);
    EXPECT_TRUE(b.mouse.rightUp(b.wb, 200, 100)); // a click opens the pop-up menu
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300}));
    // Any move cancels the click; a short drag then does nothing at all.
    b.mouse.rightDown(b.wb, 200, 100);
    b.mouse.move(b.wb, 201, 100, true);
    EXPECT_FALSE(b.mouse.rightUp(b.wb, 200, 100));
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300}));
    // A release without a press (the press went to another window).
    EXPECT_FALSE(b.mouse.rightUp(b.wb, 200, 100));
    // No pop-up without a set.
    Bench empty;
    PlotMouse m;
    m.rightDown(empty.wb, 200, 100);
    EXPECT_FALSE(m.rightUp(empty.wb, 200, 100));

    std::vector<std::pair<int, int>> clicks;
    b.mouse.leftDoubleClick(b.wb, 10, 20); // no mode on: nothing
    b.wb.plotDoubleClickHook = [&](Workbench& wb, int x, int y) {
        clicks.emplace_back(x, y);
        wb.plotDoubleClickHook = nullptr; // the mode ends itself
    };
    b.mouse.leftDoubleClick(b.wb, 250, 300);
    b.mouse.leftDoubleClick(b.wb, 251, 300);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{250, 300}}));
}

TEST(PlotMouse, ArrayViewCellChoice)
{
    Bench b;
    b.load(scansOf(makeScan(3.0f, "2004/05/01"), makeScan(4.0f, "2004/05/02"), makeScan(5.0f, "2004/05/03"),
                   makeScan(6.0f, "2004/05/04"), makeScan(7.0f, "2004/05/05")));
    for (const auto& r : b.wb.scans)
        b.wb.groupScans.push_back(r.get());
    b.wb.setGroupView(1);
    PlotGeometry& g = b.wb.geometry;
    g = qm::test::frameGeometry(0, 200, 33, 183, b.wb.viewBegin, b.wb.viewEnd); // the first cell
    g.gridColumns = 3;
    g.gridRows = 2;
    g.cellWidth = 200;
    g.cellHeight = 150;
    g.gridTop = 33;
    PlotMouse m;
    m.leftDown(b.wb, 250, 200); // column 1, row 1: the fifth scan
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[4]);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar : 2004/05/05");
    EXPECT_EQ(b.wb.isEnabled(107), b.wb.scans.next(b.wb.activeScan) != nullptr);
    m.leftDown(b.wb, 450, 200); // would be the sixth cell: no scan there
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[4]);
    m.leftDown(b.wb, 50, 20); // above the grid
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[4]);
    m.rightDown(b.wb, 450, 100); // the right button chooses too
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[2]);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar : 2004/05/03");
    m.rightUp(b.wb, 450, 100);
    // Outside the array view the grid is not consulted.
    b.wb.setGroupView(3);
    m.leftDown(b.wb, 50, 40);
    EXPECT_EQ(b.wb.activeScan, b.wb.groupScans[2]);
}
