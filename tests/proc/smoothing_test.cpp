// Gauss and median smoothing: the arithmetic against direct computations
// from the definitions, the properties over random arrays, and the commands
// with their prompt, windows, ALL mode, Abort and refusals.
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

// Running median by brute force: the median of the 2N+1 points centred on
// each point of the stretch, positions beyond the stretch taking its end
// values.
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

// Alike scans of n points with random worksheets, each with a beam of its
// frequency.
void loadNoisy(ProcBench& b, std::initializer_list<float> frequencies, int n, float step)
{
    b.loadAlike(frequencies, n, step);
    std::uint32_t seed = 40;
    for (auto& s : b.wb.scans) {
        s->beamHalfsize = s->frequency;
        setWrk(*s, 1, noise(n, seed++));
        setWrk(*s, 2, noise(n, seed++));
    }
}

} // namespace

TEST(SmoothingWindow, WidthToPoints)
{
    EXPECT_EQ(smoothingWindow(5, 0, 1, 100), 6);
    EXPECT_EQ(smoothingWindow(2.9f, 0, 0.5f, 100), 6);     // trunc(5.8) + 1
    EXPECT_EQ(smoothingWindow(-2, 3, 0.5f, 100), 13);      // beam units: 2 * 3 / 0.5 = 12
    EXPECT_EQ(smoothingWindow(0.5f, 0, 1, 100), 1);
    EXPECT_EQ(smoothingWindow(60, 0, 1, 101), 50);         // at most n/2
    EXPECT_EQ(smoothingWindow(1e30f, 0, 1, 16000), 8000);  // no integer overflow
    EXPECT_EQ(smoothingWindow(-1e30f, 2, 1, 100), 50);
    EXPECT_EQ(smoothingWindow(INFINITY, 0, 1, 100), 50);
    EXPECT_EQ(smoothingWindow(5, 0, -1, 100), 0);          // negative step: no window
    EXPECT_EQ(smoothingWindow(-1e30f, -2, 1, 100), 0);
    EXPECT_EQ(smoothingWindow(-3, 0, 1, 100), 1);          // no beam: w = 0
    EXPECT_FALSE(smoothingWindow(5, 0, 0, 100));           // step 0 refused
    EXPECT_FALSE(smoothingWindow(-5, 2, 0, 100));
    EXPECT_FALSE(smoothingWindow(NAN, 0, 1, 100));
}

TEST(GaussSmooth, KernelAndTheDirectWeightedMean)
{
    // Kernels worked out by hand; half the centre weight N/2 points out.
    const std::vector<double> two{0.2018343971, 0.2419930849, 0.0521358300, 0.0040366880};
    const std::vector<double> five{0.1009843177, 0.1777167554, 0.1210770162, 0.0638680906,
                                   0.0260852525, 0.0082488812, 0.0020196864};
    for (auto [n, want] : {std::pair{2, &two}, std::pair{5, &five}}) {
        const auto g = gaussKernel(n);
        ASSERT_EQ(g.size(), want->size());
        for (std::size_t k = 0; k < g.size(); ++k)
            EXPECT_NEAR(g[k], (*want)[k], 1e-9) << n << " " << k;
    }
    for (int n : {1, 0, -4})
        EXPECT_TRUE(gaussKernel(n).empty());
    for (int n : {20, 101, 1001}) {
        const auto g = gaussKernel(n);
        EXPECT_NEAR(g[static_cast<std::size_t>(n / 2)] / (2 * g[0]), 0.5, 0.02) << n;
    }

    struct Case {
        int n, b, e, window;
    };
    const Case cases[] = {
        {60, 10, 40, 5},  {60, 1, 58, 4},  {60, 0, 59, 6},  {60, 0, 30, 2},  {60, 3, 57, 10},
        {60, 20, 58, 8},  {40, 0, 39, 20}, {200, 50, 51, 9}, {200, 7, 190, 31}, {30, 2, 27, 3},
    };
    std::uint32_t seed = 1;
    for (const Case& c : cases) {
        const auto x = noise(c.n, seed++, -100, 100);
        expectNear(gaussOf(x, c.b, c.e, c.window), gaussReference(x, c.b, c.e, c.window),
                   "n " + std::to_string(c.n) + " b " + std::to_string(c.b) + " e " + std::to_string(c.e));
    }
    // Random selections and windows; a constant stays constant through the
    // reflections at the ends.
    std::mt19937 g(9);
    for (int trial = 0; trial < 200; ++trial) {
        const auto [n, b, e] = randomSpan(g, 8, 120);
        const int window = 2 + static_cast<int>(g() % 20);
        const auto x = noise(n, 1000 + static_cast<std::uint32_t>(trial));
        expectNear(gaussOf(x, b, e, window), gaussReference(x, b, e, window), "trial " + std::to_string(trial));
        const float level = x[0] * 10;
        for (float y : gaussOf(std::vector<float>(x.size(), level), b, e, window))
            ASSERT_NEAR(y, level, 1e-4 * (1 + std::fabs(level))) << trial;
        // A straight line stays straight wherever the kernel lies inside
        // the selection.
        std::vector<float> line(x.size());
        const float slope = x[1];
        for (std::size_t i = 0; i < line.size(); ++i)
            line[i] = level + slope * float(i);
        const auto smoothed = gaussOf(line, b, e, window);
        const int reach = kernelReach(window);
        for (int j = b + reach; j + reach < e; ++j)
            ASSERT_NEAR(smoothed[std::size_t(j)], line[std::size_t(j)], 1e-3 * (1 + std::fabs(line[std::size_t(j)])))
                << trial << " point " << j;
    }
}

