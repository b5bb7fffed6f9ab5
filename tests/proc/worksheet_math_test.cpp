#include "proc/derive.h"
#include "proc/worksheet_math.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qm;
using qm::test::noise;

TEST(WorksheetMath, ChordLineAndOverturnTouchOnlyTheInside)
{
    const auto x0 = noise(30, 1);
    auto line = x0, over = x0;
    chordLine(line.data(), 30, 5, 17);
    chordOverturn(over.data(), 30, 5, 17);
    const double s = (x0[17] - static_cast<double>(x0[5])) / 12;
    for (int i = 0; i < 30; ++i) {
        const bool inside = i > 5 && i < 17;
        const double l = x0[5] + (i - 5) * s;
        EXPECT_NEAR(line[i], inside ? l : x0[i], 1e-4) << i;
        EXPECT_NEAR(over[i], inside ? 2 * l - x0[i] : x0[i], 1e-4) << i;
    }
    // Reversed or out-of-scan ends change nothing.
    for (auto [b, e] : {std::pair{9, 3}, {40, 50}}) {
        auto y = x0;
        chordLine(y.data(), 30, b, e);
        EXPECT_EQ(y, x0) << b << ' ' << e;
    }
}

TEST(WorksheetMath, MirrorsPolarizationNullLevelAndTail)
{
    // Centre 15 (C = 30): the mirror of [18, 24) is [6, 12).
    const auto x0 = noise(30, 2);
    auto copy = x0, mn = x0;
    copyAcrossCenter(copy.data(), 30, 15.0f, 18, 24);
    minAcrossCenter(mn.data(), 30, 15.0f, 18, 24);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(copy[i], i >= 6 && i < 12 ? x0[30 - i] : x0[i]) << i;
        EXPECT_EQ(mn[i], i >= 18 && i < 24 ? std::min(x0[i], x0[30 - i]) : x0[i]) << i;
    }
    auto none = x0;
    copyAcrossCenter(none.data(), 30, NAN, 2, 8);
    EXPECT_EQ(none, x0);

    const std::vector<float> in{0.5f, 10, 10, -4, 0};
    std::vector<float> v{0.2f, 20, 5, 2, 0};
    polarizationDegree(in.data(), v.data(), 5, 1.0f);
    EXPECT_EQ(v, (std::vector<float>{0, 100, 50, -50, 0})); // |I| below noise, clipped, V/I

    // Null level: 0.05 * sum of 10 points at each end, or the mean of 20
    // points at the start, the end, or about the selection's middle.
    const int n = 50;
    const auto x = noise(n, 3);
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int i = 1; i <= 10; ++i)
        s0 += x[i] + static_cast<double>(x[n - 1 - i]);
    for (int i = 0; i < 20; ++i) {
        s1 += x[i];
        s2 += x[n - 20 + i];
        s3 += x[15 + i]; // (10 + 41) / 2 - 10 = 15
    }
    const double want[] = {0.05 * s0, s1 / 20, s2 / 20, s3 / 20};
    for (int mode = 0; mode < 4; ++mode)
        EXPECT_NEAR(static_cast<double>(*zeroLevel(x.data(), n, mode, 10, 41)), want[mode], 1e-5) << mode;
    EXPECT_FALSE(zeroLevel(x.data(), n, 4, 10, 41));
    EXPECT_FALSE(zeroLevel(x.data(), 19, 1, 0, 10)); // too short for 20 points

    std::vector<float> t{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto up = t, down = t, bad = t;
    EXPECT_TRUE(tailOfCurve(up.data(), 10, 3));
    EXPECT_EQ(up, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 6, 6, 6}));
    EXPECT_TRUE(tailOfCurve(down.data(), 10, -3));
    EXPECT_EQ(down, (std::vector<float>{3, 3, 3, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_FALSE(tailOfCurve(bad.data(), 10, 6));
    EXPECT_EQ(bad, t);
}

TEST(Derive, QuadraticBecomesAStraightLineInside)
{
    // x[i+k] - x[i-k] = 2k(2ai + b) with weights 10^-((0.24k)^2), k = 1..6.
    const int n = 60;
    std::vector<float> q(n);
    for (int i = 0; i < n; ++i)
        q[i] = static_cast<float>(0.5 * i * i - 3.0 * i + 7);
    const auto q0 = q;
    smoothedDerivative(q.data(), n);
    double sumKw = 0;
    for (int k = 1; k <= 6; ++k)
        sumKw += k * std::pow(10.0, -std::pow(0.24 * k, 2));
    for (int i = 8; i < n - 8; ++i)
        EXPECT_NEAR(q[i], 2 * sumKw * (i - 3.0), 1e-3) << i;
    for (int i : {0, 7, n - 8, n - 1})
        EXPECT_EQ(q[i], q0[i]);
    auto shortScan = noise(24, 5);
    const auto s0 = shortScan;
    smoothedDerivative(shortScan.data(), 24);
    EXPECT_EQ(shortScan, s0);
}
