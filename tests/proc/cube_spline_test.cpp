// "Cube Spline" driven as a person would: the knot-count prompt, the
// blocked commands, double-clicks on the plot, preview, accept and cancel.
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

TEST(CubeSpline, KnotPromptBlockingAndAccept)
{
    SplineBench b;
    const auto before = wrkOf(b.active(), 1);
    b.runBatch(139, 5); // the knots come from the mouse: batch starts nothing
    b.run(139, "many");
    EXPECT_EQ(b.ui.prompts, std::vector<std::string>{"Input number of points:"});
    EXPECT_FALSE(b.choosing());
    // Counts are kept within 2 ... 21.
    for (auto [answer, shown] : {std::pair{"1", 2}, std::pair{"50", 21}, std::pair{"3", 3}}) {
        b.run(139, answer);
        EXPECT_EQ(b.ui.titles.back(), "Quillmar: Choice of a " + std::to_string(shown) + " points");
        ASSERT_TRUE(b.choosing());
        if (shown != 3) {
            EXPECT_TRUE(pressSplineButton(b.dialog(), SplineButton::Cancel));
        }
    }
    SplineDialogState& d = b.dialog();
    b.ui.messages.clear();
    for (int id : {110, 139, 123}) {
        b.wb.dispatch(id);
        b.expectMessage("Coice of Spline points");
    }
    EXPECT_FALSE(pressSplineButton(d, SplineButton::Ok)); // the knots first
    b.click(20, chord(20));
    b.click(30, chord(30));
    b.click(40, chord(40));
    EXPECT_EQ(d.phase, SplinePhase::DialogOpen);
    EXPECT_EQ(wrkOf(b.active(), 1), before);

    // Knots on the chord between the ends give the chord.
    d.natural = true;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Ok));
    const auto after = wrkOf(b.active(), 1);
    for (int i = 0; i < kN; ++i)
        EXPECT_NEAR(after[i], i > kB && i < kE ? chord(i) : before[i], 1e-3) << i;
    EXPECT_FALSE(b.choosing());
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
}

TEST(CubeSpline, PreviewFitsTheKnotsAndCancelRestoresTheWorksheet)
{
    SplineBench b;
    const auto before = wrkOf(b.active(), 1);
    ASSERT_NE(before, dataOf(b.active(), 1));
    b.run(139, "2");
    SplineDialogState& d = b.dialog();
    b.click(25, 80);
    b.click(35, 20);
    // What the fit must give: knots (b, x[b]), the picks, (e, x[e]).
    const std::vector<float> xs{kB, 25, 35, kE}, ys{10, 80, 20, 90};
    SmoothingSpline s;
    ASSERT_TRUE(s.fit(4, 16384, xs.data(), ys.data(), false));
    auto want = before;
    for (int i = kB + 1; i < kE; ++i)
        want[i] = static_cast<float>(s.evaluate(i));
    setSplineExponent(d, 14);
    d.natural = false;
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Preview));
    EXPECT_EQ(wrkOf(b.active(), 1), want);
    EXPECT_TRUE(b.choosing()); // the dialog stays for another try

    // Cancel brings back the worksheet, not the data.
    EXPECT_TRUE(pressSplineButton(d, SplineButton::Cancel));
    EXPECT_EQ(wrkOf(b.active(), 1), before);
    EXPECT_FALSE(b.choosing());
    EXPECT_FALSE(b.wb.plotDoubleClickHook);
}