TEST(Smoothing, RefusalsLeaveTheArrayAndSelectionsAreBounded)
{
    const auto x = noise(50, 5);
    const int m = kernelReach(10);
    ASSERT_EQ(m, 13);
    const auto g = gaussKernel(10);
    auto gaussRefuses = [&](int b, int e, const std::vector<double>& k) {
        auto y = x;
        EXPECT_FALSE(gaussSmooth(y.data(), 50, b, e, k)) << b << " " << e;
        EXPECT_EQ(y, x);
    };
    auto medianRefuses = [&](int b, int e, int half) {
        auto y = x;
        EXPECT_FALSE(medianSmooth(y.data(), 50, b, e, half)) << b << " " << e << " " << half;
        EXPECT_EQ(y, x);
    };
    // b + M > n - 2 and e - M < 1 are refused; their limits are not.
    gaussRefuses(50 - 2 - m + 1, 49, g);
    gaussRefuses(0, m - 1, g);
    auto y = x;
    EXPECT_TRUE(gaussSmooth(y.data(), 50, 50 - 2 - m, 49, g));
    y = x;
    EXPECT_TRUE(gaussSmooth(y.data(), 50, 0, m + 1, g));
    gaussRefuses(30, 10, g);                // reversed
    gaussRefuses(20, 20, g);                // empty
    gaussRefuses(5, 40, gaussKernel(1));    // no kernel
    gaussRefuses(0, 49, gaussKernel(1000)); // wider than the scan
    EXPECT_FALSE(gaussSmooth(nullptr, 50, 0, 49, g));
    medianRefuses(10, 18, 7); // 3 * (7/2) = 9 > 8 points
    medianRefuses(5, 30, 0);
    medianRefuses(5, 30, -3);
    medianRefuses(20, 10, 2);
    medianRefuses(0, 1, 1); // stretch 1 ... 0 is empty
    EXPECT_FALSE(medianSmooth(nullptr, 50, 0, 49, 2));
    // 3 * (N/2) == length still runs.
    EXPECT_EQ(medianOf(x, 10, 19, 6), medianReference(x, 10, 19, 6));
    EXPECT_NE(medianOf(x, 10, 19, 6), x);
    // Selections beyond the scan are bounded to it.
    expectNear(gaussOf(x, -7, 400, 6), gaussReference(x, 0, 49, 6), "bounded");
    EXPECT_EQ(medianOf(x, -3, 99, 4), medianReference(x, 0, 49, 4));
}

