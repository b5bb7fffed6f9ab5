#include "analysis/local_graph_table.h"
#include "app/noise_estimate.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace qm;
using namespace qm::test;

TEST(NoiseEstimate, SigmaFromSecondDifferences)
{
    // A straight line has no second differences.
    std::vector<float> line(40);
    for (int i = 0; i < 40; ++i)
        line[std::size_t(i)] = 3.5f * float(i) - 12;
    EXPECT_NEAR(noiseSigma(line.data(), 40), 0, 1e-9);

    std::mt19937 g(7);
    std::normal_distribution<float> d(100, 5);
    std::vector<float> x(200);
    for (auto& v : x)
        v = d(g);
    for (int m : {4, 5, 17, 200})
        EXPECT_NEAR(noiseSigma(x.data(), m), referenceSigma(x, 0, m), 1e-9 * referenceSigma(x, 0, m)) << m;
    // From an offset, as the analyses call it.
    EXPECT_NEAR(noiseSigma(x.data() + 30, 50), referenceSigma(x, 30, 50), 1e-6);
    // [0, 4, 0, 4]: differences -4 and 4 over m - 3 = 1.
    const float zig[] = {0, 4, 0, 4};
    EXPECT_NEAR(noiseSigma(zig, 4), std::sqrt(32.0), 1e-12);

    // Too few points to divide: 0, never a division by zero.
    for (int m : {-1, 0, 1, 2, 3})
        EXPECT_EQ(noiseSigma(x.data(), m), 0) << m;
    EXPECT_EQ(noiseSigma(nullptr, 10), 0);
}

TEST(NoiseEstimate, RangeOfValues)
{
    const float x[] = {3, -2, 7, 7, 0};
    EXPECT_EQ(valueRange(x, 5), 9);
    EXPECT_EQ(valueRange(x, 2), 5);
    const float flat[] = {4, 4, 4};
    EXPECT_EQ(valueRange(flat, 3), 1); // equal extremes give 1
    EXPECT_EQ(valueRange(x, 0), 1);
    EXPECT_EQ(valueRange(x, 1), 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float withNan[] = {nan, 2, 8, nan};
    EXPECT_EQ(valueRange(withNan, 4), 6);
    const float allNan[] = {nan, nan};
    EXPECT_EQ(valueRange(allNan, 2), 1);
}

TEST(NoiseEstimate, FractionalMove)
{
    auto moved = [](double shift, std::vector<float> x = {10, 20, 30, 40, 50}) {
        fractionalMove(x.data(), int(x.size()), shift);
        return x;
    };
    using V = std::vector<float>;
    EXPECT_EQ(moved(0), (V{10, 20, 30, 40, 50}));
    // Whole points: positive toward lower indices, the uncovered points keep
    // their old values.
    EXPECT_EQ(moved(2), (V{30, 40, 50, 40, 50}));
    EXPECT_EQ(moved(-2), (V{10, 20, 10, 20, 30}));
    // Fractions interpolate with the neighbour the curve comes from.
    EXPECT_EQ(moved(0.5), (V{15, 25, 35, 45, 50}));
    EXPECT_EQ(moved(-0.5), (V{10, 15, 25, 35, 45}));
    EXPECT_EQ(moved(1.25), (V{22.5f, 32.5f, 42.5f, 50, 50}));
    EXPECT_EQ(moved(-1.25), (V{10, 10, 17.5f, 27.5f, 37.5f}));
    // Whole moves as long as the curve move nothing; the fraction still applies.
    EXPECT_EQ(moved(5), (V{10, 20, 30, 40, 50}));
    EXPECT_EQ(moved(-7.5), (V{10, 15, 25, 35, 45}));
    // Nothing outside the array, whatever the shift.
    for (double s : {1e12, -1e12, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_EQ(moved(s), (V{10, 20, 30, 40, 50})) << s;
    EXPECT_EQ(moved(0.5, V{7}), (V{7}));
    fractionalMove(nullptr, 5, 1);
    fractionalMove(nullptr, 0, 1);
}

TEST(LocalGraphTable, DayNumberSince1980)
{
    EXPECT_DOUBLE_EQ(dayNumber1980("1980/01/01", "00:00:00"), 1);
    // 4 years, one leap day counted, 59 days before March, the day, and the
    // leap day of a leap year after February; noon.
    EXPECT_DOUBLE_EQ(dayNumber1980("1984/03/01", "12:00:00"), 4 * 365 + 1 + 59 + 1 + 1 + 0.5);
    EXPECT_DOUBLE_EQ(dayNumber1980("1984/02/10", "06:30:36"), 4 * 365 + 1 + 31 + 10 + (6 + 30 / 60.0 + 36 / 3600.0) / 24);
    // Day first when the third number is a year.
    EXPECT_DOUBLE_EQ(dayNumber1980("01/03/1984", "12:00:00"), dayNumber1980("1984/03/01", "12:00:00"));
    EXPECT_DOUBLE_EQ(dayNumber1980("2004/05/01", "05:00:00"),
                     24 * 365 + 6 + 120 + 1 + 1 + 5 / 24.0);
    // Before 1980, unreadable dates and months out of range give 0.
    EXPECT_EQ(dayNumber1980("1979/01/01", "00:00:00"), 0);
    EXPECT_EQ(dayNumber1980("", ""), 0);
    EXPECT_EQ(dayNumber1980("2004/13/01", ""), 0);
    EXPECT_EQ(dayNumber1980("2004/05", ""), 0);
    // A date field without its NUL is read only within its 16 bytes.
    char field[16];
    std::fill(std::begin(field), std::end(field), '1');
    EXPECT_EQ(dayNumber1980(field, field), 0);

    AnalysisBench b;
    b.load(scansOf(makeScan(2.5f, "1984/03/01", "12:00:00")));
    b.wb.view.titleParts = 1;
    EXPECT_DOUBLE_EQ(localGraphX(b.wb, *b.wb.activeScan), 2.5);
    b.wb.view.titleParts = 2 | 4;
    EXPECT_DOUBLE_EQ(localGraphX(b.wb, *b.wb.activeScan), 1522.5);
}
