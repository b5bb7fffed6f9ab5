#include "proc/derive.h"
#include "proc/worksheet_math.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qm;
using qm::test::noise;

namespace {

// Interpolated value at 2c - i, straight from the definition.
bool mirrorRef(const std::vector<float>& x, double c, int i, double& v)
{
    const double m = 2 * c - i;
    const int n = static_cast<int>(x.size());
    if (m < 1 || m > n - 2)
        return false;
    const int k = static_cast<int>(std::trunc(m));
    v = x[k] + (x[k + 1] - static_cast<double>(x[k])) * (m - k);
    return true;
}

} // namespace

TEST(WorksheetMath, ChordLineAndOverturnTouchOnlyTheInside)
{
    const auto x0 = noise(30, 1);
    auto line = x0, over = x0;
    chordLine(line.data(), 30, 5, 17);
    chordOverturn(over.data(), 30, 5, 17);
    const double s = (x0[17] - static_cast<double>(x0[5])) / 12;
    for (int i = 0; i < 30; ++i) {
        if (i <= 5 || i >= 17) {
            EXPECT_EQ(line[i], x0[i]) << i;
            EXPECT_EQ(over[i], x0[i]) << i;
            continue;
        }
        const double l = x0[5] + (i - 5) * s;
        EXPECT_NEAR(line[i], l, 1e-4) << i;
        EXPECT_NEAR(over[i], 2 * l - x0[i], 1e-4) << i;
    }
    // Overturning twice restores the part.
    chordOverturn(over.data(), 30, 5, 17);
    for (int i = 0; i < 30; ++i)
        EXPECT_NEAR(over[i], x0[i], 1e-4) << i;

    // Adjacent, equal or reversed ends change nothing; ends outside the scan
    // are bounded to it.
    for (auto [b, e] : {std::pair{4, 5}, {7, 7}, {9, 3}, {40, 50}, {-9, -2}}) {
        auto y = x0;
        chordLine(y.data(), 30, b, e);
        chordOverturn(y.data(), 30, b, e);
        EXPECT_EQ(y, x0) << b << ' ' << e;
    }
    auto y = x0;
    chordLine(y.data(), 30, -10, 100);
    EXPECT_EQ(y.front(), x0.front());
    EXPECT_EQ(y.back(), x0.back());
    EXPECT_NEAR(y[15], x0[0] + 15 * (x0[29] - static_cast<double>(x0[0])) / 29, 1e-4);
}

TEST(WorksheetMath, EqNullAndPolarizationFollowTheirRules)
{
    std::vector<float> a{-1, 0, 2}, b{-1, 0, 2}, c{-1, 0, 2};
    zeroBySign(a.data(), 0, 3, 1);
    zeroBySign(b.data(), 0, 3, 0);
    zeroBySign(c.data(), 0, 3, 7);
    EXPECT_EQ(a, (std::vector<float>{0, 0, 2}));
    EXPECT_EQ(b, (std::vector<float>{-1, 0, 0}));
    EXPECT_EQ(c, b);

    const std::vector<float> in{0.5f, 10, 10, -4, 0, 3, 2};
    std::vector<float> v{0.2f, 20, 5, 2, 0, -1.5f, -8};
    polarizationDegree(in.data(), v.data(), 7, 1.0f);
    EXPECT_EQ(v[0], 0.0f);            // |I| below the noise
    EXPECT_EQ(v[1], 100.0f);          // 200 clipped
    EXPECT_FLOAT_EQ(v[2], 50.0f);
    EXPECT_FLOAT_EQ(v[3], -50.0f);
    EXPECT_EQ(v[4], 0.0f);
    EXPECT_FLOAT_EQ(v[5], -50.0f);
    EXPECT_EQ(v[6], -100.0f);
    // A zero intensity with a zero noise level gives 0, not an infinity.
    std::vector<float> zi{0, 0}, zv{3, 0};
    polarizationDegree(zi.data(), zv.data(), 2, 0.0f);
    EXPECT_EQ(zv, (std::vector<float>{0, 0}));
}