TEST(MedianSmooth, EqualsTheBruteForceMedian)
{
    // The documented case: a spike between ones disappears.
    EXPECT_EQ(medianOf({0, 1, 9, 1, 1, 1, 0}, 1, 6, 1), (std::vector<float>{0, 1, 1, 1, 1, 1, 0}));
    std::mt19937 g(11);
    for (int trial = 0; trial < 300; ++trial) {
        const auto [n, b, e] = randomSpan(g, 3, 150);
        const int half = 1 + static_cast<int>(g() % 40);
        auto x = noise(n, 5000 + static_cast<std::uint32_t>(trial), -5, 5);
        if (trial % 2) // many ties
            for (float& v : x)
                v = std::round(v);
        const auto want = medianReference(x, b, e, half);
        EXPECT_EQ(medianOf(x, b, e, half), want) << "trial " << trial;
    }
}

TEST(SmoothingCommands, PromptAndRefusedWindows)
{
    ProcBench b;
    loadNoisy(b, {2.8f}, 40, 1);
    const auto before = allWorksheets(b);
    b.select(true, true, true, true);
    b.run(110, "abc");
    ASSERT_EQ(b.ui.prompts.size(), 1u);
    EXPECT_EQ(b.ui.prompts[0], "Window of smothing[\"]:");
    b.wb.settings.unitAxisX = 'm';
    b.run(109, std::nullopt);
    EXPECT_EQ(b.ui.prompts[1], "Window of smothing[m]:");
    b.run(109, "0"); // the other unparsable answers are the shared prompt's
    b.run(110, "0");
    b.active().step = 0; // no window from a step of 0, either unit
    for (int id : {109, 110})
        for (const char* text : {"3", "-3"})
            b.run(id, text);
    b.active().step = 1;
    b.runBatch(110, 0);
    EXPECT_EQ(allWorksheets(b), before);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.ui.progressTitles.empty());

    // Huge widths in either unit give n/2 = 20 points.
    b.select(true, true, true, false);
    b.run(110, "1e30");
    expectNear(wrkOf(b.active(), 1), gaussReference(before[0], 1, 38, 20), "huge");
    setWrk(b.active(), 1, before[0]);
    b.run(109, "-1e30");
    EXPECT_EQ(wrkOf(b.active(), 1), medianReference(before[0], 1, 38, 20));
    EXPECT_EQ(wrkOf(b.active(), 2), before[1]);
}

TEST(SmoothingCommands, OneModeSmoothsTheSwitchedOnWorksheets)
{
    ProcBench b;
    loadNoisy(b, {2.8f}, 60, 1);
    b.show(5, 50);
    const auto i0 = wrkOf(b.active(), 1), v0 = wrkOf(b.active(), 2), data = dataOf(b.active(), 1);
    b.select(true, true, true, true);
    b.run(110, "4"); // N = 5
    expectNear(wrkOf(b.active(), 1), gaussReference(i0, 5, 50, 5), "I");
    expectNear(wrkOf(b.active(), 2), gaussReference(v0, 5, 50, 5), "V");
    EXPECT_EQ(dataOf(b.active(), 1), data);
    ASSERT_EQ(b.ui.progressTitles, std::vector<std::string>{"Gauss smooth"});
    EXPECT_EQ(b.ui.progressSteps, 2);
    EXPECT_EQ(b.ui.progressCloses, 1);
    EXPECT_GE(b.ui.redraws, 1);
    for (const auto& s : b.ui.statuses)
        EXPECT_EQ(s.find("smooth of scan"), std::string::npos);

    // Only Worksheet V(L); median from the batch argument, no question.
    const auto i1 = wrkOf(b.active(), 1), v1 = wrkOf(b.active(), 2);
    b.select(true, true, false, true);
    b.runBatch(109, 3); // N = 4
    EXPECT_EQ(wrkOf(b.active(), 1), i1);
    EXPECT_EQ(wrkOf(b.active(), 2), medianReference(v1, 5, 50, 4));
    EXPECT_EQ(b.ui.prompts.size(), 1u);

    // A window of one point: Gauss does nothing, Median uses three points.
    setWrk(b.active(), 2, noise(60, 99));
    const auto v2 = wrkOf(b.active(), 2);
    b.run(110, "0.5");
    EXPECT_EQ(wrkOf(b.active(), 2), v2);
    EXPECT_EQ(b.ui.progressTitles.size(), 1u);
    b.run(109, "0.5");
    EXPECT_EQ(wrkOf(b.active(), 2), medianReference(v2, 5, 50, 1));
    EXPECT_NE(wrkOf(b.active(), 2), v2);
}

