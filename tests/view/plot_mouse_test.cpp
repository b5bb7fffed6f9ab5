#include "view/plot_mouse.h"

#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::Bench;
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
    // Nothing before the first paint.
    const auto n = b.ui.statuses.size();
    b.wb.geometry.valid = false;
    b.mouse.leftDown(b.wb, 300, 260);
    EXPECT_EQ(b.ui.statuses.size(), n);
}

TEST(PlotMouse, RightDragZoomsAboveNinePixelsAndFrameRule)
{
    MouseBench b;
    b.mouse.rightDown(b.wb, 200, 100);
    b.mouse.move(b.wb, 209, 120, true);
    EXPECT_EQ(b.ui.statuses.back(), "Delta X=9.00\"");
    EXPECT_FALSE(b.mouse.rightUp(b.wb, 209, 120));
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300})); // 9 pixels: no zoom

    EXPECT_FALSE(b.drag(300, 200));
    EXPECT_EQ(b.range(), (std::pair<int, int>{150, 200}));

    // A release outside the frame takes the whole frame from the old begin.
    b.show(100, 300);
    b.drag(200, 700);
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 300}));

    // Clamps: end at most n - 3.
    b.show(0, 999);
    b.drag(490, 500);
    EXPECT_EQ(b.range(), (std::pair<int, int>{974, 997}));
}

// The wheel zooms about the point under the cursor in whole points, out to
// the whole scan and no further, in to a few points and no further.
TEST(PlotMouse, WheelZoomsAboutTheCursorWithinTheScan)
{
    MouseBench b;
    b.mouse.wheel(b.wb, 200, 1); // point 150 under the cursor: 200 points become 160
    EXPECT_EQ(b.range(), (std::pair<int, int>{110, 270}));
    b.show(100, 300);
    b.mouse.wheel(b.wb, 100, -1); // the left edge stays: 250 points
    EXPECT_EQ(b.range(), (std::pair<int, int>{100, 350}));
    for (int k = 0; k < 40; ++k) {
        b.show(b.wb.viewBegin, b.wb.viewEnd);
        b.mouse.wheel(b.wb, 499, -3);
    }
    EXPECT_EQ(b.range(), (std::pair<int, int>{1, 998}));
    for (int k = 0; k < 60; ++k) {
        b.show(b.wb.viewBegin, b.wb.viewEnd);
        b.mouse.wheel(b.wb, 100, 2);
    }
    EXPECT_EQ(b.wb.viewEnd - b.wb.viewBegin, PlotMouse::kMinWheelSpan);
    EXPECT_GE(b.wb.viewBegin, 1);
    // Nothing painted yet: zooms about the middle; no set: nothing.
    b.show(100, 300);
    b.wb.geometry.valid = false;
    b.mouse.wheel(b.wb, 100000, 1);
    EXPECT_EQ(b.range(), (std::pair<int, int>{120, 280}));
    b.wb.closeSet(false);
    b.mouse.wheel(b.wb, 200, 1);
}
