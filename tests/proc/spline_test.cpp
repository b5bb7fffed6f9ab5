// The smoothing spline against independent computations: dense matrices
// built from the variational definition, the interpolation and straight-line
// limits, and the handling of unsorted, repeated and non-finite knots.
#include "proc/smoothing_spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using qm::SmoothingSpline;

namespace {

using Matrix = std::vector<std::vector<double>>;
using Vec = std::vector<double>;

Matrix zeros(std::size_t r, std::size_t c) { return Matrix(r, Vec(c, 0.0)); }

// Dense Gaussian elimination with partial pivoting.
Vec solveDense(Matrix a, Vec b)
{
    const std::size_t n = b.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t best = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[best][col]))
                best = r;
        std::swap(a[col], a[best]);
        std::swap(b[col], b[best]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const double f = a[r][col] / a[col][col];
            for (std::size_t k = col; k < n; ++k)
                a[r][k] -= f * a[col][k];
            b[r] -= f * b[col];
        }
    }
    Vec x(n);
    for (std::size_t i = n; i-- > 0;) {
        double s = b[i];
        for (std::size_t k = i + 1; k < n; ++k)
            s -= a[i][k] * x[k];
        x[i] = s / a[i][i];
    }
    return x;
}

// A cubic spline from its knot values g and second derivatives c.
double splineAt(const Vec& x, const Vec& g, const Vec& c, double t)
{
    std::size_t i = 0;
    while (i + 2 < x.size() && t > x[i + 1])
        ++i;
    const double h = x[i + 1] - x[i], l = x[i + 1] - t, r = t - x[i];
    return (c[i] * l * l * l + c[i + 1] * r * r * r) / (6 * h) + (g[i] / h - c[i] * h / 6) * l +
           (g[i + 1] / h - c[i + 1] * h / 6) * r;
}

struct Fit {
    Vec g, c; // knot values, second derivatives
};

// The smoothing spline from the variational definition: with L the m x m
// second-difference operator and R the band of interval lengths, the second
// derivatives c solve (R + p L L) c = L y on the unknowns (the inner knots
// for natural ends, where c is 0, every knot for clamped ones, whose end
// rows of the right side are 0); the knot values are g = y - p L c.
Fit reference(const Vec& x, const Vec& y, double p, bool natural)
{
    const std::size_t m = x.size(), lo = natural ? 1 : 0, n = natural ? m - 2 : m;
    Matrix l = zeros(m, m), r = zeros(m, m);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        const double h = x[i + 1] - x[i];
        l[i][i] -= 1 / h;
        l[i][i + 1] += 1 / h;
        l[i + 1][i + 1] -= 1 / h;
        l[i + 1][i] += 1 / h;
        r[i][i] += h / 3;
        r[i + 1][i + 1] += h / 3;
        r[i][i + 1] = r[i + 1][i] = h / 6;
    }
    Matrix a = zeros(n, n);
    Vec rhs(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            a[i][j] = r[lo + i][lo + j];
            for (std::size_t k = 0; k < m; ++k)
                a[i][j] += p * l[lo + i][k] * l[k][lo + j];
        }
        if (lo + i > 0 && lo + i + 1 < m)
            for (std::size_t k = 0; k < m; ++k)
                rhs[i] += l[lo + i][k] * y[k];
    }
    const Vec inner = solveDense(a, rhs);
    Fit f{y, Vec(m, 0.0)};
    for (std::size_t i = 0; i < n; ++i)
        f.c[lo + i] = inner[i];
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t k = 0; k < m; ++k)
            f.g[i] -= p * l[i][k] * f.c[k];
    return f;
}

struct Knots {
    std::vector<float> x, y;
    Vec xd() const { return {x.begin(), x.end()}; }
    Vec yd() const { return {y.begin(), y.end()}; }
};

Knots randomKnots(int m, std::uint32_t seed)
{
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> gap(0.5f, 4.0f), val(-20.0f, 20.0f);
    Knots k;
    float x = val(g);
    for (int i = 0; i < m; ++i) {
        k.x.push_back(x);
        k.y.push_back(val(g));
        x += gap(g);
    }
    return k;
}

// Points between and around the knots.
Vec probes(const Knots& k)
{
    Vec t;
    for (std::size_t i = 0; i + 1 < k.x.size(); ++i)
        for (double f : {0.0, 0.25, 0.5, 0.9})
            t.push_back(k.x[i] + f * (k.x[i + 1] - k.x[i]));
    t.push_back(k.x.back());
    return t;
}

} // namespace

TEST(SmoothingSpline, MatchesTheDenseReferenceInBothBoundaryModes)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const int m = 3 + static_cast<int>(seed % 9);
        const Knots k = randomKnots(m, seed);
        for (double p : {0.05, 1.0, 8.0, 128.0}) {
            for (bool natural : {true, false}) {
                SmoothingSpline s;
                ASSERT_TRUE(s.fit(m, p, k.x.data(), k.y.data(), natural));
                const Fit ref = reference(k.xd(), k.yd(), p, natural);
                for (double t : probes(k))
                    EXPECT_NEAR(s.evaluate(t), splineAt(k.xd(), ref.g, ref.c, t), 1e-6 * (1 + std::fabs(ref.g[0])))
                        << "seed " << seed << " p " << p << " natural " << natural << " t " << t;
            }
        }
    }

}

