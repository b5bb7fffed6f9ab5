#include "analysis/rl_alignment.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kN = 200;
constexpr int kQuietSun = 10000;

// A disk of brightness 10000 with linear limbs: up from point `rise` over
// 20 points, down from point `rise` + 100 over 20 points; `delay` moves it
// toward higher indices.
float disk(double i, double rise = 40, double delay = 0)
{
    const double t = i - delay - rise;
    if (t <= 0 || t >= 120)
        return 0;
    if (t < 20)
        return float(500 * t);
    if (t > 100)
        return float(10000 - 500 * (t - 100));
    return 10000;
}

std::vector<float> diskCurve(double rise, double delay)
{
    std::vector<float> v(kN);
    for (int i = 0; i < kN; ++i)
        v[std::size_t(i)] = disk(i, rise, delay);
    return v;
}

} // namespace

TEST(RlAlignment, ShiftOverBothLimbs)
{
    // L is R delayed by three points: on linear limbs the squares are an
    // exact parabola with its vertex at 3.
    const auto r = diskCurve(40, 0), l = diskCurve(40, 3);
    EXPECT_DOUBLE_EQ(limbShift(r.data(), l.data(), kN, kQuietSun), 3);
    EXPECT_DOUBLE_EQ(limbShift(l.data(), r.data(), kN, kQuietSun), -3);
    EXPECT_DOUBLE_EQ(limbShift(r.data(), r.data(), kN, kQuietSun), 0);
    // The rising limb closer than 11 points to the start: the walk fails.
    const auto r0 = diskCurve(0, 0), l0 = diskCurve(0, 3);
    EXPECT_EQ(limbShift(r0.data(), l0.data(), kN, kQuietSun), 0);
    // No quiet-Sun level, or no limb reaching it.
    EXPECT_EQ(limbShift(r.data(), l.data(), kN, 0), 0);
    EXPECT_EQ(limbShift(r.data(), l.data(), kN, 30000), 0);
    // The falling limb cut off by the end of the curve: the rising limb alone.
    EXPECT_DOUBLE_EQ(limbShift(r.data(), l.data(), 150, kQuietSun), 3);
    EXPECT_EQ(limbShift(r.data(), l.data(), 0, kQuietSun), 0);
    // NaN samples on a limb: a finite answer, nothing read outside.
    auto rn = r;
    rn[50] = std::nanf("");
    EXPECT_TRUE(std::isfinite(limbShift(rn.data(), l.data(), kN, kQuietSun)));
    EXPECT_TRUE(std::isfinite(limbShift(l.data(), rn.data(), kN, kQuietSun)));
}

TEST(RlAlignment, CommandMovesHalfEachWay)
{
    AnalysisBench b;
    const auto r = diskCurve(40, 0), l = diskCurve(40, 3);
    // Scan 1 holds R,L; scan 2 holds I,V of the same curves.
    auto rl = curveScan(3.0f, r, l);
    rl->flagIvWrk = 1;
    rl->tqSun = kQuietSun;
    rl->step = 2;
    std::vector<float> i(kN), v(kN);
    for (std::size_t k = 0; k < kN; ++k) {
        i[k] = (r[k] + l[k]) / 2;
        v[k] = (r[k] - l[k]) / 2;
    }
    auto iv = curveScan(4.0f, i, v);
    iv->tqSun = kQuietSun;
    auto uncal = curveScan(5.0f, r, l);
    uncal->calibWrk = 0;
    uncal->tqSun = kQuietSun;
    auto noV = curveScan(6.0f, r);
    noV->calibWrk = 0;
    auto farLimb = curveScan(7.0f, diskCurve(0, 0), diskCurve(0, 3));
    farLimb->tqSun = kQuietSun;
    farLimb->flagIvWrk = 1;
    b.load(scansOf(std::move(rl), std::move(iv), std::move(uncal), std::move(noV), std::move(farLimb)));
    const auto before = [&](int k, int ch) {
        const float* x = ch == 1 ? b.scan(k).wrkI() : b.scan(k).wrkV();
        return std::vector<float>(x, x + kN);
    };
    const auto uncalI = before(2, 1), uncalV = before(2, 2), noVI = before(3, 1), farI = before(4, 1),
               farV = before(4, 2);
    b.wb.allMode = true;
    b.select(true, true);
    b.run(174);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Delta (R-L)");
    EXPECT_EQ(b.lastReport(), "Frq\t Date obs.\t Time obs.\td(R-L)[\"]\td(R-L)[pix]\r\n"
                              "3.00\t2004/05/01\t05:00:00\t6.000\t3.000\r\n"
                              "4.00\t2004/05/01\t05:00:00\t3.000\t3.000\r\n"
                              "5.00\t2004/05/01\t05:00:00\t+0.0\tnot calibr.\r\n"
                              "6.00\t2004/05/01\t05:00:00\t+0.0\tnot data V\r\n"
                              "7.00\t2004/05/01\t05:00:00\t0.000\t0.000\r\n");
    // R moved 1.5 points up, L 1.5 points down: on the limbs and the plateau
    // both now follow the disk delayed by 1.5 points.
    for (int k : {0, 1}) {
        const ScanRecord& s = b.scan(k);
        for (int p = 45; p < 155; ++p) {
            const double rr = k == 0 ? s.wrkI()[p] : s.wrkI()[p] + s.wrkV()[p];
            const double ll = k == 0 ? s.wrkV()[p] : s.wrkI()[p] - s.wrkV()[p];
            ASSERT_NEAR(rr, disk(p, 40, 1.5), 1e-2) << k << " " << p;
            ASSERT_NEAR(ll, disk(p, 40, 1.5), 1e-2) << k << " " << p;
        }
    }
    // Refused and failed scans are left exactly as they were.
    EXPECT_EQ(before(2, 1), uncalI);
    EXPECT_EQ(before(2, 2), uncalV);
    EXPECT_EQ(before(3, 1), noVI);
    EXPECT_EQ(before(4, 1), farI);
    EXPECT_EQ(before(4, 2), farV);

    // The last applicable reason wins.
    ScanRecord bare;
    EXPECT_EQ(alignRL(bare).text, "+0.0\tnot data V");
    bare.nPoints = 4;
    bare.allocChannel(2);
    EXPECT_EQ(alignRL(bare).text, "+0.0\tnot data I");
    bare.allocChannel(1);
    EXPECT_EQ(alignRL(bare).text, "+0.0\tnot calibr.");
    bare.calibWrk = 1;
    EXPECT_EQ(alignRL(bare).text, "0.000\t0.000");
}
