#include "analysis/correlation.h"
#include "tests/analysis/analysis_bench.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

std::vector<float> curve(unsigned seed) { return noise(40, seed, 0, 100); }

std::vector<float> scaled(std::vector<float> v, float a, float c)
{
    for (auto& x : v)
        x = a * x + c;
    return v;
}

} // namespace

TEST(Correlation, PearsonCoefficient)
{
    const auto a = curve(1), c = curve(2);
    // Textbook form with double means.
    double ma = 0, mc = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ma += a[i];
        mc += c[i];
    }
    ma /= double(a.size());
    mc /= double(a.size());
    double num = 0, da = 0, dc = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        num += (a[i] - ma) * (c[i] - mc);
        da += (a[i] - ma) * (a[i] - ma);
        dc += (c[i] - mc) * (c[i] - mc);
    }
    EXPECT_NEAR(pearson(a.data(), c.data(), int(a.size())), num / std::sqrt(da * dc), 1e-6);
    EXPECT_NEAR(pearson(a.data(), a.data(), 40), 1, 1e-12);
    const auto neg = scaled(a, -2, 5);
    EXPECT_NEAR(pearson(a.data(), neg.data(), 40), -1, 1e-6);
    // A constant curve: zero denominator counted as 1, so 0.
    const std::vector<float> flat(40, 3.0f);
    EXPECT_EQ(pearson(a.data(), flat.data(), 40), 0);
    EXPECT_EQ(pearson(a.data(), c.data(), 0), 0);
    EXPECT_EQ(pearson(nullptr, c.data(), 5), 0);
}
