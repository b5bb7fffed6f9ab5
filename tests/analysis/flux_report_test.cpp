#include "analysis/flux_report.h"
#include "analysis/local_graph_table.h"
#include "tests/analysis/analysis_bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace qm;
using namespace qm::test;

namespace {

const std::string kDateTime = "\t2004/05/01\t05:00:00";

} // namespace

TEST(FluxReport, SigmaReport)
{
    AnalysisBench b;
    const auto noisy = noise(30, 3, -40, 60);
    std::vector<float> line(30);
    for (int i = 0; i < 30; ++i)
        line[std::size_t(i)] = 2.0f * float(i) + 1;
    b.load(scansOf(curveScan(3.0f, noisy, line)));
    b.select(true, true);
    b.span(5, 25);
    b.run(165);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Scan's sigma");
    EXPECT_TRUE(b.ui.messages.empty()); // calibrated: nothing to say

    // Independent figures of I over points 5 .. 24.
    const std::vector<float> part(noisy.begin() + 5, noisy.begin() + 25);
    double mean = 0;
    for (float v : part)
        mean += v;
    mean /= 20;
    const double sigma = referenceSigma(noisy, 5, 20);
    const auto [lo, hi] = std::minmax_element(part.begin(), part.end());
    double lineMean = 0;
    for (int i = 5; i < 25; ++i)
        lineMean += line[std::size_t(i)];
    lineMean /= 20;
    const std::string expected =
        "Frq\t Date obs.\t Time obs.\tAverI\tSigmaI\tRelSigI\tAverV\tSigmaV\tRelSigV\r\n" +
        format("3.00%s\t%.2f\t%.2f\t%.2e\t%.2f\t0.00\t0.00e+00\r\n", kDateTime.c_str(), mean, sigma,
               sigma / (double(*hi) - *lo), lineMean);
    EXPECT_EQ(b.lastReport(), expected);

    // A constant curve: sigma 0, the relative sigma divides by 1; a
    // switched-off channel reports zeros.
    std::fill(b.wb.activeScan->wrkI(), b.wb.activeScan->wrkI() + 30, 7.0f);
    b.select(true, false);
    b.run(165);
    EXPECT_EQ(b.lastReport().substr(b.lastReport().find("\r\n") + 2),
              "3.00" + kDateTime + "\t7.00\t0.00\t0.00e+00\t0.00\t0.00\t0.00e+00\r\n");

    // An empty or reversed selection divides by nothing.
    b.select(true, true);
    for (auto [vb, ve] : {std::pair{10, 10}, std::pair{20, 5}, std::pair{28, 40}}) {
        b.span(vb, ve);
        b.run(165);
        EXPECT_EQ(b.lastReport().find("nan"), std::string::npos) << vb;
    }
    b.span(10, 10);
    b.run(165);
    EXPECT_EQ(b.lastReport().substr(b.lastReport().find("\r\n") + 2),
              "3.00" + kDateTime + "\t0.00\t0.00\t0.00e+00\t0.00\t0.00\t0.00e+00\r\n");
}

TEST(FluxReport, FullFluxBaselines)
{
    auto sum = [](std::vector<float> x, int b, int e, int base) {
        return baselineSum(x.data() + b, e - b, int(x.size()) - b, base);
    };
    const std::vector<float> x = {0, 1, 2, 3, 9, 9};
    // Line: slope (3 - 0)/4 = 0.75, (1 - 0.75) + (2 - 1.5) + (3 - 2.25).
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, kBaseLine), 1.5);
    EXPECT_DOUBLE_EQ(sum(x, 0, 1, kBaseLine), 0); // fewer than two points
    EXPECT_DOUBLE_EQ(sum({5, 5, 5, 5}, 0, 4, kBaseLeft), 0);
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, kBaseLeft), 6);
    // Right: the point after the selection (9), or the last one at the end.
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, kBaseRight), 6 - 4 * 9);
    EXPECT_DOUBLE_EQ(sum(x, 2, 6, kBaseRight), 23 - 4 * 9);
    EXPECT_DOUBLE_EQ(sum({4, 2, 6}, 0, 3, kBaseMin), 2 + 0 + 4);
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, 4), 6);
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, -7), 6);
    for (int base = 0; base < 5; ++base)
        EXPECT_EQ(sum(x, 3, 3, base), 0) << base;
    EXPECT_STREQ(baselineLabel(0), "line substraction");
    EXPECT_STREQ(baselineLabel(1), "left point substraction");
    EXPECT_STREQ(baselineLabel(2), "rigth point substraction");
    EXPECT_STREQ(baselineLabel(3), "min point substraction");
    EXPECT_STREQ(baselineLabel(9), "no substraction");

    // The command: F = 1.064 step K_f sum, times the scan's coefficient
    // unless the worksheet holds fluxes.
    AnalysisBench b;
    b.load(scansOf(curveScan(3.0f, x, {1, 1, 1, 1, 1, 1})));
    ScanRecord& s = *b.wb.activeScan;
    s.step = 2;
    s.fluxCoef = 3;
    b.wb.settings.koefFlux = 1.5f;
    b.wb.settings.unitFlux = "[sfu]";
    b.select(true, true);
    b.span(0, 4);
    b.run(125, "0");
    ASSERT_EQ(b.ui.prompts, std::vector<std::string>{"0-line 1-L 2-R 3-min 4-no:"});
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Local Flux");
    EXPECT_EQ(b.lastReport(), "Frq\t Date obs.\t Time obs.\tFi[sfu]\tFv[sfu] [line substraction]\r\n"
                              "3.00" + kDateTime + "\t14.36\t0.00\r\n"); // 1.064*2*1.5*1.5*3
    s.fluxWrk = 1;
    b.run(125, "4.9"); // truncated to 4: plain sums 6 and 4
    EXPECT_EQ(b.lastReport(), "Frq\t Date obs.\t Time obs.\tFi[sfu]\tFv[sfu] [no substraction]\r\n"
                              "3.00" + kDateTime + "\t19.15\t12.77\r\n"); // 1.064*2*1.5*6, *4

    // Cancel or an unparsable answer: no report.
    b.run(125, std::nullopt);
    b.run(125, "x");
    EXPECT_EQ(b.ui.reports.size(), 2u);
}

