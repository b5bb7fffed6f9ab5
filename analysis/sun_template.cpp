#include "analysis/sun_template.h"

#include "app/workbench.h"
#include "app/text_format.h"
#include "files/calibration_table.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qm {

namespace {

const double kLn2 = std::log(2.0);
constexpr int kNodes = 24;  // Gauss-Legendre nodes per panel
constexpr int kPanels = 3;
constexpr double kBeamReach = 4.0; // beyond 4 half-power widths the beam is below 1e-19

// Gauss-Legendre nodes and weights on [-1, 1].
struct Legendre {
    std::array<double, kNodes> x{}, w{};
    Legendre()
    {
        for (int i = 0; i < kNodes; ++i) {
            double z = std::cos(M_PI * (i + 0.75) / (kNodes + 0.5)), dp = 0;
            for (int it = 0; it < 100; ++it) {
                double p0 = 1, p1 = 0;
                for (int k = 1; k <= kNodes; ++k) {
                    const double p2 = p1;
                    p1 = p0;
                    p0 = ((2 * k - 1) * z * p1 - (k - 1) * p2) / k;
                }
                dp = kNodes * (z * p0 - p1) / (z * z - 1);
                const double dz = p0 / dp;
                z -= dz;
                if (std::fabs(dz) < 1e-15)
                    break;
            }
            x[i] = z;
            w[i] = 2 / ((1 - z * z) * dp * dp);
        }
    }
};

const Legendre& legendre()
{
    static const Legendre g;
    return g;
}

} // namespace

DiskScanModel::DiskScanModel(double radius, double h, double v) : r_(radius), h_(h), v_(v) {}

double DiskScanModel::operator()(double x) const
{
    const double a = 2 * std::sqrt(kLn2) / v_;
    if (h_ <= 0)
        return std::fabs(x) < r_ ? std::erf(a * std::sqrt(r_ * r_ - x * x)) : 0.0;
    // u = r sin θ takes the square root out of the disk edge, so the
    // integrand is smooth in θ over the stretch the beam reaches.
    const double lo = std::asin(std::clamp((x - kBeamReach * h_) / r_, -1.0, 1.0));
    const double hi = std::asin(std::clamp((x + kBeamReach * h_) / r_, -1.0, 1.0));
    if (!(hi > lo))
        return 0;
    const double b = 4 * kLn2 / (h_ * h_);
    const Legendre& g = legendre();
    const double panel = (hi - lo) / kPanels;
    double sum = 0;
    for (int p = 0; p < kPanels; ++p) {
        const double mid = lo + (p + 0.5) * panel, half = panel / 2;
        for (int i = 0; i < kNodes; ++i) {
            const double t = mid + half * g.x[i];
            const double c = std::cos(t), d = x - r_ * std::sin(t);
            sum += g.w[i] * half * std::exp(-b * d * d) * std::erf(a * r_ * c) * r_ * c;
        }
    }
    return sum;
}

void makeSunTemplate(Workbench& wb)
{
    if (!wb.chkWrkI) {
        wb.refuse("You must to check WrkI");
        return;
    }
    int missed = 0;
    wb.forEachTarget("Scan modification", [&](ScanRecord& s) {
        float* x = s.wrkI();
        const double f = s.frequency;
        double tq = s.tqSun;
        if (tq == 0)
            if (const auto row = lookupCalibration(wb.programDir, f))
                tq = row->tqSun;
        if (!x || !(tq > 0) || !(s.radius > 0) || !(s.step > 0) || !(f > 0)) {
            ++missed;
            return true;
        }
        const double h = wb.settings.hrzBeam > 0 ? wb.settings.hrzBeam / f : s.beamHalfsize;
        const double v = wb.settings.vrtBeam > 0 ? 60 * wb.settings.vrtBeam / f : 11400 / f;
        const DiskScanModel model(s.radius, h, v);
        const double centre = model(0);
        if (!(centre > 0) || !std::isfinite(centre)) {
            ++missed;
            return true;
        }
        for (int i = 0; i < s.nPoints; ++i)
            x[i] = static_cast<float>(tq * model((i - double(s.centerPoint)) * s.step) / centre);
        return true;
    });
    if (missed)
        wb.fail(format("%d scan(s) without a quiet-Sun level, radius or step", missed));
}

} // namespace qm
