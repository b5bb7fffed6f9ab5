#pragma once
// The printing of "Print...": the print dialog, the page size of the core's
// rules, the modeless "Print of Page" dialog whose Cancel aborts the job,
// and the page painted through a QtCanvas in the printer's serif font.
#include "view/canvas.h"

#include <functional>

class QWidget;

namespace qm {

void printPageOnPrinter(QWidget* owner, const std::function<void(Canvas&)>& paint);

} // namespace qm
