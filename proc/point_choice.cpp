#include "proc/point_choice.h"

#include "app/busy_cursor.h"
#include "app/workbench.h"

#include <cmath>

namespace qm {

namespace {

void applyAtPoint(Workbench& wb, const PointMethod& m, int p)
{
    const ScanRecord* active = wb.activeScan;
    if (m.distanceQuestion && active && active->radius != 0) {
        const double r = std::fabs((double(active->centerPoint) - p) * active->step / active->radius);
        if (r > 0.8 && wb.message("Selected point to be further than\n0.8 radiuses from center of the sun",
                                  "Information", MsgButtons::OkCancel) == kCancel)
            return;
    }
    const BusyCursor busy(wb.ui());
    for (ScanRecord* scan : wb.targets())
        m.apply(wb, *scan, p);
    wb.redraw();
}

} // namespace

int quietSunPoint(const ScanRecord& scan)
{
    const float* x = scan.wrkI();
    const int n = scan.nPoints;
    if (!x || !(scan.step > 0) || !std::isfinite(scan.radius) || !std::isfinite(scan.centerPoint))
        return -1;
    const double r = std::trunc(0.8 * scan.radius / scan.step);
    const double s = std::max(0.0, std::trunc(double(scan.centerPoint) - r));
    const double end = std::min(s + 2 * r, double(n) - 2);
    if (!(r > 0) || !(end > s))
        return -1;
    int p = static_cast<int>(s);
    for (int i = p + 1; i < static_cast<int>(end); ++i)
        if (x[i] < x[p])
            p = i;
    return p;
}

int clickedPoint(const Workbench& wb, int x, int y)
{
    const PlotGeometry& g = wb.geometry;
    if (!g.valid || !g.inFrame(x, y) || !(g.pixelsPerPoint > 0))
        return -1;
    return g.viewBegin + static_cast<int>(std::trunc((x - g.left) / g.pixelsPerPoint));
}

void endChoice(Workbench& wb)
{
    wb.interaction = InteractionMode::None;
    wb.plotDoubleClickHook = nullptr;
    wb.ui().setTitle("Quillmar");
    wb.ui().stateChanged();
}

void startPointMethod(Workbench& wb, const PointMethod& m)
{
    if (!wb.interactiveMode) {
        if (!wb.chkWrkI || !wb.activeScan)
            return;
        const int p = quietSunPoint(*wb.activeScan);
        if (p < 0) {
            wb.fail("No quiet-Sun point on the scan");
            return;
        }
        applyAtPoint(wb, m, p);
        return;
    }
    if (!wb.requireWorksheetSelected())
        return;
    wb.interaction = InteractionMode::AmplifCorrection;
    wb.ui().setTitle(m.title);
    wb.plotDoubleClickHook = [m](Workbench& w, int x, int y) {
        if (w.interaction != InteractionMode::AmplifCorrection)
            return;
        const int p = clickedPoint(w, x, y);
        if (p < 0)
            return;
        const PointMethod method = m; // ending the choice releases this handler
        endChoice(w);
        applyAtPoint(w, method, p);
    };
    wb.ui().stateChanged();
}

void startLevelChoice(Workbench& wb, std::function<void(Workbench&, double level)> done)
{
    wb.interaction = InteractionMode::Calibration;
    wb.ui().setTitle("Quillmar: Choice of the level quiet Sun");
    wb.plotDoubleClickHook = [done](Workbench& w, int x, int y) {
        if (w.interaction != InteractionMode::Calibration || !w.geometry.valid || !w.geometry.inFrame(x, y))
            return;
        const auto finish = done; // ending the choice releases this handler
        const double level = w.geometry.valueI(y);
        endChoice(w);
        finish(w, level);
    };
    wb.ui().stateChanged();
}

} // namespace qm
