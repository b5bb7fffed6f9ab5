#pragma once
// Labels of the magnetic-field results on the plot.
#include "view/plot_frame.h"

#include <utility>
#include <vector>

namespace qm {

// For each (point index, field in gauss) strictly between viewBegin + 20 and
// viewEnd - 20: "%dG" with the field truncated to tens, centred at the
// point, h + 5 pixels above its Worksheet V(L) value when that is positive,
// else 5 pixels below it, kept between top + 3 and bottom - h - 2.
void drawMagFieldLabels(const PlotFrame& f, const ScanRecord& s, const std::vector<std::pair<int, float>>& table,
                        const AxisRange& axisV);

} // namespace qm
