#include "view/full_scan_view.h"

#include "tests/app/scan_fixture.h"
#include "view/recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using qm::test::Bench;
using qm::test::makeScan;
using qm::test::scansOf;

namespace {

RecordingCanvas paint(const FullScanState& st, int w = 100, int h = 80)
{
    RecordingCanvas c(w, h);
    paintFullScan(c, st, w, h);
    return c;
}

} // namespace

TEST(FullScan, MaskRectangleOverTheShownRange)
{
    Bench b;
    b.load(scansOf(makeScan(5.0f, "2004/05/01", "09:00:00", 100)));
    b.wb.chkDataV = b.wb.chkWrkV = false;
    b.wb.viewBegin = 10;
    b.wb.viewEnd = 60;
    const RecordingCanvas c = paint(fullScanState(b.wb));
    // The mark: a red rectangle over the full height from 10*100/100 to 60,
    // then the black outline.
    const auto rects = c.ofKind(CanvasCall::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->rect, (Rect{10, 0, 60, 80}));
    EXPECT_EQ(rects[0]->pen.colour, 0x003232c8u);
    EXPECT_EQ(rects[1]->rect, (Rect{0, 0, 100, 80}));
    // Worksheet I = 100 + i over 0..99: y = 80 - trunc((v - 100)/99*70) - 5.
    const auto segs = c.segments();
    ASSERT_EQ(segs.size(), 99u);
    EXPECT_EQ(segs.front().from, (Point{0, 75}));
    EXPECT_EQ(segs.front().to, (Point{1, 80 - int(std::trunc(1 / 99.0 * 70)) - 5}));
    EXPECT_EQ(segs.back().to, (Point{99, 5}));
}

TEST(FullScan, BadSamplesStayInsideAndNoScanDrawsNothing)
{
    EXPECT_TRUE(paint(FullScanState{}).calls.empty());
    auto s = makeScan(5.0f, "2004/05/01", "09:00:00", 50);
    s->wrkI()[0] = std::nanf("");
    s->wrkI()[10] = INFINITY;
    s->wrkI()[20] = -3e38f;
    s->wrkI()[30] = 3e38f;
    FullScanState st{s.get(), 0, 0, true, false};
    const auto segs = paint(st).segments();
    ASSERT_FALSE(segs.empty());
    for (const Segment& g : segs) {
        EXPECT_GE(g.to.y, 0);
        EXPECT_LE(g.to.y, 80);
    }
}
