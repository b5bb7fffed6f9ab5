#include "analysis/gauss_analysis.h"
#include "proc/proc_commands.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

// A*exp(-ln2 (i-c)^2/h^2) on a constant background.
std::vector<float> source(int n, double a, double h, double c, double background = 0)
{
    std::vector<float> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        y[std::size_t(i)] = float(background + a * std::exp(-std::log(2.0) * (i - c) * (i - c) / (h * h)));
    return y;
}

GaussDialogFields fields(const char* k, const char* m = "", bool spline = false) { return {k, m, spline}; }

int threadCount()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

} // namespace

TEST(GaussFlux, ExactSourceTableAndReport)
{
    AnalysisBench b;
    const auto y = source(200, 500, 10, 97.4);
    auto v = y;
    for (float& x : v)
        x = -x; // a negative source on V(L)
    b.load(scansOf(curveScan(3.0f, y, v)));
    ScanRecord& s = *b.wb.activeScan;
    s.step = 2;
    s.fluxCoef = 3;
    s.centerPoint = 90;
    s.beamHalfsize = 4;
    b.wb.settings.gaussNoise = 10;
    b.wb.settings.koefFlux = 1.5f;
    b.select(true, false);
    b.span(20, 180);
    b.ui.gaussAnswers.push_back(fields("3"));
    b.run(124);
    ASSERT_EQ(s.gauss.size(), std::size_t(kGaussTableFloats));
    // K, the channel (I), no component chosen in the editor.
    EXPECT_EQ(std::vector<float>(s.gauss.begin(), s.gauss.begin() + 3), (std::vector<float>{1, 1, -1}));
    EXPECT_NEAR(s.gauss[3], 500, 3); // the 3-point smoothing lowers the peak a little
    EXPECT_NEAR(s.gauss[4], 10 * 0.83 / std::sqrt(std::log(2.0)), 0.05);
    EXPECT_NEAR(s.gauss[5], 97.4, 0.05);
    ASSERT_EQ(b.ui.reports.size(), 2u);
    EXPECT_EQ(b.ui.reports[0].title, "Gauss Analiz");
    const double h = s.gauss[4] * 2.0, flux = 2.128 * 1.5 * h * s.gauss[3] * 3;
    const double theta = std::sqrt(4 * h * h - 16), pos = (s.gauss[5] - 90) * 2;
    EXPECT_EQ(b.ui.reports[0].text, "Frq\t Date obs.\t Time obs.\tFlx0" + b.wb.settings.unitFlux + "\tTheta0[" +
                                         b.wb.settings.unitAxisX + "]\tPos0[" + b.wb.settings.unitAxisX +
                                         "]\r\n3.00\t2004/05/01\t05:00:00" +
                                         format("\t%.2f\t%.2f\t%.2f\r\n", flux, theta, pos));
    EXPECT_EQ(b.ui.reports[1].title, "Gauss Errors");
    EXPECT_EQ(b.ui.reports[1].text.substr(0, 35), "Frq\t Date obs.\t Time obs.\tdFlx0" + b.wb.settings.unitFlux);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");

    // Gauss Param gives the same flux; after Ta[K]=>Flux the table is in
    // flux units and the flux stays the same.
    const std::string fluxText = format("\t%.2f\t", flux);
    b.run(166);
    EXPECT_NE(b.lastReport().find(fluxText), std::string::npos);
    registerWorksheetCommands(b.wb.commands());
    const float amplitude = s.gauss[3];
    b.run(146);
    EXPECT_EQ(s.fluxWrk, 1);
    EXPECT_FLOAT_EQ(s.gauss[3], amplitude * 3);
    b.run(166);
    EXPECT_NE(b.lastReport().find(fluxText), std::string::npos);

    // V(L) in flux units: a negative amplitude and flux, no coefficient.
    std::copy(v.begin(), v.end(), s.wrkV());
    b.select(false, true);
    b.ui.gaussAnswers.push_back(fields("")); // empty: K as before
    b.run(124);
    EXPECT_EQ(s.gauss[1], 0);
    EXPECT_NEAR(s.gauss[3], -500, 3);
    EXPECT_NE(b.ui.reports.at(b.ui.reports.size() - 2).text.find(format("\t%.2f\t", 2.128 * 1.5 * s.gauss[4] * 2.0 * s.gauss[3])),
              std::string::npos);
}

