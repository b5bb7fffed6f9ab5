#include "fitsimage/fits_normalise.h"

#include "app/text_format.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace qm {

namespace {

// The value a "New null points" run puts in: the new-level text as a number,
// else the data maximum when it mentions "max", else the minimum when it
// mentions "min"; nullopt when it is none of these.
std::optional<double> newLevelValue(const std::vector<double>& v, const std::string& text)
{
    double n = 0;
    if (scanDouble(text, n))
        return n;
    if (v.empty())
        return std::nullopt;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    if (text.find("max") != std::string::npos)
        return *hi;
    if (text.find("min") != std::string::npos)
        return *lo;
    return std::nullopt;
}

} // namespace

void normaliseFitsValues(std::vector<double>& v, const FitsOptions& o)
{
    const double lmin = o.minLevel, lmax = o.maxLevel, z = o.zeroLevel;
    switch (o.mode) {
    case kFitsNullPoints:
        for (double& x : v)
            if (x < lmin)
                x = z;
        break;
    case kFitsNewNullPoints:
        if (const auto n = newLevelValue(v, o.newLevel))
            for (double& x : v)
                if (static_cast<float>(x) == o.zeroLevel)
                    x = *n;
        break;
    case kFitsMaxLimit:
        for (double& x : v)
            if (x > lmax)
                x = lmax;
        break;
    case kFitsMinLimit:
        for (double& x : v)
            if (x < lmin)
                x = lmin;
        break;
    case kFitsMinMaxLimit:
        for (double& x : v)
            x = x < lmin ? lmin : x > lmax ? lmax : x;
        break;
    case kFitsAbsMinMax: {
        const double a = std::fabs(lmin), b = std::fabs(lmax);
        if (!(a < b))
            break;
        const double limit = b - a;
        for (double& x : v) {
            if (std::fabs(x) < a)
                x = 0;
            else if (x < -a)
                x += a;
            else if (x > a)
                x -= a;
            x = std::clamp(x, -limit, limit);
        }
        break;
    }
    case kFitsNormalization: {
        if (v.empty())
            return;
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        const double m = *lo, M = *hi;
        if (!(M > 0 && m < 0))
            return; // nothing to do, and no negation either
        for (double& x : v)
            x = x > 0 ? x / M : x < 0 ? x / -m : x;
        break;
    }
    case kFitsLogScale:
        for (double& x : v)
            x = x > 1 ? std::log(x) : x < -1 ? -std::log(-x) : 0;
        break;
    case kFitsPowerScale:
        for (double& x : v)
            x = x > 0 ? std::sqrt(std::sqrt(x)) : x < 0 ? -std::sqrt(std::sqrt(-x)) : 0; // fourth root
        break;
    default:
        break;
    }
    if (o.inversion)
        for (double& x : v)
            x = -x;
}

} // namespace qm
