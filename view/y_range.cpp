#include "view/y_range.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace qm {

namespace {

// Extremes start from these, so a selection without points still gives a
// finite range that the minimum range then centres on 0.
constexpr double kStartMax = -100000, kStartMin = 100000;

float toFloat(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<float>(std::clamp(v, double(-FLT_MAX), double(FLT_MAX)));
}

void extremes(const float* a, int from, int to, double& lo, double& hi)
{
    if (!a)
        return;
    for (int i = from; i < to; ++i) {
        const float x = a[i];
        if (!std::isfinite(x))
            continue;
        if (x > hi)
            hi = x;
        if (x < lo)
            lo = x;
    }
}

} // namespace

double AxisRange::span() const
{
    const double s = double(max) - double(min);
    return s != 0 && std::isfinite(s) ? s : 1;
}

AxisRange roundOutward(double min, double max)
{
    const double range = max - min;
    const double step = range <= 1000 ? 10 : range <= 10000 ? 100 : 1000;
    return {toFloat((std::trunc(min / step) - 1) * step), toFloat((std::trunc(max / step) + 1) * step)};
}

void widenToMinimum(double& min, double& max, double minimum)
{
    const double m = std::isfinite(minimum) ? std::fabs(minimum) : 0;
    if (max - min < m) {
        const double sum = max + min;
        max = (sum + m) / 2;
        min = (sum - m) / 2;
    }
}

AxisRanges scanRanges(const ScanRecord& s, int viewBegin, int viewEnd, const ArraySelection& sel,
                      float minRangeI, float minRangeV, bool equalScale)
{
    const int from = std::max(viewBegin, 0);
    const int to = std::min(viewEnd, int(s.nPoints));
    double loI = kStartMin, hiI = kStartMax, loV = kStartMin, hiV = kStartMax;
    if (sel.dataI)
        extremes(s.dataI(), from, to, loI, hiI);
    if (sel.wrkI)
        extremes(s.wrkI(), from, to, loI, hiI);
    if (sel.dataV)
        extremes(s.dataV(), from, to, loV, hiV);
    if (sel.wrkV)
        extremes(s.wrkV(), from, to, loV, hiV);
    if (equalScale) {
        hiI = hiV = std::max(hiI, hiV);
        loI = loV = std::min(loI, loV);
    }
    widenToMinimum(loI, hiI, minRangeI);
    widenToMinimum(loV, hiV, minRangeV);
    return {roundOutward(loI, hiI), roundOutward(loV, hiV)};
}

} // namespace qm
