#pragma once
// The frame one picture is painted into (the plot frame or one cell of the
// array view), the conversions from point indices and values to pixels, and
// the pens of the current output (screen: thinnest lines; page: the page
// pen thickness; colours or black).
#include "app/plot_geometry.h"
#include "app/settings.h"
#include "view/canvas.h"
#include "view/y_range.h"

#include <algorithm>
#include <cmath>

namespace qm {

// Truncates toward zero after clamping to the range every output device
// takes (page coordinates are 16-bit), so wild values cannot overflow.
inline int toPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -32767.0, 32767.0));
}

struct PlotFrame {
    Canvas* canvas = nullptr;
    const Settings* settings = nullptr;
    int left = 0, top = 0, right = 0, bottom = 0;
    int viewBegin = 0, viewEnd = 0;
    int h = 0, w = 0;     // text height and character width of the plot font
    int penWidth = 0;     // 0 on screen, the pen thickness on pages
    bool colour = true;   // colour drawing
    double offset = 0;    // vertical offset of the stacked group view

    Canvas& c() const { return *canvas; }
    Rect rect() const { return {left, top, right, bottom}; }
    // (right - left)/(viewEnd - viewBegin); 0 when the shown range is empty.
    double pixelsPerPoint() const;
    // left + trunc((i - viewBegin)*pixelsPerPoint)
    int x(double i) const;
    // bottom - trunc((v + offset - min)/range*(bottom - top - 10)): the top
    // 10 pixels of the frame stay free.
    int y(double v, const AxisRange& axis) const;
    Pen pen(Colour c, PenStyle s = PenStyle::Solid) const { return {c, s, penWidth}; }
    // A configured colour, or black without colour drawing.
    Colour colourOf(ColourIndex i) const;
    // Writes the frame, the shown range, the font size and the pen width into
    // a geometry (its axis ranges and grid fields are left as they are).
    void describe(PlotGeometry& g) const;
    // The frame shrunk by d pixels on every side.
    Rect inset(int d) const { return {left + d, top + d, right - d, bottom - d}; }
};

} // namespace qm
