#pragma once
// Synthetic solar drift scans for examples, tests and benchmarks.
//
// Each scan is a one-dimensional drift of a RATAN-600-like fan beam across
// the Sun at one frequency f (GHz):
//   * a limb-brightened quiet-Sun disk of brightness Tb(f) = 140077 f^-2.1 +
//     10880 K, integrated along the fan beam, with a radio radius slightly
//     above the optical one at low frequencies (R (1 + 0.3/f));
//   * smeared by a Gaussian horizontal beam of half width at half maximum
//     beamHalfsize = 127.5"/f (full width 8.5" per cm of wavelength);
//   * a few active regions: Gaussians with a spectrum A x e^(1-x), x =
//     f/fpeak, peaking at 5-12 GHz, and circular polarisation of
//     alternating sign, so channel 2 (V) changes sign from source to source;
//   * a slow baseline drift and white noise.
// Values are antenna temperatures in K with the disk centre at Tb(f).
// Every random number comes from a splitmix64 stream seeded by `seed`, not
// from the standard library's distributions, so a seed gives the same set
// with any standard library (bit for bit as long as libm's exp, pow and
// log round alike).
#include "app/scan_record.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// Small deterministic generator: splitmix64 with Box-Muller normals.
class SynthRandom {
public:
    explicit SynthRandom(uint64_t seed) : state_(seed) {}
    uint64_t next();
    double uniform();                    // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double normal();                     // mean 0, sigma 1

private:
    uint64_t state_;
    double spare_ = 0;
    bool hasSpare_ = false;
};

// One active region, shared by every frequency of a set.
struct SynthSource {
    double offset = 0;     // arc seconds from the disk centre along the scan
    double size = 0;       // intrinsic half width at half maximum, arc seconds
    double peakTb = 0;     // antenna temperature at the spectral peak, K
    double peakFreq = 0;   // GHz
    double polarization = 0; // V/I of the source, sign gives the sense
};

struct SynthParams {
    std::vector<double> frequencies; // GHz; empty: `count` from `from` to `to`
    int count = 20;
    double from = 3, to = 18;        // geometric spacing, rounded to 1 MHz
    int points = 3000;
    double step = 1.0;               // arc seconds between points
    uint64_t seed = 1;
    int observations = 1;            // per frequency, 4 minutes apart
    int year = 2004, month = 5, day = 1;
    int hour = 9, minute = 0;
    double second = 0;               // UT of the first observation
    bool rl = false;                 // channels R and L instead of I and V
    int sources = 4;                 // active regions, at most 8
    double noise = 0.001;            // white noise sigma as a fraction of Tb
    double drift = 0.01;             // baseline drift amplitude as a fraction of Tb
};

inline constexpr double kOpticalRadiusAt1Au = 959.63; // arc seconds
inline constexpr double kRatanLatitude = 43.653;      // degrees

// Quiet-Sun brightness temperature, K.
double quietSunTb(double fGHz);
// Half width at half maximum of the horizontal beam, arc seconds.
double beamHalfsizeAt(double fGHz);
// Peak antenna temperature of a source at frequency f before beam dilution.
double sourceSpectrum(const SynthSource& s, double fGHz);

// The frequencies a set covers (rounded to 1 MHz so they survive "%.3f").
std::vector<double> synthFrequencies(const SynthParams& p);
// The active regions of a set (depend only on seed and count).
std::vector<SynthSource> synthSources(const SynthParams& p);

// The noise-free channel-1 (I) and channel-2 (V) profiles of one scan with
// its disk centre at point `centre`.
struct SynthProfile {
    std::vector<double> i, v;
};
SynthProfile synthProfile(const SynthParams& p, const std::vector<SynthSource>& sources, double fGHz,
                          double radius, double centre);

// Fills the header of a scan (all but the arrays and centerPoint) for
// observation k at frequency f.
void synthHeader(const SynthParams& p, double fGHz, int k, ScanRecord& r);

// The whole set in list order (ascending frequency; observations of one
// frequency latest first). Both channels are present, Data = Worksheet.
std::vector<std::unique_ptr<ScanRecord>> synthSet(const SynthParams& p);

} // namespace qm
