#include "view/solar_disk.h"

#include "tests/app/scan_fixture.h"
#include "view/recording_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace qm;
using qm::test::Bench;
using qm::test::makeScan;
using qm::test::scansOf;
using qm::test::solarScan;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 3000-point scan, 1" a point, the disk centre at point 1500 with a
// radius of 960", shown from 0 to 2000 in a 1000-pixel frame: k = 0.5,
// centre (851, 350), radius 480 pixels.
struct DiskBench : Bench {
    PlotGeometry g;
    ScanRecord* s = nullptr;

    DiskBench() : g(qm::test::frameGeometry(100, 1100, 50, 650, 0, 2000))
    {
        auto scan = solarScan(3000, 1.0f, 1500, 960);
        scan->frequency = 10;
        scan->beamHalfsize = 60;
        qm::copyField(scan->dateObs, "unknown");
        load(scansOf(std::move(scan)));
        s = wb.activeScan;
        wb.view.sunDisk = true;
    }

    RecordingCanvas paint()
    {
        RecordingCanvas c(1300, 700);
        paintSolarDisk(wb, c, *s, g);
        return c;
    }
};

bool hasSegment(const std::vector<Segment>& segs, Point a, Point b)
{
    return std::any_of(segs.begin(), segs.end(), [&](const Segment& s) { return s.from == a && s.to == b; });
}

int nearest(double v) { return static_cast<int>(std::lround(v)); }

} // namespace

TEST(SolarDisk, ProjectionAgainstRotatingTheVectorByHand)
{
    // Longitude L runs from the west limb (x = -R cos L on the equator),
    // latitude F upward; tilt by B0 about the east-west axis, then turn by
    // the position angle P in the sky plane. Only the front shows.
    for (double pa : {0.0, 90.0, -23.0})
        for (double b0 : {0.0, 5.5, 90.0})
            for (int lon = -40; lon < 220; lon += 9)
                for (int lat = -80; lat <= 80; lat += 20) {
                    SCOPED_TRACE(std::to_string(pa) + " " + std::to_string(b0) + " " + std::to_string(lon) + " " +
                                 std::to_string(lat));
                    const double P = pa * kPi / 180, B = b0 * kPi / 180, L = lon * kPi / 180, F = lat * kPi / 180;
                    const double x = -std::cos(L) * std::cos(F), y = std::sin(L) * std::cos(F), z = std::sin(F);
                    const double depth = std::cos(B) * y + std::sin(B) * z;
                    const double down = -(-std::sin(B) * y + std::cos(B) * z);
                    const DiskPoint p = projectOnDisk(pa, b0, lon, lat, 480);
                    if (std::fabs(depth) > 1e-9) {
                        EXPECT_EQ(p.visible, depth > 0);
                    }
                    EXPECT_EQ(p.dx, nearest(480 * (std::cos(P) * x - std::sin(P) * down)));
                    EXPECT_EQ(p.dy, nearest(480 * (std::sin(P) * x + std::cos(P) * down)));
                }
    // The east limb is on the right.
    EXPECT_GT(projectOnDisk(0, 0, 179, 0, 1000).dx, 990);
    EXPECT_LT(projectOnDisk(0, 0, 1, 0, 1000).dx, -990);
}

TEST(SolarDisk, CentreLatitudeFromDate)
{
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/03/16"), -7);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("16.09.2004"), 7);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/05/16"), -4 + 16 * 4 / 30.0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("16/05/2004"), -4 + 16 * 4 / 30.0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/12/31"), 1 - 31 * 4 / 30.0); // into the following January
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/01/01"), -3 - 3 / 30.0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("unknown"), 0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/05"), 0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude(""), 0);
    // Months outside the table are unreadable dates, not reads past it.
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/13/01"), 0);
    EXPECT_DOUBLE_EQ(diskCentreLatitude("2004/00/10"), 0);
}

TEST(SolarDisk, LimbGridLabelsAndBeam)
{
    DiskBench d;
    const RecordingCanvas c = d.paint();
    const Colour sunD = d.wb.settings.colours[kRgbSunD];

    const auto arcs = c.ofKind(CanvasCall::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0]->rect, (Rect{371, -130, 1332, 831}));
    EXPECT_EQ(arcs[0]->points[0], arcs[0]->points[1]); // a whole circle
    EXPECT_EQ(arcs[0]->pen.colour, sunD);

    // Dashes of the central meridian: a line to every odd latitude from the
    // even one below it, nothing joining an even latitude.
    const auto segs = c.segments();
    auto meridian = [](int lat) { return Point{851, 350 + nearest(-480 * std::sin(lat * kPi / 180))}; };
    for (int lat = -79; lat <= 79; lat += 2)
        EXPECT_TRUE(hasSegment(segs, meridian(lat - 1), meridian(lat))) << lat;
    EXPECT_FALSE(hasSegment(segs, meridian(-79), meridian(-78)));
    // The equator, dashed the same way along the longitude.
    auto equator = [](int lon) { return Point{851 + nearest(-480 * std::cos(lon * kPi / 180)), 350}; };
    for (int lon = 3; lon <= 179; lon += 2)
        EXPECT_TRUE(hasSegment(segs, equator(lon - 1), equator(lon))) << lon;
    // 7 meridians x 80 dashes; 9 parallels each dashed over its front half.
    EXPECT_GT(segs.size(), 7u * 80);
    for (const Segment& s : segs)
        EXPECT_EQ(s.pen.colour, sunD);

    const CanvasCall* e = c.findText("E");
    const CanvasCall* w = c.findText("W");
    ASSERT_TRUE(e && w);
    EXPECT_EQ(e->points[0], (Point{366, 645}));
    EXPECT_EQ(e->hAlign, HAlign::Right);
    EXPECT_EQ(e->vAlign, VAlign::Bottom);
    EXPECT_EQ(w->points[0], (Point{1337, 645}));
    EXPECT_EQ(w->hAlign, HAlign::Left);
    EXPECT_EQ(w->vAlign, VAlign::Bottom);

    // "HrzBeam" 0: the scan's beam, 60" over a 960" radius = 30 pixels;
    // vertical 60*190/10 GHz = 1140", half of it in pixels = 285.
    const auto ellipses = c.ofKind(CanvasCall::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->rect, (Rect{110, 65, 140, 635}));
    EXPECT_FALSE(ellipses[0]->brush.hollow);
    EXPECT_EQ(ellipses[0]->brush.colour, 0x808080u);
}

