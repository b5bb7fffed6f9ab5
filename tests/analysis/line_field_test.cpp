// Spectral Line and Magnetic Field: checks, reports, the field table, and
// the field search against an independent numpy computation.
#include "analysis/line_field_search.h"
#include "tests/analysis/analysis_bench.h"
#include "tests/support/python_reference.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kPoints = 200, kCentre = 100;

double bump(int i, double width) { return std::exp(-std::log(2.0) * (i - kCentre) * (i - kCentre) / (width * width)); }

// A polarised source at point 100 on scans of f0, f0 + df, ... GHz whose
// amplitude falls linearly with wavelength to 0 at `lambdaC` cm.
std::vector<std::unique_ptr<ScanRecord>> fieldSet(int count, double lambdaC, float beam = 20, float f0 = 2,
                                                  float df = 1)
{
    std::vector<std::unique_ptr<ScanRecord>> v;
    for (int k = 0; k < count; ++k) {
        const float f = f0 + df * float(k);
        const double amplitude = std::max(0.0, 100 * (30 / f - lambdaC));
        std::vector<float> i(kPoints, 0.0f), w(kPoints);
        for (int p = 0; p < kPoints; ++p)
            w[std::size_t(p)] = float(amplitude * bump(p, 30));
        auto s = curveScan(f, i, w);
        s->step = 1;
        s->beamHalfsize = beam;
        s->centerPoint = 90;
        v.push_back(std::move(s));
    }
    return v;
}

struct FieldBench : AnalysisBench {
    void loadField(int count, double lambdaC, float beam = 20, float f0 = 2, float df = 1)
    {
        load(fieldSet(count, lambdaC, beam, f0, df));
        wb.allMode = true;
        select(false, true);
        wb.settings.gaussNoise = 10;
    }
};

} // namespace

TEST(LineField, ChecksReportTheLastFailingOne)
{
    FieldBench b;
    b.load(fieldSet(3, 20));
    b.select(false, false);
    b.run(190, "5");
    b.expectMessage("WORKSHEET is not checked"); // ALL mode is off too
    b.select(false, true);
    b.run(190, "5");
    b.expectMessage("Must be option ALL");
    EXPECT_TRUE(b.ui.prompts.empty());
    b.wb.allMode = true;
    b.run(189); // the dialog is cancelled: nothing
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.reports.empty());
    // Pmin rules: a negative value is a multiple of the noise, below it 2T.
    EXPECT_EQ(minimumPolarization(-3, 10), 30);
    EXPECT_EQ(minimumPolarization(5, 10), 20);
    EXPECT_EQ(minimumPolarization(50, 10), 50);
    b.wb.interactiveMode = false;
    b.wb.batchArgs = {NAN, 0, 0, 0};
    b.wb.dispatch(190);
    EXPECT_EQ(b.wb.takeFailures(), std::vector<std::string>{"The minimum polarization must be a number"});

    // Scans of 20 points with the shown part at the very ends: nothing is
    // read outside them, and the shown part stays a real range.
    FieldBench s;
    std::vector<std::unique_ptr<ScanRecord>> v;
    for (float f : {2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f}) {
        std::vector<float> w(20);
        for (int p = 0; p < 20; ++p)
            w[std::size_t(p)] = float(1000 * (p % 3));
        auto scan = curveScan(f, w, w);
        scan->step = 1;
        scan->beamHalfsize = 3;
        v.push_back(std::move(scan));
    }
    s.load(std::move(v));
    s.wb.allMode = true;
    s.select(true, true);
    for (int id : {189, 190}) {
        s.show(0, 20);
        s.wb.interactiveMode = false;
        s.wb.batchArgs = {id == 189 ? 0.5f : -1e30f, 1, 1, 0};
        s.wb.dispatch(id);
        EXPECT_LT(s.wb.viewBegin, s.wb.viewEnd);
        EXPECT_LE(s.wb.viewEnd, 20);
    }
}

