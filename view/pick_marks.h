#pragma once
// Marks of the points picked on the plot (the Cube Spline's knots).
#include "view/plot_frame.h"

namespace qm {

struct PickedPoints;

// Half the width and height of a mark: an 8x6 ellipse with a cross.
inline constexpr int kPickMarkHalfWidth = 4, kPickMarkHalfHeight = 3;

// Marks each picked point, clipped to the frame, where the geometry of the
// paint that has just finished puts it: the conversion that turned the
// double click into the point, so a mark sits where the user clicked and
// follows the point when the axis range changes. `base` gives the canvas
// and the pen width.
void drawPickMarks(const PlotFrame& base, const PlotGeometry& g, const PickedPoints& picked);

} // namespace qm
