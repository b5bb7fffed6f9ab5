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

TEST(ScalePosition, OpensInPointsAndConvertsBothWays)
{
    ScaleBench b;
    ScalePosition sp = ScalePosition::open(b.wb);
    EXPECT_EQ(sp.reference, ScaleReference::Begin);
    EXPECT_EQ(sp.unit, ScaleUnit::Points);
    EXPECT_DOUBLE_EQ(sp.begin, 100);
    EXPECT_DOUBLE_EQ(sp.width, 200);
    EXPECT_EQ(sp.nPoints, 1000);
    EXPECT_DOUBLE_EQ(sp.increment(), 1);
    EXPECT_EQ(sp.wholeScan(), (std::pair<double, double>{0, 1000}));
    Bench empty;
    EXPECT_EQ(ScalePosition::open(empty.wb).nPoints, 0);
    EXPECT_DOUBLE_EQ(ScalePosition::open(empty.wb).width, 0);

    ASSERT_TRUE(sp.setUnit(ScaleUnit::ArcSeconds));
    EXPECT_DOUBLE_EQ(sp.begin, 200);
    EXPECT_DOUBLE_EQ(sp.width, 400);
    EXPECT_DOUBLE_EQ(sp.increment(), 2);
    EXPECT_EQ(sp.wholeScan(), (std::pair<double, double>{0, 2000}));

    // Centre reference: 200" - 400 points * 2" = -600".
    sp.setReference(ScaleReference::Center);
    EXPECT_DOUBLE_EQ(sp.begin, -600);
    EXPECT_EQ(sp.wholeScan(), (std::pair<double, double>{-800, 1200}));
    // Radius of Sun: u = 2/960 per point.
    ASSERT_TRUE(sp.setUnit(ScaleUnit::SolarRadius));
    EXPECT_DOUBLE_EQ(sp.begin, -600.0 / 960);
    EXPECT_DOUBLE_EQ(sp.width, 400.0 / 960);
    EXPECT_DOUBLE_EQ(sp.increment(), 0.01);
    // END reference: n*u - W - B(begin), with B(begin) = 200 points = 200*u.
    sp.setReference(ScaleReference::End);
    const double u = 2.0 / 960;
    EXPECT_NEAR(sp.begin, 1000 * u - 200 * u - 100 * u, 1e-12);
    EXPECT_EQ(sp.wholeScan(), (std::pair<double, double>{1000 * u, 0.0}));
    // And all the way back.
    sp.setReference(ScaleReference::Center);
    EXPECT_NEAR(sp.begin, -300 * u, 1e-12);
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

TEST(ScalePosition, SettingClampsAndRedraws)
{
    ScaleBench b;
    ScalePosition sp = ScalePosition::open(b.wb);
    auto range = [&](double begin, double width) {
        sp.begin = begin;
        sp.width = width;
        return sp.shownRange();
    };
    EXPECT_EQ(range(50, 500), (std::pair<int, int>{50, 550}));
    EXPECT_EQ(range(-40, 100), (std::pair<int, int>{1, 60}));    // begin at least 1
    EXPECT_EQ(range(0, 5), (std::pair<int, int>{1, 15}));        // end at least 15
    EXPECT_EQ(range(900, 500), (std::pair<int, int>{900, 998})); // end at most n - 2
    EXPECT_EQ(range(997, 10), (std::pair<int, int>{996, 998}));  // begin at most end - 2
    EXPECT_EQ(range(1e300, 1e300), (std::pair<int, int>{996, 998}));
    EXPECT_EQ(range(NAN, 10), (std::pair<int, int>{1, 15}));
    // Fractions truncate toward zero.
    sp.setUnit(ScaleUnit::ArcSeconds);
    EXPECT_EQ(range(201, 401), (std::pair<int, int>{100, 301}));

    sp.unit = ScaleUnit::Points;
    sp.begin = 250;
    sp.width = 100;
    const int redraws = b.ui.redraws;
    applyScalePosition(b.wb, sp);
    EXPECT_EQ(b.wb.viewBegin, 250);
    EXPECT_EQ(b.wb.viewEnd, 350);
    EXPECT_EQ(b.ui.redraws, redraws + 1);
}

TEST(ScalePosition, DegenerateScansStayInside)
{
    Bench b;
    auto s = makeScan(5.0f, "2004/05/01", "09:00:00", 6, true, true, 0.0f); // zero step, zero radius
    b.load(scansOf(std::move(s)));
    ScalePosition sp = ScalePosition::open(b.wb);
    EXPECT_FALSE(sp.setUnit(ScaleUnit::ArcSeconds));
    EXPECT_FALSE(sp.setUnit(ScaleUnit::SolarRadius));
    EXPECT_EQ(sp.unit, ScaleUnit::Points);
    // Six points: end 15 is cut to n - 2 = 4. A three-point scan would get
    // a negative begin from the clamps alone: the range stays inside.
    sp.begin = 0;
    sp.width = 100;
    applyScalePosition(b.wb, sp);
    EXPECT_EQ(b.wb.viewBegin, 1);
    EXPECT_EQ(b.wb.viewEnd, 4);
    b.wb.activeScan->nPoints = 3;
    sp = ScalePosition::open(b.wb);
    applyScalePosition(b.wb, sp);
    EXPECT_GE(b.wb.viewBegin, 0);
    EXPECT_LE(b.wb.viewBegin, b.wb.viewEnd);
    EXPECT_LE(b.wb.viewEnd, 2);

    // Without a set nothing happens.
    Bench none;
    none.wb.viewBegin = 7;
    applyScalePosition(none.wb, sp);
    EXPECT_EQ(none.wb.viewBegin, 7);
}

TEST(ScalePosition, CommandOpensAndClosesDialog)
{
    struct Ui : qm::test::FakeUi {
        std::vector<bool> shown;
        void showScalePosition(bool on) override { shown.push_back(on); }
    };
    Ui ui;
    MemorySettingsStore store;
    Workbench wb(ui, store, "/opt/quillmar");
    registerScalePositionCommands(wb.commands());
    wb.dispatch(147); // greyed without a set
    EXPECT_TRUE(ui.shown.empty());

    wb.scans.pushHead(makeScan(5.0f));
    wb.afterLoad("/data/x.0hd");
    wb.dispatch(147);
    EXPECT_TRUE(wb.view.scalePosition);
    EXPECT_TRUE(wb.isChecked(147));
    const int redraws = ui.redraws;
    wb.dispatch(147);
    EXPECT_FALSE(wb.view.scalePosition);
    EXPECT_FALSE(wb.isChecked(147));
    EXPECT_EQ(ui.redraws, redraws + 1);
    EXPECT_EQ(ui.shown, (std::vector<bool>{true, false}));

    // "Close" works even while an interaction mode blocks commands.
    wb.dispatch(147);
    wb.interaction = InteractionMode::Calibration;
    closeScalePosition(wb);
    EXPECT_FALSE(wb.view.scalePosition);
    EXPECT_EQ(ui.shown.back(), false);

    // Batch runs open no dialog.
    wb.interaction = InteractionMode::None;
    wb.interactiveMode = false;
    wb.dispatch(147);
    EXPECT_FALSE(wb.view.scalePosition);
}
