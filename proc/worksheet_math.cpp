#include "proc/worksheet_math.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

using ld = long double;

// Applies f(i, L(i)) for b < i < e, L being the chord from x[b] to x[e].
template <class F>
void alongChord(float* x, int n, int b, int e, F f)
{
    b = std::max(b, 0);
    e = std::min(e, n - 1);
    if (!x || e - b < 2)
        return;
    const ld xb = x[b];
    const ld slope = (static_cast<ld>(x[e]) - xb) / (e - b);
    for (int i = b + 1; i < e; ++i)
        f(i, xb + (i - b) * slope);
}

} // namespace

void chordLine(float* x, int n, int b, int e)
{
    alongChord(x, n, b, e, [x](int i, ld line) { x[i] = static_cast<float>(line); });
}

void chordOverturn(float* x, int n, int b, int e)
{
    alongChord(x, n, b, e, [x](int i, ld line) { x[i] = static_cast<float>(2 * line - x[i]); });
}

void zeroBySign(float* x, int b, int e, int flag)
{
    const bool keepPositive = flag == 1;
    for (int i = b; i < e; ++i)
        if ((x[i] > 0) != keepPositive)
            x[i] = 0;
}

void polarizationDegree(const float* in, float* v, int n, float noise)
{
    for (int i = 0; i < n; ++i) {
        ld p = 0;
        if (std::fabs(v[i]) >= noise && std::fabs(in[i]) >= noise && in[i] != 0)
            p = static_cast<ld>(v[i]) / (0.01L * in[i]);
        v[i] = static_cast<float>(std::clamp<ld>(p, -100, 100));
    }
}

std::optional<long double> mirrorValue(const float* x, int n, long double c, int i)
{
    const ld m = 2 * c - i;
    if (!(m >= 1 && m <= n - 2))
        return std::nullopt;
    const int k = static_cast<int>(m);
    const ld lo = x[k];
    return lo + (x[k + 1] - lo) * (m - k); // k + 1 <= n - 1 since m <= n - 2
}

void minAcrossCenter(float* x, int n, float center, int b, int e)
{
    b = std::max(b, 0);
    e = std::min(e, n);
    if (!x || e <= b)
        return;
    const std::vector<float> was(x, x + n);
    for (int i = b; i < e; ++i) {
        const auto v = mirrorValue(was.data(), n, center, i);
        if (v && *v < x[i])
            x[i] = static_cast<float>(*v);
    }
}

void copyAcrossCenter(float* x, int n, float center, int b, int e)
{
    const ld twice = 2 * static_cast<ld>(center);
    if (!x || e <= b || !(std::fabs(twice) < 1e9L))
        return;
    const long long c2 = static_cast<long long>(twice);
    const long long from = std::max(std::min(c2 - b, c2 - e), 1LL);
    const long long to = std::min(std::max(c2 - b, c2 - e), static_cast<long long>(n) - 1);
    if (from >= to)
        return;
    const std::vector<float> was(x, x + n);
    for (long long i = from; i < to; ++i)
        if (const auto v = mirrorValue(was.data(), n, center, static_cast<int>(i)))
            x[i] = static_cast<float>(*v);
}

std::optional<long double> zeroLevel(const float* x, int n, int mode, int b, int e)
{
    constexpr int kPoints = 20;
    ld sum = 0;
    switch (mode) {
    case 0:
        if (n < 12)
            return std::nullopt;
        for (int i = 1; i <= 10; ++i)
            sum += static_cast<ld>(x[i]) + x[n - 1 - i];
        return 0.05L * sum;
    case 1:
    case 2:
    case 3: {
        if (n < kPoints)
            return std::nullopt;
        int first = 0;
        if (mode == 2)
            first = n - kPoints;
        else if (mode == 3)
            first = std::clamp((b + e) / 2 - kPoints / 2, 0, n - kPoints);
        for (int i = first; i < first + kPoints; ++i)
            sum += x[i];
        return sum / kPoints;
    }
    default:
        return std::nullopt;
    }
}

bool tailOfCurve(float* x, int n, int nTail)
{
    const long long size = nTail < 0 ? -static_cast<long long>(nTail) : nTail;
    if (!x || nTail == 0 || size > n - 5)
        return false;
    const int j = nTail > 0 ? n - 1 - nTail : static_cast<int>(size);
    const float mean = static_cast<float>((static_cast<ld>(x[j - 1]) + x[j] + x[j + 1]) / 3);
    if (nTail > 0)
        std::fill(x + j, x + n, mean);
    else
        std::fill(x, x + j, mean);
    return true;
}

} // namespace qm
