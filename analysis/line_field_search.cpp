#include "analysis/line_field_search.h"

#include "analysis/scan_text.h"
#include "app/command_table.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/derive.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

constexpr double kGyroFactor = 3570;    // G*cm: third gyro-harmonic, f = 3 * 2.80 MHz * B
constexpr double kMinCriticalCm = 1.4;  // shorter critical wavelengths are not resolved
constexpr float kWindowBeamLimit = 40;  // largest beam half size of the minimum window
constexpr int kFieldFitPoints = 4;

// The checks of both searches in their order; the last failing one is
// reported. `needsV`: the field search works on Worksheet V(L) only.
bool searchAllowed(Workbench& wb, bool needsV)
{
    if (!wb.setLoaded || !wb.activeScan)
        return false;
    std::string refusal;
    if (!wb.allMode)
        refusal = "Must be option ALL";
    if (wb.interactiveMode && wb.fileOutput && wb.ui().hasOpenReport())
        refusal = "You have the open EDITOR";
    if (needsV ? !wb.chkWrkV : !(wb.chkWrkI || wb.chkWrkV))
        refusal = "WORKSHEET is not checked";
    if (refusal.empty())
        return true;
    wb.refuse(refusal);
    return false;
}

// Value of a worksheet at point i; 0 for a scan lacking the channel or
// shorter than i.
float valueAt(const float* w, const ScanRecord& s, int i) { return w && i >= 0 && i < s.nPoints ? w[i] : 0.0f; }

// |smoothed derivative| of a worksheet copy: its strict local minima are
// where the curve is flattest, the candidate peaks.
std::vector<float> flatness(const float* w, int n)
{
    std::vector<float> d(w, w + n);
    smoothedDerivative(d.data(), n);
    for (float& x : d)
        x = std::fabs(x);
    return d;
}

// d = trunc(0.6 * beam half size / step) points, kept within the scan.
int peakDistance(const ScanRecord& s)
{
    const double d = 0.6 * s.beamHalfsize / s.step;
    if (!(d > 0))
        return 0;
    return static_cast<int>(std::min<double>(d, s.nPoints));
}

// The search range of the active scan [begin, end) with the neighbours of
// every point inside the scan; the shown part follows it when it is a
// real range.
struct SearchRange {
    int begin = 0, end = 0;
};

void applyRange(Workbench& wb, SearchRange& r, int n, int d)
{
    r.begin = std::max(r.begin, std::max(1, d));
    r.end = std::min(r.end, n - 1 - d);
    if (r.end > r.begin) {
        wb.viewBegin = r.begin;
        wb.viewEnd = r.end;
    }
}

std::vector<ScanRecord*> allScans(const Workbench& wb)
{
    std::vector<ScanRecord*> v;
    for (const auto& s : wb.scans)
        v.push_back(s.get());
    return v;
}

bool isLocalMinimum(const std::vector<float>& d, int i) { return d[i] < d[i - 1] && d[i] < d[i + 1]; }

// Rises above both neighbours d points away by more than t, on the side of
// its sign (s = +1 for a positive value).
bool standsOut(const float* w, int i, int d, double t, double sign)
{
    return sign * (double(w[i]) - w[i - d]) > t && sign * (double(w[i]) - w[i + d]) > t;
}

double signOf(float v) { return v > 0 ? 1.0 : -1.0; }

// Smallest worksheet value of a scan over the shown part.
double shownMinimum(const Workbench& wb, const ScanRecord& s, const float* w)
{
    const int n = s.nPoints, b = std::clamp(wb.viewBegin, 0, n), e = std::clamp(wb.viewEnd, 0, n);
    if (!w || e <= b)
        return 0;
    return *std::min_element(w + b, w + e);
}

// Lines of one channel's values across frequency: scan k stands out when
// its value exceeds t and both ratios to its neighbours exceed K. A zero
// neighbour gives no ratio and no line.
void addLines(std::string& report, const std::vector<ScanRecord*>& scans, const std::vector<double>& val, double t,
              double k, double pos, char tag)
{
    for (std::size_t j = 1; j + 1 < val.size(); ++j) {
        if (!(val[j] > t) || val[j - 1] == 0 || val[j + 1] == 0)
            continue;
        const double r1 = val[j] / val[j - 1], r2 = val[j] / val[j + 1];
        if (r1 > k && r2 > k)
            report += lineStart(*scans[j]) + format("\t%.3f\t%.2f\t%.2f\t%c\r\n", pos, r1, r2, tag);
    }
}

