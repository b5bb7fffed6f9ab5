#include "cli/scan_synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace qm {
namespace {

SynthParams quiet(std::vector<double> freqs)
{
    SynthParams p;
    p.frequencies = std::move(freqs);
    p.points = 4000;
    p.step = 1;
    p.noise = 0;
    p.drift = 0;
    p.sources = 0;
    return p;
}

// Linear interpolation of an array at a fractional point.
double at(const float* x, double pos)
{
    const int i = static_cast<int>(pos);
    const double t = pos - i;
    return x[i] * (1 - t) + x[i + 1] * t;
}

bool sameArrays(const ScanRecord& a, const ScanRecord& b)
{
    return a.chanI.size() == b.chanI.size() && a.chanV.size() == b.chanV.size() &&
           std::memcmp(a.chanI.data(), b.chanI.data(), a.chanI.size() * sizeof(float)) == 0 &&
           std::memcmp(a.chanV.data(), b.chanV.data(), a.chanV.size() * sizeof(float)) == 0;
}

TEST(SynthRandom, IsSplitmix64WithStandardNormals)
{
    // Reference outputs of splitmix64 seeded with 0.
    SynthRandom r(0);
    EXPECT_EQ(r.next(), 0xe220a8397b1dcdafULL);
    EXPECT_EQ(r.next(), 0x6e789e6aa1b965f4ULL);
    EXPECT_EQ(r.next(), 0x06c45d188009454fULL);
    EXPECT_EQ(r.next(), 0xf88bb8a8724c81ecULL);

    SynthRandom g(42);
    const int n = 200000;
    double sum = 0, sum2 = 0, lo = 1, hi = 0;
    int within1 = 0;
    for (int i = 0; i < n; ++i) {
        const double x = g.normal();
        sum += x;
        sum2 += x * x;
        within1 += std::fabs(x) < 1;
        const double u = g.uniform();
        lo = std::min(lo, u);
        hi = std::max(hi, u);
    }
    EXPECT_NEAR(sum / n, 0, 0.01);
    EXPECT_NEAR(sum2 / n, 1, 0.02);
    EXPECT_NEAR(double(within1) / n, 0.6827, 0.005);
    EXPECT_GE(lo, 0);
    EXPECT_LT(hi, 1);
    EXPECT_LT(lo, 1e-3);
    EXPECT_GT(hi, 1 - 1e-3);
}

TEST(ScanSynth, SeedMakesTheSetReproducible)
{
    SynthParams p;
    p.count = 3;
    p.points = 1000;
    p.step = 2;
    p.observations = 2;
    const auto a = synthSet(p), b = synthSet(p);
    ASSERT_EQ(a.size(), 6u);
    ASSERT_EQ(b.size(), 6u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(encodeRecord(*a[i]), encodeRecord(*b[i]));
        EXPECT_TRUE(sameArrays(*a[i], *b[i]));
    }

    // Another seed: other noise, uncorrelated with the first, of the same size.
    SynthParams q = p;
    q.sources = 0;
    q.drift = 0;
    SynthParams q2 = q;
    q2.seed = 2;
    const auto x = synthSet(q), y = synthSet(q2);
    for (std::size_t s = 0; s < x.size(); ++s) {
        const ScanRecord& rx = *x[s];
        const ScanRecord& ry = *y[s];
        const auto px = synthProfile(q, {}, rx.frequency, rx.radius, rx.centerPoint);
        const auto py = synthProfile(q2, {}, ry.frequency, ry.radius, ry.centerPoint);
        double sxx = 0, syy = 0, sxy = 0;
        int differ = 0;
        for (int i = 0; i < rx.nPoints; ++i) {
            const double nx = rx.dataI()[i] - px.i[i], ny = ry.dataI()[i] - py.i[i];
            sxx += nx * nx;
            syy += ny * ny;
            sxy += nx * ny;
            differ += rx.dataI()[i] != ry.dataI()[i];
        }
        const double sigma = q.noise * quietSunTb(rx.frequency);
        EXPECT_NEAR(std::sqrt(sxx / rx.nPoints), sigma, 0.08 * sigma);
        EXPECT_NEAR(std::sqrt(syy / ry.nPoints), sigma, 0.08 * sigma);
        EXPECT_LT(std::fabs(sxy / std::sqrt(sxx * syy)), 0.15);
        EXPECT_GT(differ, rx.nPoints * 9 / 10);
    }
}

TEST(ScanSynth, DiskCentreFollowsTheQuietSunSpectrum)
{
    SynthParams p = quiet({});
    p.count = 8;
    p.from = 2.5;
    p.to = 20;
    const auto set = synthSet(p);
    ASSERT_EQ(set.size(), 8u);
    for (std::size_t k = 0; k < set.size(); ++k) {
        const ScanRecord& r = *set[k];
        const double f = r.frequency;
        const double tb = 140077.0 * std::pow(f, -2.1) + 10880.0;
        SCOPED_TRACE(f);
        EXPECT_NEAR(at(r.dataI(), r.centerPoint), tb, 0.005 * tb);
        EXPECT_EQ(r.tqSun, static_cast<int>(tb));
        // Beyond the radio limb only the beam's far wing is left.
        const double off = 1.3 * r.radius / r.step;
        EXPECT_LT(std::fabs(at(r.dataI(), r.centerPoint - off)), 0.01 * tb);
        EXPECT_LT(std::fabs(at(r.dataI(), r.centerPoint + off)), 0.01 * tb);
        // The quiet Sun is unpolarised.
        EXPECT_NEAR(at(r.dataV(), r.centerPoint), 0, 1e-3);
        // Geometric spacing from 2.5 to 20 GHz in steps of 2^(3/7).
        EXPECT_NEAR(f, 2.5 * std::pow(8.0, k / 7.0), 0.0006);
    }
}

TEST(ScanSynth, BeamHalfWidthScalesAsInverseFrequency)
{
    // An isolated source seen through the beam has the half width
    // sqrt(size^2 + beam^2); measure it on the difference of the scans with
    // and without the source.
    SynthParams with = quiet({3, 6, 12, 18});
    with.step = 0.5;
    with.sources = 1;
    SynthParams without = with;
    without.sources = 0;
    const auto a = synthSet(with), b = synthSet(without);
    const double size = synthSources(with).at(0).size;
    std::vector<double> measured;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const ScanRecord& r = *a[k];
        SCOPED_TRACE(r.frequency);
        EXPECT_NEAR(r.beamHalfsize * r.frequency, 127.5, 0.005 * r.frequency + 1e-3);
        std::vector<double> d(static_cast<std::size_t>(r.nPoints));
        int peak = 0;
        for (int i = 0; i < r.nPoints; ++i) {
            d[i] = double(r.dataI()[i]) - b[k]->dataI()[i];
            if (d[i] > d[peak])
                peak = i;
        }
        const double half = d[peak] / 2;
        int lo = peak, hi = peak;
        while (lo > 0 && d[lo] > half)
            --lo;
        while (hi < r.nPoints - 1 && d[hi] > half)
            ++hi;
        const double left = lo + (half - d[lo]) / (d[lo + 1] - d[lo]);
        const double right = hi - 1 + (half - d[hi - 1]) / (d[hi] - d[hi - 1]);
        const double hwhm = (right - left) / 2 * r.step;
        const double beam = std::sqrt(hwhm * hwhm - size * size);
        EXPECT_NEAR(beam, r.beamHalfsize, 0.03 * r.beamHalfsize);
        measured.push_back(beam);
        // The source's circular polarisation has the sign it was given.
        const double v = double(r.dataV()[peak]) - b[k]->dataV()[peak];
        EXPECT_GT(v * synthSources(with)[0].polarization, 0);
    }
    EXPECT_NEAR(measured.front() / measured.back(), 6.0, 0.18);
}

