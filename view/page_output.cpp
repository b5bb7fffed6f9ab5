#include "view/page_output.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "view/plot_painter.h"

#include <algorithm>

namespace qm {

int pageFontHeight(int width) { return std::clamp(width / 40, 14, 30); }

std::string pageSizeError(int width, int height)
{
    if (width >= kMinPageSide && width <= kMaxPageSide && height >= kMinPageSide && height <= kMaxPageSide)
        return {};
    return format("Page size %dx%d is out of range (%d..%d pixels)", width, height, kMinPageSide, kMaxPageSide);
}

int clampThickness(int thickness, int maximum) { return std::clamp(thickness, 0, maximum); }

void paintPage(Workbench& wb, Canvas& c, int thickness, int fontHeight)
{
    // The mouse logic of the screen reads the geometry of the last paint.
    const PlotGeometry screen = wb.geometry;
    PlotLayout layout;
    layout.toolBarHeight = 0;
    layout.statusBarHeight = 0;
    layout.dataListWidth = 0;
    layout.forcedFontHeight = fontHeight;
    layout.penThickness = thickness;
    layout.pageOutput = true;
    paintPlot(wb, c, layout);
    wb.geometry = screen;
}

} // namespace qm
