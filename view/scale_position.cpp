#include "view/scale_position.h"

#include "app/command_table.h"
#include "app/workbench.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Real to integer, truncating toward zero, for values that may be huge or
// not numbers at all (typed by the user).
int truncPoints(double v)
{
    if (!(v == v))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(v, -1.0e9, 1.0e9)));
}

// "Choice Scale" (147): opens the dialog, or closes it when it is open. A
// modeless dialog has no place in a batch run.
void toggleScalePosition(Workbench& wb)
{
    if (wb.view.scalePosition) {
        closeScalePosition(wb);
        return;
    }
    if (!wb.interactiveMode)
        return;
    wb.view.scalePosition = true;
    wb.setChecked(147, true);
    wb.ui().showScalePosition(true);
    wb.ui().stateChanged();
}

} // namespace

ScalePosition ScalePosition::open(const Workbench& wb)
{
    ScalePosition sp;
    if (const ScanRecord* s = wb.activeScan) {
        sp.nPoints = s->nPoints;
        sp.centerPoint = s->centerPoint;
        sp.step = s->step;
        sp.radius = s->radius;
        sp.begin = wb.viewBegin;
        sp.width = wb.viewEnd - wb.viewBegin;
    }
    return sp;
}

double ScalePosition::unitFactor(ScaleUnit u) const
{
    double f = 1;
    if (u == ScaleUnit::ArcSeconds)
        f = step;
    else if (u == ScaleUnit::SolarRadius)
        f = radius != 0 ? step / radius : 0;
    return std::isfinite(f) ? f : 0;
}

double ScalePosition::increment() const
{
    switch (unit) {
    case ScaleUnit::Points: return 1;
    case ScaleUnit::ArcSeconds: return step;
    case ScaleUnit::SolarRadius: return 0.01;
    }
    return 1;
}

bool ScalePosition::setUnit(ScaleUnit u)
{
    const double to = unitFactor(u), from = unitFactor();
    if (to == 0 || from == 0)
        return false;
    begin = begin / from * to;
    width = width / from * to;
    unit = u;
    return true;
}

void ScalePosition::setReference(ScaleReference r)
{
    const double u = unitFactor();
    // Through the scan begin: the position of the range's first point.
    double p = begin;
    if (reference == ScaleReference::Center)
        p = begin + centerPoint * u;
    else if (reference == ScaleReference::End)
        p = nPoints * u - width - begin;
    if (r == ScaleReference::Begin)
        begin = p;
    else if (r == ScaleReference::Center)
        begin = p - centerPoint * u;
    else
        begin = nPoints * u - width - p;
    reference = r;
}

std::pair<double, double> ScalePosition::wholeScan() const
{
    const double u = unitFactor();
    switch (reference) {
    case ScaleReference::Begin: return {0.0, nPoints * u};
    case ScaleReference::Center: return {-centerPoint * u, (nPoints - centerPoint) * u};
    case ScaleReference::End: return {nPoints * u, 0.0};
    }
    return {0.0, 0.0};
}

std::pair<int, int> ScalePosition::shownRange() const
{
    double u = unitFactor();
    if (u == 0)
        u = 1;
    double p = begin;
    if (reference == ScaleReference::Center)
        p = centerPoint * u + begin;
    else if (reference == ScaleReference::End)
        p = nPoints * u - begin - width;
    int b = truncPoints(p / u);
    int e = truncPoints((p + width) / u);
    b = std::max(b, 1);
    e = std::max(e, 15);
    e = std::min(e, nPoints - 2);
    b = std::min(b, e - 2);
    return {b, e};
}

void setShownRange(Workbench& wb, int begin, int end)
{
    const int last = wb.activeScan ? std::max(0, wb.activeScan->nPoints - 1) : 0;
    wb.viewEnd = std::clamp(end, 0, last);
    wb.viewBegin = std::clamp(begin, 0, wb.viewEnd);
}

void applyScalePosition(Workbench& wb, const ScalePosition& sp)
{
    if (!wb.setLoaded || !wb.activeScan)
        return;
    const auto [b, e] = sp.shownRange();
    setShownRange(wb, b, e);
    wb.dispatch(5555);
}

void closeScalePosition(Workbench& wb)
{
    wb.view.scalePosition = false;
    wb.setChecked(147, false);
    wb.ui().showScalePosition(false);
    wb.ui().stateChanged();
    wb.redraw();
}

void registerScalePositionCommands(CommandTable& t)
{
    t.handle(147, toggleScalePosition);
}

} // namespace qm
