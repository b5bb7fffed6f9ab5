#include "batch/quick_list.h"

#include "app/workbench.h"
#include "batch/batch_state.h"

#include <vector>

namespace qm {

void runQuickList(Workbench& wb)
{
    BatchState& state = batchState(wb);
    if (state.quickListRunning)
        return;
    state.quickListRunning = true;
    const std::vector<int> ids = wb.settings.commandList; // a command may change the stored list
    for (int id : ids)
        wb.dispatch(id);
    state.quickListRunning = false;
}

} // namespace qm
