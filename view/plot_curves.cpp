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
    // x(i) written out here: the point index is at or right of viewBegin,
    // so truncation is the floor, and a frame lies well inside the pixel
    // range toPixel() clamps to.
    const double ppp = f.pixelsPerPoint();
    const auto xOf = [&](int i) { return f.left + static_cast<int>((i - f.viewBegin) * ppp); };
    // y(v) likewise, with the axis span taken once.
    const double span = axis.span(), height = f.bottom - f.top - 10;
    const auto add = [&](int x, int i) {
        const Point p{x, f.bottom - toPixel((double(a[i]) + f.offset - axis.min) / span * height)};
        if (pts.empty() || !(pts.back() == p))
            pts.push_back(p);
    };
    if (last < first)
        return pts;
    pts.reserve(std::size_t(std::min(last - first + 1, 4 * std::max(f.right - f.left + 2, 1))));
    for (int i = first; i <= last;) {
        // One pixel column: its points run from i to `end`, found from the
        // column width and settled with x(i) itself so that every point lands
        // in the column x(i) gives it.
        const int x = xOf(i);
        int end = last + 1;
        if (ppp > 0)
            end = std::clamp(static_cast<int>(std::ceil((x + 1 - f.left) / ppp)) + f.viewBegin, i + 1, last + 1);
        while (end > i + 1 && xOf(end - 1) != x)
            --end;
        while (end <= last && xOf(end) == x)
            ++end;
        // Its first and last finite points and, between them in the order
        // they come, its lowest and highest. The extremes are found without
        // branches (noisy data would defeat the predictor), their places by
        // a second look at the few points of the column.
        const auto finite = [&](int k) { return a[k] - a[k] == 0.0f; }; // neither infinite nor NaN
        int head = i;
        while (head < end && !finite(head))
            ++head;
        if (head == end) {
            i = end;
            continue;
        }
        int tail = end - 1;
        while (!finite(tail))
            --tail;
        float low = a[head], high = low;
        for (int k = head + 1; k < tail; ++k) {
            const float v = a[k];
            const bool ok = v - v == 0.0f;
            low = std::min(low, ok ? v : low);
            high = std::max(high, ok ? v : high);
        }
        low = std::min(low, a[tail]);
        high = std::max(high, a[tail]);
        int lo = head;
        while (a[lo] != low)
            ++lo;
        int hi = head;
        while (a[hi] != high)
            ++hi;
        i = end;
        const int inner[2] = {std::min(lo, hi), std::max(lo, hi)};
        add(x, head);
        for (int k : inner)
            if (k != head && k != tail)
                add(x, k);
        if (tail != head)
            add(x, tail);
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
