// Gauss and median smoothing against direct computations from their
// definitions, and the refusals of bad windows.
#include "proc/smoothing.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

int kernelReach(int n) { return static_cast<int>(1.41421356 / (0.548662 / (n / 2))) + 1; } // M for window n

// Gaussian smoothing straight from the definition: every output is the
// weighted mean of the 2M+1 values around it with weights
// 10^-((k*sqrt2/M)^2), the values outside the scan or the selection taken by
// odd reflection about the end levels.
std::vector<float> gaussReference(const std::vector<float>& x, int b, int e, int window)
{
    const int n = static_cast<int>(x.size()), m = kernelReach(window);
    if (b + m > n - 2 || e - m < 1 || e <= b)
        return x;
    const int s = b == 0 ? 1 : b, len = e - b;
    auto at = [&](int pos) -> double {
        if (pos < 0) {
            const int k = -pos;
            if (b - k >= 0)
                return x[s - k];
            const double level = 2.0 * ((b == 0 ? x[s] : x[s - 1]) + double(x[s]) + x[s + 1]) / 3;
            return level - x[s + k];
        }
        if (pos >= len) {
            const int k = pos - len;
            if (n - e - k > 1)
                return x[s + len + k];
            const double level = n - e > 2 ? 2.0 * (double(x[s + len - 1]) + x[s + len] + x[s + len + 1]) / 3
                                           : 2.0 * (2.0 * x[s + len - 1] + x[s + len - 2]) / 3;
            return level - x[s + len - 1 - k];
        }
        return x[s + pos];
    };
    std::vector<float> out = x;
    for (int j = 0; j < len; ++j) {
        double num = 0, den = 0;
        for (int k = -m; k <= m; ++k) {
            const double t = std::abs(k) * 1.41421356 / m;
            const double w = std::pow(10.0, -t * t);
            num += w * at(j + k);
            den += w;
        }
        out[s + j] = static_cast<float>(num / den);
    }
    return out;
}

// Running median by brute force; positions beyond the stretch take its
// end values.
std::vector<float> medianReference(const std::vector<float>& x, int b, int e, int half)
{
    const int s = b == 0 ? 1 : b, len = e - s;
    if (half < 1 || len < 1 || 3 * (half / 2) > len)
        return x;
    std::vector<float> out = x;
    for (int i = s; i < e; ++i) {
        std::vector<float> w;
        for (int k = -half; k <= half; ++k)
            w.push_back(x[std::clamp(i + k, s, e - 1)]);
        std::nth_element(w.begin(), w.begin() + half, w.end());
        out[i] = w[half];
    }
    return out;
}

void expectNear(const std::vector<float>& got, const std::vector<float>& want, const std::string& what)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(got[i], want[i], 2e-4 * (1 + std::fabs(want[i]))) << what << " at " << i;
}

// A scan length in [minN, minN + spread) and an ordered selection in it.
struct Span {
    int n, b, e;
};
Span randomSpan(std::mt19937& g, int minN, int spread)
{
    const int n = minN + static_cast<int>(g() % static_cast<unsigned>(spread));
    int b = static_cast<int>(g() % static_cast<unsigned>(n)), e = static_cast<int>(g() % static_cast<unsigned>(n));
    if (b > e)
        std::swap(b, e);
    return {n, b, e};
}

std::vector<float> gaussOf(std::vector<float> x, int b, int e, int window)
{
    gaussSmooth(x.data(), static_cast<int>(x.size()), b, e, gaussKernel(window));
    return x;
}

std::vector<float> medianOf(std::vector<float> x, int b, int e, int half)
{
    medianSmooth(x.data(), static_cast<int>(x.size()), b, e, half);
    return x;
}

} // namespace

TEST(GaussSmooth, DirectWeightedMeanConstantsAndLines)
{
    std::mt19937 g(9);
    for (int trial = 0; trial < 150; ++trial) {
        const auto [n, b, e] = randomSpan(g, 8, 120);
        const int window = 2 + static_cast<int>(g() % 20);
        const auto x = noise(n, 1000 + static_cast<std::uint32_t>(trial));
        expectNear(gaussOf(x, b, e, window), gaussReference(x, b, e, window), "trial " + std::to_string(trial));
        // A constant stays constant through the reflections at the ends.
        const float level = x[0] * 10;
        for (float y : gaussOf(std::vector<float>(x.size(), level), b, e, window))
            ASSERT_NEAR(y, level, 1e-4 * (1 + std::fabs(level))) << trial;
        // A straight line stays straight where the kernel lies inside.
        std::vector<float> line(x.size());
        for (std::size_t i = 0; i < line.size(); ++i)
            line[i] = level + x[1] * float(i);
        const auto smoothed = gaussOf(line, b, e, window);
        const int reach = kernelReach(window);
        for (int j = b + reach; j + reach < e; ++j)
            ASSERT_NEAR(smoothed[std::size_t(j)], line[std::size_t(j)], 1e-3 * (1 + std::fabs(line[std::size_t(j)])))
                << trial << " point " << j;
    }
}

