#pragma once
// The Gaussian components of a scan's table drawn over its curves, and the
// residual (worksheet minus every component).
#include "view/plot_frame.h"

namespace qm {

// Channel of the scan's Gaussian table (1 or 2), 0 when it has none.
int gaussChannel(const ScanRecord& s);

// Components of the table on the axis of their channel (skipped when no
// array of that channel is selected): each profile A*exp(-ln2*(j-f)^2/s^2)
// over the points where it is above 1/1000 of its peak, standing on its
// level y0 when that lies inside the axis range, else on the mean of the
// worksheet at the two ends of the shown range (channel 1) or on 0
// (channel 2). The current component is solid "rgbSunD", the others dotted
// "rgbGauss". With `residual` the worksheet minus all components (kept at
// or above the axis minimum) is drawn as a curve with the worksheet's pen.
void drawGaussians(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                   bool residual);

} // namespace qm