TEST(SolarDisk, BeamSettingsAndColour)
{
    DiskBench d;
    d.wb.settings.hrzBeam = 200; // 200/10 GHz = 20" -> 10 pixels
    d.wb.settings.vrtBeam = 0;   // 11400/10 GHz = 1140" -> 285 pixels
    RecordingCanvas c = d.paint();
    ASSERT_EQ(c.ofKind(CanvasCall::Ellipse).size(), 1u);
    EXPECT_EQ(c.ofKind(CanvasCall::Ellipse)[0]->rect, (Rect{110, 65, 120, 635}));

    d.s->beamHalfsize = 1; // 0.5 pixel wide: kept at 3
    d.wb.settings.hrzBeam = 0;
    c = d.paint();
    EXPECT_EQ(c.ofKind(CanvasCall::Ellipse)[0]->rect.width(), 3);

    d.wb.settings.hrzBeam = -1;
    EXPECT_TRUE(d.paint().ofKind(CanvasCall::Ellipse).empty());
    d.wb.settings.hrzBeam = 0;
    d.wb.groupMode = 2;
    EXPECT_TRUE(d.paint().ofKind(CanvasCall::Ellipse).empty());
    d.wb.groupMode = 0;

    d.wb.view.colour = false;
    c = d.paint();
    EXPECT_EQ(c.ofKind(CanvasCall::Arc)[0]->pen.colour, kBlack);

    // The offset moves the centre down by a percentage of the radius in
    // points, taken as pixels as the FITS image under the disk takes it.
    d.wb.sunDiskOffset = 10; // 96 points
    c = d.paint();
    EXPECT_EQ(c.ofKind(CanvasCall::Arc)[0]->rect.top, -130 + 96);
}

TEST(SolarDisk, VisibilityRules)
{
    DiskBench d;
    EXPECT_FALSE(d.paint().calls.empty());
    d.wb.view.sunDisk = false;
    EXPECT_TRUE(d.paint().calls.empty());
    d.wb.view.sunDisk = true;

    // Shown part wholly beyond the disk: c + r = 2460.
    d.g.viewBegin = 2461;
    d.g.viewEnd = 2900;
    EXPECT_TRUE(d.paint().calls.empty());
    d.g.viewBegin = 2460;
    EXPECT_FALSE(d.paint().calls.empty());
    // ... or before it: c - r = 540.
    d.g.viewBegin = 10;
    d.g.viewEnd = 539;
    EXPECT_TRUE(d.paint().calls.empty());
    d.g.viewEnd = 540;
    EXPECT_FALSE(d.paint().calls.empty());
    // Zoomed in below a third of the radius (320 points).
    d.g.viewBegin = 1400;
    d.g.viewEnd = 1719;
    EXPECT_TRUE(d.paint().calls.empty());
    d.g.viewEnd = 1720;
    EXPECT_FALSE(d.paint().calls.empty());
}

TEST(SolarDisk, DegenerateScansDrawNothingOrNoBeam)
{
    DiskBench d;
    const ScanRecord keep = *d.s;
    auto reset = [&] { *d.s = keep; };

    d.s->step = 0;
    EXPECT_TRUE(d.paint().calls.empty());
    reset();
    d.s->radius = 0;
    EXPECT_TRUE(d.paint().calls.empty());
    d.s->radius = -960;
    EXPECT_TRUE(d.paint().calls.empty());
    reset();
    d.s->centerPoint = std::nanf("");
    EXPECT_TRUE(d.paint().calls.empty());
    d.s->centerPoint = INFINITY;
    EXPECT_TRUE(d.paint().calls.empty());
    reset();
    d.s->step = 1e-30f; // a radius of 1e33 points
    EXPECT_TRUE(d.paint().calls.empty());
    reset();
    d.g.viewEnd = d.g.viewBegin;
    EXPECT_TRUE(d.paint().calls.empty());
    d.g.viewEnd = 2000;
    // No frequency: the disk without the beam, which needs one.
    d.s->frequency = 0;
    RecordingCanvas c = d.paint();
    EXPECT_EQ(c.ofKind(CanvasCall::Arc).size(), 1u);
    EXPECT_TRUE(c.ofKind(CanvasCall::Ellipse).empty());
    d.g.penWidth = 3; // page output
    EXPECT_EQ(d.paint().ofKind(CanvasCall::Arc)[0]->pen.width, 3);
}
