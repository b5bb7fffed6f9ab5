#include "app/scan_record.h"
#include "beam/beam_commands.h"
#include "beam/fft_beam_correction.h"
#include "tests/app/scan_fixture.h"
#include "tests/support/python_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

// A scan at 10 GHz, 2 arc seconds a point, the disk centre at 300.
std::unique_ptr<ScanRecord> sunScan(int n = 600, float frequency = 10)
{
    auto s = makeScan(frequency, "2004/05/01", "05:00:00", n, true, true, 2.0f);
    s->altitude = 50;
    s->radius = 960;
    s->centerPoint = 300;
    s->flagIvWrk = 1;
    return s;
}

struct BeamBench : Bench {
    BeamBench() { registerBeamCommands(wb.commands()); }
    ScanRecord& active() { return *wb.activeScan; }
    void runBatch(float r, float l, float width, float noise)
    {
        wb.interactiveMode = false;
        wb.batchArgs = {r, l, width, noise};
        wb.dispatch(202);
        wb.interactiveMode = true;
    }
    std::vector<std::string> failures() { return wb.takeFailures(); }
};

// Observation of a sky through a beam whose middle point is its axis: the
// convolution the correction undoes.
std::vector<float> observe(const std::vector<double>& sky, const BeamModel& beam)
{
    const int n = static_cast<int>(sky.size()), half = (beam.n() - 1) / 2;
    std::vector<float> out(sky.size());
    for (int i = 0; i < n; ++i) {
        double s = 0;
        for (int j = 0; j < beam.n(); ++j) {
            const int k = i - (j - half);
            if (k >= 0 && k < n)
                s += beam.values()[static_cast<std::size_t>(j)] * sky[static_cast<std::size_t>(k)];
        }
        out[static_cast<std::size_t>(i)] = static_cast<float>(s);
    }
    return out;
}

// Centroid of the peak above half its height.
double peakPosition(const std::vector<float>& v)
{
    const auto top = std::max_element(v.begin(), v.end()) - v.begin();
    double w = 0, s = 0;
    for (auto i = top; i >= 0 && v[static_cast<std::size_t>(i)] > v[static_cast<std::size_t>(top)] / 2; --i)
        w += v[static_cast<std::size_t>(i)], s += static_cast<double>(i) * v[static_cast<std::size_t>(i)];
    for (auto i = top + 1; i < static_cast<long>(v.size()) && v[static_cast<std::size_t>(i)] > v[static_cast<std::size_t>(top)] / 2; ++i)
        w += v[static_cast<std::size_t>(i)], s += static_cast<double>(i) * v[static_cast<std::size_t>(i)];
    return s / w;
}

} // namespace

TEST(FftBeamCorrection, RangeAndTransformLength)
{
    auto s = sunScan(200);
    s->radius = 10; // 2 radii of 2 arcsec points: 10 points each side of 300.3
    s->centerPoint = 120.7f;
    auto r = correctionRange(*s, 2, 0, 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->lo, 110);
    EXPECT_EQ(r->hi, 130);
    EXPECT_EQ(r->c, 120);
    // Width 0: the shown part, made symmetric about the largest |wrkI|.
    s->wrkI()[30] = -1e4f;
    r = correctionRange(*s, 0, 10, 90);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->lo, 10);
    EXPECT_EQ(r->hi, 50);
    EXPECT_EQ(r->c, 30);
    s->step = 0;
    EXPECT_FALSE(correctionRange(*s, 2, 0, 0));
    EXPECT_EQ(transformLength(100), 128u);
    EXPECT_EQ(transformLength(4), 4u);
    EXPECT_EQ(transformLength(5), 8u);
    EXPECT_EQ(transformLength(65), 128u);
}