TEST(LineField, SpectralLineReports)
{
    // The middle scan of three stands out at point 100 of Worksheet I(R).
    FieldBench b;
    std::vector<std::unique_ptr<ScanRecord>> v;
    for (float f : {3.0f, 4.0f, 5.0f}) {
        std::vector<float> i(kPoints);
        for (int p = 0; p < kPoints; ++p)
            i[std::size_t(p)] = float(100 + (f == 4.0f ? 400 : 100) * bump(p, 15));
        auto s = curveScan(f, i, std::vector<float>(kPoints, 0.0f));
        s->step = 2;
        s->beamHalfsize = 10;
        s->centerPoint = 80;
        s->tqSun = 100;
        s->fluxCoef = 3;
        v.push_back(std::move(s));
    }
    b.load(std::move(v));
    b.wb.allMode = true;
    b.select(true, false);
    b.wb.setActive(b.wb.scans.at(1));
    b.show(0, kPoints);
    b.ui.lineAnswers.push_back(SpectralLineFields{"0", false, false});
    b.run(189);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Find Spectral Line");
    EXPECT_EQ(b.lastReport(), "Frq\t DateObs\t TimeObs\tPos\tKf1\tKf2\tP\r\n"
                              "4.00\t2004/05/01\t05:00:00\t40.000\t0.00\t0.00\tI\r\n");
    // The range: start 0 becomes 2, raised to d + 2 (d = trunc(0.6*10/2) = 3),
    // the end kept at n - 2 - d.
    EXPECT_EQ(b.wb.viewBegin, 5);
    EXPECT_EQ(b.wb.viewEnd, kPoints - 5);

    // K = 1.3 in batch: ratios 4 of the baseline-free values, Ta flag off
    // (the flux coefficients cancel), quiet-Sun baseline.
    b.wb.interactiveMode = false;
    b.wb.fileOutput = false;
    b.ui.reportOpen = false;
    b.wb.batchArgs = {1.3f, 0, 0, 0};
    b.wb.dispatch(189);
    EXPECT_EQ(b.lastReport(), "Frq\t DateObs\t TimeObs\tPos\tKf1\tKf2\tP\r\n"
                              "4.00\t2004/05/01\t05:00:00\t40.000\t4.00\t4.00\tI\r\n");
    // A neighbour whose value is 0 gives no ratio and no line.
    b.wb.scans.at(0)->tqSun = 200;
    b.ui.reportOpen = false;
    b.ui.reports.clear();
    b.wb.dispatch(189);
    EXPECT_TRUE(b.ui.reports.empty());
    b.wb.batchArgs = {NAN, 0, 0, 0};
    b.wb.dispatch(189);
    EXPECT_EQ(b.wb.takeFailures(), std::vector<std::string>{"The line scale must be a number"});
}

TEST(LineField, FieldTableAndItsLifetime)
{
    FieldBench b;
    b.loadField(5, 5); // fewer than six scans never give a field
    b.run(190, "5");
    EXPECT_TRUE(b.wb.magField.empty());
    EXPECT_TRUE(b.ui.reports.empty());
    EXPECT_GT(b.ui.redraws, 0);

    // Flux at every wavelength: the line reaches 0 below 1.4 cm, so the
    // field is 3570/1.4.
    FieldBench c;
    c.loadField(14, 0.5);
    c.run(190, "5");
    ASSERT_EQ(c.wb.magField.size(), 1u);
    EXPECT_EQ(c.wb.magField[0].first, kCentre);
    EXPECT_EQ(c.wb.magField.frequency, 2.0f);
    EXPECT_EQ(c.lastReport(), format("Frq=2.000 2004/05/01 05:00:00\r\nPos[%c]\tH[G]\tWls[cm]\r\n"
                                     "10.00\t2550\t1.40\r\n",
                                     c.wb.settings.unitAxisX));
    // The range: d = trunc(0.6 * 20) = 12, start 1 < d becomes 14, end n - 2 - d.
    EXPECT_EQ(c.wb.viewBegin, 14);
    EXPECT_EQ(c.wb.viewEnd, kPoints - 14);
    c.run(191);
    EXPECT_TRUE(c.wb.magField.empty());
    c.run(190, "5");
    EXPECT_EQ(c.wb.magField.size(), 1u);
    c.load(fieldSet(1, 1)); // a load forgets the positions of the old set
    EXPECT_TRUE(c.wb.magField.empty());

    // Beam 55: d = 33 from the whole beam, the minimum window from 40 only.
    FieldBench w;
    w.loadField(14, 0.5, 55);
    w.run(190, "5");
    EXPECT_EQ(w.wb.viewEnd, kPoints - 2 - 33);
    ASSERT_EQ(w.wb.magField.size(), 1u);
}

TEST(LineField, FieldMatchesNumpyAndItsBias)
{
    if (!pythonImports("numpy"))
        GTEST_SKIP() << "Debian's python3-numpy is not installed";
    TempDir dir;
    for (double field : {800.0, 1000.0, 1200.0, 1400.0}) {
        FieldBench b;
        const double lambdaC = 3570 / field;
        b.loadField(14, lambdaC, 20, 1, 0.75f);
        b.run(190, "5");
        ASSERT_EQ(b.wb.magField.size(), 1u) << field;
        ASSERT_EQ(b.wb.magField[0].first, kCentre);
        const std::string in = dir.file("in.txt"), out = dir.file("out.txt");
        {
            std::ofstream f(in);
            f << kCentre << " 10 10\n"; // m = trunc(0.5 * 20), T = 10
            for (const auto& s : b.wb.scans) {
                f << s->frequency << ' ' << s->beamHalfsize << '\n';
                for (int p = 0; p < s->nPoints; ++p)
                    f << format("%.9g ", s->wrkV()[p]);
                f << '\n';
            }
        }
        ASSERT_TRUE(runReference("analysis/field_reference.py", in + " " + out));
        double h = 0, lambda = 0;
        std::ifstream(out) >> h >> lambda;
        EXPECT_NEAR(b.wb.magField[0].second, h, 1e-4 * h) << field;
        // The smoothing across frequency shifts the profile: the bias is written down, not asserted.
        const double bias = b.wb.magField[0].second / field - 1;
        RecordProperty(format("bias_%d", int(field)), format("%.3f", bias));
        std::printf("field %.0f G: found %.1f G (%+.1f %%)\n", field, b.wb.magField[0].second, 100 * bias);
    }
}
