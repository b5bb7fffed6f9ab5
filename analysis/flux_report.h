#pragma once
// The analysis driver of the measurements that write one report line per
// scan: Sigma, Full Flux, Gauss Param and Delta (R-L). Each line starts
// with the scan's frequency, date and time; in ALL mode the per-scan values
// also go to the local graph.
#include <string>

namespace qm {

class Workbench;
struct ScanRecord;
struct Settings;

enum class AnalysisMode { Sigma, FullFlux, GaussParam, DeltaRL };

// Report title of a mode: "Scan's sigma", "Local Flux", "Gauss Analiz",
// "Delta (R-L)".
const char* analysisTitle(AnalysisMode mode);

// Noise figures of m points: the mean (0 for no points), the noise from
// second differences and that noise relative to the spread of the values.
struct NoiseFigures {
    double average = 0, sigma = 0, relative = 0;
};
NoiseFigures noiseFigures(const float* x, int m);

// Full Flux baselines (the number asked for, truncated).
enum FluxBaseline { kBaseLine = 0, kBaseLeft = 1, kBaseRight = 2, kBaseMin = 3 };
// Label of a baseline in the report header ("line substraction", ...).
const char* baselineLabel(int baseline);
// Sum of the m selected points x[0 .. m-1] above the baseline. The right
// baseline is the point after the selection, or the selection's last point
// when the selection reaches the end of the curve (`available` = number of
// points of the curve from x[0]).
double baselineSum(const float* x, int m, int available, int baseline);

// Gauss Param: the header, and the line of a scan with Gaussian data
// (empty when the scan has none). `firstFlux` receives the flux of the
// first component and `channelI` whether the data belong to channel 1.
std::string gaussParamHeader(const Settings& settings);
std::string gaussParamLine(const ScanRecord& scan, const Settings& settings, double& firstFlux, bool& channelI);

// Runs one mode on the target scans and delivers its report.
void runAnalysis(Workbench& wb, AnalysisMode mode);

} // namespace qm
