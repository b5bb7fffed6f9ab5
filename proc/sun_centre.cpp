#include "proc/sun_centre.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr int kHalfWidth = 10;
constexpr int kWindow = 60;

} // namespace

std::vector<double> limbDerivative(const std::vector<double>& y)
{
    const int n = static_cast<int>(y.size());
    std::vector<double> d(y.size(), 0.0);
    double w[kHalfWidth + 1];
    for (int k = 1; k <= kHalfWidth; ++k)
        w[k] = std::pow(10.0, -(0.144 * k) * (0.144 * k));
    for (int i = kHalfWidth; i < n - kHalfWidth; ++i) {
        double s = 0;
        for (int k = 1; k <= kHalfWidth; ++k)
            s += (y[i + k] - y[i - k]) * w[k];
        d[i] = s;
    }
    return d;
}

std::optional<double> findSunCentre(const ScanRecord& scan, CentreMode mode)
{
    const float* x = scan.wrkI();
    const int n = scan.nPoints;
    if (!x || n < 2 * kHalfWidth + 2)
        return std::nullopt;
    const double clip = 0.8 * scan.tqSun;
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        y[i] = std::min<double>(x[i], clip);
    std::vector<double> d = limbDerivative(y);
    int a = 1, m = 1;
    for (int i = 2; i < n; ++i) {
        if (d[i] > d[a])
            a = i;
        if (d[i] < d[m])
            m = i;
    }
    double centre = 0;
    if (mode == CentreMode::Max) {
        centre = (a + m) / 2.0;
    } else {
        if (!(scan.step > 0))
            return std::nullopt;
        const double wd = std::trunc(120.0 / scan.step);
        if (wd > n)
            return std::nullopt;
        const int w = static_cast<int>(wd);
        if (m - w - 70 < 0)
            return std::nullopt;
        if (a < m) {
            std::swap(a, m);
            for (double& v : d)
                v = -v;
        }
        auto window = [&](int start) {
            double s = 0;
            for (int k = 0; k < kWindow; ++k)
                s += d[start + k];
            return s;
        };
        if (m - w - (kWindow - 1) < 0)
            return std::nullopt;
        double left = 0;
        for (int k = 0; k < kWindow; ++k)
            left += d[m - w - k];
        if (a + w + kWindow > n)
            return std::nullopt;
        double s0 = left + window(a + w);
        const int dir = s0 < 0 ? -1 : 1;
        int at = a + 1;
        for (int guard = 0;; ++guard) {
            if (at > n - 70 - w || at < m || guard > 4 * n)
                return std::nullopt;
            const double s = left + window(at + w);
            if (s * s0 <= 0) {
                centre = (at + m) / 2.0;
                break;
            }
            if (dir * s0 > dir * s) {
                s0 = s;
                at -= dir;
            } else {
                at += dir;
            }
        }
    }
    if (centre == 0)
        return std::nullopt;
    return centre;
}

std::optional<double> recentreScan(ScanRecord& scan, CentreMode mode)
{
    const auto c = findSunCentre(scan, mode);
    if (!c)
        return std::nullopt;
    const double change = *c - scan.centerPoint;
    scan.centerPoint = static_cast<float>(*c);
    return change;
}

} // namespace qm