TEST(SmoothingSpline, LimitsOfTheCoefficient)
{
    for (std::uint32_t seed = 20; seed < 30; ++seed) {
        const int m = 2 + static_cast<int>(seed % 10);
        const Knots k = randomKnots(m, seed);
        for (bool natural : {true, false}) {
            SmoothingSpline s;
            ASSERT_TRUE(s.fit(m, 1e-9, k.x.data(), k.y.data(), natural));
            for (int i = 0; i < m; ++i)
                EXPECT_NEAR(s.evaluate(k.x[i]), k.y[i], 1e-5) << seed;
        }
        // Clamped ends take the slopes of the first and last intervals.
        SmoothingSpline clamped;
        ASSERT_TRUE(clamped.fit(m, 1e-9, k.x.data(), k.y.data(), false));
        const double eps = 1e-4;
        const double x0 = k.x[0], x1 = k.x[1], xl = k.x[m - 2], xm = k.x[m - 1];
        EXPECT_NEAR((clamped.evaluate(x0 + eps) - clamped.evaluate(x0)) / eps, (k.y[1] - k.y[0]) / (x1 - x0), 1e-2);
        EXPECT_NEAR((clamped.evaluate(xm) - clamped.evaluate(xm - eps)) / eps, (k.y[m - 1] - k.y[m - 2]) / (xm - xl),
                    1e-2);

        // Least-squares line from the normal equations.
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int i = 0; i < m; ++i) {
            sx += k.x[i];
            sy += k.y[i];
            sxx += double(k.x[i]) * k.x[i];
            sxy += double(k.x[i]) * k.y[i];
        }
        const double slope = (m * sxy - sx * sy) / (m * sxx - sx * sx), icpt = (sy - slope * sx) / m;
        SmoothingSpline stiff;
        ASSERT_TRUE(stiff.fit(m, 1e10, k.x.data(), k.y.data(), true));
        for (double t : probes(k))
            EXPECT_NEAR(stiff.evaluate(t), icpt + slope * t, 1e-3) << seed;
    }
    // Knots on a line give the line for any coefficient, beyond them too.
    const std::vector<float> x{0, 1.5f, 2, 5, 9}, y{3, 6, 7, 13, 21}; // y = 3 + 2x
    for (bool natural : {true, false})
        for (double p : {1.0, 128.0, 16384.0}) {
            SmoothingSpline s;
            ASSERT_TRUE(s.fit(5, p, x.data(), y.data(), natural));
            for (double t = -1; t <= 10; t += 0.25)
                EXPECT_NEAR(s.evaluate(t), 3 + 2 * t, 1e-4) << natural << " " << p;
        }
}

TEST(SmoothingSpline, UnsortedRepeatedAndBadKnots)
{
    const Knots k = randomKnots(7, 3);
    // Any order gives the same curve.
    std::vector<float> rx(k.x.rbegin(), k.x.rend()), ry(k.y.rbegin(), k.y.rend());
    SmoothingSpline sorted, reversed;
    ASSERT_TRUE(sorted.fit(7, 2.0, k.x.data(), k.y.data(), false));
    ASSERT_TRUE(reversed.fit(7, 2.0, rx.data(), ry.data(), false));
    for (double t : probes(k))
        EXPECT_DOUBLE_EQ(sorted.evaluate(t), reversed.evaluate(t));

    // Knots sharing an abscissa become one at their mean value; NaN knots
    // are dropped.
    const float nan = std::nanf("");
    const std::vector<float> x{0, 2, 2, 2, 5, nan, 7}, y{1, 3, 4, 8, 2, 9, nan};
    const std::vector<float> mx{0, 2, 5}, my{1, 5, 2};
    SmoothingSpline dup, merged;
    ASSERT_TRUE(dup.fit(7, 0.5, x.data(), y.data(), true));
    ASSERT_TRUE(merged.fit(3, 0.5, mx.data(), my.data(), true));
    EXPECT_EQ(dup.knotCount(), 3);
    for (double t = -1; t < 6; t += 0.5) {
        EXPECT_TRUE(std::isfinite(dup.evaluate(t)));
        EXPECT_DOUBLE_EQ(dup.evaluate(t), merged.evaluate(t));
    }

    // Fewer than two distinct abscissae, no knots, a bad coefficient.
    const std::vector<float> same{4, 4, 4}, vals{1, 2, 3};
    SmoothingSpline s;
    EXPECT_FALSE(s.fit(3, 1.0, same.data(), vals.data(), true));
    EXPECT_FALSE(s.valid());
    EXPECT_EQ(s.evaluate(4), 0);
    EXPECT_FALSE(s.fit(0, 1.0, same.data(), vals.data(), false));
    EXPECT_FALSE(s.fit(1, 1.0, same.data(), vals.data(), false));
    EXPECT_FALSE(s.fit(3, std::nan(""), k.x.data(), k.y.data(), false));
    // A failed fit forgets the previous one.
    ASSERT_TRUE(s.fit(7, 1.0, k.x.data(), k.y.data(), true));
    EXPECT_FALSE(s.fit(3, 1.0, same.data(), vals.data(), true));
    EXPECT_FALSE(s.valid());

    // Two knots: the straight line in both modes.
    const std::vector<float> tx{1, 3}, ty{2, 6};
    for (bool natural : {true, false}) {
        ASSERT_TRUE(s.fit(2, 1000.0, tx.data(), ty.data(), natural));
        EXPECT_NEAR(s.evaluate(0), 0, 1e-9);
        EXPECT_NEAR(s.evaluate(2), 4, 1e-9);
        EXPECT_NEAR(s.evaluate(5), 10, 1e-9);
    }
}
