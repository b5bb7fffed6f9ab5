#include "beam/fft_beam_correction.h"

#include "app/scan_record.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/iv_rl.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Where the shifted beam's point 0 goes so that its axis lands at M/2.
std::size_t shiftedOrigin(const BeamModel& s, bool centreOnMiddle, std::size_t m)
{
    const auto axis = static_cast<std::size_t>(centreOnMiddle ? s.n() / 2 : s.maxIndex());
    return m / 2 - axis;
}

bool beamsFit(const BeamModel& focal, const BeamModel& shifted, bool centreOnMiddle, std::size_t m)
{
    const auto nb = static_cast<std::size_t>(focal.n()), ns = static_cast<std::size_t>(shifted.n());
    const auto axis = static_cast<std::size_t>(centreOnMiddle ? shifted.n() / 2 : shifted.maxIndex());
    return nb <= m && axis <= m / 2 && ns - axis <= m / 2;
}

// Beam values less the first one, point 0 at position `origin`.
void placeBeam(std::vector<Complex>& dst, const BeamModel& beam, std::size_t origin)
{
    std::fill(dst.begin(), dst.end(), Complex{});
    const auto& b = beam.values();
    for (std::size_t j = 0; j < b.size(); ++j)
        dst[origin + j] = b[j] - b[0];
}

std::vector<double> moduli(const std::vector<Complex>& x, std::size_t m)
{
    std::vector<double> out(m);
    for (std::size_t k = 0; k < m; ++k)
        out[k] = modulus(x[k]);
    return out;
}

std::string arcSecTitle(const char* fmt, const BeamModel& beam)
{
    return format(fmt, beam.halfPowerWidth() * beam.q());
}

} // namespace

std::optional<CorrectionRange> correctionRange(const ScanRecord& scan, float width, int viewBegin, int viewEnd)
{
    CorrectionRange r;
    if (width != 0) {
        const double half = static_cast<double>(width) * scan.radius / scan.step;
        const double centre = scan.centerPoint;
        if (!std::isfinite(half) || !std::isfinite(centre) || std::abs(half) > 1e6 || std::abs(centre) > 1e6)
            return std::nullopt;
        const int rr = std::abs(static_cast<int>(half));
        r.lo = std::max(0, static_cast<int>(centre - rr));
        r.hi = std::min(static_cast<int>(rr + centre), scan.nPoints - 1);
        r.c = static_cast<int>(centre);
    } else {
        const float* w = scan.wrkI();
        r.lo = std::max(0, viewBegin);
        r.hi = std::min(viewEnd, static_cast<int>(scan.nPoints));
        if (!w || r.hi <= r.lo)
            return std::nullopt;
        r.c = r.lo;
        for (int i = r.lo; i < r.hi; ++i)
            if (std::abs(w[i]) > std::abs(w[r.c]))
                r.c = i;
    }
    if (r.c - r.lo <= r.hi - r.c)
        r.hi = 2 * r.c - r.lo;
    else
        r.lo = 2 * r.c - r.hi;
    return r;
}

std::size_t transformLength(int n)
{
    std::size_t m = 1;
    while (m <= static_cast<std::size_t>(std::max(n - 1, 0)))
        m *= 2;
    return m;
}

BeamModel scanBeam(const ScanRecord& scan, const BeamConfig& config, double dfx, double dfy, double dh)
{
    BeamModel b;
    b.in.phi0 = config.aperture;
    b.in.valh = config.hourChange;
    b.in.wl = 300.0 / scan.frequency;
    b.in.dfx = dfx;
    b.in.dfy = dfy;
    b.in.h = scan.altitude;
    b.in.dh = dh;
    const double v = config.verticalPoints;
    b.in.nh = std::isfinite(v) && std::abs(v) < 1e6 ? static_cast<int>(v) : 0;
    b.in.vSize = config.elementSize;
    b.in.dx = scan.step / b.q();
    b.compute();
    return b;
}

bool FftBeamCorrector::correct(float* v, int lo, int n, const BeamModel& focal, const BeamModel& shifted,
                               bool centreOnMiddle, double noiseLevel, const CurveSink& test)
{
    if (n < 2)
        return false;
    std::vector<double> x(v + lo, v + lo + n);
    if (!correct(x.data(), n, focal, shifted, centreOnMiddle, noiseLevel, test))
        return false;
    std::copy(x.begin(), x.end(), v + lo);
    return true;
}

