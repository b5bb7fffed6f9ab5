#include "view/pick_marks.h"

#include "app/workbench.h"

#include <algorithm>
#include <cmath>

namespace qm {

void drawPickMarks(const PlotFrame& base, const PlotGeometry& g, const PickedPoints& picked)
{
    const std::size_t n = std::min(picked.x.size(), picked.y.size());
    if (n == 0 || !g.valid)
        return;
    const double lo = picked.channel == 1 ? g.minI : g.minV, hi = picked.channel == 1 ? g.maxI : g.maxV;
    const int height = g.bottom - g.top - 10;
    // The inverse of the click conversion, rounded so that a mark lands on
    // the pixel that was clicked.
    auto toX = [&](double point) { return g.left + toPixel(std::round((point - g.viewBegin) * g.pixelsPerPoint)); };
    auto toY = [&](double value) {
        return hi > lo ? g.bottom - toPixel(std::round((value - lo) / (hi - lo) * height)) : g.bottom;
    };
    Canvas& c = base.c();
    c.setClip({g.left, g.top, g.right, g.bottom});
    c.setPen(base.pen(kBlack));
    c.setBrush({kWhite, true});
    constexpr int dx = kPickMarkHalfWidth, dy = kPickMarkHalfHeight;
    if (picked.positionsOnly) { // positions only: a line over the plot height
        for (std::size_t k = 0; k < n; ++k) {
            c.moveTo(toX(picked.x[k]), g.top);
            c.lineTo(toX(picked.x[k]), g.bottom);
        }
        c.clearClip();
        return;
    }
    for (std::size_t k = 0; k < n; ++k) {
        const int x = toX(picked.x[k]), y = toY(picked.y[k]);
        c.ellipse({x - dx, y - dy, x + dx, y + dy});
        c.moveTo(x - dx, y);
        c.lineTo(x + dx, y);
        c.moveTo(x, y - dy);
        c.lineTo(x, y + dy);
    }
    c.clearClip();
}

} // namespace qm