TEST(ScanSynth, CircularPolarisationChangesSignFromSourceToSource)
{
    SynthParams p = quiet({10});
    p.sources = 4;
    const auto set = synthSet(p);
    const ScanRecord& r = *set.at(0);
    const auto sources = synthSources(p);
    ASSERT_EQ(sources.size(), 4u);
    int previousSign = 0;
    for (const SynthSource& s : sources) {
        const double pos = r.centerPoint + s.offset * (r.radius / kOpticalRadiusAt1Au) / r.step;
        const double v = at(r.dataV(), pos);
        const int sign = v > 0 ? 1 : -1;
        EXPECT_GT(std::fabs(v), 50.0);
        EXPECT_GT(v * s.polarization, 0);
        EXPECT_NE(sign, previousSign);
        previousSign = sign;
    }
    // Far from the sources V is zero, both beyond the limbs and at the centre.
    EXPECT_NEAR(r.dataV()[10], 0, 1e-3);
    EXPECT_NEAR(r.dataV()[r.nPoints - 10], 0, 1e-3);
}

TEST(ScanSynth, RightAndLeftChannelsAreSumAndDifference)
{
    SynthParams iv;
    iv.count = 2;
    iv.points = 1500;
    SynthParams rl = iv;
    rl.rl = true;
    const auto a = synthSet(iv), b = synthSet(rl);
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(a[k]->flagIvData, 0);
        EXPECT_EQ(b[k]->flagIvData, 1);
        EXPECT_EQ(b[k]->flagIvWrk, 1);
        for (int i = 0; i < a[k]->nPoints; i += 7) {
            const double I = a[k]->dataI()[i], V = a[k]->dataV()[i];
            EXPECT_NEAR(b[k]->dataI()[i], I + V, 1e-6 * std::fabs(I) + 1e-3);
            EXPECT_NEAR(b[k]->dataV()[i], I - V, 1e-6 * std::fabs(I) + 1e-3);
            EXPECT_EQ(b[k]->wrkI()[i], b[k]->dataI()[i]);
        }
    }
}