bool FftBeamCorrector::correct(double* v, int n, const BeamModel& focal, const BeamModel& shifted,
                               bool centreOnMiddle, double noiseLevel, const CurveSink& test)
{
    if (n < 2 || focal.n() == 0 || shifted.n() == 0)
        return false;
    std::size_t m = transformLength(n);
    while (!beamsFit(focal, shifted, centreOnMiddle, m))
        m *= 2;
    m_ = m;
    if (a_.size() < m) {
        a_.resize(m);
        b_.resize(m);
    }
    const auto un = static_cast<std::size_t>(n);

    // Focal beam, its axis at M/2.
    placeBeam(b_, focal, m / 2 - static_cast<std::size_t>(focal.n() - 1) / 2);
    if (test)
        test(arcSecTitle("Corrected Beam: size=%.3farc.sec", focal), focal.values());
    fft(b_.data(), m, -1);

    // The channel less its first value, centred in the sequence.
    const std::size_t start = (m - un) / 2;
    const double base = v[0];
    std::fill(a_.begin(), a_.end(), Complex{});
    for (std::size_t i = 0; i < un; ++i)
        a_[start + i] = v[i] - base;
    fft(a_.data(), m, -1);
    if (test)
        test("FFT of source", moduli(a_, m));

    // Cut-off where the focal beam's spectrum sinks below the noise level.
    std::size_t cut = m / 2;
    for (std::size_t k = 1; k < m / 2; ++k)
        if (modulus(b_[k]) < noiseLevel) {
            cut = k;
            break;
        }
    for (std::size_t k = 1; k < cut; ++k) {
        a_[k] *= b_[k];
        a_[m - k] *= b_[m - k];
    }

    placeBeam(b_, shifted, shiftedOrigin(shifted, centreOnMiddle, m));
    if (test)
        test(arcSecTitle("Shifted Beam: size=%.3farc.sec", shifted), shifted.values());
    fft(b_.data(), m, -1);
    if (test)
        test("FFT of Shifted Beam", moduli(b_, m));
    for (std::size_t k = 1; k < cut; ++k) {
        a_[k] = divideScaled(a_[k], b_[k]);
        a_[m - k] = divideScaled(a_[m - k], b_[m - k]);
    }
    if (test)
        test("FFT of Corrected Source", moduli(a_, m));

    // The zero frequency is never changed, so the scaled inverse keeps the
    // channel's sum.
    fft(a_.data(), m, +1);
    for (std::size_t i = 0; i < un; ++i)
        v[i] = a_[start + i].real() / static_cast<double>(m) + base;
    return true;
}

namespace {

// The record for this run: the dialog interactively; in batch the stored
// one (template values when none) with a1..a4 for the R shift, L shift,
// scan width and noise level (a noise level <= 0 keeps the stored one).
std::optional<BeamConfig> runConfig(Workbench& wb)
{
    if (wb.interactiveMode)
        return runBeamDialog(wb);
    BeamConfig c = loadBeamConfig(wb.store()).value_or(BeamConfig{});
    c.shiftR = wb.batchArgs[0];
    c.shiftL = wb.batchArgs[1];
    c.scanWidth = wb.batchArgs[2];
    if (wb.batchArgs[3] > 0)
        c.noiseLevel = wb.batchArgs[3];
    return c;
}

void sendCurve(Workbench& wb, const std::string& title, const std::vector<double>& values)
{
    if (wb.interactiveMode) {
        wb.ui().showCurve(title, values);
        return;
    }
    std::string text;
    for (std::size_t j = 0; j < values.size(); ++j)
        text += format("%d %.9e\n", static_cast<int>(j), values[j]);
    wb.deliverReport(title, text);
}

} // namespace

void runFftBeamCorrection(Workbench& wb)
{
    if (wb.interactiveMode) {
        if (!wb.chkWrkI || !wb.chkWrkV) {
            wb.refuse("WORKSHEET is not checked");
            return;
        }
        if (!wb.confirmAllMode())
            return;
    }
    const auto config = runConfig(wb);
    if (!config)
        return;
    const std::vector<ScanRecord*> targets = wb.targets();
    if (targets.empty())
        return;
    const auto range = correctionRange(*targets.front(), config->scanWidth, wb.viewBegin, wb.viewEnd);
    if (!range || range->size() < 4) {
        wb.fail(format("FFT Beam convolution: a range of %d points, nothing corrected", range ? std::max(range->size(), 0) : 0));
        return;
    }
    const bool centreOnMiddle = config->scanWidth > 0;
    // Without a positive cut-off every spectral index would be divided by
    // the shifted beam's spectrum, however small: the template level is used.
    double noise = config->noiseLevel;
    if (!(noise > 0) || !std::isfinite(noise)) {
        noise = BeamConfig{}.noiseLevel;
        wb.status(format("FFT noise level %g cannot be used, %g taken", static_cast<double>(config->noiseLevel),
                         noise));
    }
    CurveSink test;
    if (config->testOption)
        test = [&wb](const std::string& t, const std::vector<double>& v) { sendCurve(wb, t, v); };

    FftBeamCorrector corrector;
    wb.forEachTarget("FFT Beam convolution", [&](ScanRecord& scan) {
        if (!scan.wrkI() || !scan.wrkV() || range->hi > scan.nPoints) {
            wb.fail(format("%s: shorter than the range %d..%d, left as it is", scan.label().c_str(), range->lo,
                           range->hi - 1));
            return true;
        }
        if (scan.flagIvWrk == 0)
            transformIvRl(scan, false);
        const struct {
            float* v;
            double shift;
            char name;
        } channels[] = {{scan.wrkI(), config->shiftR, 'R'}, {scan.wrkV(), config->shiftL, 'L'}};
        for (const auto& ch : channels) {
            const BeamModel focal = scanBeam(scan, *config, 0, 0);
            const BeamModel shifted = scanBeam(scan, *config, ch.shift, config->shiftY);
            if (!corrector.correct(ch.v, range->lo, range->size(), focal, shifted, centreOnMiddle, noise, test))
                wb.fail(format("%s: no beam for channel %c, left as it is", scan.label().c_str(), ch.name));
        }
        return true;
    });
}

} // namespace qm
