#include "cli/scan_synth.h"

#include "app/text_format.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBoltzmann = 1.380649e-23;   // J/K
constexpr double kLightSpeed = 2.99792458e8;  // m/s
constexpr double kArcsec = kPi / (180.0 * 3600.0);
constexpr double kNominalRadius = 960.0;       // arc seconds
constexpr double kJansky = 1e-26;             // W m^-2 Hz^-1
// Half width at half maximum of a Gaussian divided by its sigma.
const double kHwhmPerSigma = std::sqrt(2.0 * std::log(2.0));

double roundTo(double v, double unit) { return std::round(v / unit) * unit; }

// Independent stream for one scan, whatever order scans are made in.
uint64_t scanSeed(uint64_t seed, int fi, int k)
{
    SynthRandom mix(seed ^ (0x9e3779b97f4a7c15ULL * static_cast<uint64_t>(fi + 1)) ^
                    (0xc2b2ae3d27d4eb4fULL * static_cast<uint64_t>(k + 1)));
    return mix.next();
}

// Day of year (1-based) and the civil date `days` after the given one.
bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m)
{
    static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : d[(m - 1) % 12];
}
int dayOfYear(int y, int m, int d)
{
    int n = d;
    for (int i = 1; i < m; ++i)
        n += daysInMonth(y, i);
    return n;
}
void addDays(int& y, int& m, int& d, int days)
{
    for (; days > 0; --days) {
        if (++d > daysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
}

// Strip integral of the disk brightness B(r) = Tb (1 + a (r/R)^4) along the
// fan beam at u = x/R, normalised to 1 at the centre.
double diskStrip(double u, double a)
{
    if (u <= -1 || u >= 1)
        return 0;
    const double u2 = u * u, s = std::sqrt(1 - u2), s2 = s * s;
    return (s + a * (s * u2 * u2 + (2.0 / 3.0) * u2 * s2 * s + s2 * s2 * s / 5)) / (1 + a / 5);
}

double limbBrightening(double fGHz) { return 0.5 * fGHz / (fGHz + 5); }

} // namespace

uint64_t SynthRandom::next()
{
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

double SynthRandom::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double SynthRandom::normal()
{
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    double u1;
    do
        u1 = uniform();
    while (u1 <= 0);
    const double u2 = uniform();
    const double r = std::sqrt(-2 * std::log(u1));
    spare_ = r * std::sin(2 * kPi * u2);
    hasSpare_ = true;
    return r * std::cos(2 * kPi * u2);
}

double quietSunTb(double fGHz) { return 140077.0 * std::pow(fGHz, -2.1) + 10880.0; }

double beamHalfsizeAt(double fGHz) { return 127.5 / fGHz; }

double sourceSpectrum(const SynthSource& s, double fGHz)
{
    const double x = fGHz / s.peakFreq;
    return s.peakTb * x * std::exp(1 - x);
}

std::vector<double> synthFrequencies(const SynthParams& p)
{
    if (!p.frequencies.empty())
        return p.frequencies;
    std::vector<double> f;
    for (int i = 0; i < p.count; ++i) {
        const double t = p.count > 1 ? static_cast<double>(i) / (p.count - 1) : 0;
        f.push_back(roundTo(p.from * std::pow(p.to / p.from, t), 0.001));
    }
    return f;
}

std::vector<SynthSource> synthSources(const SynthParams& p)
{
    SynthRandom rng(p.seed ^ 0x5eed5eed5eed5eedULL);
    const int n = std::clamp(p.sources, 0, 8);
    std::vector<SynthSource> out;
    for (int k = 0; k < n; ++k) {
        SynthSource s;
        // Spread over the disk, away from the limbs and from each other.
        s.offset = kOpticalRadiusAt1Au * (-0.75 + 1.5 * (k + 0.5) / n + rng.uniform(-0.05, 0.05));
        s.size = rng.uniform(15, 40);
        s.peakFreq = rng.uniform(5, 12);
        s.peakTb = rng.uniform(0.1, 0.4) * quietSunTb(s.peakFreq);
        s.polarization = (k % 2 == 0 ? 1 : -1) * rng.uniform(0.15, 0.6);
        out.push_back(s);
    }
    return out;
}

SynthProfile synthProfile(const SynthParams& p, const std::vector<SynthSource>& sources, double fGHz,
                          double radius, double centre)
{
    const int n = std::max(p.points, 0);
    const double tb = quietSunTb(fGHz);
    const double beam = roundTo(beamHalfsizeAt(fGHz), 0.01);
    const double sigma = beam / kHwhmPerSigma / p.step; // in points
    const double radioRadius = radius * (1 + 0.3 / fGHz);
    const double a = limbBrightening(fGHz);

    // Gaussian beam kernel, normalised to unit sum.
    const int half = static_cast<int>(std::ceil(4 * sigma));
    std::vector<double> kernel(static_cast<std::size_t>(2 * half + 1));
    double sum = 0;
    for (int j = -half; j <= half; ++j) {
        const double w = sigma > 0 ? std::exp(-0.5 * (j / sigma) * (j / sigma)) : (j == 0 ? 1.0 : 0.0);
        kernel[static_cast<std::size_t>(j + half)] = w;
        sum += w;
    }
    for (double& w : kernel)
        w /= sum;

    // The disk over the scan plus the kernel's reach on both sides.
    std::vector<double> disk(static_cast<std::size_t>(n + 2 * half));
    for (int i = -half; i < n + half; ++i)
        disk[static_cast<std::size_t>(i + half)] = tb * diskStrip((i - centre) * p.step / radioRadius, a);

    SynthProfile out;
    out.i.assign(static_cast<std::size_t>(n), 0.0);
    out.v.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        double acc = 0;
        for (int j = 0; j <= 2 * half; ++j)
            acc += kernel[static_cast<std::size_t>(j)] * disk[static_cast<std::size_t>(i + j)];
        out.i[static_cast<std::size_t>(i)] = acc;
    }

    // Sources: a Gaussian seen through a Gaussian beam stays Gaussian; its
    // peak is diluted by size / observed size.
    for (const SynthSource& s : sources) {
        const double seen = std::sqrt(s.size * s.size + beam * beam);
        const double peak = sourceSpectrum(s, fGHz) * s.size / seen;
        const double x = fGHz / s.peakFreq;
        const double pol = std::clamp(s.polarization * (0.5 + 0.5 * x), -0.95, 0.95);
        const double pos = centre + s.offset * (radius / kOpticalRadiusAt1Au) / p.step;
        const double sg = seen / kHwhmPerSigma / p.step;
        const int lo = std::max(0, static_cast<int>(pos - 6 * sg));
        const int hi = std::min(n, static_cast<int>(pos + 6 * sg) + 1);
        for (int i = lo; i < hi; ++i) {
            const double d = (i - pos) / sg;
            const double g = peak * std::exp(-0.5 * d * d);
            out.i[static_cast<std::size_t>(i)] += g;
            out.v[static_cast<std::size_t>(i)] += pol * g;
        }
    }
    return out;
}

void synthHeader(const SynthParams& p, double fGHz, int k, ScanRecord& r)
{
    int y = p.year, m = p.month, d = p.day;
    double t = p.hour * 3600.0 + p.minute * 60.0 + p.second + 240.0 * k;
    const int carry = static_cast<int>(std::floor(t / 86400));
    t -= 86400.0 * carry;
    addDays(y, m, d, carry);
    const int hh = static_cast<int>(t / 3600);
    const int mm = static_cast<int>((t - hh * 3600) / 60);
    const double ss = t - hh * 3600 - mm * 60;

    const double doy = dayOfYear(y, m, d);
    const double year = 365.256;
    const double distanceAu = 1 - 0.01671 * std::cos(2 * kPi * (doy - 4) / year);
    const double declination = 23.44 * std::sin(2 * kPi * (284 + doy) / 365.0);

    copyField(r.object, "Sun");
    copyField(r.dateObs, format("%04d/%02d/%02d", y, m, d));
    copyField(r.timeObs, format("%02d:%02d:%05.2f", hh, mm, ss));
    copyField(r.telescop, "RATAN-600");
    copyField(r.origin, "quillmar-synth");
    r.nPoints = static_cast<int16_t>(std::clamp(p.points, 0, kMaxPoints));
    r.frequency = static_cast<float>(fGHz);
    r.step = static_cast<float>(p.step);
    r.radius = static_cast<float>(std::trunc(kOpticalRadiusAt1Au / distanceAu));
    r.beamHalfsize = static_cast<float>(roundTo(beamHalfsizeAt(fGHz), 0.01));
    r.tqSun = static_cast<int16_t>(std::min(std::trunc(quietSunTb(fGHz)), 32767.0));
    // Jy per K per arc second of the scan: 2 k nu^2 / c^2 over a strip one
    // arc second wide and one nominal solar diameter (2 x 960") long. It is
    // the telescope's calibration constant, the same as in sh-fits.cfg, so
    // it does not follow the radius of the day.
    const double nu = fGHz * 1e9;
    r.fluxCoef = static_cast<float>(2 * kBoltzmann * nu * nu / (kLightSpeed * kLightSpeed) * 2 * kNominalRadius *
                                    kArcsec * kArcsec / kJansky);
    r.azimuth = static_cast<float>(2.0 * (k - (p.observations - 1) / 2.0));
    r.altitude = static_cast<float>(90 - kRatanLatitude + declination);
    r.angleP = static_cast<float>(26.3 * std::sin(2 * kPi * (doy - 5) / year));
    r.calibData = r.calibWrk = 1;
    r.fluxData = r.fluxWrk = 0;
    r.flagIvData = r.flagIvWrk = p.rl ? 1 : 0;
    r.sampleFormat = 0;
}

std::vector<std::unique_ptr<ScanRecord>> synthSet(const SynthParams& p)
{
    std::vector<std::unique_ptr<ScanRecord>> out;
    const auto freqs = synthFrequencies(p);
    const auto sources = synthSources(p);
    for (int fi = 0; fi < static_cast<int>(freqs.size()); ++fi) {
        for (int k = std::max(p.observations, 1) - 1; k >= 0; --k) {
            auto r = std::make_unique<ScanRecord>();
            synthHeader(p, freqs[static_cast<std::size_t>(fi)], k, *r);
            const int n = r->nPoints;
            SynthRandom rng(scanSeed(p.seed, fi, k));
            // One pointing per observation: every frequency of a drift sees
            // the disk centre at the same point.
            SynthRandom pointing(scanSeed(p.seed, -1, k));
            r->centerPoint = static_cast<float>(roundTo((n - 1) / 2.0 + pointing.uniform(-20, 20), 0.01));
            const auto prof = synthProfile(p, sources, r->frequency, r->radius, r->centerPoint);

            const double tb = quietSunTb(r->frequency);
            const double sigma = p.noise * tb;
            auto drift = [&](double scale) {
                const double slope = rng.uniform(-1, 1), wave = rng.uniform(-1, 1);
                const double cycles = rng.uniform(0.3, 1.2), phase = rng.uniform(0, 2 * kPi);
                std::vector<double> d(static_cast<std::size_t>(n));
                for (int i = 0; i < n; ++i) {
                    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0;
                    d[static_cast<std::size_t>(i)] =
                        scale * p.drift * tb * (slope * (2 * t - 1) + wave * std::sin(2 * kPi * cycles * t + phase));
                }
                return d;
            };
            const auto driftI = drift(1.0), driftV = drift(0.3);

            r->allocChannel(1);
            r->allocChannel(2);
            float* c1 = r->dataI();
            float* c2 = r->dataV();
            for (int i = 0; i < n; ++i) {
                const auto u = static_cast<std::size_t>(i);
                const double vi = prof.i[u] + driftI[u] + sigma * rng.normal();
                const double vv = prof.v[u] + driftV[u] + sigma * rng.normal();
                c1[i] = static_cast<float>(p.rl ? vi + vv : vi);
                c2[i] = static_cast<float>(p.rl ? vi - vv : vv);
            }
            r->copyDataToWorksheet();
            out.push_back(std::move(r));
        }
    }
    return out;
}

} // namespace qm
