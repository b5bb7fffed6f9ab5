#pragma once
// Scan > Calibration: the worksheets multiplied by a factor taken from a
// reference (a quiet-Sun level or point, the daily whole-Sun flux, a
// black-body load, a noise generator), after which they count as calibrated.
#include "app/scan_record.h"

#include <optional>
#include <string>

namespace qm {

class CommandTable;
class Workbench;

// Quiet Sun Ta, Quiet Point Ta, Full Flux, Black body, Noise generator and
// Set Noise generator.
void registerCalibrationCommands(CommandTable& t);

// Quiet Point Ta on one scan at point p (also the step of the point choice).
void quietPointCalibrate(Workbench& wb, ScanRecord& scan, int p);

// Baseline-subtracted sum of x over [b, e) against the chord from x[b] to
// x[e]; nullopt unless 0 <= b < e < n.
std::optional<double> chordArea(const float* x, int n, int b, int e);

// Σ_{j<count} (x[b + j] - x[e - j]); nullopt unless both end stretches fit
// inside [b, e] without overlapping and e < n.
std::optional<double> endStep(const float* x, int n, int b, int e, int count);

} // namespace qm