TEST(MedianSmooth, EqualsTheBruteForceMedian)
{
    EXPECT_EQ(medianOf({0, 1, 9, 1, 1, 1, 0}, 1, 6, 1), (std::vector<float>{0, 1, 1, 1, 1, 1, 0}));
    std::mt19937 g(11);
    for (int trial = 0; trial < 200; ++trial) {
        const auto [n, b, e] = randomSpan(g, 3, 150);
        const int half = 1 + static_cast<int>(g() % 40);
        auto x = noise(n, 5000 + static_cast<std::uint32_t>(trial), -5, 5);
        if (trial % 2) // many ties
            for (float& v : x)
                v = std::round(v);
        EXPECT_EQ(medianOf(x, b, e, half), medianReference(x, b, e, half)) << "trial " << trial;
    }
}

TEST(Smoothing, BadWidthsAndWindowsAreRefused)
{
    EXPECT_EQ(smoothingWindow(2.9f, 0, 0.5f, 100), 6);    // trunc(5.8) + 1
    EXPECT_EQ(smoothingWindow(-2, 3, 0.5f, 100), 13);     // beam units: 2 * 3 / 0.5 + 1
    EXPECT_EQ(smoothingWindow(1e30f, 0, 1, 16000), 8000); // at most n/2, no overflow
    EXPECT_FALSE(smoothingWindow(5, 0, 0, 100));          // step 0
    EXPECT_FALSE(smoothingWindow(NAN, 0, 1, 100));

    const auto x = noise(50, 5);
    auto y = x;
    EXPECT_FALSE(gaussSmooth(y.data(), 50, 30, 10, gaussKernel(10)));   // reversed
    EXPECT_FALSE(gaussSmooth(y.data(), 50, 0, 49, gaussKernel(1000)));  // wider than the scan
    // A real half width: none for a beam of 0 or below; a beam wider than
    // the curve is cut to the terms allowed, its weights still summing to 1.
    EXPECT_TRUE(gaussKernelOfHalfWidth(0, 48).empty());
    EXPECT_TRUE(gaussKernelOfHalfWidth(-3, 48).empty());
    EXPECT_EQ(gaussKernelOfHalfWidth(5, 1000), gaussKernel(10));
    const auto cut = gaussKernelOfHalfWidth(1e6, 48);
    ASSERT_EQ(cut.size(), 49u);
    double total = 0;
    for (double g : cut)
        total += 2 * g;
    EXPECT_NEAR(total, 1.0, 1e-12);
    EXPECT_TRUE(gaussSmooth(y.data(), 50, 0, 50, cut));
    y = x;
    EXPECT_FALSE(medianSmooth(y.data(), 50, 10, 18, 7));                // 3 * (7/2) > 8 points
    EXPECT_FALSE(medianSmooth(y.data(), 50, 5, 30, 0));
    EXPECT_EQ(y, x);

    // Through the commands: a zero step gives no window in either unit.
    ProcBench b;
    b.loadAlike({2.8f}, 40, 1);
    setWrk(b.active(), 1, noise(40, 6));
    const auto before = allWorksheets(b);
    b.select(true, true, true, true);
    b.active().step = 0;
    for (int id : {109, 110})
        for (const char* text : {"3", "-3", "abc"})
            b.run(id, text);
    EXPECT_EQ(allWorksheets(b), before);
    EXPECT_TRUE(b.ui.progressTitles.empty());
}

TEST(Smoothing, AllModeSmoothsEveryScanWithItsOwnBeamInScriptsAsInteractively)
{
    // Scans of different beams and steps: a width in beam units gives every
    // scan its own window.
    auto prepare = [](ProcBench& b) {
        b.loadAlike({1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 7.5f}, 300);
        std::uint32_t k = 0;
        for (auto& s : b.wb.scans) {
            setWrk(*s, 1, noise(300, 40 + k));
            setWrk(*s, 2, noise(300, 80 + k));
            s->beamHalfsize = 2.0f + float(k);
            s->step = 0.5f + 0.25f * float(k % 3);
            ++k;
        }
        b.select(true, true, true, true);
        b.wb.allMode = true;
    };
    for (int id : {110, 109}) {
        ProcBench serial, script;
        prepare(serial);
        prepare(script);
        std::vector<std::vector<float>> want;
        for (auto& s : serial.wb.scans) {
            const int window = *smoothingWindow(-1.5f, s->beamHalfsize, s->step, s->nPoints);
            for (int ch : {1, 2}) {
                want.push_back(id == 110 ? gaussOf(wrkOf(*s, ch), serial.wb.viewBegin, serial.wb.viewEnd, window)
                                         : medianOf(wrkOf(*s, ch), serial.wb.viewBegin, serial.wb.viewEnd, window));
                ASSERT_NE(want.back(), wrkOf(*s, ch)) << id;
            }
        }
        serial.run(id, "-1.5");
        script.runBatch(id, -1.5f);
        EXPECT_EQ(allWorksheets(serial), want) << id;
        EXPECT_EQ(allWorksheets(script), want) << id;
        ASSERT_EQ(script.ui.statuses.size(), 7u) << id;
        EXPECT_EQ(script.ui.statuses, serial.ui.statuses) << id;

        // Abort heard after the first worksheet: the other scans keep theirs.
        ProcBench stopped;
        prepare(stopped);
        const auto before = allWorksheets(stopped);
        stopped.ui.abortAfterPumps = 1;
        stopped.run(id, "-1.5");
        auto expected = before;
        expected[0] = want[0];
        EXPECT_EQ(allWorksheets(stopped), expected) << id;
    }
}
