#include "analysis/gauss_errors.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qm {

double gaussNoise(const float* x, int b, int e, const std::vector<GaussComponent>& comps)
{
    auto sum = [&](bool all, int& count) {
        double s = 0;
        count = 0;
        for (int i = b + 1; i < e; ++i) {
            bool far = true;
            for (const GaussComponent& c : comps)
                far = far && std::fabs(i - c.centre) > 2.5 * c.width;
            if (!all && !far)
                continue;
            const double d = x[i] - (double(x[i - 1]) + x[i + 1]) / 2;
            s += d * d;
            ++count;
        }
        return s;
    };
    int count = 0;
    double s = sum(false, count);
    if (count < 20)
        s = sum(true, count);
    return count > 0 ? std::sqrt(s / (1.5 * count)) : 0;
}

std::optional<std::vector<GaussSigma>> gaussSigmas(const std::vector<GaussComponent>& comps, int b, int e,
                                                   double sigma)
{
    const std::size_t n = 3 * comps.size();
    if (n == 0 || e < b || !std::isfinite(sigma))
        return std::nullopt;
    // Normal matrix J^T J, then its inverse by Gauss-Jordan with partial pivoting.
    std::vector<double> m(n * n, 0.0), row(n);
    for (int i = b; i <= e; ++i) {
        for (std::size_t k = 0; k < comps.size(); ++k) {
            const GaussComponent& c = comps[k];
            const double u = i - c.centre, w2 = c.width * c.width, ex = std::exp(-u * u / w2);
            row[3 * k] = ex;
            row[3 * k + 1] = c.amplitude * ex * 2 * u * u / (w2 * c.width);
            row[3 * k + 2] = c.amplitude * ex * 2 * u / w2;
        }
        for (std::size_t p = 0; p < n; ++p)
            for (std::size_t q = 0; q < n; ++q)
                m[p * n + q] += row[p] * row[q];
    }
    std::vector<double> inv(n * n, 0.0);
    for (std::size_t p = 0; p < n; ++p)
        inv[p * n + p] = 1;
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t piv = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(m[r * n + col]) > std::fabs(m[piv * n + col]))
                piv = r;
        if (!(std::fabs(m[piv * n + col]) > 1e-300))
            return std::nullopt;
        for (std::size_t q = 0; q < n; ++q) {
            std::swap(m[col * n + q], m[piv * n + q]);
            std::swap(inv[col * n + q], inv[piv * n + q]);
        }
        const double d = m[col * n + col];
        for (std::size_t q = 0; q < n; ++q) {
            m[col * n + q] /= d;
            inv[col * n + q] /= d;
        }
        for (std::size_t r = 0; r < n; ++r)
            if (r != col && m[r * n + col] != 0) {
                const double f = m[r * n + col];
                for (std::size_t q = 0; q < n; ++q) {
                    m[r * n + q] -= f * m[col * n + q];
                    inv[r * n + q] -= f * inv[col * n + q];
                }
            }
    }
    const double s2 = sigma * sigma;
    std::vector<GaussSigma> out(comps.size());
    for (std::size_t k = 0; k < comps.size(); ++k) {
        const std::size_t a = 3 * k, w = a + 1, c = a + 2;
        out[k] = {std::sqrt(std::max(0.0, s2 * inv[a * n + a])), std::sqrt(std::max(0.0, s2 * inv[w * n + w])),
                  std::sqrt(std::max(0.0, s2 * inv[c * n + c])), s2 * inv[a * n + w]};
        if (!std::isfinite(out[k].amplitude) || !std::isfinite(out[k].width) || !std::isfinite(out[k].centre))
            return std::nullopt;
    }
    return out;
}

} // namespace qm
