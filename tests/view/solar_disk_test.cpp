#include "view/solar_disk.h"

#include "tests/app/scan_fixture.h"
#include "view/recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using qm::test::Bench;
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

} // namespace

TEST(SolarDisk, ProjectionWithoutTiltOrTurn)
{
    // P' = 0, B0 = 0: longitude L from the west limb, latitude F upward,
    // x = -R cos L cos F, y = -R sin F, front half where sin L > 0.
    for (int lon = -40; lon < 220; lon += 9)
        for (int lat = -80; lat <= 80; lat += 20) {
            const double L = lon * kPi / 180, F = lat * kPi / 180;
            const DiskPoint p = projectOnDisk(0, 0, lon, lat, 480);
            EXPECT_EQ(p.dx, std::lround(-480 * std::cos(L) * std::cos(F))) << lon << " " << lat;
            EXPECT_EQ(p.dy, std::lround(-480 * std::sin(F))) << lon << " " << lat;
            if (std::fabs(std::sin(L)) > 1e-9) {
                EXPECT_EQ(p.visible, std::sin(L) > 0) << lon;
            }
        }
}

TEST(SolarDisk, LimbBeamAndVisibility)
{
    DiskBench d;
    RecordingCanvas c = d.paint();
    const auto arcs = c.ofKind(CanvasCall::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0]->rect, (Rect{371, -130, 1332, 831}));
    // Beam 60" over a 960" radius = 30 pixels; vertical 60*190/10 GHz =
    // 1140", half of it in pixels = 285.
    const auto ellipses = c.ofKind(CanvasCall::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->rect, (Rect{110, 65, 140, 635}));

    // Shown part wholly beyond the disk (c + r = 2460), or zoomed in
    // below a third of the radius (320 points).
    const std::pair<int, int> ranges[] = {{2461, 2900}, {2460, 2900}, {1400, 1719}, {1400, 1720}};
    const bool drawn[] = {false, true, false, true};
    for (int k = 0; k < 4; ++k) {
        d.g.viewBegin = ranges[k].first;
        d.g.viewEnd = ranges[k].second;
        EXPECT_EQ(!d.paint().calls.empty(), drawn[k]) << k;
    }
}

TEST(SolarDisk, DegenerateScansDrawNothing)
{
    DiskBench d;
    const ScanRecord keep = *d.s;
    // No step, a negative radius, no centre, a radius of 1e33 points.
    for (auto spoil : {+[](ScanRecord& s) { s.step = 0; }, +[](ScanRecord& s) { s.radius = -960; },
                       +[](ScanRecord& s) { s.centerPoint = std::nanf(""); },
                       +[](ScanRecord& s) { s.step = 1e-30f; }}) {
        *d.s = keep;
        spoil(*d.s);
        EXPECT_TRUE(d.paint().calls.empty());
    }
}
