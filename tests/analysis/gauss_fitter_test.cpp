#include "analysis/gauss_fitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace qm;

namespace {

// sum of A exp(-ln2 (i - c)^2 / h^2) (h the half width at half maximum).
std::vector<float> curve(int n, std::initializer_list<std::array<double, 3>> comps, double noise = 0, unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> gauss(0, noise > 0 ? noise : 1);
    std::vector<float> y(std::size_t(n), 0.0f);
    for (int i = 0; i < n; ++i) {
        double v = noise > 0 ? gauss(rng) : 0;
        for (const auto& [a, h, c] : comps)
            v += a * std::exp(-std::log(2.0) * (i - c) * (i - c) / (h * h));
        y[std::size_t(i)] = float(v);
    }
    return y;
}

double hwhm(const GaussComponent& c) { return c.width * std::sqrt(std::log(2.0)); }

} // namespace

TEST(GaussFitter, RecoversIsolatedAndPairedComponents)
{
    GaussFitInput in;
    in.y = curve(200, {{500, 10, 97.3}});
    in.b = 20;
    in.e = 180;
    in.maxComponents = 3;
    in.threshold = 10;
    GaussFitResult r = fitGaussians(in);
    ASSERT_EQ(r.components.size(), 1u);
    EXPECT_NEAR(r.components[0].centre, 97.3, 0.02);
    EXPECT_NEAR(hwhm(r.components[0]), 10, 0.02);
    EXPECT_NEAR(r.components[0].amplitude, 500, 1);

    // Two sources 2.7 half widths apart, returned in order of position.
    in.y = curve(200, {{400, 8, 80}, {250, 8, 80 + 2.7 * 8}});
    in.maxComponents = 4;
    r = fitGaussians(in);
    ASSERT_EQ(r.components.size(), 2u);
    EXPECT_NEAR(r.components[0].centre, 80, 0.05);
    EXPECT_NEAR(r.components[1].centre, 80 + 2.7 * 8, 0.05);
    EXPECT_NEAR(r.components[1].amplitude, 250, 1);
    EXPECT_NEAR(hwhm(r.components[1]), 8, 0.05);

    // K = 1 gives one blend between them; given initial components are
    // kept in the count.
    in.maxComponents = 1;
    r = fitGaussians(in);
    ASSERT_EQ(r.components.size(), 1u);
    EXPECT_GT(r.components[0].centre, 80);
    EXPECT_LT(r.components[0].centre, 80 + 2.7 * 8);
    in.maxComponents = 2;
    in.initial = {{300, 8 / std::sqrt(std::log(2.0)), 101}};
    r = fitGaussians(in);
    ASSERT_EQ(r.components.size(), 2u);
    EXPECT_NEAR(r.components[1].centre, 80 + 2.7 * 8, 0.05);
}

TEST(GaussFitter, RefusesWhatCannotBeFitted)
{
    GaussFitInput in;
    in.y = curve(100, {{50, 5, 50}});
    in.b = 10;
    in.e = 90;
    in.maxComponents = 5;
    in.threshold = 60; // nothing above the threshold: the given components only
    in.initial = {{1, 2, 30}};
    GaussFitResult r = fitGaussians(in);
    ASSERT_EQ(r.components.size(), 1u);
    EXPECT_EQ(r.components[0].centre, 30);

    // A stop requested before the start keeps nothing.
    in.threshold = 1;
    in.initial.clear();
    std::atomic<bool> stop{true};
    r = fitGaussians(in, &stop);
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(r.components.empty());

    // Short selections, selections outside the curve, NaN and infinite
    // samples, and a flat or negative curve give nothing.
    for (auto [b, e] : {std::pair{10, 15}, std::pair{-1, 50}, std::pair{50, 100}}) {
        in.b = b;
        in.e = e;
        EXPECT_TRUE(fitGaussians(in).components.empty());
    }
    in.b = 10;
    in.e = 90;
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        auto y = in.y;
        in.y[40] = bad;
        EXPECT_TRUE(fitGaussians(in).components.empty());
        in.y = y;
    }
    in.y.assign(100, -3.0f);
    EXPECT_TRUE(fitGaussians(in).components.empty());
}