TEST(WorksheetMath, MirrorOperationsInterpolateAboutTheCentre)
{
    const int n = 40;
    const auto x0 = noise(n, 2);
    const double c = 25.3; // C = 50, mirror of [30, 36) is [14, 20)

    auto copy = x0;
    copyAcrossCenter(copy.data(), n, static_cast<float>(c), 30, 36);
    for (int i = 0; i < n; ++i) {
        double v;
        if (i >= 14 && i < 20) {
            ASSERT_TRUE(mirrorRef(x0, static_cast<float>(c), i, v));
            EXPECT_NEAR(copy[i], v, 1e-4) << i;
        } else {
            EXPECT_EQ(copy[i], x0[i]) << i;
        }
    }

    // The target range is bounded to 1 ... n - 2.
    auto edge = x0;
    copyAcrossCenter(edge.data(), n, 22.0f, 2, 8); // mirror range [36, 42)
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(edge[i], i >= 36 && i <= 38 ? x0[44 - i] : x0[i]) << i;
    auto none = x0;
    copyAcrossCenter(none.data(), n, 25.0f, 8, 2);
    copyAcrossCenter(none.data(), n, 1e30f, 2, 8);
    copyAcrossCenter(none.data(), n, NAN, 2, 8);
    EXPECT_EQ(none, x0);

    auto mn = x0;
    minAcrossCenter(mn.data(), n, static_cast<float>(c), 5, 35);
    for (int i = 0; i < n; ++i) {
        double v;
        double want = x0[i];
        if (i >= 5 && i < 35 && mirrorRef(x0, static_cast<float>(c), i, v) && v < x0[i])
            want = v;
        EXPECT_NEAR(mn[i], want, 1e-4) << i;
    }
    auto far = x0;
    minAcrossCenter(far.data(), n, -100.0f, 0, n); // every mirror outside
    minAcrossCenter(far.data(), n, NAN, 0, n);
    EXPECT_EQ(far, x0);
}

TEST(WorksheetMath, ZeroLevelModesAndTailOfCurve)
{
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
    EXPECT_NEAR(static_cast<double>(*zeroLevel(x.data(), n, 0, 10, 41)), 0.05 * s0, 1e-5);
    EXPECT_NEAR(static_cast<double>(*zeroLevel(x.data(), n, 1, 10, 41)), s1 / 20, 1e-5);
    EXPECT_NEAR(static_cast<double>(*zeroLevel(x.data(), n, 2, 10, 41)), s2 / 20, 1e-5);
    EXPECT_NEAR(static_cast<double>(*zeroLevel(x.data(), n, 3, 10, 41)), s3 / 20, 1e-5);
    // The centre window is kept inside the scan.
    EXPECT_EQ(zeroLevel(x.data(), n, 3, 0, 4), zeroLevel(x.data(), n, 1, 0, 4));
    EXPECT_EQ(zeroLevel(x.data(), n, 3, 48, 49), zeroLevel(x.data(), n, 2, 0, 4));
    EXPECT_FALSE(zeroLevel(x.data(), n, 4, 10, 41));
    EXPECT_FALSE(zeroLevel(x.data(), n, -1, 10, 41));
    EXPECT_FALSE(zeroLevel(x.data(), 19, 1, 0, 10)); // too short for 20 points
    EXPECT_FALSE(zeroLevel(x.data(), 11, 0, 0, 10));

    std::vector<float> t{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto up = t, down = t;
    EXPECT_TRUE(tailOfCurve(up.data(), 10, 3));
    EXPECT_EQ(up, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 6, 6, 6}));
    EXPECT_TRUE(tailOfCurve(down.data(), 10, -3));
    EXPECT_EQ(down, (std::vector<float>{3, 3, 3, 3, 4, 5, 6, 7, 8, 9}));
    for (int bad : {0, 6, -6, 1 << 30, -(1 << 30), INT_MIN}) {
        auto y = t;
        EXPECT_FALSE(tailOfCurve(y.data(), 10, bad)) << bad;
        EXPECT_EQ(y, t);
    }
    auto limit = t;
    EXPECT_TRUE(tailOfCurve(limit.data(), 10, 5)); // |N| = n - 5: j = 4
    EXPECT_EQ(limit, (std::vector<float>{0, 1, 2, 3, 4, 4, 4, 4, 4, 4}));
}

TEST(Derive, WeightsUntouchedEndsAndShortScans)
{
    const int n = 60;
    const auto x = noise(n, 4);
    auto d = x;
    smoothedDerivative(d.data(), n);
    for (int i = 0; i < n; ++i) {
        if (i < 8 || i >= n - 8) {
            EXPECT_EQ(d[i], x[i]) << i;
            continue;
        }
        double want = 0;
        for (int k = 1; k <= 6; ++k)
            want += (x[i + k] - static_cast<double>(x[i - k])) * std::pow(10.0, -std::pow(0.24 * k, 2));
        EXPECT_NEAR(d[i], want, 1e-4) << i;
    }

    // A quadratic becomes a straight line inside: x[i+k] - x[i-k] = 2k(2ai + b).
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
    for (int i = 9; i < n - 8; ++i)
        EXPECT_NEAR(q[i] - q[i - 1], 2 * sumKw, 1e-3) << i;
    for (int i : {0, 7, n - 8, n - 1})
        EXPECT_EQ(q[i], q0[i]);

    auto shortScan = noise(24, 5);
    const auto s0 = shortScan;
    smoothedDerivative(shortScan.data(), 24);
    EXPECT_EQ(shortScan, s0);
    auto shortest = noise(25, 6);
    const auto t0 = shortest;
    smoothedDerivative(shortest.data(), 25);
    EXPECT_NE(shortest[8], t0[8]);
    EXPECT_NE(shortest[16], t0[16]);
    EXPECT_EQ(shortest[17], t0[17]);
}
