#include "analysis/wide_gauss.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

// A scan whose Data I(R) is the disk model A exp(-(i - c)^2 / W).
std::unique_ptr<ScanRecord> diskScan(int n, double a, double w, double c, float centre)
{
    std::vector<float> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        y[std::size_t(i)] = float(a * std::exp(-(i - c) * (i - c) / w));
    auto s = curveScan(5.0f, y);
    std::copy(y.begin(), y.end(), s->dataI());
    std::fill(s->wrkI(), s->wrkI() + n, -1.0f);
    s->step = 10;
    s->radius = 400; // 40 points
    s->centerPoint = centre;
    return s;
}

} // namespace

TEST(WideGauss, ModelOfTheDiskAndItsCentre)
{
    AnalysisBench b;
    // A disk centred on its centre point is reproduced over 2.5 radii
    // (100 points) on each side, and nothing else is touched.
    b.load(scansOf(diskScan(400, 5000, 3000, 200, 200.0f)));
    b.wb.chkDataI = b.wb.chkWrkI = true;
    b.run(143);
    EXPECT_TRUE(b.ui.messages.empty());
    ScanRecord& s = *b.wb.activeScan;
    for (int i = 0; i < 400; ++i) {
        if (i < 100 || i >= 300)
            EXPECT_EQ(s.wrkI()[i], -1.0f) << i;
        else
            EXPECT_NEAR(s.wrkI()[i], s.dataI()[i], 0.01 * s.dataI()[i]) << i;
    }

    // The true centre 7.6 points right of the centre point: the centre
    // moves to it, so the model peaks there and its range follows.
    AnalysisBench shifted;
    shifted.load(scansOf(diskScan(400, 5000, 3000, 207.6, 200.6f)));
    shifted.wb.chkDataI = shifted.wb.chkWrkI = true;
    shifted.run(143);
    const float* w = shifted.wb.activeScan->wrkI();
    const auto first = std::find_if(w, w + 400, [](float v) { return v != -1.0f; }) - w;
    const auto end = std::find_if(w + first, w + 400, [](float v) { return v == -1.0f; }) - w;
    EXPECT_EQ(end - first, 200);
    EXPECT_NEAR(first + 100, 207.6, 1.5);
    EXPECT_NEAR(std::max_element(w, w + 400) - w, 207.6, 1.5);
}

TEST(WideGauss, RefusalsAndShortScans)
{
    AnalysisBench b;
    b.load(scansOf(diskScan(400, 5000, 3000, 200, 90.0f))); // 90 < 2.5 radii
    b.wb.chkDataI = true;
    b.wb.chkWrkI = false;
    b.run(143);
    b.expectMessage("DataI and WrkI are not checked");
    b.wb.chkWrkI = true;
    b.run(143);
    b.expectMessage("Data set 5.00[GHz] is small");
    const ScanRecord& s = *b.wb.activeScan;
    EXPECT_TRUE(std::all_of(s.wrkI(), s.wrkI() + 400, [](float v) { return v == -1.0f; }));

    // Levels that are not positive: no estimate is kept and the range is 0.
    b.wb.activeScan->centerPoint = 200;
    std::fill(b.wb.activeScan->dataI(), b.wb.activeScan->dataI() + 400, -3.0f);
    b.run(143);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(s.wrkI()[200], 0.0f);
    EXPECT_EQ(s.wrkI()[99], -1.0f);
}
