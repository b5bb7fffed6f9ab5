#pragma once
// The solar centre of a scan from the smoothed derivative of its clipped
// Worksheet I(R): midway between the steepest rise and fall ("max"), or
// where the limb windows balance ("rise").
#include "app/scan_record.h"

#include <optional>
#include <vector>

namespace qm {

enum class CentreMode { Rise = 0, Max = 1 };

// The centre (a fractional point index), or nullopt when it cannot be found.
std::optional<double> findSunCentre(const ScanRecord& scan, CentreMode mode);

// Runs the finder and on success moves the scan's centerPoint there;
// returns the change (new - old).
std::optional<double> recentreScan(ScanRecord& scan, CentreMode mode);

// The smoothed derivative D of y (zero within 10 points of either end).
std::vector<double> limbDerivative(const std::vector<double>& y);

} // namespace qm
