#include "view/full_scan_view.h"

#include "app/command_table.h"
#include "app/workbench.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// One worksheet over all n points, scaled to its own finite extremes (range
// 1 when flat); a line is drawn to a point only once it is a pixel column
// right of the last point drawn. Non-finite samples are left out.
void paintWorksheet(Canvas& canvas, const float* v, int n, int width, int height)
{
    double lo = 0, hi = 0;
    bool any = false;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i]))
            continue;
        if (!any || v[i] < lo)
            lo = v[i];
        if (!any || v[i] > hi)
            hi = v[i];
        any = true;
    }
    if (!any)
        return;
    const double range = hi == lo ? 1.0 : hi - lo;
    auto y = [&](float value) { return height - static_cast<int>(std::trunc((value - lo) / range * (height - 10))) - 5; };
    auto x = [&](int i) { return static_cast<int>(std::trunc(double(i) * width / n)); };
    bool started = false;
    int lastX = 0;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i]))
            continue;
        const int xi = x(i);
        if (!started) {
            canvas.moveTo(xi, y(v[i]));
            started = true;
            lastX = xi;
        } else if (xi >= lastX + 1) {
            canvas.lineTo(xi, y(v[i]));
            lastX = xi;
        }
    }
}

} // namespace

FullScanState fullScanState(const Workbench& wb)
{
    FullScanState s;
    s.scan = wb.activeScan;
    s.first = wb.viewBegin;
    s.last = wb.viewEnd;
    s.channel1 = wb.chkDataI || wb.chkWrkI;
    s.channel2 = wb.chkDataV || wb.chkWrkV;
    return s;
}

void paintFullScan(Canvas& canvas, const FullScanState& state, int width, int height)
{
    const ScanRecord* scan = state.scan;
    if (!scan || width <= 0 || height <= 0)
        return;
    const Pen black{kBlack, PenStyle::Solid, 0};
    canvas.fill(Rect{0, 0, width, height}, kWhite);
    const int n = scan->nPoints;
    if (n > 0) {
        // The shown range lies inside the scan; the clamp only keeps a stale
        // one from leaving the surface.
        const int x1 = static_cast<int>(std::trunc(double(std::clamp(state.first, 0, n)) * width / n));
        const int x2 = static_cast<int>(std::trunc(double(std::clamp(state.last, 0, n)) * width / n));
        canvas.setPen(Pen{kFullScanMarkPen, PenStyle::Solid, 0});
        if (x1 != x2) {
            canvas.setBrush(Brush{kFullScanMarkBrush, false});
            canvas.rectangle(Rect{x1, 0, x2, height});
        } else {
            canvas.moveTo(x2, 0);
            canvas.lineTo(x2, height);
        }
    }
    canvas.setPen(black);
    canvas.setBrush(Brush{kWhite, true});
    canvas.rectangle(Rect{0, 0, width, height});
    if (n <= 0)
        return;
    if (state.channel1 && scan->wrkI())
        paintWorksheet(canvas, scan->wrkI(), n, width, height);
    if (state.channel2 && scan->wrkV())
        paintWorksheet(canvas, scan->wrkV(), n, width, height);
}

// "Choice Path" (169): the overview follows the flag; the window is
// brought up to date by the redraw that showing it asks for.
void registerFullScanCommands(CommandTable& t)
{
    t.handle(169, [](Workbench& wb) {
        wb.view.fullScanWindow = !wb.view.fullScanWindow;
        wb.setChecked(169, wb.view.fullScanWindow);
        wb.ui().stateChanged();
        if (wb.view.fullScanWindow)
            wb.redraw();
    });
}

} // namespace qm