// The critical wavelength of the polarised flux at one position, or a
// negative value when fewer than six usable scans give none.
double criticalWavelength(const std::vector<double>& x, const std::vector<double>& raw)
{
    const int count = static_cast<int>(raw.size());
    std::vector<double> y(raw.size());
    for (int k = 0; k < count; ++k) {
        if (count == 1)
            y[0] = raw[0];
        else if (k == 0)
            y[0] = (3 * raw[0] + raw[1]) / 4;
        else if (k == count - 1)
            y[k] = (3 * raw[k] + raw[k - 1]) / 4;
        else
            y[k] = (3 * raw[k] + raw[k + 1] - raw[k - 1]) / 3;
    }
    int k = count - 1;
    while (k > 0 && y[k] == 0)
        --k;
    double lambda = 0;
    for (;; --k) {
        if (k - 5 < 0)
            return -1;
        bool gap = false;
        for (int j = k - kFieldFitPoints + 1; j <= k; ++j)
            gap = gap || y[j] == 0;
        if (gap)
            continue;
        double sx = 0, sy = 0, sxy = 0, sxx = 0;
        for (int j = k - kFieldFitPoints + 1; j <= k; ++j) {
            sx += x[j];
            sy += y[j];
            sxy += x[j] * y[j];
            sxx += x[j] * x[j];
        }
        const double det = kFieldFitPoints * sxy - sx * sy;
        if (det == 0)
            continue;
        lambda = (sxy * sx - sxx * sy) / det;
        if (lambda <= x[k])
            break;
    }
    if (k + 1 < count && lambda < x[k + 1])
        lambda = (x[k] + x[k + 1]) / 2;
    return std::max(lambda, kMinCriticalCm);
}

// Spectral Line (189): the dialog or the batch arguments, then the search.
void findSpectralLine(Workbench& wb)
{
    if (!searchAllowed(wb, false))
        return;
    SpectralLineParams p;
    if (wb.interactiveMode) {
        SpectralLineFields f;
        if (!wb.ui().spectralLineDialog(f))
            return;
        if (!scanDouble(f.scale, p.scale) || !std::isfinite(p.scale)) {
            wb.refuse("The line scale must be a number");
            return;
        }
        p.ta = f.ta;
        p.minBaseline = f.minBaseline;
    } else {
        p.scale = wb.batchArgs[0];
        p.ta = wb.batchArgs[1] != 0;
        p.minBaseline = wb.batchArgs[2] != 0;
        if (!std::isfinite(p.scale)) {
            wb.fail("The line scale must be a number");
            return;
        }
    }
    wb.deliverReport("Find Spectral Line", spectralLineReport(wb, p));
    wb.redraw();
}

// Magnetic Field (190): the minimum polarisation, then the search.
void findMagneticField(Workbench& wb)
{
    if (!searchAllowed(wb, true))
        return;
    const auto typed = wb.askNumber("Input minimum polarization:");
    if (!typed)
        return;
    const double pmin = minimumPolarization(*typed, wb.settings.gaussNoise);
    if (!std::isfinite(pmin)) {
        wb.refuse("The minimum polarization must be a number");
        return;
    }
    wb.deliverReport("Find Magnetic Field", magneticFieldReport(wb, pmin));
    wb.redraw();
}

} // namespace

double minimumPolarization(double typed, double noise)
{
    double p = typed < 0 ? -noise * typed : typed;
    if (p < noise)
        p = 2 * noise;
    return p;
}

