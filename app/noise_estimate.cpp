#include "app/noise_estimate.h"

#include <cmath>

namespace qm {

double noiseSigma(const float* x, int m)
{
    if (!x || m < 4)
        return 0;
    long double sum = 0;
    for (int i = 1; i <= m - 2; ++i) {
        const long double d = x[i] - (static_cast<long double>(x[i - 1]) + x[i + 1]) / 2;
        sum += d * d;
    }
    return static_cast<double>(std::sqrt(sum / (m - 3)));
}

double valueRange(const float* x, int m)
{
    if (!x || m <= 0)
        return 1;
    bool any = false;
    float lo = 0, hi = 0;
    for (int i = 0; i < m; ++i) {
        if (std::isnan(x[i]))
            continue;
        if (!any || x[i] < lo)
            lo = x[i];
        if (!any || x[i] > hi)
            hi = x[i];
        any = true;
    }
    const double r = static_cast<double>(hi) - lo;
    return !any || r == 0 || !std::isfinite(r) ? 1 : r;
}

void fractionalMove(float* x, int n, double shift)
{
    if (!x || n <= 0 || shift == 0 || !std::isfinite(shift))
        return;
    // Whole points toward zero; a move past the curve's length moves none.
    const double whole = std::trunc(shift);
    const int k = std::fabs(whole) >= n ? 0 : static_cast<int>(whole);
    const long double f = std::fabs(static_cast<long double>(shift) - whole);
    if (k < 0) {
        for (int j = n + k - 1; j >= 0; --j)
            x[j - k] = x[j];
    } else if (k > 0) {
        for (int j = k; j < n; ++j)
            x[j - k] = x[j];
    }
    if (f == 0)
        return;
    if (shift < 0) {
        for (int j = n - 2; j >= 0; --j)
            x[j + 1] = static_cast<float>(x[j + 1] + (static_cast<long double>(x[j]) - x[j + 1]) * f);
    } else {
        for (int j = 1; j < n; ++j)
            x[j - 1] = static_cast<float>(x[j - 1] + (static_cast<long double>(x[j]) - x[j - 1]) * f);
    }
}

} // namespace qm