TEST(ScanSynth, HeaderIsFilledAsATelescopeWould)
{
    SynthParams p;
    p.frequencies = {4.5};
    p.points = 600;
    p.observations = 3;
    p.year = 2004, p.month = 12, p.day = 31;
    p.hour = 23, p.minute = 55, p.second = 30.5;
    const auto set = synthSet(p);
    ASSERT_EQ(set.size(), 3u);
    // Latest observation first, 4 minutes apart, across midnight and New Year.
    EXPECT_STREQ(set[0]->dateObs, "2005/01/01");
    EXPECT_STREQ(set[0]->timeObs, "00:03:30.50");
    EXPECT_STREQ(set[1]->dateObs, "2004/12/31");
    EXPECT_STREQ(set[1]->timeObs, "23:59:30.50");
    EXPECT_STREQ(set[2]->timeObs, "23:55:30.50");
    EXPECT_FLOAT_EQ(set[2]->azimuth, -2);
    EXPECT_FLOAT_EQ(set[1]->azimuth, 0);
    EXPECT_FLOAT_EQ(set[0]->azimuth, 2);
    for (const auto& r : set) {
        EXPECT_STREQ(r->object, "Sun");
        EXPECT_STREQ(r->telescop, "RATAN-600");
        EXPECT_STREQ(r->origin, "quillmar-synth");
        EXPECT_EQ(r->nPoints, 600);
        EXPECT_FLOAT_EQ(r->frequency, 4.5f);
        EXPECT_FLOAT_EQ(r->step, 1.0f);
        EXPECT_NEAR(r->centerPoint, 299.5, 20.01);
        EXPECT_EQ(r->calibData, 1);
        EXPECT_EQ(r->calibWrk, 1);
        EXPECT_EQ(r->fluxData, 0);
        EXPECT_TRUE(r->dataFile[0] == 0);
    }

    // Seasonal values at RATAN-600 (latitude 43.65 degrees) at transit.
    auto one = [](int m, int d) {
        SynthParams q;
        q.frequencies = {10};
        q.points = 100;
        q.month = m;
        q.day = d;
        return std::move(synthSet(q).front());
    };
    EXPECT_NEAR(one(1, 4)->radius, 975, 1.01);   // perihelion: 975.9"
    EXPECT_NEAR(one(7, 4)->radius, 943, 1.01);   // aphelion: 943.8"
    EXPECT_NEAR(one(6, 21)->altitude, 69.79, 0.2);
    EXPECT_NEAR(one(12, 21)->altitude, 22.91, 0.2);
    EXPECT_NEAR(one(4, 7)->angleP, 26.3, 0.3);
    EXPECT_NEAR(one(10, 11)->angleP, -26.3, 0.6);
    EXPECT_NEAR(one(1, 5)->angleP, 0, 0.5);
}

TEST(ScanSynth, FluxCoefficientGivesTheDiskFlux)
{
    // Summing coefficient x antenna temperature x step over a uniform-ish
    // disk gives S = 2 k Tb nu^2 / c^2 x Omega; with the limb brightening and
    // the radio radius the disk is somewhat brighter than the uniform one.
    SynthParams p = quiet({3, 10});
    const auto set = synthSet(p);
    for (const auto& r : set) {
        double sum = 0;
        for (int i = 0; i < r->nPoints; ++i)
            sum += r->dataI()[i] * r->step;
        const double flux = r->fluxCoef * sum; // Jy
        const double nu = r->frequency * 1e9, k = 1.380649e-23, c = 2.99792458e8;
        const double rad = r->radius * 3.14159265358979 / 648000;
        const double uniform = 2 * k * quietSunTb(r->frequency) * nu * nu / (c * c) * 3.14159265358979 * rad * rad / 1e-26;
        EXPECT_GT(flux / uniform, 1.0);
        EXPECT_LT(flux / uniform, 1.35);
    }
}

} // namespace
} // namespace qm
