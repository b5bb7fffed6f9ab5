#include "proc/iv_rl.h"
#include "tests/proc/proc_bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

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

TEST(IvRl, PreconditionsAndTheScalingQuestion)
{
    ProcBench b;
    loadThree(b);
    b.select(true, true, true, false);
    b.wb.dispatch(122);
    b.expectMessage("(Wrksh_I and Wrksh_V) are not checked");
    b.select(true, true, true, true);
    b.ui.reportOpen = true;
    b.wb.dispatch(122);
    b.expectMessage("You have the open EDITOR");
    EXPECT_EQ(b.active().flagIvWrk, 0);

    // ALL-mode confirmation first, then the scaling question.
    b.ui.reportOpen = false;
    b.wb.allMode = true;
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(122);
    b.expectMessage("Do You want to work with ALL data?", "Attention");
    EXPECT_TRUE(b.ui.reports.empty());
    b.ui.boxAnswers = {kOk, kCancel};
    b.wb.dispatch(122);
    ASSERT_EQ(b.ui.messages.size(), 2u);
    EXPECT_EQ(b.ui.messages[1].text, "Do the same scale for R&L polarizations?");
    EXPECT_EQ(b.ui.messages[1].caption, "Scaling");
    EXPECT_EQ(b.ui.messages[1].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(b.ui.progressTitles.back(), "IV<=>RL transform");
    EXPECT_EQ(b.ui.statuses.back(), "Transformation (I,V<=>R,L) of scan 3.00[GHz] is finished");
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Normal koef(R-L)");
    EXPECT_EQ(b.ui.reports[0].text, std::string(kHeader) +
                                        "1.00\t2004/05/01\t05:00:00\t1.0000e+00\t0\r\n"
                                        "2.00\t2004/05/01\t06:00:00\t1.0000e+00\t0\r\n"
                                        "3.00\t2004/05/02\t07:00:00\t1.0000e+00\t0\r\n");
    for (const auto& s : b.wb.scans)
        EXPECT_EQ(s->flagIvWrk, 1);
}

TEST(IvRl, TwiceWithoutScalingDoublesAndBatchWritesTheReportFile)
{
    ProcBench b;
    loadThree(b);
    b.select(true, true, true, true);
    ScanRecord& s = b.active();
    const auto i0 = noise(30, 30), v0 = noise(30, 31);
    setWrk(s, 1, i0);
    setWrk(s, 2, v0);
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(122);
    for (int i = 0; i < 30; ++i) {
        EXPECT_FLOAT_EQ(s.wrkI()[i], i0[i] + v0[i]) << i; // R = I + V
        EXPECT_FLOAT_EQ(s.wrkV()[i], i0[i] - v0[i]) << i; // L = I - V
    }
    EXPECT_EQ(s.flagIvWrk, 1);
    b.ui.reportOpen = false;
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(122);
    for (int i = 0; i < 30; ++i) {
        EXPECT_NEAR(s.wrkI()[i], 2 * i0[i], 1e-4) << i;
        EXPECT_NEAR(s.wrkV()[i], 2 * v0[i], 1e-4) << i;
    }
    EXPECT_EQ(s.flagIvWrk, 0);
    EXPECT_EQ(b.ui.reports.size(), 2u);

    // Batch: nothing is asked, equal scaling is not chosen, the report is
    // appended to "<output>/Normal koef(R-L).dat".
    TempDir dir;
    b.wb.settings.output = dir.path().string();
    b.wb.currentFileLabel = "sun.0hd";
    b.ui.messages.clear();
    s.flagIvWrk = 1;
    b.runBatch(122, 0);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.reports.size(), 2u);
    EXPECT_EQ(s.flagIvWrk, 0);
    EXPECT_EQ(readTextFile(dir.file("Normal koef(R-L).dat")), std::string("\r\nsun.0hd\r\n") + kHeader + "1.00\t2004/05/01\t05:00:00\t1.0000e+00\t0\r\n");
}

