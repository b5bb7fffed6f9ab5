#include "view/mag_field_labels.h"

#include "app/text_format.h"

#include <algorithm>
#include <cmath>

namespace qm {

void drawMagFieldLabels(const PlotFrame& f, const ScanRecord& s, const std::vector<std::pair<int, float>>& table,
                        const AxisRange& axisV)
{
    const float* v = s.wrkV();
    if (!v)
        return;
    Canvas& c = f.c();
    c.setTextColour(kBlack);
    for (const auto& [i, gauss] : table) {
        if (i <= f.viewBegin + 20 || i >= f.viewEnd - 20 || i < 0 || i >= s.nPoints)
            continue;
        if (!std::isfinite(gauss) || !std::isfinite(v[i]))
            continue;
        const double tens = std::clamp(std::trunc(gauss / 10.0), -2e8, 2e8);
        const int y0 = f.y(v[i], axisV);
        int y = v[i] > 0 ? y0 - f.h - 5 : y0 + 5;
        y = std::max(y, f.top + 3);
        y = std::min(y, f.bottom - f.h - 2);
        c.text(f.x(i), y, format("%dG", int(tens) * 10), HAlign::Center);
    }
}

} // namespace qm
