#include "view/gauss_overlay.h"

#include "view/plot_curves.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace qm {

namespace {

constexpr double kLn2 = 0.693147;
// Half-widths to where a profile falls to 1/1000: sqrt(log2(1000)).
const double kReach = std::sqrt(std::log2(1000.0));

} // namespace

int gaussChannel(const ScanRecord& s)
{
    if (s.gauss.size() < 3)
        return 0;
    return s.gauss[1] == 1 ? 1 : 2;
}

void drawGaussians(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                   bool residual)
{
    const std::vector<float>& g = s.gauss;
    const int channel = gaussChannel(s);
    if (channel == 0 || !std::isfinite(g[0]) || !std::isfinite(g[2]) || s.nPoints <= 0)
        return;
    const bool channel1 = channel == 1;
    if (channel1 ? !sel.channel1() : !sel.channel2())
        return;
    const float* wrk = channel1 ? s.wrkI() : s.wrkV();
    if (!wrk)
        return;
    const int n = s.nPoints;
    const AxisRange& axis = channel1 ? r.i : r.v;
    const double count = std::clamp(std::trunc(double(g[0])), 0.0, double((g.size() - 3) / 4));
    const double current = std::trunc(double(g[2]));
    std::vector<float> work(wrk, wrk + n);
    const int first = std::clamp(f.viewBegin, 0, n - 1);
    const int last = std::clamp(f.viewEnd, 0, n - 1);
    const double ends = (double(wrk[first]) + wrk[last]) / 2;
    Canvas& c = f.c();

    for (int k = 0; k < int(count); ++k) {
        const double amp = g[3 + 4 * k], width = g[4 + 4 * k], pos = g[5 + 4 * k], level = g[6 + 4 * k];
        const double width2 = width * width;
        if (!std::isfinite(amp) || !std::isfinite(pos) || !std::isfinite(level) || !(width2 > 0) ||
            !std::isfinite(width2))
            continue;
        const double ip = std::trunc(pos), frac = pos - ip;
        const double reach = std::trunc(kReach * std::fabs(width)) + 1;
        const double from = std::max(ip - reach, 0.0), to = std::min(ip + reach, double(n - 1));
        if (from > to)
            continue;
        const double base = level != 0 && level >= axis.min && level <= axis.max ? level
                            : channel1                                       ? ends
                                                                             : 0.0;
        std::vector<Point> pts;
        for (int i = int(from); i <= int(to); ++i) {
            const double d = i - ip - frac;
            const double v = amp * std::exp(-kLn2 * d * d / width2);
            work[i] = float(std::clamp(double(work[i]) - v, double(axis.min), double(FLT_MAX)));
            if (i >= f.viewBegin && i <= f.viewEnd)
                pts.push_back({f.x(i), f.y(v + base, axis)});
        }
        const bool isCurrent = k + 1 == current;
        c.setPen(isCurrent ? f.pen(f.colourOf(kRgbSunD)) : f.pen(f.colourOf(kRgbGauss), PenStyle::Dot));
        if (pts.size() >= 2)
            c.polyline(pts);
    }
    if (residual) {
        c.setPen(f.pen(f.colourOf(channel1 ? kRgbWorkI : kRgbWorkV), PenStyle::Dot));
        drawCurve(f, work.data(), n, axis);
    }
}

} // namespace qm