TEST(IvRl, EqualScalingOfRightAndLeft)
{
    const int n = 60;
    ScanRecord s;
    s.nPoints = n;
    s.allocChannel(1);
    s.allocChannel(2);
    s.flagIvWrk = 1;
    std::vector<float> r(n), l(n);
    for (int i = 0; i < n; ++i) {
        const double bump = std::exp(-std::pow((i - 30) / 6.0, 2));
        r[i] = static_cast<float>(3 + 100 * bump + 0.1 * i);
        l[i] = static_cast<float>(-2 + 40 * bump);
    }
    setWrk(s, 1, r);
    setWrk(s, 2, l);

    // Independent computation from the description.
    std::vector<double> rr(r.begin(), r.end()), ll(l.begin(), l.end());
    for (auto* x : {&rr, &ll}) {
        double level = 0;
        for (int i = 1; i <= 10; ++i)
            level += (*x)[i] + (*x)[n - 1 - i];
        level *= 0.05;
        for (int i = 0; i < n; ++i)
            (*x)[i] = (i < 20 || i >= n - 20) ? 0 : (*x)[i] - level;
    }
    double sr = 0, sl = 0;
    for (int i = 0; i < n; ++i) {
        sr += rr[i];
        sl += ll[i];
    }
    const double kf = sr / sl;
    const long double got = transformIvRl(s, true);
    EXPECT_NEAR(static_cast<double>(got), kf, 1e-5 * kf);
    EXPECT_GT(kf, 1.4);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(s.wrkI()[i], (rr[i] + kf * ll[i]) / 2, 1e-3) << i;
        EXPECT_NEAR(s.wrkV()[i], (rr[i] - kf * ll[i]) / 2, 1e-3) << i;
    }
    EXPECT_EQ(s.flagIvWrk, 0);

    // I and V in the worksheets: equal scaling does not apply.
    setWrk(s, 1, r);
    setWrk(s, 2, l);
    EXPECT_EQ(transformIvRl(s, true), 1.0L);
    EXPECT_FLOAT_EQ(s.wrkI()[30], r[30] + l[30]);
    // A scan too short for the end levels is transformed unscaled.
    ScanRecord t;
    t.nPoints = 8;
    t.allocChannel(1);
    t.allocChannel(2);
    t.flagIvWrk = 1;
    setWrk(t, 1, std::vector<float>(8, 3.0f));
    setWrk(t, 2, std::vector<float>(8, 1.0f));
    EXPECT_EQ(transformIvRl(t, true), 1.0L);
    EXPECT_EQ(wrkOf(t, 1), std::vector<float>(8, 4.0f));
    EXPECT_EQ(wrkOf(t, 2), std::vector<float>(8, 2.0f));
}

TEST(IvRl, ReportFlagsAnUnbalancedScanThroughTheCommand)
{
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
    EXPECT_FLOAT_EQ(s.wrkI()[30], 30.0f); // (30 + 3 * 10) / 2
    EXPECT_FLOAT_EQ(s.wrkV()[30], 0.0f);
}

// The removal rules (active scan, group, empty state) are the workbench's;
// the command adds ALL mode, the question and the data list refill.
TEST(DeleteScan, AsksThenRemovesTheActiveScan)
{
    ProcBench b;
    const auto [s1, s2, s3] = loadThree(b);
    b.wb.allMode = true; // ALL mode: nothing at all
    b.wb.dispatch(123);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.wb.scans.count(), 3);
    b.wb.allMode = false;

    b.wb.setActive(s2);
    b.ui.boxAnswers = {kCancel};
    b.wb.dispatch(123);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].buttons, MsgButtons::OkCancel);
    b.expectMessage("Do You want to delete this scan?");
    EXPECT_EQ(b.wb.scans.count(), 3);

    const int changes = b.ui.stateChanges;
    b.wb.dispatch(123);
    EXPECT_EQ(b.wb.scans.count(), 2);
    EXPECT_FALSE(b.wb.scans.contains(s2));
    EXPECT_EQ(b.wb.activeScan, s1); // the predecessor
    EXPECT_GT(b.ui.stateChanges, changes);
    b.wb.dispatch(123);
    b.wb.dispatch(123);
    EXPECT_TRUE(b.wb.scans.empty());
    EXPECT_EQ(b.wb.activeScan, nullptr);
    EXPECT_TRUE(b.wb.isEnabled(100));
    b.wb.dispatch(123); // ignored without a set
    b.wb.dispatch(119);
    EXPECT_EQ(b.ui.messages.size(), 3u);
    EXPECT_NE(s3, nullptr);
}
