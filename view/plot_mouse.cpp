#include "view/plot_mouse.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "view/scale_position.h"
#include "view/y_range.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qm {

namespace {

constexpr int kMinDrag = 10;   // pixels a right-drag must span to zoom
constexpr int kMaxGridSide = 4; // the array view has at most this many rows and columns

bool mouseActive(const Workbench& wb) { return wb.setLoaded && wb.activeScan != nullptr; }

// Point index under pixel column x, relative to the current begin, with
// the real-to-integer conversion kept defined for any geometry.
int pointOffset(double pixels, double pixelsPerPoint)
{
    const double p = pixels / pixelsPerPoint;
    return static_cast<int>(std::trunc(std::clamp(p, -1.0e9, 1.0e9)));
}

// In the array view the geometry describes the first cell. A click in
// another cell is moved into the first by whole cells, and the value axes
// become those of the scan drawn in the clicked cell.
PlotGeometry clickedCell(const Workbench& wb, int& x, int& y, const ScanRecord*& scan)
{
    PlotGeometry g = wb.geometry;
    if (wb.groupMode != 1 || g.gridColumns <= 0 || g.gridRows <= 0 || g.cellWidth <= 0 || g.cellHeight <= 0)
        return g;
    const int column = std::clamp((x - g.left) / g.cellWidth, 0, g.gridColumns - 1);
    const int row = std::clamp((y - g.gridTop) / g.cellHeight, 0, g.gridRows - 1);
    const int index = row * g.gridColumns + column;
    x -= column * g.cellWidth;
    y -= row * g.cellHeight;
    if (index >= wb.groupCount() || !wb.groupScans[std::size_t(index)])
        return g;
    scan = wb.groupScans[std::size_t(index)];
    const ArraySelection sel{wb.chkDataI && scan->dataI(), wb.chkWrkI && scan->wrkI(),
                             wb.chkDataV && scan->dataV(), wb.chkWrkV && scan->wrkV()};
    const AxisRanges r = scanRanges(*scan, g.viewBegin, g.viewEnd, sel, wb.settings.minYscaleI,
                                    wb.settings.minYscaleV, wb.view.equalScale);
    g.minI = r.i.min;
    g.maxI = r.i.max;
    g.minV = r.v.min;
    g.maxV = r.v.max;
    return g;
}

} // namespace

std::string plotReadout(const Workbench& wb, int x, int y)
{
    const ScanRecord* cellScan = wb.activeScan;
    const PlotGeometry g = clickedCell(wb, x, y, cellScan);
    const ScanRecord& s = *cellScan;
    const int span = wb.viewEnd - wb.viewBegin;
    const double f = g.right != g.left ? double(x - g.left) * span / (g.right - g.left) : 0.0;
    const int i = std::clamp(wb.viewBegin + pointOffset(f, 1.0), wb.viewBegin, wb.viewEnd);
    const double xSun = (wb.viewBegin - double(s.centerPoint) + f) * s.step;
    const double inRadii = s.radius != 0 ? xSun / s.radius : 0.0;
    const double ti = wb.chkDataI || wb.chkWrkI ? g.valueI(y) : 0.0;
    const double tv = wb.chkDataV || wb.chkWrkV ? g.valueV(y) : 0.0;
    return format("i=%d X_sun=%.1f\"(%.2f solar radius) Ti=%.1f K; Tv=%.1f K", i, xSun, inRadii, ti, tv);
}

bool PlotMouse::selectCell(Workbench& wb, int x, int y)
{
    const PlotGeometry& g = wb.geometry;
    if (wb.groupMode != 1 || g.gridColumns <= 0 || g.cellWidth <= 0 || g.cellHeight <= 0)
        return false;
    if (x < 0 || y < g.gridTop)
        return false;
    const int column = x / g.cellWidth, row = (y - g.gridTop) / g.cellHeight;
    const int index = row * g.gridColumns + column;
    if (column >= kMaxGridSide || row >= kMaxGridSide || column >= g.gridColumns || index >= wb.groupCount())
        return false;
    ScanRecord* chosen = wb.groupScans[static_cast<std::size_t>(index)];
    wb.setActive(chosen);
    wb.ui().setTitle("Quillmar : " + std::string(chosen->dateObs, strnlen(chosen->dateObs, sizeof chosen->dateObs)));
    wb.redraw();
    return true;
}

void PlotMouse::leftDown(Workbench& wb, int x, int y)
{
    if (!mouseActive(wb))
        return;
    selectCell(wb, x, y);
    if (wb.geometry.valid)
        wb.status(plotReadout(wb, x, y));
    if (wb.interaction == InteractionMode::GaussChoice && wb.view.localGraph && wb.clickSpectrumHook)
        wb.clickSpectrumHook(wb, x);
}

