#include "analysis/flux_report.h"
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

    // An empty selection divides by nothing.
    b.select(true, true);
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
    EXPECT_DOUBLE_EQ(sum(x, 0, 4, -7), 6);
    for (int base = 0; base < 5; ++base)
        EXPECT_EQ(sum(x, 3, 3, base), 0) << base;

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
    EXPECT_EQ(b.lastReport(), "Frq\t Date obs.\t Time obs.\tFi[sfu]\tFv[sfu] [line substraction]\r\n"
                              "3.00" + kDateTime + "\t14.36\t0.00\r\n"); // 1.064*2*1.5*1.5*3
    s.fluxWrk = 1;
    b.run(125, "4.9"); // truncated to 4: plain sums 6 and 4
    EXPECT_EQ(b.lastReport(), "Frq\t Date obs.\t Time obs.\tFi[sfu]\tFv[sfu] [no substraction]\r\n"
                              "3.00" + kDateTime + "\t19.15\t12.77\r\n"); // 1.064*2*1.5*6, *4

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
    // A NaN argument ends Full Flux.
    b.wb.batchArgs = {std::numeric_limits<float>::quiet_NaN(), 0, 0, 0};
    b.wb.dispatch(125);
    EXPECT_EQ(readTextFile(dir.file("Local Flux.dat")), flux + flux);
}
