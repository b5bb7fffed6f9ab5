// Gauss Flux against scipy: the fitted components are the least-squares
// optimum of the analysed curve, and the standard errors are those of
// curve_fit and match the scatter of fits to noisy copies.
#include "analysis/gauss_analysis.h"
#include "analysis/gauss_errors.h"
#include "tests/analysis/analysis_bench.h"
#include "tests/support/python_reference.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

struct Source {
    double a, hwhm, c;
};

// Sources over a background b0 + b1 i + b2 i^2, with white noise.
std::vector<float> scanCurve(int n, const std::vector<Source>& src, double noise, std::mt19937& rng,
                             std::array<double, 3> bg = {0, 0, 0})
{
    std::normal_distribution<double> g(0, noise);
    std::vector<float> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = bg[0] + bg[1] * i + bg[2] * i * i + g(rng);
        for (const Source& s : src)
            v += s.a * std::exp(-std::log(2.0) * (i - s.c) * (i - s.c) / (s.hwhm * s.hwhm));
        y[std::size_t(i)] = float(v);
    }
    return y;
}

struct Analysed {
    GaussFitInput input;
    std::vector<GaussComponent> fit;
    std::vector<GaussSigma> sigma;
    double noise = 0; // scaled units
};

Analysed analyse(AnalysisBench& b, int channel, bool spline, int k)
{
    Analysed r;
    double scale = 1;
    const ScanRecord& s = *b.wb.activeScan;
    auto in = gaussFitInput(b.wb, s, channel, spline, k, {}, scale);
    EXPECT_TRUE(in);
    if (!in)
        return r;
    r.input = *in;
    r.fit = fitGaussians(r.input).components;
    r.noise = gaussNoise(channel == 1 ? s.wrkI() : s.wrkV(), in->b, in->e, r.fit) * scale;
    if (auto sig = gaussSigmas(r.fit, in->b, in->e, r.noise))
        r.sigma = *sig;
    return r;
}

// The scipy optimum and curve_fit errors started from our fit; each row
// "A w c sA sw sc".
std::vector<std::array<double, 6>> reference(const Analysed& a)
{
    TempDir dir;
    const std::string in = dir.file("curve.txt"), out = dir.file("ref.txt");
    {
        std::ofstream f(in);
        f.precision(10);
        f << a.input.b << ' ' << a.input.e << ' ' << a.noise << '\n';
        for (int i = a.input.b; i <= a.input.e; ++i)
            f << a.input.y[std::size_t(i)] << ' ';
        f << '\n';
        for (const GaussComponent& c : a.fit)
            f << c.amplitude << ' ' << c.width << ' ' << c.centre << '\n';
    }
    std::vector<std::array<double, 6>> rows;
    if (!runReference("analysis/gauss_reference.py", in + " " + out))
        return rows;
    std::ifstream f(out);
    std::array<double, 6> r;
    while (f >> r[0] >> r[1] >> r[2] >> r[3] >> r[4] >> r[5])
        rows.push_back(r);
    return rows;
}

} // namespace

TEST(GaussScipy, FitsAreTheLeastSquaresOptimum)
{
    if (!pythonImports("scipy"))
        GTEST_SKIP() << "Debian's python3-scipy is not installed";
    struct Case {
        const char* name;
        std::vector<Source> src;
        int channel;
        bool spline;
        std::array<double, 3> bg;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"isolated", {{800, 9, 140.3}}, 1, false, {0, 0, 0}, 1},
        {"pair 2.7 HWHM apart", {{700, 8, 120}, {450, 8, 120 + 2.7 * 8}}, 1, false, {0, 0, 0}, 2},
        {"narrow", {{600, 2.2, 150.6}}, 1, false, {0, 0, 0}, 1},
        {"both signs on V(L)", {{500, 7, 100}, {-400, 7, 200}}, 2, false, {0, 0, 0}, 2},
        {"curved background", {{600, 8, 150}}, 1, true, {300, 1.5, -0.004}, 1},
    };
    std::mt19937 rng(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisBench b;
        const auto y = scanCurve(300, c.src, 4, rng, c.bg);
        b.load(scansOf(c.channel == 1 ? curveScan(3.0f, y) : curveScan(3.0f, y, y)));
        b.wb.settings.gaussNoise = 30;
        b.span(20, 280);
        const Analysed a = analyse(b, c.channel, c.spline, 5);
        ASSERT_EQ(a.fit.size(), c.count);
        ASSERT_EQ(a.sigma.size(), c.count);
        const auto ref = reference(a);
        ASSERT_EQ(ref.size(), c.count);
        for (std::size_t k = 0; k < c.count; ++k) {
            const auto& r = ref[k];
            EXPECT_NEAR(a.fit[k].centre, r[2], 0.02) << k;
            EXPECT_NEAR(a.fit[k].amplitude, r[0], 0.002 * r[0]) << k;
            EXPECT_NEAR(a.fit[k].width, std::fabs(r[1]), 0.002 * std::fabs(r[1])) << k;
            EXPECT_NEAR(a.sigma[k].amplitude, r[3], 0.03 * r[3]) << k;
            EXPECT_NEAR(a.sigma[k].width, r[4], 0.03 * r[4]) << k;
            EXPECT_NEAR(a.sigma[k].centre, r[5], 0.03 * r[5]) << k;
        }
    }
}

TEST(GaussScipy, ErrorsMatchTheScatterOfFits)
{
    std::mt19937 rng(17);
    constexpr int kDraws = 120;
    std::vector<std::array<double, 3>> values;
    std::array<double, 3> meanSigma{};
    for (int d = 0; d < kDraws; ++d) {
        AnalysisBench b;
        b.load(scansOf(curveScan(3.0f, scanCurve(200, {{300, 6, 100.4}}, 6, rng))));
        b.wb.settings.gaussNoise = 40;
        b.span(20, 180);
        const Analysed a = analyse(b, 1, false, 1);
        ASSERT_EQ(a.fit.size(), 1u);
        ASSERT_EQ(a.sigma.size(), 1u);
        // Unscaled, so that every draw is in the same units.
        const double g = a.input.threshold / 40;
        values.push_back({a.fit[0].amplitude / g, a.fit[0].width, a.fit[0].centre});
        meanSigma[0] += a.sigma[0].amplitude / g / kDraws;
        meanSigma[1] += a.sigma[0].width / kDraws;
        meanSigma[2] += a.sigma[0].centre / kDraws;
    }
    for (int p = 0; p < 3; ++p) {
        double mean = 0, var = 0;
        for (const auto& v : values)
            mean += v[std::size_t(p)] / kDraws;
        for (const auto& v : values)
            var += (v[std::size_t(p)] - mean) * (v[std::size_t(p)] - mean) / (kDraws - 1);
        const double scatter = std::sqrt(var);
        EXPECT_NEAR(meanSigma[std::size_t(p)], scatter, 0.25 * scatter) << "parameter " << p;
    }
}
