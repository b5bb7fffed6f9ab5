#pragma once
// The plot: the active scan with its frame, labels, curves and overlays, or
// the group view. The same painting serves the screen and printed or
// exported pages; every paint records the geometry in wb.geometry.
#include "view/canvas.h"
#include "view/plot_frame.h"

#include <string>

namespace qm {

class Workbench;

struct PlotLayout {
    int toolBarHeight = 32;   // bars around the plot area inside the canvas;
    int statusBarHeight = 20; // the Qt widget passes 0 for all three, its
    int dataListWidth = 80;   // canvas being the area between the bars
    int forcedFontHeight = 0; // page output: h forced, w = 2h/5
    int penThickness = 0;     // page output: width of every pen
    bool pageOutput = false;
};

// Height of the plot font on screen.
inline constexpr int kPlotFontHeight = 14;

// Paints the plot onto the canvas: white background, then the single plot
// or the group view. Nothing else is drawn without an active scan.
void paintPlot(Workbench& wb, Canvas& c, const PlotLayout& layout);

// ---- pieces shared by the single plot and the group views ---------------

// Selects the plot font and returns a frame carrying the canvas, the text
// height h and character width w (forced height: w = 2h/5; else measured),
// the pen width and the colour flag; its rectangle is still empty.
PlotFrame plotBase(Workbench& wb, Canvas& c, const PlotLayout& layout);
// The frame of the single plot and the overlaid/stacked views: 17w from the
// left and from the data list, h + w below the tool bar and above the
// status bar.
Rect plotFrameRect(const PlotFrame& base, const PlotLayout& layout);
// The main title unless automatic, else the group title with a group view
// on, else the scan's own title.
std::string plotTitle(const Workbench& wb, const ScanRecord& s);
// Stores frame, pixels per point, shown range, axis ranges and font metrics.
void recordGeometry(Workbench& wb, const PlotFrame& f, const AxisRanges& r);

} // namespace qm
