// "Cube Spline" driven as a person would: the knot-count prompt, the
// blocked commands, double-clicks on the plot, the dialog's buttons posting
// command 140 for preview, accept and cancel.
#include "proc/cube_spline.h"
#include "proc/smoothing_spline.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kN = 60, kB = 10, kE = 50;

// One scan of 60 points, selection 10..50, only Worksheet I(R) on; the
// worksheet is noise except x[10] = 10 and x[50] = 90, so the chord between
// the ends is y = 10 + 2 (i - 10). The plot frame shows 10 pixels per point
// from x = 50 and channel 1 from 0 to 100 over the 100 pixels above y = 130.
struct SplineBench : ProcBench {
    SplineBench()
    {
        loadAlike({2.8f}, kN);
        auto x = noise(kN, 7);
        x[kB] = 10;
        x[kE] = 90;
        setWrk(active(), 1, x);
        select(true, true, true, false);
        wb.viewBegin = kB;
        wb.viewEnd = kE;
        PlotGeometry& g = wb.geometry;
        g = frameGeometry(50, 50 + 10 * (kE - kB), 20, 130, kB, kE);
        g.minI = 0;
        g.maxI = 100;
        g.minV = -50;
        g.maxV = 50;
    }
    // Double click at point i (fractional), value y of channel 1.
    void click(double i, double y)
    {
        ASSERT_TRUE(wb.plotDoubleClickHook);
        wb.plotDoubleClickHook(wb, static_cast<int>(std::lround(50 + (i - kB) * 10)), static_cast<int>(std::lround(130 - y)));
    }
    SplineDialogState& dialog()
    {
        EXPECT_NE(ui.splineDialog, nullptr);
        return *ui.splineDialog;
    }
    bool choosing() const { return wb.interaction == InteractionMode::SplinePoints; }
};

double chord(int i) { return 10 + 2.0 * (i - kB); }

} // namespace

TEST(CubeSpline, RefusalsBeforeTheChoice)
{
    SplineBench b;
    const auto before = wrkOf(b.active(), 1);
    b.ui.reportOpen = true;
    b.wb.dispatch(139);
    b.expectMessage("You have the open EDITOR");
    b.ui.reportOpen = false;
    for (bool i : {false, true}) {
        b.select(true, true, i, i);
        b.wb.dispatch(139);
        b.expectMessage("May to mark one WORKSHEET only");
    }
    EXPECT_TRUE(b.ui.prompts.empty());

    // The knots come from the mouse: a packet or script starts nothing.
    b.select(true, true, true, false);
    b.runBatch(139, 5);
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_TRUE(b.ui.messages.empty());

    // Esc and text that is not a number.
    b.run(139, std::nullopt);
    b.run(139, "many");
    ASSERT_EQ(b.ui.prompts.size(), 2u);
    EXPECT_EQ(b.ui.prompts[0], "Input number of points:");
    EXPECT_FALSE(b.choosing());
    EXPECT_FALSE(b.wb.plotDoubleClickHook);
    EXPECT_EQ(b.ui.splineDialogShows, 0);
    EXPECT_EQ(wrkOf(b.active(), 1), before);
    b.wb.dispatch(140); // nothing to apply
    EXPECT_EQ(wrkOf(b.active(), 1), before);
    EXPECT_EQ(b.ui.splineDialogCloses, 0);
}

