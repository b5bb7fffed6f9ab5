#pragma once
// The two choices on the plot that calibrations and corrections wait for:
// the quiet-Sun level (a double click gives a value on the I(R) scale) and
// the point choice (a double click gives a point index). While one is on the
// dispatcher refuses other commands; "Cancel" ends both.
#include "app/scan_record.h"

#include <functional>

namespace qm {

class Workbench;

// A method applied at one point p of every target scan.
struct PointMethod {
    const char* title;     // window title while the point is chosen
    bool distanceQuestion; // ask when p lies beyond 0.8 solar radii of the centre
    std::function<void(Workbench&, ScanRecord&, int p)> apply;
};

// Interactive: 1001 without a Worksheet switch, else the choice starts.
// Batch: with the Worksheet I(R) switch the point is found on the active
// scan and the method runs at once.
void startPointMethod(Workbench& wb, const PointMethod& m);

// Batch point: the minimum of Worksheet I(R) within 0.8 solar radii of the
// centre, searched before the last two points; -1 when there is no stretch.
int quietSunPoint(const ScanRecord& scan);

// Point index of a click in the plot frame; -1 outside the frame.
int clickedPoint(const Workbench& wb, int x, int y);

// The level choice of Quiet Sun Ta: the double click gives the I(R) level
// that `done` receives.
void startLevelChoice(Workbench& wb, std::function<void(Workbench&, double level)> done);

// Ends either choice and restores the window title.
void endChoice(Workbench& wb);

} // namespace qm