TEST(FftBeamCorrection, MatchesTheSameStepsInNumpy)
{
    if (!pythonImports("numpy"))
        GTEST_SKIP() << "python3-numpy is not installed";
    const auto scan = sunScan();
    const BeamConfig config;
    const BeamModel focal = scanBeam(*scan, config, 0, 0);
    std::mt19937 g(3);
    std::normal_distribution<double> noise(0, 0.5);
    for (bool middle : {true, false})
        for (int n : {20, 100, 301}) { // 20: the beams are longer than the range
            const BeamModel shifted = scanBeam(*scan, config, middle ? 12.5 : -12.5, middle ? 0 : 40);
            std::vector<double> v(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                v[static_cast<std::size_t>(i)] = 50 * std::exp(-std::pow((i - n * 0.4) / 6, 2)) + 10 + noise(g);
            const std::string in = std::string(::testing::TempDir()) + "correct.json";
            FILE* f = std::fopen(in.c_str(), "w");
            auto list = [f](const std::vector<double>& x) {
                for (std::size_t i = 0; i < x.size(); ++i)
                    std::fprintf(f, "%s%.17e", i ? "," : "[", x[i]);
                std::fprintf(f, "]");
            };
            std::fprintf(f, "{\"middle\": %s, \"noise\": 0.001, \"v\": ", middle ? "true" : "false");
            list(v);
            std::fprintf(f, ", \"focal\": ");
            list(focal.values());
            std::fprintf(f, ", \"shifted\": ");
            list(shifted.values());
            std::fprintf(f, "}\n");
            std::fclose(f);

            FftBeamCorrector corrector;
            std::vector<double> mine = v;
            ASSERT_TRUE(corrector.correct(mine.data(), n, focal, shifted, middle, 0.001));
            EXPECT_EQ(corrector.lastLength(), n == 301 ? 512u : 128u);
            const auto ref = numbersIn(runReference("beam/beam_reference.py", "correct " + in).value_or(""));
            ASSERT_EQ(ref.size(), v.size());
            for (std::size_t i = 0; i < v.size(); ++i)
                ASSERT_NEAR(mine[i], ref[i], 1e-9 * 60) << i;
        }
}

TEST(FftBeamCorrection, BringsTheShiftedSourcesBackToTheirPlace)
{
    BeamBench b;
    b.load(scansOf(sunScan()));
    ScanRecord& s = b.active();
    const BeamConfig config;
    const double truth = 250.3;
    std::vector<double> sky(600, 0.0);
    for (std::size_t i = 0; i < sky.size(); ++i)
        sky[i] = 100 * std::exp(-std::pow((static_cast<double>(i) - truth) / 1.5, 2));
    const auto r = observe(sky, scanBeam(s, config, 12.5, 0));
    const auto l = observe(sky, scanBeam(s, config, -12.5, 0));
    std::copy(r.begin(), r.end(), s.wrkI());
    std::copy(l.begin(), l.end(), s.wrkV());
    EXPECT_GT(std::abs(peakPosition(r) - truth), 5); // 16.6 arcsec is 8.3 points
    EXPECT_NEAR(peakPosition(r) - truth, truth - peakPosition(l), 0.2);
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_TRUE(b.failures().empty());
    EXPECT_NEAR(peakPosition(wrkOf(s, 1)), truth, 0.2);
    EXPECT_NEAR(peakPosition(wrkOf(s, 2)), truth, 0.2);
}

TEST(FftBeamCorrection, EdgeCasesAndRefusals)
{
    BeamBench b;
    b.load(scansOf(sunScan(600, 10), sunScan(200, 12))); // the second shorter than its range
    ScanRecord& s = *b.wb.scans.at(0);
    ScanRecord& shorter = *b.wb.scans.at(1);
    ASSERT_EQ(s.nPoints, 600);
    b.wb.setActive(&s);
    std::mt19937 g(5);
    std::uniform_real_distribution<float> d(-50, 50);
    for (int i = 0; i < s.nPoints; ++i) {
        s.wrkI()[i] = d(g);
        s.wrkV()[i] = d(g);
    }
    s.flagIvWrk = 0;
    const auto i0 = wrkOf(s, 1), v0 = wrkOf(s, 2);

    // Interactive: both worksheets needed, then the dialog (Cancel stops).
    b.wb.chkWrkI = true;
    b.wb.chkWrkV = false;
    b.wb.dispatch(202);
    b.expectMessage("WORKSHEET is not checked");
    EXPECT_EQ(b.failures().size(), 1u);
    b.wb.chkWrkV = true;
    b.wb.dispatch(202);
    EXPECT_EQ(b.ui.beamShown.size(), 1u);
    EXPECT_EQ(wrkOf(s, 1), i0);

    // K = 1: nothing changes but the I,V -> R,L conversion, done once.
    auto k1 = beamDialogFields(std::nullopt);
    k1.values[6] = "1e30";
    b.ui.beamAnswers = {k1};
    b.wb.dispatch(202);
    EXPECT_EQ(s.flagIvWrk, 1);
    for (int i = 0; i < s.nPoints; i += 7) {
        EXPECT_NEAR(s.wrkI()[i], i0[static_cast<std::size_t>(i)] + v0[static_cast<std::size_t>(i)], 1e-4);
        EXPECT_NEAR(s.wrkV()[i], i0[static_cast<std::size_t>(i)] - v0[static_cast<std::size_t>(i)], 1e-4);
    }
    const auto r1 = wrkOf(s, 1);
    b.runBatch(12.5f, -12.5f, 2, 1e30f);
    for (int i = 0; i < s.nPoints; i += 7)
        EXPECT_NEAR(s.wrkI()[i], r1[static_cast<std::size_t>(i)], 1e-4);

    // ALL mode: the shorter scan is skipped and named; the test option's
    // curves go to the reports in batch.
    auto conf = *loadBeamConfig(b.store);
    conf.testOption = 1;
    storeBeamConfig(b.store, conf);
    b.wb.allMode = true;
    b.wb.fileOutput = false; // a script: reports go to the report window
    const auto shortBefore = wrkOf(shorter, 1);
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_EQ(wrkOf(shorter, 1), shortBefore);
    auto f = b.failures();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_NE(f[0].find("left as it is"), std::string::npos);
    b.wb.allMode = false;
    ASSERT_EQ(b.ui.reports.size(), 1u); // five titled curves a channel, appended
    const std::string& text = b.ui.reportText;
    EXPECT_EQ(b.ui.reports[0].title, "Corrected Beam: size=27.109arc.sec");
    EXPECT_EQ(text.rfind("0 ", 0), 0u); // "%d %.9e" lines
    EXPECT_NE(text.find("\n43 1.000000000e+00\n44 "), std::string::npos); // the axis of 87 points
    EXPECT_NE(text.find("FFT of source"), std::string::npos);
    b.wb.fileOutput = true;
    // Interactively they open curve windows: five for each channel.
    auto withTest = beamDialogFields(conf);
    b.ui.beamAnswers = {withTest};
    b.wb.dispatch(202);
    ASSERT_EQ(b.ui.curves.size(), 10u);
    const char* const titles[] = {"Corrected Beam: size=27.109arc.sec", "FFT of source",
                                  "Shifted Beam: size=27.145arc.sec", "FFT of Shifted Beam", "FFT of Corrected Source"};
    for (std::size_t k = 0; k < 10; ++k)
        EXPECT_EQ(b.ui.curves[k].title, titles[k % 5]);
    EXPECT_EQ(b.ui.curves[1].text, "1024"); // 600 points: M = 1024 values

    // Bad inputs: no beam (frequency 0, altitude giving q <= 0, NaN field),
    // step 0, ranges of 0-3 points, no arguments at all. Nothing changes.
    const auto before = wrkOf(s, 1);
    conf.testOption = 0;
    storeBeamConfig(b.store, conf);
    s.frequency = 0;
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_EQ(b.failures().size(), 2u); // R and L
    s.frequency = 10;
    s.altitude = 140;
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_EQ(b.failures().size(), 2u);
    s.altitude = 50;
    conf.verticalPoints = NAN;
    storeBeamConfig(b.store, conf);
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_EQ(b.failures().size(), 2u);
    conf.verticalPoints = 41;
    storeBeamConfig(b.store, conf);
    s.step = 0;
    b.runBatch(12.5f, -12.5f, 2, 0.001f);
    EXPECT_EQ(b.failures().size(), 1u);
    s.step = 2;
    for (float radius : {0.0f, 1.0f, 2.0f}) {
        s.radius = radius;
        b.runBatch(12.5f, -12.5f, 1, 0.001f);
        EXPECT_EQ(b.failures().size(), 1u) << radius;
    }
    s.radius = 960;
    b.show(100, 103); // width 0: the shown part, 3 points
    b.runBatch(0, 0, 0, 0);
    EXPECT_EQ(b.failures().size(), 1u);
    EXPECT_EQ(wrkOf(s, 1), before);
    b.show(100, 300); // no arguments: focal beams both, nothing moves
    b.runBatch(0, 0, 0, 0);
    EXPECT_TRUE(b.failures().empty());
    for (int i = 0; i < s.nPoints; i += 7)
        EXPECT_NEAR(s.wrkI()[i], before[static_cast<std::size_t>(i)], 1e-3);
}
