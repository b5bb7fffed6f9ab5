// Local spectrum: picking, the report, the batch positions and the click
// spectrum handed to the local graph.
#include "analysis/local_graph_table.h"
#include "analysis/local_spectrum.h"
#include "tests/analysis/analysis_bench.h"
#include "view/plot_mouse.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

// Four calibrated scans of 100 points; Worksheet I(R) holds f*1000 + i,
// Worksheet V(L) -(f*1000 + i).
struct SpectrumBench : AnalysisBench {
    SpectrumBench(int count = 4)
    {
        std::vector<std::unique_ptr<ScanRecord>> v;
        for (int k = 0; k < count; ++k) {
            const float f = 2.0f + float(k);
            std::vector<float> i(100), w(100);
            for (int p = 0; p < 100; ++p) {
                i[std::size_t(p)] = f * 1000 + float(p);
                w[std::size_t(p)] = -i[std::size_t(p)];
            }
            auto s = curveScan(f, i, w);
            s->centerPoint = 50;
            s->step = 2;
            v.push_back(std::move(s));
        }
        load(std::move(v));
        wb.allMode = true;
        select(true, false);
        span(0, 100);
        wb.geometry = frameGeometry(0, 100, 10, 110, 0, 100);
    }
};

} // namespace

TEST(LocalSpectrum, PickedPositionsGiveTheReport)
{
    SpectrumBench b;
    b.run(175, "16"); // outside 1 ... 15: nothing
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    b.run(175, "3");
    EXPECT_EQ(b.ui.titles.back(), "Quillmar: Choice of a 3 position(s)");
    EXPECT_EQ(b.wb.view.gaussChoice, -1);
    ASSERT_TRUE(b.wb.plotDoubleClickHook);
    for (int x : {10, 55, 99})
        b.wb.plotDoubleClickHook(b.wb, x, 50);
    EXPECT_EQ(b.ui.statuses.at(b.ui.statuses.size() - 2), "Choice of a 2 position(s) from 3");
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Spectrum of chosen position(s)");
    const char u = b.wb.settings.unitAxisX;
    EXPECT_EQ(b.lastReport(), format("Frq_I\t-80.00%c\t10.00%c\t98.00%c\r\n", u, u, u) +
                                  "2.00\t2.0100e+03\t2.0550e+03\t2.0990e+03\r\n"
                                  "3.00\t3.0100e+03\t3.0550e+03\t3.0990e+03\r\n"
                                  "4.00\t4.0100e+03\t4.0550e+03\t4.0990e+03\r\n"
                                  "5.00\t5.0100e+03\t5.0550e+03\t5.0990e+03\r\n");
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");

    // Two Worksheet switches: refused before the prompt.
    b.select(true, true);
    const std::size_t prompts = b.ui.prompts.size();
    b.run(175, "2");
    b.expectMessage("May to check one WORKSHEET only");
    EXPECT_EQ(b.ui.prompts.size(), prompts);
}

TEST(LocalSpectrum, BatchPositionsFromTheTitle)
{
    SpectrumBench b;
    b.select(false, true);
    b.wb.interactiveMode = false;
    b.wb.fileOutput = false;
    auto run = [&](float count, const char* title) {
        b.ui.reports.clear();
        b.ui.reportOpen = false;
        b.wb.batchArgs = {count, 0, 0, 0};
        b.wb.batchTitle = title;
        b.wb.dispatch(175);
        return b.wb.takeFailures();
    };
    EXPECT_TRUE(run(2, "-20 3.5").empty());
    ASSERT_EQ(b.ui.reports.size(), 1u);
    const char u = b.wb.settings.unitAxisX;
    const std::string start = format("Frq_V\t-20.00%c\t3.50%c\r\n2.00\t-2.0400e+03\t-2.0510e+03\r\n", u, u);
    EXPECT_EQ(b.lastReport().substr(0, start.size()), start);
    EXPECT_EQ(run(0, "1"), std::vector<std::string>{"Number of points must be 1 ... 15"});
    EXPECT_EQ(run(NAN, "1"), std::vector<std::string>{"Number of points must be 1 ... 15"});
    EXPECT_EQ(run(3, "1 2"), std::vector<std::string>{"The title holds fewer than 3 positions"});
    EXPECT_EQ(run(1, "x"), std::vector<std::string>{"The title holds fewer than 1 positions"});
    EXPECT_EQ(run(1, "100"), std::vector<std::string>{"Position 100 lies outside the scan"});
    EXPECT_EQ(run(1, "nan"), std::vector<std::string>{"Position nan lies outside the scan"});
    EXPECT_TRUE(b.ui.reports.empty());
}

TEST(LocalSpectrum, ClickSpectrumGoesToTheLocalGraph)
{
    SpectrumBench b(5);
    std::vector<LocalGraphTable> shown;
    b.wb.localGraphHook = [&](Workbench&, const LocalGraphTable& t) { shown.push_back(t); };
    b.wb.clickSpectrumHook = clickSpectrum;
    PlotMouse mouse;
    b.select(false, true);
    mouse.leftDoubleClick(b.wb, 30, 50); // local graph off: nothing
    EXPECT_TRUE(shown.empty());
    b.wb.view.localGraph = true;
    mouse.leftDoubleClick(b.wb, 30, 50);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Local spectrum (Ta)");
    EXPECT_FALSE(shown[0].showI);
    ASSERT_EQ(shown[0].rows.size(), 5u);
    EXPECT_EQ(shown[0].rows[4].x, 6.0);
    EXPECT_EQ(shown[0].rows[4].i, 0.0);
    EXPECT_EQ(shown[0].rows[4].v, -6030.0);
    b.select(false, false); // no switch: nothing
    mouse.leftDoubleClick(b.wb, 30, 50);
    EXPECT_EQ(shown.size(), 1u);
    // While positions are picked a left press gives the spectrum and the
    // double click picks.
    b.select(true, false);
    b.run(175, "1");
    mouse.leftDown(b.wb, 40, 50);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].rows[0].i, 2040.0);
    mouse.leftDoubleClick(b.wb, 40, 50);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(b.ui.reports.size(), 1u);
}
