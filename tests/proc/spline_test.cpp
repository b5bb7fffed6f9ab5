// The smoothing spline at the limits of its coefficient: interpolation for
// a small one, the least-squares line for a large one.
#include "proc/smoothing_spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using qm::SmoothingSpline;

TEST(SmoothingSpline, SmallCoefficientInterpolatesLargeGivesTheLeastSquaresLine)
{
    std::mt19937 g(20);
    std::uniform_real_distribution<float> gap(0.5f, 4.0f), val(-20.0f, 20.0f);
    for (int m = 3; m < 12; ++m) {
        std::vector<float> x, y;
        float at = val(g);
        for (int i = 0; i < m; ++i, at += gap(g)) {
            x.push_back(at);
            y.push_back(val(g));
        }
        for (bool natural : {true, false}) {
            SmoothingSpline s;
            ASSERT_TRUE(s.fit(m, 1e-9, x.data(), y.data(), natural));
            for (int i = 0; i < m; ++i)
                EXPECT_NEAR(s.evaluate(x[i]), y[i], 1e-5) << m;
        }
        // Least-squares line from the normal equations.
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int i = 0; i < m; ++i) {
            sx += x[i];
            sy += y[i];
            sxx += double(x[i]) * x[i];
            sxy += double(x[i]) * y[i];
        }
        const double slope = (m * sxy - sx * sy) / (m * sxx - sx * sx), icpt = (sy - slope * sx) / m;
        SmoothingSpline stiff;
        ASSERT_TRUE(stiff.fit(m, 1e10, x.data(), y.data(), true));
        for (int i = 0; i + 1 < m; ++i) {
            const double t = (x[i] + x[i + 1]) / 2.0;
            EXPECT_NEAR(stiff.evaluate(t), icpt + slope * t, 1e-3) << m;
        }
    }
}

TEST(SmoothingSpline, RepeatedAndBadKnots)
{
    // Knots sharing an abscissa become one at their mean; NaN knots drop.
    const float nan = std::nanf("");
    const std::vector<float> x{0, 2, 2, 2, 5, nan, 7}, y{1, 3, 4, 8, 2, 9, nan};
    const std::vector<float> mx{0, 2, 5}, my{1, 5, 2};
    SmoothingSpline dup, merged;
    ASSERT_TRUE(dup.fit(7, 0.5, x.data(), y.data(), true));
    ASSERT_TRUE(merged.fit(3, 0.5, mx.data(), my.data(), true));
    for (double t = -1; t < 6; t += 0.5)
        EXPECT_DOUBLE_EQ(dup.evaluate(t), merged.evaluate(t));

    // Fewer than two distinct abscissae, or a bad coefficient: no fit.
    const std::vector<float> same{4, 4, 4}, vals{1, 2, 3};
    SmoothingSpline s;
    ASSERT_TRUE(s.fit(3, 1.0, mx.data(), my.data(), true));
    EXPECT_FALSE(s.fit(3, 1.0, same.data(), vals.data(), true));
    EXPECT_FALSE(s.valid()); // the previous fit is forgotten
    EXPECT_FALSE(s.fit(3, std::nan(""), mx.data(), my.data(), false));
}
