#include "view/scale_position.h"

#include "tests/app/scan_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using qm::test::Bench;
using qm::test::makeScan;
using qm::test::scansOf;

namespace {

// A 1000-point scan, 2" a point, centre at point 400, radius 960".
struct ScaleBench : Bench {
    ScaleBench()
    {
        registerScalePositionCommands(wb.commands());
        load(scansOf(qm::test::solarScan(1000, 2.0f, 400, 960)));
        wb.viewBegin = 100;
        wb.viewEnd = 300;
    }
};

} // namespace

TEST(ScalePosition, ConvertsBothWays)
{
    ScaleBench b;
    ScalePosition sp = ScalePosition::open(b.wb);
    EXPECT_DOUBLE_EQ(sp.begin, 100);
    ASSERT_TRUE(sp.setUnit(ScaleUnit::ArcSeconds));
    EXPECT_DOUBLE_EQ(sp.begin, 200);
    EXPECT_DOUBLE_EQ(sp.width, 400);
    // Centre reference: 200" - 400 points * 2" = -600".
    sp.setReference(ScaleReference::Center);
    EXPECT_DOUBLE_EQ(sp.begin, -600);
    ASSERT_TRUE(sp.setUnit(ScaleUnit::SolarRadius));
    EXPECT_DOUBLE_EQ(sp.begin, -600.0 / 960);
    // END reference: n*u - W - B(begin).
    sp.setReference(ScaleReference::End);
    const double u = 2.0 / 960;
    EXPECT_NEAR(sp.begin, 1000 * u - 200 * u - 100 * u, 1e-12);
    // And all the way back.
    sp.setReference(ScaleReference::Begin);
    ASSERT_TRUE(sp.setUnit(ScaleUnit::Points));
    EXPECT_NEAR(sp.begin, 100, 1e-9);
    EXPECT_NEAR(sp.width, 200, 1e-9);

    // Every reference and unit gives the same range on "Setting".
    for (auto ref : {ScaleReference::Begin, ScaleReference::Center, ScaleReference::End})
        for (auto unit : {ScaleUnit::Points, ScaleUnit::ArcSeconds, ScaleUnit::SolarRadius}) {
            ScalePosition t = ScalePosition::open(b.wb);
            t.begin = 120;
            t.width = 350;
            ASSERT_TRUE(t.setUnit(unit));
            t.setReference(ref);
            const auto r = t.shownRange();
            EXPECT_NEAR(r.first, 120, 1) << int(ref) << int(unit);
            EXPECT_NEAR(r.second, 470, 1) << int(ref) << int(unit);
        }
}

TEST(ScalePosition, ClampsAndDegenerateScans)
{
    ScaleBench b;
    ScalePosition sp = ScalePosition::open(b.wb);
    auto range = [&](double begin, double width) {
        sp.begin = begin;
        sp.width = width;
        return sp.shownRange();
    };
    EXPECT_EQ(range(-40, 100), (std::pair<int, int>{1, 60}));    // begin at least 1
    EXPECT_EQ(range(900, 500), (std::pair<int, int>{900, 998})); // end at most n - 2
    EXPECT_EQ(range(NAN, 10), (std::pair<int, int>{1, 15}));

    // Zero step: no arc seconds or radii; a three-point scan stays inside.
    Bench z;
    z.load(scansOf(makeScan(5.0f, "2004/05/01", "09:00:00", 3, true, true, 0.0f)));
    sp = ScalePosition::open(z.wb);
    EXPECT_FALSE(sp.setUnit(ScaleUnit::ArcSeconds));
    EXPECT_FALSE(sp.setUnit(ScaleUnit::SolarRadius));
    applyScalePosition(z.wb, sp);
    EXPECT_GE(z.wb.viewBegin, 0);
    EXPECT_LE(z.wb.viewBegin, z.wb.viewEnd);
    EXPECT_LE(z.wb.viewEnd, 2);
}
