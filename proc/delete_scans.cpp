#include "proc/delete_scans.h"

#include "app/workbench.h"

namespace qm {

void deleteActiveScan(Workbench& wb)
{
    if (wb.allMode || !wb.activeScan)
        return;
    if (wb.message("Do You want to delete this scan?", "Information", MsgButtons::OkCancel) == kCancel)
        return;
    // The removal keeps the group and the active scan valid and returns to
    // the empty state when the last scan goes.
    wb.removeScan(wb.activeScan);
    wb.ui().stateChanged(); // refill the data list
}

} // namespace qm
