// Synthetic sets written through the program's writers and read back
// through its readers.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qm {
namespace {

using test::TempDir;

// One quantum of the writers' 16-bit scaling of an array, plus the rounding
// of BSCALE and BZERO printed with "%14e".
double quantum(const float* x, int n)
{
    const auto [lo, hi] = std::minmax_element(x, x + n);
    const double scale = (double(*hi) - *lo) / 2 / 30000;
    return 1.02 * scale + 2e-6 * (std::fabs(*hi) + std::fabs(*lo));
}

void expectSameScan(const ScanRecord& a, const ScanRecord& b)
{
    SCOPED_TRACE(a.label());
    EXPECT_EQ(a.label(), b.label());
    EXPECT_EQ(a.nPoints, b.nPoints);
    EXPECT_FLOAT_EQ(a.step, b.step);
    EXPECT_FLOAT_EQ(a.centerPoint, b.centerPoint);
    EXPECT_FLOAT_EQ(a.radius, b.radius);
    EXPECT_NEAR(a.fluxCoef, b.fluxCoef, 0.0005);
    EXPECT_EQ(a.calibWrk, b.calibData);
    EXPECT_EQ(a.flagIvWrk, b.flagIvData);
    ASSERT_EQ(a.hasI(), b.hasI());
    ASSERT_EQ(a.hasV(), b.hasV());
    for (int ch = 0; ch < 2; ++ch) {
        const float* x = ch == 0 ? a.wrkI() : a.wrkV();
        const float* y = ch == 0 ? b.dataI() : b.dataV();
        const float* yw = ch == 0 ? b.wrkI() : b.wrkV();
        if (!x)
            continue;
        const double tol = quantum(x, a.nPoints);
        double worst = 0;
        for (int i = 0; i < a.nPoints; ++i) {
            worst = std::max(worst, std::fabs(double(x[i]) - y[i]));
            ASSERT_EQ(y[i], yw[i]);
        }
        EXPECT_LE(worst, tol) << "channel " << ch + 1;
        // The quantisation is really used: the values are not exact.
        EXPECT_GT(worst, 0.0);
    }
}

TEST(SynthFiles, WorksheetSaveLoadsBackWithinTheQuantisation)
{
    TempDir dir("qm-synthsave");
    SynthParams p;
    p.count = 4;
    p.from = 3;
    p.to = 12;
    p.points = 2000;
    p.observations = 2;
    HeadlessWorkbench h(nullptr, nullptr);
    h.adopt(synthSet(p));
    ASSERT_EQ(h.wb.scans.count(), 8);

    for (const bool text : {false, true}) {
        SCOPED_TRACE(text ? "text samples" : "binary samples");
        const std::string hdr = dir.file(text ? "text.0hd" : "bin.0hd");
        ASSERT_TRUE(h.saveWorksheets(hdr, text));
        HeadlessWorkbench g(nullptr, nullptr);
        ASSERT_TRUE(g.load(hdr));
        ASSERT_EQ(g.wb.scans.count(), 8);
        for (int k = 0; k < 8; ++k) {
            expectSameScan(*h.wb.scans.at(k), *g.wb.scans.at(k));
            EXPECT_EQ(g.wb.scans.at(k)->sampleFormat, text ? 1 : 0);
        }
    }

    // A save that cannot happen is reported as such and leaves the old set:
    // here the scans differ in length.
    const std::string hdr = dir.file("bin.0hd");
    std::vector<uint8_t> before;
    ASSERT_TRUE(readWholeFile(hdr, before));
    SynthParams shorter = p;
    shorter.points = 100;
    shorter.count = 1;
    h.adopt(synthSet(shorter));
    EXPECT_FALSE(h.saveWorksheets(hdr));
    std::vector<uint8_t> after;
    ASSERT_TRUE(readWholeFile(hdr, after));
    EXPECT_EQ(before, after);
}

} // namespace
} // namespace qm
