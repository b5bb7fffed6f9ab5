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
    for (int m : {4, 17, 200})
        EXPECT_NEAR(noiseSigma(x.data(), m), referenceSigma(x, 0, m), 1e-9 * referenceSigma(x, 0, m)) << m;
    // Too few points to divide: 0, never a division by zero.
    for (int m : {0, 3})
        EXPECT_EQ(noiseSigma(x.data(), m), 0) << m;
}

TEST(NoiseEstimate, FractionalMoveStaysInsideTheArray)
{
    auto moved = [](double shift) {
        std::vector<float> x = {10, 20, 30, 40, 50};
        fractionalMove(x.data(), int(x.size()), shift);
        return x;
    };
    using V = std::vector<float>;
    EXPECT_EQ(moved(1.25), (V{22.5f, 32.5f, 42.5f, 50, 50}));
    EXPECT_EQ(moved(-1.25), (V{10, 10, 17.5f, 27.5f, 37.5f}));
    for (double s : {1e12, -1e12, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_EQ(moved(s), (V{10, 20, 30, 40, 50})) << s;
}
