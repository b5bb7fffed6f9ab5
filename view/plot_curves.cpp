#include "view/plot_curves.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::vector<Point> curvePoints(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    std::vector<Point> pts;
    if (!a)
        return pts;
    const int first = std::max(f.viewBegin, 0);
    const int last = std::min(f.viewEnd, nPoints - 1);
    int lastX = 0;
    for (int i = first; i <= last; ++i) {
        if (!std::isfinite(a[i]))
            continue;
        const int x = f.x(i);
        if (!pts.empty() && x < lastX + 1)
            continue;
        pts.push_back({x, f.y(a[i], axis)});
        lastX = x;
    }
    return pts;
}

void drawCurve(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    const auto pts = curvePoints(f, a, nPoints, axis);
    if (pts.size() >= 2)
        f.c().polyline(pts);
}

void drawScanCurves(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                    CurveOrder order)
{
    struct Curve {
        bool on;
        const float* a;
        ColourIndex colour;
        PenStyle style;
        const AxisRange* axis;
    };
    const Curve dataI{sel.dataI, s.dataI(), kRgbDataI, PenStyle::Solid, &r.i};
    const Curve dataV{sel.dataV, s.dataV(), kRgbDataV, PenStyle::Solid, &r.v};
    const Curve wrkI{sel.wrkI, s.wrkI(), kRgbWorkI, PenStyle::Dot, &r.i};
    const Curve wrkV{sel.wrkV, s.wrkV(), kRgbWorkV, PenStyle::Dot, &r.v};
    const Curve byData[] = {dataI, dataV, wrkI, wrkV};
    const Curve byChannel[] = {dataI, wrkI, dataV, wrkV};
    for (const Curve& c : order == CurveOrder::DataFirst ? byData : byChannel) {
        if (!c.on || !c.a)
            continue;
        f.c().setPen(f.pen(f.colourOf(c.colour), c.style));
        drawCurve(f, c.a, s.nPoints, *c.axis);
    }
}

} // namespace qm
