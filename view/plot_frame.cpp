#include "view/plot_frame.h"

#include <algorithm>
#include <cmath>

namespace qm {

double PlotFrame::pixelsPerPoint() const
{
    const int n = viewEnd - viewBegin;
    return n > 0 ? double(right - left) / n : 0;
}

int PlotFrame::x(double i) const { return left + toPixel((i - viewBegin) * pixelsPerPoint()); }

int PlotFrame::y(double v, const AxisRange& axis) const
{
    return bottom - toPixel((v + offset - axis.min) / axis.span() * (bottom - top - 10));
}

Colour PlotFrame::colourOf(ColourIndex i) const { return colour && settings ? settings->colours[i] : kBlack; }

void PlotFrame::describe(PlotGeometry& g) const
{
    g.left = left;
    g.right = right;
    g.top = top;
    g.bottom = bottom;
    g.pixelsPerPoint = pixelsPerPoint();
    g.viewBegin = viewBegin;
    g.viewEnd = viewEnd;
    g.textHeight = h;
    g.charWidth = w;
    g.penWidth = penWidth;
    g.valid = true;
}

} // namespace qm
