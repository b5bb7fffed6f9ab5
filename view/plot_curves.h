#pragma once
// Curves of the plot: one array over the shown range, and the selected
// arrays of a scan with their pens.
#include "view/plot_frame.h"

#include <vector>

namespace qm {

// Turns arrays into the points of their curves on a frame: the points from
// viewBegin to viewEnd (both included, limited to the array). Points sharing
// a pixel column are drawn by their envelope: the column's first point, its
// lowest and highest (in the order they come) and its last, which covers the
// pixels a line through every point covers at a fraction of the points.
// Points the line does not need are left out: repeats, and the middle of
// three on one row.
// Non-finite samples are skipped.
//
// One tracer serves the curves of a picture: the pixel columns are worked
// out once per frame and array length, and the point buffer is reused.
class CurveTracer {
public:
    // The points of one curve, valid until the next call.
    const std::vector<Point>& trace(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis);
    // Draws them with the current pen (nothing for fewer than two).
    void draw(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis);

private:
    struct Columns {
        int left = 0, right = 0, viewBegin = 0, viewEnd = 0, nPoints = -1;
        bool operator==(const Columns&) const = default;
    };
    void layColumns(const PlotFrame& f, int nPoints);

    Columns laid_;
    std::vector<int> starts_; // first point of each column, then one past the last
    std::vector<int> xs_;     // pixel x of each column
    std::vector<Point> buffer_; // room for the points of any curve on the frame
    std::vector<Point> pts_;
};

// The points of one curve, traced on their own.
std::vector<Point> curvePoints(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis);

// Draws one curve with the current pen (nothing for fewer than two points).
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
