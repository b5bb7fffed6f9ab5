#pragma once
// The Spectral Line dialog: the line scale and its two check boxes.
#include "analysis/line_field_search.h"

class QWidget;

namespace qm {

// Shows the dialog filled from `f`; on OK stores the entries in `f`.
bool execSpectralLineDialog(SpectralLineFields& f, QWidget* parent);

} // namespace qm
