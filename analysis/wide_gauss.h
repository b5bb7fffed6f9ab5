#pragma once
// Wide Gauss (143): a broad Gaussian model of the quiet-Sun disk, estimated
// from four levels of Data I(R) on the disk's flanks and written into
// Worksheet I(R) over 2.5 solar radii on each side of the centre.
namespace qm {

class Workbench;
struct ScanRecord;

// The model of one scan; false (scan unchanged) when the scan is too short
// for 2.5 radii on both sides of its centre or has no channel I(R).
bool wideGauss(ScanRecord& s);

void runWideGauss(Workbench& wb);

} // namespace qm
