#pragma once
// The solar disk drawn inside the plot frame ("Sun Disk" view option): the
// limb, a dashed heliographic grid turned by the position angle and tilted by
// B0, the "E"/"W" labels and an ellipse of the antenna beam size.
#include <string>

namespace qm {

class Canvas;
class Workbench;
struct PlotGeometry;
struct ScanRecord;

// A point of the heliographic grid on the disk: offset from the disk centre
// in pixels and whether it lies on the visible hemisphere.
struct DiskPoint {
    int dx = 0, dy = 0;
    bool visible = false;
};

// Heliographic longitude/latitude (degrees) onto a disk of radius r pixels
// seen with the position angle pAngle and the centre latitude b0 (degrees).
DiskPoint projectOnDisk(double pAngle, double b0, double longitude, double latitude, double r);

// Heliographic latitude of the disk centre on a date "%d%c%d%c%d" (year
// first or day first), interpolated in a monthly table; 0 when unreadable.
double diskCentreLatitude(const std::string& dateObs);

// Draws the disk of scan `s` into the frame of `g` (pens g.penWidth thick)
// when "Sun Disk" is on and the disk touches the shown range. The caller
// clips to the frame; pen, brush and text colour are left changed.
void paintSolarDisk(Workbench& wb, Canvas& canvas, const ScanRecord& s, const PlotGeometry& g);

} // namespace qm
