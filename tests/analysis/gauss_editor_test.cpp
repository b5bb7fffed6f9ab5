#include "analysis/gauss_editor.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

struct EditorBench : AnalysisBench {
    EditorBench()
    {
        std::vector<float> y(100, 10.0f);
        for (int i = 0; i < 100; ++i) // a source of 40 over the level 10 at 60, HWHM 4
            y[std::size_t(i)] += float(40 * std::exp(-std::log(2.0) * (i - 60) * (i - 60) / 16.0));
        load(scansOf(curveScan(3.0f, y, y)));
        ScanRecord& s = *wb.activeScan;
        s.step = 2;
        s.centerPoint = 50;
        s.beamHalfsize = 3;
        s.fluxCoef = 4;
        s.gauss = {2, 1, -1, 30, 5, 40, 0, 20, 3, 20, 0};
        wb.settings.koefFlux = 1;
        wb.geometry.minI = 0;
        wb.geometry.maxI = 200; // u = 2
        select(true, false);
        span(10, 90);
    }
};

} // namespace

TEST(GaussEditor, ButtonsAndDisplays)
{
    EditorBench b;
    ScanRecord& s = *b.wb.activeScan;
    const auto old = s.gauss;
    GaussEditor ed;
    ASSERT_TRUE(ed.open(b.wb));
    ASSERT_EQ(s.gauss.size(), std::size_t(kGaussTableFloats)); // the copy is attached
    EXPECT_EQ(ed.current(), 1);
    EXPECT_EQ(ed.amplitudeText, "30.00");
    EXPECT_EQ(ed.thetaText, "20.00");                  // 2 h step
    EXPECT_EQ(ed.xText, "-20.000");                    // (40 - 50) * 2
    EXPECT_EQ(ed.fluxText, format("%.3e%s : 2 Gaussian(s)", 2 * 30 * 5 * 1.064 * 2 * 4, b.wb.settings.unitFlux.c_str()));
    ed.clear = true;
    ed.next();
    EXPECT_EQ(ed.current(), 2);
    EXPECT_EQ(ed.thetaText, format("%.2f", std::sqrt(144.0 - 9)));

    // + and - in points, times u for the amplitude and the Y position; the
    // Y edit is read on every command.
    ed.parameter = GaussParameter::XPosition;
    ed.scale = 10;
    ed.count = 3;
    ed.plus();
    EXPECT_EQ(s.gauss[9], 50);
    ed.parameter = GaussParameter::Amplitude;
    ed.scale = 0.1;
    ed.count = 5;
    ed.minus();
    EXPECT_FLOAT_EQ(s.gauss[7], 19);
    ed.yText = "7.5";
    ed.parameter = GaussParameter::Theta;
    ed.plus();
    EXPECT_FLOAT_EQ(s.gauss[8], 3.5f);
    EXPECT_FLOAT_EQ(s.gauss[10], 7.5f);
    ed.next(); // wraps
    EXPECT_EQ(ed.current(), 1);

    // Cancel: the old table comes back.
    ed.cancel();
    EXPECT_EQ(s.gauss, old);

    // Delete sorts the rest; Insert finds the source the components miss;
    // OK stores the sorted copy.
    ASSERT_TRUE(ed.open(b.wb));
    ed.remove();
    EXPECT_EQ(ed.components(), 1);
    EXPECT_EQ(ed.current(), 1);
    EXPECT_FLOAT_EQ(s.gauss[5], 20);
    ed.insert();
    EXPECT_EQ(ed.components(), 2);
    EXPECT_EQ(ed.current(), 2);
    EXPECT_NEAR(s.gauss[9], 60, 0.5);
    EXPECT_NEAR(s.gauss[7], 40, 1);
    EXPECT_NEAR(s.gauss[8], 4, 1);
    ed.parameter = GaussParameter::XPosition;
    ed.scale = 10;
    ed.count = 5;
    ed.minus(); // now left of the first: OK sorts
    ed.ok();
    ASSERT_EQ(s.gauss[0], 2);
    EXPECT_EQ(s.gauss[2], -1);
    EXPECT_LT(s.gauss[5], s.gauss[9]);

    // Deleting the last component leaves no table at OK.
    ASSERT_TRUE(ed.open(b.wb));
    ed.remove();
    ed.remove();
    ed.ok();
    EXPECT_TRUE(s.gauss.empty());
}

TEST(GaussEditor, Refusals)
{
    EditorBench b;
    b.wb.allMode = true;
    b.run(176);
    b.expectMessage("Must be option ONE");
    b.wb.allMode = false;
    b.select(true, true);
    b.run(176);
    b.expectMessage("May to check one WORKSHEET only");
    b.select(false, true);
    b.run(176);
    b.expectMessage("Different types of polarization in worksheet and gauss data");
    // A dialog that ends without OK, and a batch run, change nothing.
    const auto old = b.wb.activeScan->gauss;
    b.select(true, false);
    b.run(176);
    EXPECT_EQ(b.wb.activeScan->gauss, old);
    b.wb.interactiveMode = false;
    b.wb.allMode = true;
    b.wb.dispatch(176);
    EXPECT_TRUE(b.ui.messages.empty());
    // Insert into a damaged table: the count is limited to what is there.
    b.wb.interactiveMode = true;
    b.wb.allMode = false;
    b.wb.activeScan->gauss = {1e9f, 1, -1, 5};
    GaussEditor ed;
    ASSERT_TRUE(ed.open(b.wb));
    EXPECT_EQ(ed.components(), 0);
    ed.insert();
    EXPECT_EQ(ed.components(), 1);
    ed.cancel();
}
