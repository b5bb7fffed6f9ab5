#include "proc/derive.h"

#include <cmath>
#include <vector>

namespace qm {

namespace {
constexpr int kDeriveTerms = 6;
constexpr long double kDeriveStep = 1.44L / 6; // 0.24
constexpr int kDeriveMargin = 8;
constexpr int kDeriveMinPoints = 25;
} // namespace

void derivativeFilter(const float* x, int n, int terms, long double weightStep, int margin, float* out)
{
    if (!x || !out || terms < 1 || margin < terms || n - margin <= margin)
        return;
    std::vector<long double> w(static_cast<std::size_t>(terms) + 1);
    for (int k = 1; k <= terms; ++k) {
        const long double a = weightStep * k;
        w[static_cast<std::size_t>(k)] = std::pow(10.0L, -(a * a));
    }
    for (int i = margin; i < n - margin; ++i) {
        long double d = 0;
        for (int k = 1; k <= terms; ++k)
            d += (static_cast<long double>(x[i + k]) - x[i - k]) * w[static_cast<std::size_t>(k)];
        out[i] = static_cast<float>(d);
    }
}

void smoothedDerivative(float* x, int n)
{
    if (!x || n < kDeriveMinPoints)
        return;
    const std::vector<float> was(x, x + n);
    derivativeFilter(was.data(), n, kDeriveTerms, kDeriveStep, kDeriveMargin, x);
}

} // namespace qm
