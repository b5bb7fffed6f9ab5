// Gauss and median smoothing: the arithmetic against direct computations
// from the definitions, the properties over random arrays, and the commands
// with their prompt, windows, ALL mode, Abort and refusals.
#include "proc/smoothing.h"
#include "proc/smoothing_commands.h"
#include "tests/proc/proc_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace qm;
using qm::test::makeScan;
using qm::test::noise;
using qm::test::ProcBench;
using qm::test::scansOf;
using qm::test::setWrk;
using qm::test::wrkOf;

namespace {

struct SmoothBench : ProcBench {
    SmoothBench() { registerSmoothingCommands(wb.commands()); }
};

int kernelReach(int n) // M of the Gaussian kernel for a window of n points
{
    return static_cast<int>(1.41421356 / (0.548662 / (n / 2))) + 1;
}

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

// One scan of n points with random worksheets, step 1.
void loadNoisy(SmoothBench& b, int n, std::uint32_t seed)
{
    b.load(scansOf(makeScan(2.8f, "2004/05/01", "05:00:00", n)));
    setWrk(b.active(), 1, noise(n, seed));
    setWrk(b.active(), 2, noise(n, seed + 1));
}

// Three alike scans (1, 2, 3 GHz) of n points, step 0.5, beams 1, 2, 3.
void loadThree(SmoothBench& b, int n)
{
    b.load(scansOf(makeScan(1.0f, "2004/05/01", "05:00:00", n, true, true, 0.5f),
                   makeScan(2.0f, "2004/05/01", "05:00:00", n, true, true, 0.5f),
                   makeScan(3.0f, "2004/05/01", "05:00:00", n, true, true, 0.5f)));
    std::uint32_t seed = 40;
    for (auto& s : b.wb.scans) {
        s->beamHalfsize = s->frequency;
        setWrk(*s, 1, noise(n, seed++));
        setWrk(*s, 2, noise(n, seed++));
    }
}

std::vector<std::vector<float>> worksheets(const SmoothBench& b)
{
    std::vector<std::vector<float>> w;
    for (const auto& s : b.wb.scans) {
        w.push_back(wrkOf(*s, 1));
        w.push_back(wrkOf(*s, 2));
    }
    return w;
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

TEST(GaussSmooth, KernelValues)
{
    const std::vector<double> two{0.2018343971, 0.2419930849, 0.0521358300, 0.0040366880};
    const std::vector<double> five{0.1009843177, 0.1777167554, 0.1210770162, 0.0638680906,
                                   0.0260852525, 0.0082488812, 0.0020196864};
    const auto g2 = gaussKernel(2), g5 = gaussKernel(5);
    ASSERT_EQ(g2.size(), two.size());
    ASSERT_EQ(g5.size(), five.size());
    for (std::size_t k = 0; k < two.size(); ++k)
        EXPECT_NEAR(g2[k], two[k], 1e-9);
    for (std::size_t k = 0; k < five.size(); ++k)
        EXPECT_NEAR(g5[k], five[k], 1e-9);
    EXPECT_TRUE(gaussKernel(1).empty());
    EXPECT_TRUE(gaussKernel(0).empty());
    EXPECT_TRUE(gaussKernel(-4).empty());
    for (int n : {2, 3, 10, 101, 1001}) {
        const auto g = gaussKernel(n);
        ASSERT_EQ(static_cast<int>(g.size()), kernelReach(n) + 1);
        double sum = 0;
        for (double v : g)
            sum += v;
        EXPECT_NEAR(2 * sum, 1.0, 1e-12) << n;           // centre counted twice
        EXPECT_NEAR(g.back() / (2 * g[0]), 0.01, 1e-9);  // 10^-2 at the edge
        if (n >= 20) { // one half at N/2 points
            EXPECT_NEAR(g[static_cast<std::size_t>(n / 2)] / (2 * g[0]), 0.5, 0.02) << n;
        }
    }
}

TEST(GaussSmooth, MatchesTheDirectWeightedMean)
{
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
    // Random selections and windows.
    std::mt19937 g(9);
    for (int trial = 0; trial < 200; ++trial) {
        const auto [n, b, e] = randomSpan(g, 8, 120);
        const int window = 2 + static_cast<int>(g() % 20);
        const auto x = noise(n, 1000 + static_cast<std::uint32_t>(trial));
        expectNear(gaussOf(x, b, e, window), gaussReference(x, b, e, window), "trial " + std::to_string(trial));
    }
}

TEST(GaussSmooth, ConstantStaysConstantAndLineStaysStraight)
{
    std::mt19937 g(3);
    std::uniform_real_distribution<float> v(-500, 500);
    for (int trial = 0; trial < 100; ++trial) {
        const int n = 40 + static_cast<int>(g() % 200);
        const int b = static_cast<int>(g() % 10), e = n - 1 - static_cast<int>(g() % 10);
        const int window = 2 + static_cast<int>(g() % 10);
        const float level = v(g);
        const auto flat = gaussOf(std::vector<float>(static_cast<std::size_t>(n), level), b, e, window);
        for (float y : flat)
            ASSERT_NEAR(y, level, 1e-4 * (1 + std::fabs(level))) << trial;

        const double a = v(g), slope = v(g) / 100;
        std::vector<float> line(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            line[i] = static_cast<float>(a + slope * i);
        const auto smooth = gaussOf(line, b, e, window);
        const int m = kernelReach(window);
        for (int i = b + m; i < e - m; ++i)
            ASSERT_NEAR(smooth[i], line[i], 1e-3 * (1 + std::fabs(line[i]))) << trial << " at " << i;
    }
}

TEST(GaussSmooth, WindowTooWideOrBadSelectionChangesNothing)
{
    const auto x = noise(50, 5);
    const int m = kernelReach(10); // 13
    ASSERT_EQ(m, 13);
    auto untouched = [&](int b, int e, const std::vector<double>& g) {
        auto y = x;
        EXPECT_FALSE(gaussSmooth(y.data(), 50, b, e, g)) << b << " " << e;
        EXPECT_EQ(y, x);
    };
    const auto g = gaussKernel(10);
    // b + M > n - 2 and e - M < 1 are refused; their limits are not.
    untouched(50 - 2 - m + 1, 49, g);
    untouched(0, m - 1, g);
    auto y = x;
    EXPECT_TRUE(gaussSmooth(y.data(), 50, 50 - 2 - m, 49, g));
    y = x;
    EXPECT_TRUE(gaussSmooth(y.data(), 50, 0, m + 1, g));
    untouched(30, 10, g);                   // reversed
    untouched(20, 20, g);                   // empty
    untouched(5, 40, gaussKernel(1));       // no kernel
    untouched(0, 49, gaussKernel(1000));    // wider than the scan
    EXPECT_FALSE(gaussSmooth(nullptr, 50, 0, 49, g));
    // Selections beyond the scan are bounded to it.
    expectNear(gaussOf(x, -7, 400, 6), gaussReference(x, 0, 49, 6), "bounded");
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

TEST(MedianSmooth, RefusalsLeaveTheArray)
{
    const auto x = noise(40, 8);
    auto untouched = [&](int b, int e, int half) {
        auto y = x;
        EXPECT_FALSE(medianSmooth(y.data(), 40, b, e, half)) << b << " " << e << " " << half;
        EXPECT_EQ(y, x);
    };
    untouched(10, 18, 7);  // 3 * (7/2) = 9 > 8 points
    untouched(5, 30, 0);
    untouched(5, 30, -3);
    untouched(20, 10, 2);
    untouched(0, 1, 1);    // stretch 1 ... 0 is empty
    EXPECT_FALSE(medianSmooth(nullptr, 40, 0, 39, 2));
    // 3 * (N/2) == length still runs.
    EXPECT_EQ(medianOf(x, 10, 19, 6), medianReference(x, 10, 19, 6));
    EXPECT_NE(medianOf(x, 10, 19, 6), x);
    // Selections beyond the scan are bounded to it.
    EXPECT_EQ(medianOf(x, -3, 99, 4), medianReference(x, 0, 39, 4));
}

TEST(SmoothingCommands, PromptPreconditionsAndRefusals)
{
    SmoothBench b;
    loadNoisy(b, 40, 1);
    const auto before = worksheets(b);
    b.select(true, true, false, false);
    for (int id : {109, 110}) {
        b.ui.messages.clear();
        b.wb.dispatch(id);
        ASSERT_EQ(b.ui.messages.size(), 1u);
        EXPECT_EQ(b.ui.messages[0].text, "WORKSHEET is not checked");
        EXPECT_EQ(b.ui.messages[0].caption, "Information");
    }
    EXPECT_TRUE(b.ui.prompts.empty());

    b.select(true, true, true, true);
    b.run(110, "abc");
    ASSERT_EQ(b.ui.prompts.size(), 1u);
    EXPECT_EQ(b.ui.prompts[0], "Window of smothing[\"]:");
    b.wb.settings.unitAxisX = 'm';
    b.run(109, std::nullopt);
    EXPECT_EQ(b.ui.prompts[1], "Window of smothing[m]:");
    for (int id : {109, 110})
        for (const char* text : {"0", "", "nan", "inf", "-inf", "x5"})
            b.run(id, text);
    EXPECT_TRUE(b.ui.progressTitles.empty());
    b.active().step = 0; // no window from a step of 0, either unit
    for (int id : {109, 110})
        for (const char* text : {"3", "-3"})
            b.run(id, text);
    b.active().step = 1;
    b.runBatch(110, 0);
    EXPECT_EQ(worksheets(b), before);
    EXPECT_EQ(b.ui.messages.size(), 1u);
    EXPECT_TRUE(b.ui.progressTitles.empty());

    // Huge widths in either unit give n/2 = 20 points.
    b.select(true, true, true, false);
    b.run(110, "1e30");
    expectNear(wrkOf(b.active(), 1), gaussReference(before[0], 1, 38, 20), "huge");
    setWrk(b.active(), 1, before[0]);
    b.active().beamHalfsize = 2;
    b.run(109, "-1e30");
    EXPECT_EQ(wrkOf(b.active(), 1), medianReference(before[0], 1, 38, 20));
    EXPECT_EQ(wrkOf(b.active(), 2), before[1]);
}

TEST(SmoothingCommands, OneModeSmoothsTheSwitchedOnWorksheets)
{
    SmoothBench b;
    loadNoisy(b, 60, 2);
    b.wb.viewBegin = 5;
    b.wb.viewEnd = 50;
    const auto i0 = wrkOf(b.active(), 1), v0 = wrkOf(b.active(), 2);
    const auto data = qm::test::dataOf(b.active(), 1);
    b.select(true, true, true, true);
    b.run(110, "4"); // N = 5
    expectNear(wrkOf(b.active(), 1), gaussReference(i0, 5, 50, 5), "I");
    expectNear(wrkOf(b.active(), 2), gaussReference(v0, 5, 50, 5), "V");
    EXPECT_EQ(qm::test::dataOf(b.active(), 1), data);
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

    // Selection over the whole scan and a reversed one.
    b.wb.viewBegin = 0;
    b.wb.viewEnd = 59;
    const auto v3 = wrkOf(b.active(), 2);
    b.run(110, "3");
    expectNear(wrkOf(b.active(), 2), gaussReference(v3, 0, 59, 4), "full");
    b.wb.viewBegin = 40;
    b.wb.viewEnd = 10;
    const auto v4 = wrkOf(b.active(), 2);
    b.run(110, "3");
    b.run(109, "3");
    EXPECT_EQ(wrkOf(b.active(), 2), v4);
}

TEST(SmoothingCommands, AllModeWindowsAndStatusLines)
{
    SmoothBench b;
    loadThree(b, 80);
    b.select(false, false, true, true);
    b.wb.allMode = true;
    b.wb.viewBegin = 2;
    b.wb.viewEnd = 75;
    const auto before = worksheets(b);
    b.ui.statuses.clear();

    b.ui.boxAnswers.push_back(kCancel);
    b.wb.dispatch(109);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].text, "Do You want to work with ALL data?");
    EXPECT_EQ(b.ui.messages[0].caption, "Attention");
    EXPECT_TRUE(b.ui.prompts.empty());
    EXPECT_EQ(worksheets(b), before);

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
    const auto mid = worksheets(b);
    b.ui.statuses.clear();
    b.wb.view.confirmAll = false;
    b.run(110, "3");
    for (std::size_t i = 0; i < mid.size(); ++i)
        expectNear(worksheets(b)[i], gaussReference(mid[i], 2, 75, 7), "scan " + std::to_string(i / 2));
    EXPECT_EQ(b.ui.statuses.back(), "Gauss smooth of scan 3.00[GHz] is end");

    // A scan whose step is 0 is skipped when the window is in beam units.
    b.wb.scans.head()->step = 0;
    b.wb.activeScan = b.wb.scans.tail();
    const auto last = worksheets(b);
    b.run(110, "-1");
    EXPECT_EQ(worksheets(b)[0], last[0]);
    EXPECT_EQ(worksheets(b)[1], last[1]);
    EXPECT_NE(worksheets(b)[4], last[4]);
}

TEST(SmoothingCommands, AbortStopsAfterTheCurrentChannel)
{
    SmoothBench b;
    loadThree(b, 80);
    b.select(false, false, true, true);
    b.wb.allMode = true;
    b.wb.view.confirmAll = false;
    const auto before = worksheets(b);
    b.ui.statuses.clear();
    b.ui.abortAfterSteps = 1; // Abort during the first scan
    b.run(109, "2");
    const auto after = worksheets(b);
    EXPECT_NE(after[0], before[0]);
    EXPECT_NE(after[1], before[1]);
    for (std::size_t i = 2; i < after.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << i;
    EXPECT_EQ(b.ui.statuses, std::vector<std::string>{"Median smooth of scan 1.00[GHz] is end"});
    EXPECT_EQ(b.ui.progressCloses, 1);

    // ONE mode: Abort while Worksheet I(R) is smoothed leaves V(L).
    b.wb.allMode = false;
    const auto one = worksheets(b);
    b.run(110, "2");
    EXPECT_NE(worksheets(b)[0], one[0]);
    EXPECT_EQ(worksheets(b)[1], one[1]);
    EXPECT_EQ(b.ui.progressCloses, 2);
}