TEST(FluxReport, GaussParam)
{
    AnalysisBench b;
    auto s = curveScan(3.0f, std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f));
    s->step = 2;
    s->centerPoint = 50;
    s->beamHalfsize = 8;
    s->fluxCoef = 1.5f;
    s->fluxWrk = 1; // the coefficient applies whatever the flag
    s->gauss = {2, 0, -1, 100, 5, 40, 0, -50, 1, 60, 0};
    auto none = curveScan(4.0f, std::vector<float>(100, 0.0f));
    b.load(scansOf(std::move(s), std::move(none)));
    b.wb.settings.koefFlux = 2;
    b.select(true, false);
    b.wb.allMode = true;
    b.wb.view.titleParts = 1;
    b.wb.view.localGraph = true;
    std::vector<LocalGraphTable> tables;
    b.wb.localGraphHook = [&](Workbench&, const LocalGraphTable& t) { tables.push_back(t); };
    b.run(166);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Gauss Analiz");
    // H = 5*2 = 10: F = 100*2.128*2*1.5*10 = 6384, theta = sqrt(400 - 64),
    // Tb = 6384*1.356e7*(30/3)^2/336, P = (40 - 50)*2. The second component
    // is narrower than the beam: theta and Tb are 0.
    EXPECT_EQ(b.lastReport(),
              "Frq\t Date obs.\t Time obs.\tPol.\tNum\t{Flx_i[Jy] Theta_i[\"] Theta_clean_i[\"] Tb[K] Pos_i[\"]}\r\n"
              "3.00" + kDateTime + "\tV\t2\t6384.00\t20.00\t18.33\t2.5764e+10\t-20.00"
              "\t-638.40\t4.00\t0.00\t0.0000e+00\t20.00\r\n");
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].title, "Gauss Analiz");
    EXPECT_TRUE(tables[0].showI);
    EXPECT_FALSE(tables[0].showV);
    ASSERT_EQ(tables[0].rows.size(), 2u);
    EXPECT_DOUBLE_EQ(tables[0].rows[0].x, 3.0);
    EXPECT_EQ(tables[0].rows[0].i, 0);
    EXPECT_NEAR(tables[0].rows[0].v, 6384, 1e-3); // first flux, channel V
    EXPECT_DOUBLE_EQ(tables[0].rows[1].x, 4.0);
    EXPECT_EQ(tables[0].rows[1].i, 0);
    EXPECT_EQ(tables[0].rows[1].v, 0);

    // A count larger than the table holds is limited to what is there; a
    // damaged count or none writes only the header.
    const std::string header = b.lastReport().substr(0, b.lastReport().find("\r\n") + 2);
    b.wb.allMode = false;
    ScanRecord& first = b.scan(0);
    first.gauss = {15, 1, -1, 10, 1, 50, 0};
    b.run(166);
    EXPECT_EQ(b.lastReport(), header + "3.00" + kDateTime + "\tI\t1\t127.68\t4.00\t0.00\t0.0000e+00\t0.00\r\n");
    for (auto g : {std::vector<float>{}, std::vector<float>{0, 1, -1}, std::vector<float>{2, 1},
                   std::vector<float>{std::numeric_limits<float>::quiet_NaN(), 1, -1, 1, 1, 1, 0}}) {
        first.gauss = g;
        b.run(166);
        EXPECT_EQ(b.lastReport(), header);
    }
    EXPECT_EQ(tables.size(), 1u); // ONE mode makes no table
}

