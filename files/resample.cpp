#include "files/resample.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

bool usable(const SampleGrid& g)
{
    return std::isfinite(g.centre) && std::isfinite(g.spacing) && g.spacing > 0 && g.points > 0 &&
           std::fabs(g.centre) < 1e9;
}

} // namespace

void resampleOutward(const float* src, const SampleGrid& from, float* dst, const SampleGrid& to)
{
    if (!src || !dst || !usable(from) || !usable(to))
        return;
    const double cs = from.centre, ds = from.spacing, ct = to.centre, dt = to.spacing;
    const long ns = from.points, nt = to.points;
    const long start = static_cast<long>(std::trunc(ct));
    const long origin = static_cast<long>(std::trunc(cs));

    // Right of the centre: the first source point at or beyond the target
    // point's distance, and the value on the line through it and the point
    // before it. The walk ends when the source runs out.
    // Starting the walks inside the source changes no result and bounds them.
    long i = std::max(origin, 0L);
    for (long j = start < 0 ? 0 : start; j < nt; ++j) {
        const double x = (double(j) - ct) * dt;
        while (i < ns && (double(i) - cs) * ds < x)
            ++i;
        if (i >= ns)
            break;
        if (i < 1)
            continue;
        const double e = x - (double(i) - cs) * ds;
        dst[j] = static_cast<float>(src[i] + (double(src[i]) - src[i - 1]) * e / ds);
    }

    // Left of the centre, down to point 0: the last source point not beyond
    // the target point's distance (point 0 at most), and the line through it
    // and the point after it.
    i = std::min(origin, ns - 1);
    for (long j = start < nt ? start : nt - 1; j >= 0; --j) {
        const double x = (ct - double(j)) * dt;
        while (x - (cs - double(i)) * ds > 0 && i >= 1)
            --i;
        if (i < 0 || i + 1 >= ns)
            continue;
        const double e = x - (cs - double(i)) * ds;
        dst[j] = static_cast<float>(src[i] + (double(src[i]) - src[i + 1]) * e / ds);
    }
}

} // namespace qm
