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

// The same parameters give the same set; the disk centre follows the quiet
// Sun spectrum, nothing is left beyond the radio limb, the quiet Sun is
// unpolarised and the beam narrows as 1/frequency.
TEST(ScanSynth, ReproducibleAndPhysicallySensible)
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
    SynthParams other = p;
    other.seed = 2;
    EXPECT_FALSE(sameArrays(*a[0], *synthSet(other)[0]));

    SynthParams q = quiet({});
    q.count = 8;
    q.from = 2.5;
    q.to = 20;
    const auto set = synthSet(q);
    ASSERT_EQ(set.size(), 8u);
    for (std::size_t k = 0; k < set.size(); ++k) {
        const ScanRecord& r = *set[k];
        const double f = r.frequency;
        const double tb = 140077.0 * std::pow(f, -2.1) + 10880.0;
        SCOPED_TRACE(f);
        EXPECT_NEAR(f, 2.5 * std::pow(8.0, k / 7.0), 0.0006);
        EXPECT_NEAR(at(r.dataI(), r.centerPoint), tb, 0.005 * tb);
        const double off = 1.3 * r.radius / r.step;
        EXPECT_LT(std::fabs(at(r.dataI(), r.centerPoint - off)), 0.01 * tb);
        EXPECT_LT(std::fabs(at(r.dataI(), r.centerPoint + off)), 0.01 * tb);
        EXPECT_NEAR(at(r.dataV(), r.centerPoint), 0, 1e-3);
        EXPECT_NEAR(r.beamHalfsize * f, 127.5, 0.005 * f + 1e-3);
    }
}

} // namespace
} // namespace qm