std::string spectralLineReport(Workbench& wb, const SpectralLineParams& p)
{
    const ScanRecord& a = *wb.activeScan;
    const bool useI = wb.chkWrkI && a.wrkI();
    const float* w = useI ? a.wrkI() : a.wrkV();
    const int n = a.nPoints;
    if (!w || n < 3)
        return {};
    const std::vector<float> flat = flatness(w, n);
    const int d = peakDistance(a);
    SearchRange r{wb.viewBegin == 0 ? 2 : wb.viewBegin, std::min(wb.viewEnd, n - 2 - d)};
    r.begin = std::max(r.begin, d + 2);
    applyRange(wb, r, n, d);
    const double t = wb.settings.gaussNoise;
    const std::vector<ScanRecord*> scans = allScans(wb);
    std::string report;
    for (int i = r.begin; i < r.end; ++i) {
        if (!isLocalMinimum(flat, i))
            continue;
        const float* wi = a.wrkI();
        const float* wv = a.wrkV();
        const bool peak = (wb.chkWrkI && wi && standsOut(wi, i, d, t, 1)) ||
                          (wb.chkWrkV && wv && standsOut(wv, i, d, t, signOf(wv[i])));
        if (!peak)
            continue;
        const double pos = (i - a.centerPoint) * double(a.step);
        if (p.scale == 0) {
            report += lineStart(a) + format("\t%.3f\t%.2f\t%.2f\t%c\r\n", pos, 0.0, 0.0, wb.chkWrkI ? 'I' : 'V');
            continue;
        }
        std::vector<double> vi(scans.size()), vv(scans.size());
        for (std::size_t k = 0; k < scans.size(); ++k) {
            const ScanRecord& s = *scans[k];
            const double base = p.minBaseline ? shownMinimum(wb, s, s.wrkI()) : s.tqSun;
            const double gain = p.ta ? 1.0 : s.fluxCoef;
            vi[k] = s.wrkI() && i < s.nPoints ? (valueAt(s.wrkI(), s, i) - base) * gain : 0;
            vv[k] = valueAt(s.wrkV(), s, i) * gain;
        }
        addLines(report, scans, vi, t, p.scale, pos, 'I');
        addLines(report, scans, vv, t, p.scale, pos, 'V');
    }
    if (report.empty())
        return {};
    return "Frq\t DateObs\t TimeObs\tPos\tKf1\tKf2\tP\r\n" + report;
}

std::string magneticFieldReport(Workbench& wb, double pmin)
{
    const ScanRecord& a = *wb.activeScan;
    wb.magField.clear();
    wb.magField.frequency = a.frequency;
    const float* v = a.wrkV();
    const int n = a.nPoints;
    if (!v || n < 3)
        return {};
    const std::vector<float> flat = flatness(v, n);
    const int d = peakDistance(a);
    SearchRange r{wb.viewBegin, wb.viewEnd};
    if (r.begin < d)
        r.begin = d + 2;
    r.end = std::min(r.end, n - 2 - d);
    applyRange(wb, r, n, d);
    const double t = wb.settings.gaussNoise;
    const double halfWindow = 0.5 * std::min(a.beamHalfsize, kWindowBeamLimit) / a.step;
    const int m = halfWindow > 0 ? static_cast<int>(std::min<double>(halfWindow, n)) : 0;
    const std::vector<ScanRecord*> scans = allScans(wb);
    std::vector<double> x(scans.size()), y(scans.size());
    for (std::size_t k = 0; k < scans.size(); ++k)
        x[k] = scans[k]->frequency > 0 ? 30.0 / scans[k]->frequency : 0;
    for (int i = r.begin; i < r.end; ++i) {
        if (!isLocalMinimum(flat, i))
            continue;
        const double sign = signOf(v[i]);
        if (!(std::fabs(v[i]) > pmin) || !standsOut(v, i, d, t, sign))
            continue;
        for (std::size_t k = 0; k < scans.size(); ++k) {
            const ScanRecord& s = *scans[k];
            const float* wv = s.wrkV();
            double low = std::fabs(valueAt(wv, s, i));
            for (int j = std::max(i - m, 0); j < std::min<int>(i + m, s.nPoints); ++j)
                low = std::min<double>(low, std::fabs(wv ? wv[j] : 0.0f));
            y[k] = low > t && x[k] > 0 ? low * s.beamHalfsize : 0;
        }
        const double lambda = criticalWavelength(x, y);
        if (lambda > 0)
            wb.magField.emplace_back(i, static_cast<float>(kGyroFactor / lambda));
    }
    if (wb.magField.empty())
        return {};
    std::string report = format("Frq=%.3f %s %s\r\nPos[%c]\tH[G]\tWls[cm]\r\n", a.frequency,
                                fieldString(a.dateObs).c_str(), fieldString(a.timeObs).c_str(),
                                wb.settings.unitAxisX);
    for (const auto& [i, h] : wb.magField)
        report += format("%.2f\t%d\t%.2f\r\n", (i - a.centerPoint) * double(a.step),
                         static_cast<int>(std::trunc(h / 10.0)) * 10, kGyroFactor / h);
    return report;
}

void registerLineFieldCommands(CommandTable& t)
{
    t.handle(189, findSpectralLine);
    t.handle(190, findMagneticField);
    t.handle(191, [](Workbench& wb) { wb.magField.clear(); });
}

} // namespace qm
