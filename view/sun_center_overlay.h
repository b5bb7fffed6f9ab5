#pragma once
// The solar overlay of a frame: the FITS image and the solar disk (when
// their view options are on) and the dotted solar centre and limb lines
// ("Center Sun"), all clipped to the frame shrunk by an inset.
#include "view/plot_frame.h"

namespace qm {

class Workbench;

// Draws nothing for a scan whose radius is not positive. The lines stand at
// the centre point and, with a non-zero step, at centre -/+ radius/step;
// each non-zero position strictly inside the shown range gets a dotted
// "rgbSunC" line over the frame's height.
void drawSunOverlay(Workbench& wb, const PlotFrame& f, const ScanRecord& s, int inset);

} // namespace qm
