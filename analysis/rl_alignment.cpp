#include "analysis/rl_alignment.h"

#include "app/noise_estimate.h"
#include "app/scan_record.h"
#include "app/text_format.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace qm {

namespace {

// One limb: the points [i1, i2) and the walk rules of its pass.
struct Limb {
    const float* r;
    const float* l;
    int n;
    int i1, i2;
    int sign; // +1 rising limb, -1 falling limb

    // Sum of (R[i] - L[i + j])^2 over the limb.
    long double squares(int j) const
    {
        long double s = 0;
        for (int i = i1; i < i2; ++i) {
            const long double d = static_cast<long double>(r[i]) - l[i + j];
            s += d * d;
        }
        return s;
    }
    // L[i + j] stays inside the curve for every point of the limb.
    bool inside(int j) const { return i1 + j >= 0 && i2 + j <= n; }
    // The margins a step of the walk must keep.
    bool allowed(int j) const { return sign * j + i1 >= 11 && sign * j + i2 + 10 <= n && inside(j); }
};

// Vertex of the parabola through the smallest of seven values spaced one
// point apart (abscissa of e[0] is x0) and its two neighbours.
double parabolaVertex(const std::array<long double, 7>& e, int x0)
{
    int p = 0;
    for (int t = 1; t < 7; ++t)
        if (e[static_cast<std::size_t>(t)] < e[static_cast<std::size_t>(p)])
            p = t;
    if (p == 0 || p == 6)
        return 0;
    const long double y0 = e[static_cast<std::size_t>(p - 1)], y1 = e[static_cast<std::size_t>(p)],
                      y2 = e[static_cast<std::size_t>(p + 1)];
    const double xm = x0 + p;
    if (y0 == y2)
        return xm;
    if (y0 == y1)
        return xm - 0.5;
    if (y1 == y2)
        return xm + 0.5;
    const long double denom = y0 - 2 * y1 + y2;
    if (!(denom > 0) && !(denom < 0))
        return 0;
    return static_cast<double>(xm + 0.5L * (y0 - y2) / denom);
}

// The shift of one pass, nullopt when the walk runs out of the curve.
std::optional<double> passShift(const Limb& limb, double quietSun)
{
    long double d = 0;
    for (int i = limb.i1; i < limb.i2; ++i)
        d += static_cast<long double>(limb.r[i]) - limb.l[i];
    const int k = (d > 0 ? 1 : -1) * limb.sign;
    long double previous = limb.squares(0);
    int j = 0;
    for (;;) {
        j += k;
        if (!limb.allowed(j))
            return std::nullopt;
        const long double s = limb.squares(j);
        if (!(s <= previous))
            break;
        previous = s;
    }
    if (!limb.inside(j - 2) || !limb.inside(j + 4))
        return std::nullopt;
    std::array<long double, 7> e{};
    for (int t = 0; t < 7; ++t)
        e[static_cast<std::size_t>(t)] = limb.squares(j - 2 + t) / quietSun;
    return parabolaVertex(e, j - 2);
}

// First index from `from` whose value satisfies the test; n when none.
template <class Test>
int firstWhere(const float* x, int n, int from, Test test)
{
    int i = from < 0 ? 0 : from;
    while (i < n && !test(static_cast<long double>(x[i])))
        ++i;
    return i;
}

} // namespace

double limbShift(const float* r, const float* l, int n, double quietSun)
{
    if (!r || !l || n <= 0 || !(quietSun > 0))
        return 0;
    const long double low = quietSun / 5.0L, high = quietSun / 1.6L;
    Limb rising{r, l, n, 0, 0, 1};
    rising.i1 = firstWhere(r, n, 0, [&](long double v) { return v >= low; });
    rising.i2 = firstWhere(r, n, rising.i1, [&](long double v) { return v >= high; });
    if (rising.i2 >= n)
        return 0;
    const auto first = passShift(rising, quietSun);
    if (!first)
        return 0;
    Limb falling{r, l, n, 0, 0, -1};
    falling.i1 = firstWhere(r, n, rising.i2 + 5, [&](long double v) { return v <= high; });
    falling.i2 = firstWhere(r, n, falling.i1, [&](long double v) { return v <= low; });
    if (falling.i2 >= n)
        return *first;
    const auto second = passShift(falling, quietSun);
    if (!second)
        return *first;
    return (*first + *second) / 2;
}

RLAlignment alignRL(ScanRecord& scan)
{
    const char* refusal = nullptr;
    if (!scan.calibWrk)
        refusal = "+0.0\tnot calibr.";
    if (!scan.wrkI())
        refusal = "+0.0\tnot data I";
    if (!scan.wrkV())
        refusal = "+0.0\tnot data V";
    if (refusal)
        return {refusal, 0};
    const int n = scan.nPoints;
    float* wi = scan.wrkI();
    float* wv = scan.wrkV();
    const bool rl = scan.flagIvWrk != 0;
    std::vector<float> rTmp, lTmp;
    float* r = wi;
    float* l = wv;
    if (!rl && n > 0) {
        rTmp.resize(static_cast<std::size_t>(n));
        lTmp.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            rTmp[static_cast<std::size_t>(i)] = wi[i] + wv[i];
            lTmp[static_cast<std::size_t>(i)] = wi[i] - wv[i];
        }
        r = rTmp.data();
        l = lTmp.data();
    }
    double s = limbShift(r, l, n, scan.tqSun);
    if (!std::isfinite(s))
        s = 0;
    if (s != 0) {
        fractionalMove(l, n, s / 2);
        fractionalMove(r, n, -s / 2);
        if (!rl)
            for (int i = 0; i < n; ++i) {
                const long double rv = rTmp[static_cast<std::size_t>(i)], lv = lTmp[static_cast<std::size_t>(i)];
                wi[i] = static_cast<float>((rv + lv) / 2);
                wv[i] = static_cast<float>((rv - lv) / 2);
            }
    }
    return {format("%.3f\t%.3f", s * scan.step, s), s};
}

} // namespace qm
