#pragma once
// Curves of the plot: one array over the shown range, and the selected
// arrays of a scan with their pens.
#include "view/plot_frame.h"

#include <vector>

namespace qm {

// Points of one array from viewBegin to viewEnd (both included, limited to
// the array) on an axis. Points sharing a pixel column are drawn by their
// envelope: the column's first point, its lowest and highest (in the order
// they come) and its last, which covers the pixels a line through every
// point covers at a fraction of the points. Non-finite samples are skipped.
std::vector<Point> curvePoints(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis);

// Draws curvePoints with the current pen (nothing for fewer than two).
void drawCurve(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis);

enum class CurveOrder {
    DataFirst,   // Data I(R), Data V(L), Worksheet I(R), Worksheet V(L): the single plot
    ChannelFirst // Data I(R), Worksheet I(R), Data V(L), Worksheet V(L): the array view cells
};

// The selected arrays the scan has: Data solid, Worksheet dotted, in their
// configured colours (or black). Channel-1 arrays on the I axis, channel-2
// arrays on the V axis.
void drawScanCurves(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                    CurveOrder order);

} // namespace qm
