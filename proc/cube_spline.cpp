#include "proc/cube_spline.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/smoothing_spline.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace qm {

namespace {

// One spline choice at a time: the knots asked for, the scan and channel it
// works on, and the worksheet as it was when the choice began. The picked
// knots live in wb.picked, where the plot marks them.
class CubeSplineChoice : public std::enable_shared_from_this<CubeSplineChoice> {
public:
    void start(Workbench& wb);
    void pick(Workbench& wb, int x, int y);
    void apply(Workbench& wb);

private:
    float* worksheet(const Workbench& wb) const;
    void restore(const Workbench& wb);
    void end(Workbench& wb);

    SplineDialogState dialog_;
    int asked_ = 0;
    ScanRecord* scan_ = nullptr;
    int channel_ = 0;
    std::vector<float> saved_;
};

void CubeSplineChoice::start(Workbench& wb)
{
    if (dialog_.phase != SplinePhase::Idle)
        return;
    // Knots come from the mouse: nothing to do in a packet or script.
    if (!wb.interactiveMode)
        return;
    if (!wb.requireNoOpenReport())
        return;
    if (wb.chkWrkI == wb.chkWrkV) {
        wb.message("May to mark one WORKSHEET only");
        return;
    }
    ScanRecord* scan = wb.activeScan;
    const int channel = wb.chkWrkI ? 1 : 2;
    float* x = scan ? (channel == 1 ? scan->wrkI() : scan->wrkV()) : nullptr;
    if (!x)
        return;
    const auto count = wb.askInteger("Input number of points:");
    if (!count)
        return;
    asked_ = std::clamp(*count, kSplineMinKnots, kSplineMaxKnots);
    scan_ = scan;
    channel_ = channel;
    saved_.assign(x, x + scan->nPoints);
    wb.picked = PickedPoints{channel, {}, {}};

    dialog_.k = kSplineDefaultExponent;
    dialog_.natural = false;
    dialog_.p = dialog_.coefficient();
    dialog_.phase = SplinePhase::Choosing;
    dialog_.post = [&wb] { wb.dispatch(140); };
    wb.ui().setTitle(format("Quillmar: Choice of a %d points", asked_));
    wb.interaction = InteractionMode::SplinePoints;
    wb.plotDoubleClickHook = [self = shared_from_this()](Workbench& w, int px, int py) { self->pick(w, px, py); };
    wb.ui().showChoiceCursor(true);
    wb.ui().showSplineDialog(dialog_);
    wb.ui().stateChanged();
}

void CubeSplineChoice::pick(Workbench& wb, int x, int y)
{
    const PlotGeometry& g = wb.geometry;
    if (dialog_.phase != SplinePhase::Choosing || !g.valid || !g.inFrame(x, y))
        return;
    wb.picked.x.push_back(static_cast<float>(g.pointAt(x)));
    wb.picked.y.push_back(static_cast<float>(channel_ == 1 ? g.valueI(y) : g.valueV(y)));
    const int picked = static_cast<int>(wb.picked.x.size());
    wb.status(format("Choice  of a %d points from %d", picked, asked_));
    if (picked >= asked_) {
        dialog_.phase = SplinePhase::DialogOpen;
        wb.ui().showChoiceCursor(false);
    }
    wb.redraw(); // the plot marks the new knot
}

float* CubeSplineChoice::worksheet(const Workbench& wb) const
{
    // The choice blocks every command, so the scan is still the active one;
    // anything else means there is nothing safe to touch.
    if (!scan_ || scan_ != wb.activeScan)
        return nullptr;
    float* x = channel_ == 1 ? scan_->wrkI() : scan_->wrkV();
    return x && saved_.size() == static_cast<std::size_t>(scan_->nPoints) ? x : nullptr;
}

void CubeSplineChoice::restore(const Workbench& wb)
{
    if (float* x = worksheet(wb))
        std::copy(saved_.begin(), saved_.end(), x);
}

void CubeSplineChoice::end(Workbench& wb)
{
    dialog_.phase = SplinePhase::Idle;
    scan_ = nullptr;
    saved_.clear();
    wb.picked = PickedPoints{};
    wb.interaction = InteractionMode::None;
    wb.plotDoubleClickHook = nullptr;
    wb.ui().showChoiceCursor(false);
    wb.ui().closeSplineDialog();
    wb.ui().setTitle(wb.groupMode != 0 ? "Quillmar : group of scans" : "Quillmar");
    wb.ui().stateChanged();
}

void CubeSplineChoice::apply(Workbench& wb)
{
    const SplinePhase phase = dialog_.phase;
    if (phase != SplinePhase::Accept && phase != SplinePhase::Preview && phase != SplinePhase::Cancel)
        return;
    const std::vector<float>& knotX = wb.picked.x;
    const std::vector<float>& knotY = wb.picked.y;
    if (phase == SplinePhase::Cancel || knotX.empty()) {
        // Back to the worksheet as it was before the first preview.
        restore(wb);
        end(wb);
        wb.redraw();
        return;
    }
    if (float* x = worksheet(wb)) {
        const int n = scan_->nPoints;
        const int b = std::max(wb.viewBegin, 0), e = std::min(wb.viewEnd, n - 1);
        if (e - b >= 2) {
            std::vector<float> xs{static_cast<float>(b)}, ys{x[b]};
            xs.insert(xs.end(), knotX.begin(), knotX.end());
            ys.insert(ys.end(), knotY.begin(), knotY.end());
            xs.push_back(static_cast<float>(e));
            ys.push_back(x[e]);
            SmoothingSpline spline;
            if (spline.fit(static_cast<int>(xs.size()), std::max(dialog_.p, 1.0), xs.data(), ys.data(),
                           dialog_.natural))
                for (int i = b + 1; i < e; ++i)
                    x[i] = static_cast<float>(spline.evaluate(i));
        }
    }
    if (phase == SplinePhase::Accept)
        end(wb);
    else
        dialog_.phase = SplinePhase::DialogOpen;
    wb.redraw();
}

} // namespace

double SplineDialogState::coefficient() const { return std::ldexp(1.0, std::clamp(k, 0, kSplineMaxExponent)); }

void setSplineExponent(SplineDialogState& s, int k) { s.k = std::clamp(k, 0, kSplineMaxExponent); }

bool pressSplineButton(SplineDialogState& s, SplineButton b)
{
    if (s.phase == SplinePhase::Idle)
        return false;
    if (b != SplineButton::Cancel && s.phase == SplinePhase::Choosing)
        return false;
    s.p = s.coefficient();
    s.phase = b == SplineButton::Ok ? SplinePhase::Accept
              : b == SplineButton::Cancel ? SplinePhase::Cancel
                                          : SplinePhase::Preview;
    if (s.post)
        s.post();
    return true;
}

void registerCubeSplineCommands(CommandTable& t)
{
    auto choice = std::make_shared<CubeSplineChoice>();
    t.handle(139, [choice](Workbench& wb) { choice->start(wb); });
    t.handle(140, [choice](Workbench& wb) { choice->apply(wb); });
}

} // namespace qm