TEST(GaussFlux, RefusalsAndBadInput)
{
    AnalysisBench b;
    b.load(scansOf(curveScan(3.0f, source(100, 300, 5, 50), source(100, 300, 5, 50))));
    ScanRecord& s = *b.wb.activeScan;
    s.gauss = {1, 1, -1, 7, 8, 9, 0};
    const auto old = s.gauss;
    b.span(10, 90);
    b.select(true, true);
    b.run(124);
    b.expectMessage("May to check one WORKSHEET only");
    b.select(true, false);
    for (const char* k : {"0", "16", "x", "-3"}) {
        b.ui.gaussAnswers.push_back(fields(k));
        b.run(124);
    }
    b.ui.gaussAnswers.push_back(fields("3", "two"));
    b.run(124);
    b.run(124); // dialog cancelled
    s.calibWrk = 0;
    b.ui.boxAnswers.push_back(kCancel);
    b.ui.gaussAnswers.push_back(fields("3"));
    b.run(124);
    b.expectMessage("The data are not calibrated");
    EXPECT_EQ(b.ui.gaussAnswers.size(), 1u); // Cancel stopped before the dialog
    b.ui.gaussAnswers.clear();
    s.calibWrk = 1;
    EXPECT_EQ(s.gauss, old);
    EXPECT_TRUE(b.ui.reports.empty());

    // Selections of fewer than 7 points, flat, all-negative and NaN curves
    // keep the old table and write nothing.
    b.span(40, 45);
    b.ui.gaussAnswers.push_back(fields("3"));
    b.run(124);
    b.span(10, 90);
    for (float fill : {5.0f, -5.0f, std::numeric_limits<float>::quiet_NaN()}) {
        std::fill(s.wrkI() + 30, s.wrkI() + 70, fill);
        if (fill == 5.0f)
            std::fill(s.wrkI(), s.wrkI() + 100, fill);
        b.ui.gaussAnswers.push_back(fields("3"));
        b.run(124);
    }
    EXPECT_EQ(s.gauss, old);
    EXPECT_TRUE(b.ui.reports.empty());

    // Batch: K from the first argument, never a question; a bad K fails.
    std::copy_n(source(100, 300, 5, 50).begin(), 100, s.wrkI());
    b.wb.takeFailures();
    b.wb.interactiveMode = false;
    b.wb.fileOutput = false;
    b.wb.batchArgs = {16, 0, 0, 0};
    b.wb.dispatch(124);
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    b.wb.batchArgs = {2.9f, 0, 0, 0};
    b.wb.dispatch(124);
    b.wb.interactiveMode = true;
    EXPECT_EQ(s.gauss[0], 1);
    EXPECT_NEAR(s.gauss[5], 50, 0.05);
}

TEST(GaussFlux, PickingInitialComponents)
{
    AnalysisBench b;
    auto y = source(200, 400, 8, 80);
    const auto y2 = source(200, 250, 8, 101.6);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] += y2[i];
    b.load(scansOf(curveScan(3.0f, y)));
    b.select(true, false);
    b.span(0, 199);
    b.wb.geometry = frameGeometry(50, 249, 10, 210, 0, 199);
    b.ui.gaussAnswers.push_back(fields("2", "2")); // m0 = K becomes K - 1
    b.run(124);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar: Choice of a 1 gaussian(s)");
    EXPECT_EQ(b.wb.interaction, InteractionMode::GaussChoice);
    EXPECT_EQ(b.wb.view.gaussChoice, 1);

    // Other commands are refused; Gauss Flux itself does nothing; Cancel ends it.
    b.run(165);
    b.expectMessage("Coice of points is ON");
    b.ui.gaussAnswers.push_back(fields("2"));
    b.run(124);
    EXPECT_EQ(b.ui.gaussAnswers.size(), 1u);
    b.wb.dispatch(2);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    EXPECT_EQ(b.wb.view.gaussChoice, 0);
    EXPECT_FALSE(b.wb.plotDoubleClickHook);
    EXPECT_TRUE(b.wb.picked.x.empty());

    // Picking again: the double click at pixel 151 is point 101.
    b.ui.gaussAnswers.front() = fields("2", "1");
    b.run(124);
    ASSERT_TRUE(b.wb.plotDoubleClickHook);
    b.wb.plotDoubleClickHook(b.wb, 151, 100);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    EXPECT_EQ(b.ui.statuses.at(b.ui.statuses.size() - 1 - 0).empty(), false);
    const ScanRecord& s = *b.wb.activeScan;
    ASSERT_EQ(s.gauss[0], 2);
    EXPECT_NEAR(s.gauss[5], 80, 0.1);
    EXPECT_NEAR(s.gauss[9], 101.6, 0.1);
    EXPECT_EQ(b.ui.reports.size(), 2u);
}

TEST(GaussFlux, AbortRestoresEveryTable)
{
    AnalysisBench b;
    std::vector<std::unique_ptr<ScanRecord>> scans;
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 2);
    for (int k = 0; k < 20; ++k) {
        auto y = source(60, 200 + 10 * k, 6, 20 + k, 20);
        for (float& v : y)
            v += float(noise(rng));
        scans.push_back(curveScan(1.0f + k, y));
    }
    b.load(std::move(scans));
    b.select(true, false);
    b.span(5, 55);
    b.wb.allMode = true;
    b.wb.view.confirmAll = false;
    std::vector<std::vector<float>> before;
    for (std::size_t k = 0; k < 20; ++k) {
        b.wb.scans.at(int(k))->gauss = {1, 1, -1, float(k), 3, 50, 0};
        before.push_back(b.wb.scans.at(int(k))->gauss);
    }
    const int threads = threadCount();
    std::uniform_int_distribution<int> when(1, 30);
    int aborted = 0;
    for (int run = 0; run < 200; ++run) {
        b.ui.reports.clear();
        b.ui.pumps = 0;
        b.ui.abortAfterPumps = when(rng);
        b.ui.gaussAnswers.push_back(fields("2"));
        b.run(124);
        EXPECT_EQ(threadCount(), threads);
        if (b.wb.takeFailures().empty()) {
            EXPECT_EQ(b.ui.reports.size(), 2u);
            for (std::size_t k = 0; k < 20; ++k)
                b.wb.scans.at(int(k))->gauss = before[k];
            continue;
        }
        ++aborted;
        EXPECT_TRUE(b.ui.reports.empty());
        for (std::size_t k = 0; k < 20; ++k)
            ASSERT_EQ(b.wb.scans.at(int(k))->gauss, before[k]) << run;
    }
    EXPECT_GT(aborted, 20);
}
