#pragma once
// Gauss Flux: the decomposition of the selected part of a worksheet into
// Gaussian components, one worker-thread fit per scan, the component table
// stored with each scan, and the reports "Gauss Analiz" and "Gauss Errors".
// The position picking on the plot that may precede it is shared with the
// local spectrum.
#include "analysis/gauss_fitter.h"

#include <functional>
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

// Picks `count` positions on the plot by double clicks (view.gaussChoice =
// `choice`), then calls `done` with the point positions. Cancel (command 2)
// ends it without a call.
void startPositionPicking(Workbench& wb, int count, int choice, std::function<void(Workbench&, std::vector<double>)> done);

// One analysed scan: the post-processed components in worksheet units
// (signed amplitude, e-folding width and centre in points) before they
// become the scan's table.
struct GaussScanFit {
    std::vector<GaussComponent> components;
    double scale = 1;      // g: the curve was multiplied by it before the fit
    std::vector<GaussComponent> fitted; // as the fitter returned them (scaled units)
    std::vector<float> curve;           // the analysed curve (scaled)
    int b = 0, e = 0;
};

// The spreading of overlapping components of opposite sign (delta in points).
void spreadOpposites(std::vector<GaussComponent>& comps, double delta);

// The table [m, channel, -1, A, HWHM, c, 0, ...] of post-processed components.
std::vector<float> gaussTable(const std::vector<GaussComponent>& comps, int channel);

void registerGaussCommands(CommandTable& t);

} // namespace qm