TEST(SmoothingCommands, AllModeWindowsStatusLinesAndAbort)
{
    ProcBench b;
    loadNoisy(b, {1, 2, 3}, 80, 0.5f);
    b.select(false, false, true, true);
    b.wb.allMode = true;
    b.show(2, 75);
    const auto before = allWorksheets(b);
    b.ui.statuses.clear();

    b.ui.boxAnswers.push_back(kCancel);
    b.wb.dispatch(109);
    b.expectMessage("Do You want to work with ALL data?", "Attention");
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_EQ(allWorksheets(b), before);

    // Beam units: each scan its own window, 2 * beam / 0.5 + 1 points.
    b.run(109, "-2");
    int k = 0;
    for (const auto& s : b.wb.scans) {
        const int half = static_cast<int>(4 * s->beamHalfsize) + 1;
        EXPECT_EQ(wrkOf(*s, 1), medianReference(before[k], 2, 75, half)) << s->frequency;
        EXPECT_EQ(wrkOf(*s, 2), medianReference(before[k + 1], 2, 75, half)) << s->frequency;
        k += 2;
    }
    EXPECT_EQ(b.ui.statuses, (std::vector<std::string>{"Median smooth of scan 1.00[GHz] is end",
                                                       "Median smooth of scan 2.00[GHz] is end",
                                                       "Median smooth of scan 3.00[GHz] is end"}));
    EXPECT_EQ(b.ui.progressTitles.back(), "Median smooth");
    EXPECT_EQ(b.ui.progressSteps, 3);

    // X units: one window (trunc(3 / 0.5) + 1 = 7) for every scan.
    const auto mid = allWorksheets(b);
    b.ui.statuses.clear();
    b.wb.view.confirmAll = false;
    b.run(110, "3");
    for (std::size_t i = 0; i < mid.size(); ++i)
        expectNear(allWorksheets(b)[i], gaussReference(mid[i], 2, 75, 7), "scan " + std::to_string(i / 2));
    EXPECT_EQ(b.ui.statuses.back(), "Gauss smooth of scan 3.00[GHz] is end");

    // A scan whose step is 0 is skipped when the window is in beam units.
    b.wb.scans.head()->step = 0;
    b.wb.activeScan = b.wb.scans.tail();
    const auto last = allWorksheets(b);
    b.run(110, "-1");
    EXPECT_EQ(allWorksheets(b)[0], last[0]);
    EXPECT_EQ(allWorksheets(b)[1], last[1]);
    EXPECT_NE(allWorksheets(b)[4], last[4]);

    // Abort during the first scan stops after its channels.
    b.wb.scans.head()->step = 0.5f;
    const auto beforeAbort = allWorksheets(b);
    const int closes = b.ui.progressCloses;
    b.ui.statuses.clear();
    b.ui.abortAfterSteps = 1;
    b.run(109, "2");
    const auto after = allWorksheets(b);
    EXPECT_NE(after[0], beforeAbort[0]);
    EXPECT_NE(after[1], beforeAbort[1]);
    for (std::size_t i = 2; i < after.size(); ++i)
        EXPECT_EQ(after[i], beforeAbort[i]) << i;
    EXPECT_EQ(b.ui.statuses, std::vector<std::string>{"Median smooth of scan 1.00[GHz] is end"});
    EXPECT_EQ(b.ui.progressCloses, closes + 1);

    // ONE mode: Abort while Worksheet I(R) is smoothed leaves V(L).
    b.wb.allMode = false;
    const auto one = allWorksheets(b);
    b.run(110, "2");
    EXPECT_NE(allWorksheets(b)[4], one[4]);
    EXPECT_EQ(allWorksheets(b)[5], one[5]);
    EXPECT_EQ(b.ui.progressCloses, closes + 2);
}
