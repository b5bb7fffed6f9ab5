#pragma once
// The FITS image under the plot: the bitmap stretched so that its solar
// disk covers the scan's, ANDed onto the picture below the curves.
#include "view/canvas.h"

#include <optional>

namespace qm {

class Workbench;
struct FitsImage;
struct PlotGeometry;
struct ScanRecord;

// Where the bitmap goes in a frame showing `scan`; nullopt when the disk is
// outside the shown range or more than three times wider than it.
std::optional<Rect> fitsImageRect(const FitsImage& image, const ScanRecord& scan, const PlotGeometry& frame,
                                  float offsetPercent);

// The plot's FITS-image painter: draws the held bitmap, if any.
void paintFitsImage(Workbench& wb, Canvas& canvas, const ScanRecord& scan, const PlotGeometry& frame);

} // namespace qm