TEST(CubeSpline, KnotCountIsLimitedAndTheChoiceBlocksCommands)
{
    SplineBench b;
    const auto before = wrkOf(b.active(), 1);
    const auto data = dataOf(b.active(), 1);
    for (auto [answer, shown] : {std::pair{"1", 2}, std::pair{"-4", 2}, std::pair{"50", 21}, std::pair{"3", 3}}) {
        b.run(139, answer);
        EXPECT_EQ(b.ui.titles.back(), "Quillmar: Choice of a " + std::to_string(shown) + " points");
        ASSERT_TRUE(b.choosing());
        if (shown != 3) {
            EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Cancel));
        }
    }
    SplineDialogState& d = b.dialog();
    EXPECT_EQ(d.k, 7);
    EXPECT_FALSE(d.natural);
    EXPECT_EQ(d.coefficient(), 128);

    b.ui.messages.clear();
    const std::size_t prompts = b.ui.prompts.size();
    for (int id : {110, 109, 2, 111, 139, 123, 179, 5001, 10001}) {
        SCOPED_TRACE(id);
        b.wb.dispatch(id);
        b.expectMessage("Coice of Spline points");
    }
    EXPECT_EQ(b.ui.prompts.size(), prompts);
    EXPECT_TRUE(b.choosing());

    // OK and Preview wait for the knots; clicks outside the frame pick none.
    EXPECT_FALSE(pressSplineButton(d, SplineButton::Ok));
    EXPECT_FALSE(pressSplineButton(d, SplineButton::Preview));
    b.ui.statuses.clear();
    b.wb.plotDoubleClickHook(b.wb, 10, 60);
    b.wb.plotDoubleClickHook(b.wb, 200, 140);
    EXPECT_TRUE(b.ui.statuses.empty());
    b.click(20, chord(20));
    b.click(30, chord(30));
    EXPECT_EQ(d.phase, SplinePhase::Choosing);
    b.click(40, chord(40));
    b.click(45, 0); // one too many
    EXPECT_EQ(b.ui.statuses, (std::vector<std::string>{"Choice  of a 1 points from 3", "Choice  of a 2 points from 3",
                                                       "Choice  of a 3 points from 3"}));
    EXPECT_EQ(d.phase, SplinePhase::DialogOpen);
    EXPECT_EQ(wrkOf(b.active(), 1), before);

    // Knots on the chord between the ends give the chord, whatever k.
    setSplineExponent(d, 99);
    EXPECT_EQ(d.k, 14);
    setSplineExponent(d, -2);
    EXPECT_EQ(d.k, 0);
    setSplineExponent(d, 11);
    d.natural = true;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Ok));
    EXPECT_EQ(b.ui.splineDialogCloses, 4);
    EXPECT_EQ(b.ui.splineDialog, nullptr);
    const auto after = wrkOf(b.active(), 1);
    for (int i = 0; i < kN; ++i) {
        if (i > kB && i < kE) {
            EXPECT_NEAR(after[i], chord(i), 1e-3) << i;
        } else {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_FALSE(b.choosing());
    EXPECT_FALSE(b.wb.plotDoubleClickHook);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_EQ(dataOf(b.active(), 1), data);

    // Commands run again.
    b.run(110, std::nullopt);
    EXPECT_EQ(b.ui.prompts.back(), "Window of smothing[\"]:");
}

TEST(CubeSpline, PreviewFitsTheKnotsAndCancelRestoresTheWorksheet)
{
    SplineBench b;
    // The worksheet differs from the data: Cancel must bring back the
    // worksheet, not the data.
    const auto before = wrkOf(b.active(), 1);
    ASSERT_NE(before, dataOf(b.active(), 1));
    b.run(139, "2");
    SplineDialogState& d = b.dialog();
    b.click(25, 80);
    b.click(35, 20);
    ASSERT_EQ(d.phase, SplinePhase::DialogOpen);

    // What the fit must give: knots (b, x[b]), the picks, (e, x[e]).
    auto expected = [&](double p, bool natural) {
        const std::vector<float> xs{kB, 25, 35, kE}, ys{10, 80, 20, 90};
        SmoothingSpline s;
        EXPECT_TRUE(s.fit(4, p, xs.data(), ys.data(), natural));
        auto x = before;
        for (int i = kB + 1; i < kE; ++i)
            x[i] = static_cast<float>(s.evaluate(i));
        return x;
    };
    setSplineExponent(d, 0);
    d.natural = true;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Preview));
    EXPECT_EQ(d.p, 1);
    EXPECT_EQ(wrkOf(b.active(), 1), expected(1, true));
    // The dialog stays for another try and commands stay blocked.
    EXPECT_EQ(b.ui.splineDialog, &d);
    EXPECT_EQ(d.phase, SplinePhase::DialogOpen);
    EXPECT_TRUE(b.choosing());
    b.ui.messages.clear();
    b.wb.dispatch(110);
    EXPECT_TRUE(b.ui.sawMessage("Coice of Spline points"));

    setSplineExponent(d, 14);
    d.natural = false;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Preview));
    EXPECT_EQ(d.p, 16384);
    EXPECT_EQ(wrkOf(b.active(), 1), expected(16384, false));
    EXPECT_NE(expected(16384, false), expected(1, true));

    EXPECT_TRUE(pressSplineButton(d, SplineButton::Cancel));
    EXPECT_EQ(wrkOf(b.active(), 1), before);
    EXPECT_FALSE(b.choosing());
    EXPECT_EQ(b.ui.splineDialog, nullptr);
    EXPECT_FALSE(pressSplineButton(d, SplineButton::Ok)); // no choice running
}

TEST(CubeSpline, CancelWhilePickingAndAwkwardKnots)
{
    SplineBench b;
    const auto before = wrkOf(b.active(), 1);
    b.run(139, "3");
    b.click(30, 50);
    EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Cancel));
    EXPECT_FALSE(b.choosing());
    EXPECT_EQ(wrkOf(b.active(), 1), before);

    // Knots on the frame edges share their abscissa with the selection's
    // ends, two picks share one column: the fit stays finite.
    b.run(139, "4");
    b.click(kB, 40);
    b.click(kE, 0);
    b.click(30, 60);
    b.click(30, 20);
    EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Ok));
    for (float v : wrkOf(b.active(), 1))
        EXPECT_TRUE(std::isfinite(v));

    // The whole scan selected; the channel-2 scale for Worksheet V(L).
    b.select(true, true, false, true);
    b.show(0, kN - 1);
    b.wb.geometry.viewBegin = 0;
    b.wb.geometry.viewEnd = kN - 1;
    b.wb.geometry.right = 50 + 10 * (kN - 1);
    auto v = wrkOf(b.active(), 2);
    b.run(139, "2");
    b.wb.plotDoubleClickHook(b.wb, 50 + 200, 130 - 30); // point 20, value -50 + 30
    b.wb.plotDoubleClickHook(b.wb, 50 + 400, 130 - 70); // point 40, value 20
    EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Ok));
    const std::vector<float> xs{0, 20, 40, kN - 1}, ys{v[0], -20, 20, v[kN - 1]};
    SmoothingSpline s;
    ASSERT_TRUE(s.fit(4, 128, xs.data(), ys.data(), false));
    for (int i = 1; i < kN - 1; ++i)
        v[i] = static_cast<float>(s.evaluate(i));
    EXPECT_EQ(wrkOf(b.active(), 2), v);

    // Without a painted plot, clicks pick nothing.
    b.wb.geometry.valid = false;
    b.run(139, "2");
    b.ui.statuses.clear();
    b.wb.plotDoubleClickHook(b.wb, 100, 100);
    EXPECT_TRUE(b.ui.statuses.empty());
    EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Cancel));
}
