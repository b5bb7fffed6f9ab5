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

std::size_t indexOf(const RecordingCanvas& c, const CanvasCall* call) { return std::size_t(call - c.calls.data()); }

} // namespace

TEST(FullScan, WorksheetOverWholeScanAndMaskedRange)
{
    Bench b;
    b.load(scansOf(makeScan(5.0f, "2004/05/01", "09:00:00", 100)));
    b.wb.chkDataI = true;
    b.wb.chkDataV = false;
    b.wb.chkWrkV = false;
    b.wb.viewBegin = 10;
    b.wb.viewEnd = 60;
    const FullScanState st = fullScanState(b.wb);
    EXPECT_EQ(st.scan, b.wb.activeScan);
    EXPECT_TRUE(st.channel1);
    EXPECT_FALSE(st.channel2);
    const RecordingCanvas c = paint(st);

    ASSERT_FALSE(c.calls.empty());
    EXPECT_EQ(c.calls[0].kind, CanvasCall::Fill);
    EXPECT_EQ(c.calls[0].rect, (Rect{0, 0, 100, 80}));
    EXPECT_EQ(c.calls[0].colour, kWhite);

    // The mark: a red rectangle over the full height from 10*100/100 to 60.
    const auto rects = c.ofKind(CanvasCall::Rectangle);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->rect, (Rect{10, 0, 60, 80}));
    EXPECT_EQ(rects[0]->pen.colour, 0x003232c8u); // red 0xC8, green 0x32, blue 0x32
    EXPECT_EQ(rects[0]->brush, (Brush{0x003232ff, false}));
    // The black outline and the curve go over the mark: on a black and
    // white picture that is what masking with AND gives.
    EXPECT_EQ(rects[1]->rect, (Rect{0, 0, 100, 80}));
    EXPECT_TRUE(rects[1]->brush.hollow);
    EXPECT_EQ(rects[1]->pen.colour, kBlack);
    const auto moves = c.ofKind(CanvasCall::MoveTo);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_GT(indexOf(c, moves[0]), indexOf(c, rects[0]));

    // Worksheet I = 100 + i over 0..99: y = 80 - trunc((v - 100)/99*70) - 5.
    const auto segs = c.segments();
    ASSERT_EQ(segs.size(), 99u);
    EXPECT_EQ(segs.front().from, (Point{0, 75}));
    EXPECT_EQ(segs.front().to, (Point{1, 80 - int(std::trunc(1 / 99.0 * 70)) - 5}));
    EXPECT_EQ(segs.back().to, (Point{99, 5}));
    for (const Segment& s : segs)
        EXPECT_EQ(s.pen.colour, kBlack);
}

TEST(FullScan, ColumnSkippingChannelChoiceAndFlatCurves)
{
    Bench b;
    auto only2 = makeScan(5.0f, "2004/05/01", "09:00:00", 300, false, true);
    for (int i = 0; i < 300; ++i)
        only2->wrkV()[i] = 7.0f; // flat worksheet, data left rising
    b.load(scansOf(std::move(only2)));
    // Only "Data V(L)" switched on: the overview draws Worksheet V(L).
    EXPECT_FALSE(b.wb.chkDataI);
    EXPECT_TRUE(b.wb.chkDataV);
    FullScanState st = fullScanState(b.wb);
    EXPECT_FALSE(st.channel1);
    EXPECT_TRUE(st.channel2);
    st.first = st.last = 150; // one point: a vertical line, no rectangle
    RecordingCanvas c = paint(st);
    const auto rects = c.ofKind(CanvasCall::Rectangle);
    ASSERT_EQ(rects.size(), 1u); // the outline only
    const auto segs = c.segments();
    ASSERT_FALSE(segs.empty());
    EXPECT_EQ(segs[0].from, (Point{50, 0}));
    EXPECT_EQ(segs[0].to, (Point{50, 80}));
    EXPECT_EQ(segs[0].pen.colour, 0x003232c8u);
    // 300 points on 100 columns: one line per column after the first; the
    // flat worksheet lies at the bottom (range taken as 1).
    ASSERT_EQ(segs.size(), 1u + 99u);
    for (std::size_t k = 1; k < segs.size(); ++k) {
        EXPECT_EQ(segs[k].to.y, 75);
        EXPECT_EQ(segs[k].to.x, segs[k].from.x + 1);
    }
}

TEST(FullScan, NothingWithoutScanAndNoFaultOnBadSamples)
{
    EXPECT_TRUE(paint(FullScanState{}).calls.empty());

    auto s = makeScan(5.0f, "2004/05/01", "09:00:00", 50);
    s->wrkI()[0] = std::nanf("");
    s->wrkI()[10] = INFINITY;
    s->wrkI()[20] = -3e38f;
    s->wrkI()[30] = 3e38f;
    FullScanState st{s.get(), 0, 0, true, false};
    const RecordingCanvas c = paint(st);
    const auto segs = c.segments();
    ASSERT_FALSE(segs.empty());
    for (const Segment& g : segs) {
        EXPECT_GE(g.to.y, 0);
        EXPECT_LE(g.to.y, 80);
    }
    // Every sample non-finite: the frame and mark only.
    for (int i = 0; i < 50; ++i)
        s->wrkI()[i] = std::nanf("");
    EXPECT_TRUE(paint(st).ofKind(CanvasCall::LineTo).size() == 1u); // the one-point mark
    s->nPoints = 0;
    EXPECT_NO_FATAL_FAILURE(paint(st));
}

TEST(FullScan, CommandTogglesWindowAndCheckMark)
{
    Bench b;
    registerFullScanCommands(b.wb.commands());
    b.load(scansOf(makeScan(5.0f)));
    const int before = b.ui.redraws;
    b.wb.dispatch(169);
    EXPECT_TRUE(b.wb.view.fullScanWindow);
    EXPECT_TRUE(b.wb.isChecked(169));
    EXPECT_EQ(b.ui.redraws, before + 1);
    b.wb.dispatch(169);
    EXPECT_FALSE(b.wb.view.fullScanWindow);
    EXPECT_FALSE(b.wb.isChecked(169));
    EXPECT_EQ(b.ui.redraws, before + 1); // hiding does not repaint the plot
}