TEST(FluxReport, ChecksAndLocalGraph)
{
    AnalysisBench b;
    std::vector<float> x = {0, 1, 2, 3, 4, 5, 6, 7};
    auto uncalibrated = curveScan(2.0f, x, x);
    uncalibrated->calibWrk = 0;
    b.load(scansOf(curveScan(1.0f, x, x), std::move(uncalibrated), curveScan(5.0f, x, x)));
    for (int k = 0; k < 3; ++k)
        b.scan(k).fluxCoef = float(k + 1);

    // No worksheet switch: 1001 and nothing else.
    b.select(false, false);
    b.run(165);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "WORKSHEET is not checked");
    EXPECT_EQ(b.ui.messages[0].caption, "Information");
    EXPECT_TRUE(b.ui.reports.empty());

    // An open report window: 1008 first.
    b.select(true, false);
    b.ui.reportOpen = true;
    b.ui.messages.clear();
    b.ui.textAnswers.push_back("1");
    b.wb.dispatch(125);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "You have the open EDITOR");
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_TRUE(b.ui.reports.empty());
    b.ui.reportOpen = false;

    // ALL mode with an uncalibrated scan: 1068 informs once, the run goes on.
    // The table goes to the local graph only while it is switched on.
    b.wb.allMode = true;
    b.wb.view.titleParts = 1;
    std::vector<LocalGraphTable> tables;
    b.wb.localGraphHook = [&](Workbench&, const LocalGraphTable& t) { tables.push_back(t); };
    b.ui.messages.clear();
    b.span(0, 8);
    b.run(165);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "The data are not calibrated");
    EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::Ok);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    const std::string sigmas = b.lastReport();
    EXPECT_EQ(std::count(sigmas.begin(), sigmas.end(), '\n'), 4);
    EXPECT_TRUE(tables.empty());

    b.wb.view.localGraph = true;
    b.run(125, "1"); // left point: sum of 0..7 = 28
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].title, "Local Flux");
    ASSERT_EQ(tables[0].rows.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(tables[0].rows[std::size_t(k)].x, b.scan(k).frequency);
        EXPECT_DOUBLE_EQ(tables[0].rows[std::size_t(k)].i, 1.064 * 28 * b.scan(k).fluxCoef);
        EXPECT_EQ(tables[0].rows[std::size_t(k)].v, 0); // switched off
    }
    // Group view: the group's scans only.
    b.wb.groupScans = {&b.scan(2), &b.scan(0)};
    b.wb.groupMode = 3;
    b.run(165);
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[1].rows.size(), 2u);
    EXPECT_EQ(tables[1].rows[0].x, 5.0);
    EXPECT_EQ(tables[1].rows[1].x, 1.0);
    EXPECT_EQ(b.lastReport().find("2.00\t"), std::string::npos);
}

TEST(FluxReport, BatchAsksNothingAndAppendsToFile)
{
    AnalysisBench b;
    TempDir dir;
    std::vector<float> x = {0, 1, 2, 3, 4, 5, 6, 7};
    auto s = curveScan(1.0f, x, x);
    s->calibWrk = 0;
    b.load(scansOf(std::move(s)));
    b.wb.interactiveMode = false;
    b.wb.fileOutput = true;
    b.wb.settings.output = dir.path().string();
    b.wb.currentFileLabel = "set.0hd";
    b.select(false, false); // the switches are not checked in batch runs
    b.span(0, 8);
    b.wb.batchArgs = {1, 0, 0, 0};
    b.wb.dispatch(125);
    b.wb.dispatch(125);
    b.wb.dispatch(165);
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.reports.empty());
    const std::string flux = "\r\nset.0hd\r\nFrq\t Date obs.\t Time obs.\tFi[Jy]\tFv[Jy] [left point substraction]\r\n"
                             "1.00" + kDateTime + "\t0.00\t0.00\r\n";
    EXPECT_EQ(readTextFile(dir.file("Local Flux.dat")), flux + flux);
    EXPECT_EQ(readTextFile(dir.file("Scan's sigma.dat")),
              "\r\nset.0hd\r\nFrq\t Date obs.\t Time obs.\tAverI\tSigmaI\tRelSigI\tAverV\tSigmaV\tRelSigV\r\n"
              "1.00" + kDateTime + "\t0.00\t0.00\t0.00e+00\t0.00\t0.00\t0.00e+00\r\n");
    // A NaN argument ends Full Flux; NaN samples only give NaN figures.
    b.wb.batchArgs = {std::numeric_limits<float>::quiet_NaN(), 0, 0, 0};
    b.wb.dispatch(125);
    EXPECT_EQ(readTextFile(dir.file("Local Flux.dat")), flux + flux);
    b.wb.chkWrkI = true;
    b.wb.activeScan->wrkI()[3] = std::numeric_limits<float>::quiet_NaN();
    b.wb.batchArgs = {3, 0, 0, 0};
    b.wb.dispatch(125);
    b.wb.dispatch(165);
    EXPECT_NE(readTextFile(dir.file("Local Flux.dat")).find("\tnan\t0.00\r\n"), std::string::npos);
}
