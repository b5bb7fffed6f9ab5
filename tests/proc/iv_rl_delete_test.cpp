#include "proc/iv_rl.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

using namespace qm;
using namespace qm::test;

namespace {

const char* const kHeader = "Frq\t Date obs.\t Time obs.\tKf(R/L)\t(Kf>1.4)\r\n";

// Three alike scans, 1 ... 3 GHz, in list order.
std::array<ScanRecord*, 3> loadThree(ProcBench& b, int n = 30)
{
    b.load(scansOf(makeScan(1.0f, "2004/05/01", "05:00:00", n), makeScan(2.0f, "2004/05/01", "06:00:00", n),
                   makeScan(3.0f, "2004/05/02", "07:00:00", n)));
    return {b.wb.scans.at(0), b.wb.scans.at(1), b.wb.scans.at(2)};
}

} // namespace

TEST(IvRl, SumAndDifferenceTwiceDoublesAndTheReport)
{
    ProcBench b;
    loadThree(b);
    b.select(true, true, true, true);
    ScanRecord& s = b.active();
    const auto i0 = noise(30, 30), v0 = noise(30, 31);
    setWrk(s, 1, i0);
    setWrk(s, 2, v0);
    b.ui.boxAnswers = {kCancel}; // no equal scaling
    b.wb.dispatch(122);
    EXPECT_FLOAT_EQ(s.wrkI()[7], i0[7] + v0[7]); // R = I + V
    EXPECT_FLOAT_EQ(s.wrkV()[7], i0[7] - v0[7]); // L = I - V
    EXPECT_EQ(s.flagIvWrk, 1);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Normal koef(R-L)");
    EXPECT_EQ(b.ui.reports[0].text, std::string(kHeader) + "1.00\t2004/05/01\t05:00:00\t1.0000e+00\t0\r\n");
    b.ui.reportOpen = false;
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(122);
    EXPECT_NEAR(s.wrkI()[7], 2 * i0[7], 1e-4);
    EXPECT_NEAR(s.wrkV()[7], 2 * v0[7], 1e-4);
    EXPECT_EQ(s.flagIvWrk, 0);
}

TEST(IvRl, EqualScalingFlagsAnUnbalancedScan)
{
    // R = 30, L = 10 over 25..34, zero ends: Kf = 3, I = (R + Kf L)/2.
    ProcBench b;
    loadThree(b, 60);
    b.select(true, true, true, true);
    ScanRecord& s = b.active();
    s.flagIvWrk = 1;
    std::vector<float> r(60, 0.0f), l(60, 0.0f);
    for (int i = 25; i < 35; ++i) {
        r[i] = 30;
        l[i] = 10;
    }
    setWrk(s, 1, r);
    setWrk(s, 2, l);
    b.wb.dispatch(122); // OK: equal scaling
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].text, std::string(kHeader) + "1.00\t2004/05/01\t05:00:00\t3.0000e+00\t1\r\n");
    EXPECT_FLOAT_EQ(s.wrkI()[30], 30.0f);
    EXPECT_FLOAT_EQ(s.wrkV()[30], 0.0f);
}

TEST(IvRl, ReportHoldsALineForEveryScanOfALargeSet)
{
    // 400 lines of 39 bytes: far more than a fixed 15000-byte report holds.
    ProcBench b;
    std::vector<std::unique_ptr<ScanRecord>> scans;
    for (int k = 0; k < 400; ++k)
        scans.push_back(makeScan(1.0f + 0.01f * k));
    b.load(std::move(scans));
    b.select(true, true, true, true);
    b.wb.allMode = true;
    b.ui.boxAnswers = {kOk, kCancel}; // work with ALL data, no equal scaling
    b.wb.dispatch(122);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    const std::string& text = b.ui.reports[0].text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 401);
    EXPECT_EQ(text.substr(text.size() - 39), "4.99\t2004/05/01\t05:00:00\t1.0000e+00\t0\r\n");
}

TEST(DeleteScan, AsksThenRemovesUpToTheEmptyState)
{
    ProcBench b;
    const auto [s1, s2, s3] = loadThree(b);
    b.wb.setActive(s2);
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(123);
    b.expectMessage("Do You want to delete this scan?");
    EXPECT_EQ(b.wb.scans.count(), 3);
    b.wb.dispatch(123);
    EXPECT_FALSE(b.wb.scans.contains(s2));
    EXPECT_EQ(b.wb.activeScan, s1); // the predecessor
    b.wb.dispatch(123);
    ASSERT_EQ(b.wb.scans.count(), 1);
    EXPECT_EQ(b.wb.activeScan, s3);
    b.wb.dispatch(123); // the only scan left
    EXPECT_TRUE(b.wb.scans.empty());
    EXPECT_EQ(b.wb.activeScan, nullptr);
    EXPECT_TRUE(b.wb.isEnabled(100));
    b.wb.dispatch(123); // ignored without a set
    EXPECT_TRUE(b.wb.scans.empty());
}
