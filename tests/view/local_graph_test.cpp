// The local graph's core: scale, picture on a RecordingCanvas, readout,
// zoom and the unit switch.
#include "view/local_graph.h"
#include "view/recording_canvas.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

LocalGraphTable table(std::vector<LocalGraphRow> rows, bool showI = true, bool showV = false)
{
    return {std::move(rows), showI, showV, "Full Flux"};
}

TEST(LocalGraph, LineScaleAndPicture)
{
    EXPECT_EQ(fittedLineText(0, 2), "0.000+2.000*X");
    EXPECT_DOUBLE_EQ(roundStep(0, 30), 2);  // 1.5 -> 2
    EXPECT_DOUBLE_EQ(roundStep(0, 70), 5);  // 3.5 -> 5
    EXPECT_DOUBLE_EQ(roundStep(0, 140), 10); // 7 -> 10

    LocalGraph g;
    EXPECT_EQ(g.caption(), "Local spectrum");
    g.setTable(table({{1, 2, 0}, {2, 4, 0}, {3, 6, 0}}), true, false);
    EXPECT_EQ(g.caption(), "Full Flux");
    EXPECT_EQ(g.unitCaption(), "GHz");
    EXPECT_NEAR(g.xMin(), 1, 1e-12); // round step 0.2
    EXPECT_NEAR(g.xMax(), 3, 1e-12);
    EXPECT_NEAR(g.vMin(), -1, 1e-12); // a zero V range is widened to ±1 first
    EXPECT_NEAR(g.vMax(), 1, 1e-12);
    RecordingCanvas c(400, 300);
    g.paint(c, {0, 30, 400, 300});
    const CanvasCall* line = c.findText("0.000+2.000*X");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->textColour, kRed);
    int green = 0, blue = 0;
    for (const CanvasCall* p : c.ofKind(CanvasCall::Polyline)) {
        green += p->pen.colour == 0x0000a000;
        blue += p->pen.colour == 0x00ff0000;
    }
    EXPECT_EQ(green, 1);
    EXPECT_EQ(blue, 0); // V is not shown

    // "Save" writes the same picture as a metafile: header, records, META_EOF.
    const std::string wmf = g.metafile(400, 270);
    ASSERT_GT(wmf.size(), 24u);
    EXPECT_EQ(wmf.substr(0, 4), std::string("\x01\x00\x09\x00", 4));
    EXPECT_EQ(wmf.substr(wmf.size() - 6), std::string("\x03\x00\x00\x00\x00\x00", 6));
    EXPECT_NE(wmf.find("0.000+2.000*X"), std::string::npos);

    // A table whose first and last X agree is dropped.
    g.setTable(table({{2, 1, 1}, {3, 1, 1}, {2, 5, 1}}), true, false);
    EXPECT_FALSE(g.hasTable());
    EXPECT_EQ(g.caption(), "Local spectrum");
}

TEST(LocalGraph, ReadoutZoomAndUnits)
{
    LocalGraph g;
    std::vector<LocalGraphRow> rows;
    for (int k = 0; k < 10; ++k)
        rows.push_back({1.0 + k, 10.0 + k, 1.0});
    g.setTable(table(rows, true, true), true, false);
    RecordingCanvas c(400, 300);
    g.paint(c, {0, 30, 400, 300});
    // Find the pixel of row 4 (x 5, I 14) from the picture's squares.
    const auto squares = c.ofKind(CanvasCall::Rectangle);
    ASSERT_GE(squares.size(), 11u);
    std::vector<Rect> marks;
    for (const CanvasCall* s : squares)
        if (s->brush.colour == 0x0000a000)
            marks.push_back(s->rect);
    ASSERT_EQ(marks.size(), 10u);
    const Rect m = marks[4];
    g.leftPress((m.left + m.right) / 2, (m.top + m.bottom) / 2);
    EXPECT_EQ(g.readout(), "w=5.00 I=14.00 V=1.00 P=7.14%");

    // A drag shorter than 10 pixels changes nothing; a longer one zooms.
    g.rightPress(marks[2].left + 2);
    g.move(marks[2].left + 8, true);
    EXPECT_TRUE(g.dragRect());
    EXPECT_EQ(g.readout().substr(0, 5), "from ");
    g.rightRelease(marks[2].left + 8);
    EXPECT_EQ(g.first(), 0);
    EXPECT_EQ(g.readout(), "");
    g.rightPress(marks[2].left + 2);
    g.move(marks[6].left + 2, true);
    g.rightRelease(marks[6].left + 2);
    EXPECT_EQ(g.first(), 2);
    EXPECT_EQ(g.last(), 6);
    g.full();
    EXPECT_EQ(g.last(), 9);

    LocalGraph u;
    u.setTable(table({{1, 1, 0}, {2, 2, 0}, {4, 3, 0}}), true, false);
    u.switchUnit();
    EXPECT_EQ(u.unitCaption(), "cm");
    EXPECT_EQ((std::vector<double>{u.table().rows[0].x, u.table().rows[1].x, u.table().rows[2].x}),
              (std::vector<double>{30, 15, 7.5}));
    LocalGraph t; // time tables keep their X
    t.setTable(table({{8888.25, 1, 0}, {8888.5, 2, 0}}), false, true);
    EXPECT_FALSE(t.unitEnabled());
}

} // namespace
} // namespace qm::test