void PlotMouse::rightDown(Workbench& wb, int x, int y)
{
    if (!mouseActive(wb))
        return;
    rightDown_ = true;
    dragged_ = false;
    clickPending_ = true;
    startX_ = currentX_ = x;
    top_ = wb.geometry.top;
    bottom_ = wb.geometry.bottom;
    selectCell(wb, x, y);
}

void PlotMouse::move(Workbench& wb, int x, int, bool rightHeld)
{
    clickPending_ = false;
    if (!rightHeld || !rightDown_ || !mouseActive(wb))
        return;
    dragged_ = true;
    currentX_ = x;
    const double ppp = wb.geometry.pixelsPerPoint;
    const double delta = ppp > 0 ? std::abs(x - startX_) / ppp * wb.activeScan->step : 0.0;
    wb.status(format("Delta X=%.2f%c", delta, wb.settings.unitAxisX));
}

bool PlotMouse::rightUp(Workbench& wb, int x, int)
{
    const bool wasDown = rightDown_, click = clickPending_, dragged = dragged_;
    rightDown_ = dragged_ = clickPending_ = false;
    if (!wasDown || !mouseActive(wb))
        return false;
    if (click)
        return true;
    const PlotGeometry& g = wb.geometry;
    if (!dragged || std::abs(x - startX_) < kMinDrag || !(g.pixelsPerPoint > 0))
        return false;
    int x1 = startX_, x2 = x;
    if (x1 < g.left || x1 > g.right || x2 < g.left || x2 > g.right) {
        x1 = g.left;
        x2 = g.right;
    }
    int b = wb.viewBegin + pointOffset(x1 - g.left, g.pixelsPerPoint);
    int e = wb.viewBegin + pointOffset(x2 - g.left, g.pixelsPerPoint);
    if (b > e)
        std::swap(b, e);
    const int n = wb.activeScan->nPoints;
    if (b < 2)
        b = 2;
    if (b > n - 3)
        b = 3;
    if (e > n - 3)
        e = n - 3;
    if (e < 2)
        e = n - 3;
    if (b == e)
        ++e;
    setShownRange(wb, b, e);
    wb.redraw();
    return false;
}

void PlotMouse::wheel(Workbench& wb, int x, int steps)
{
    if (!mouseActive(wb) || steps == 0 || wb.groupMode != 0)
        return;
    const int first = 1, last = wb.activeScan->nPoints - 2; // the whole scan as a load shows it
    if (last - first < kMinWheelSpan)
        return;
    const int b = std::clamp(wb.viewBegin, first, last), e = std::clamp(wb.viewEnd, first, last);
    const int span = std::max(e - b, 1);
    steps = std::clamp(steps, -10, 10);
    const double factor = std::pow(steps > 0 ? 0.8 : 1.25, std::abs(steps));
    int newSpan = static_cast<int>(std::lround(span * factor));
    if (newSpan == span) // every notch moves by at least one point
        newSpan += steps > 0 ? -1 : 1;
    newSpan = std::clamp(newSpan, kMinWheelSpan, last - first);
    const PlotGeometry& g = wb.geometry;
    double pivot = (b + e) / 2.0;
    if (g.valid && g.right > g.left)
        pivot = b + std::clamp(double(x - g.left) / (g.right - g.left), 0.0, 1.0) * span;
    // The point under the cursor stays under it.
    int nb = static_cast<int>(std::lround(pivot - (pivot - b) * double(newSpan) / span));
    nb = std::clamp(nb, first, last - newSpan);
    if (nb == b && nb + newSpan == e)
        return;
    setShownRange(wb, nb, nb + newSpan);
    wb.redraw();
}

void PlotMouse::leftDoubleClick(Workbench& wb, int x, int y)
{
    if (!mouseActive(wb))
        return;
    if (!wb.plotDoubleClickHook) {
        if (wb.interaction == InteractionMode::None && wb.view.localGraph && wb.clickSpectrumHook)
            wb.clickSpectrumHook(wb, x);
        return;
    }
    // The handler may end its mode and remove itself while it runs.
    const auto hook = wb.plotDoubleClickHook;
    hook(wb, x, y);
}

std::optional<Rect> PlotMouse::dragRect() const
{
    if (!rightDown_ || !dragged_)
        return std::nullopt;
    return Rect{std::min(startX_, currentX_), top_, std::max(startX_, currentX_), bottom_};
}

} // namespace qm
