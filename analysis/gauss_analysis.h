#pragma once
// Gauss Flux: the decomposition of the selected part of a worksheet into
// Gaussian components, one worker-thread fit per scan, the component table
// stored with each scan, and the reports "Gauss Analiz" and "Gauss Errors".
// The position picking on the plot that may precede it is shared with the
// local spectrum.
#include "analysis/gauss_fitter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class CommandTable;
class Workbench;
struct ScanRecord;

// Dialog 7: the edits as typed (empty keeps the previous value) and the
// spline-background check box.
struct GaussDialogFields {
    std::string components; // 301 "Input number of gauss :"
    std::string initial;    // 302 "Number of initial gauss :"
    bool splineBackground = false; // 303
};

// The checks before a fit or a local spectrum: no picking on, no open
// report window, exactly one Worksheet switch, and calibrated worksheets
// (or the user's OK to go on without).
bool gaussRunAllowed(Workbench& wb);

// Picks `count` positions on the plot by double clicks (view.gaussChoice =
// `choice`: 1 components, -1 positions), then calls `done` with the point positions. Cancel (command 2)
// ends it without a call.
void startPositionPicking(Workbench& wb, int count, int choice, std::function<void(Workbench&, std::vector<double>)> done);

// The curve of one scan's worksheet prepared for the fit: |x|, 3-point
// smoothed, the cubic background removed when asked, points b..e scaled to
// a peak of 1000 (`scale` receives the factor), the threshold and the
// initial components from picked positions. Nothing for a selection of
// fewer than 7 points or a curve with non-finite values there.
std::optional<GaussFitInput> gaussFitInput(const Workbench& wb, const ScanRecord& s, int channel, bool spline,
                                           int maxComponents, const std::vector<double>& picks, double& scale);

// The spreading of overlapping components of opposite sign (delta in points).
void spreadOpposites(std::vector<GaussComponent>& comps, double delta);

// The table [m, channel, -1, A, HWHM, c, 0, ...] of post-processed components.
std::vector<float> gaussTable(const std::vector<GaussComponent>& comps, int channel);

void registerGaussCommands(CommandTable& t);

} // namespace qm
