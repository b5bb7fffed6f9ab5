#include "analysis/wide_gauss.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace qm {

namespace {

constexpr int kEstimates = 4;
constexpr int kMaxShift = 20;

// Mean of the three points around i, or nothing when they leave the scan.
std::optional<double> level(const float* x, int n, int i)
{
    if (i < 1 || i > n - 2)
        return std::nullopt;
    return (double(x[i - 1]) + x[i] + x[i + 1]) / 3;
}

} // namespace

bool wideGauss(ScanRecord& s)
{
    const float* data = s.dataI();
    float* wrk = s.wrkI();
    const int n = s.nPoints;
    if (!data || !wrk || s.step == 0)
        return false;
    const double rho = double(s.radius) / s.step;
    const double d0r = std::trunc(2.5 * rho), d1r = std::trunc(1.8 * rho), d2r = std::trunc(2.4 * rho);
    double c = s.centerPoint, ci = std::trunc(c);
    if (!std::isfinite(d0r) || !std::isfinite(ci) || ci + d0r > n || ci < d0r || d2r <= d1r)
        return false;
    const int d0 = int(d0r), d1 = int(d1r), d2 = int(d2r);
    double minAmplitude = 1e10, width = 0;
    for (int k = 0; k < kEstimates; ++k) {
        const int at = int(ci);
        const auto a1 = level(data, n, at + d1), a2 = level(data, n, at + d2);
        const auto b1 = level(data, n, at - d1), b2 = level(data, n, at - d2);
        if (!a1 || !a2 || !b1 || !b2 || !(*a1 > 0 && *a2 > 0 && *b1 > 0 && *b2 > 0))
            continue;
        const double spread = double(d2) * d2 - double(d1) * d1;
        const double wr = std::fabs(spread / (std::log(*a1) - std::log(*a2)));
        const double wl = std::fabs(spread / (std::log(*b1) - std::log(*b2)));
        const double w = std::max(wr, wl);
        if (!std::isfinite(w) || w <= 0)
            continue;
        width = w;
        // Each side's level ratio places the centre; their difference is
        // twice the distance from ci to it.
        const double sr = std::log(*a1 / *a2) * w / (2.0 * (d2 - d1)) - (d1 + d2) / 2.0;
        const double sl = std::log(*b1 / *b2) * w / (2.0 * (d2 - d1)) - (d1 + d2) / 2.0;
        const double twice = std::clamp(std::trunc(sl - sr), -2.0 * kMaxShift - 1, 2.0 * kMaxShift + 1);
        const int shift = std::clamp(int(twice) / 2, -kMaxShift, kMaxShift);
        ci += shift;
        c += shift;
        const double a = (*b1 * std::exp(double(d1) * d1 / w) + *b2 * std::exp(double(d2) * d2 / w)) / 2;
        minAmplitude = std::min(minAmplitude, a);
    }
    if (!(minAmplitude >= 0 && minAmplitude <= 1e9) || width <= 0)
        minAmplitude = 0;
    const int from = std::max(0, int(ci) - d0), to = std::min(n, int(ci) + d0);
    for (int i = from; i < to; ++i)
        wrk[i] = width > 0 ? static_cast<float>(minAmplitude * std::exp(-(i - c) * (i - c) / width)) : 0.0f;
    return true;
}

void runWideGauss(Workbench& wb)
{
    if (!wb.chkDataI || !wb.chkWrkI) {
        wb.refuse("DataI and WrkI are not checked");
        return;
    }
    if (!wb.confirmAllMode())
        return;
    wb.forEachTarget("Scan modification", [&](ScanRecord& s) {
        if (!wideGauss(s)) {
            wb.refuse(format("Data set %.2f[GHz] is small", s.frequency));
            return true;
        }
        if (wb.allMode)
            wb.status(format("Gauss background of scan %.2f[GHz] is finished", s.frequency));
        return true;
    });
}

} // namespace qm
