#pragma once
// "Surf3D Options": output kind, scale axis, header and scan position marks.
#include "analysis/surf3d.h"

class QWidget;

namespace qm {

// Shows the dialog filled from `o`; on OK stores the choices in `o`.
bool execSurf3dDialog(Surf3dOptions& o, QWidget* parent);

} // namespace qm
