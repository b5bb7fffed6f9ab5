#include "view/view_commands.h"

#include "app/workbench.h"
#include "view/full_scan_view.h"
#include "view/scale_position.h"
#include "view/solar_disk.h"
#include "view/view_settings.h"

namespace qm {

namespace {

// "Equal Scale" (152): one range for both Y axes; the redraw follows from
// the command's table entry.
void toggleEqualScale(Workbench& wb)
{
    wb.view.equalScale = !wb.view.equalScale;
    wb.setChecked(152, wb.view.equalScale);
    wb.ui().stateChanged();
}

} // namespace

void registerViewCommands(CommandTable& t)
{
    t.handle(118, runViewSettingsDialog);
    t.handle(152, toggleEqualScale);
    registerScalePositionCommands(t);
    registerFullScanCommands(t);
    // "Local Graph" (177): the window follows the switch (it starts empty
    // each time it comes up).
    t.handle(177, [](Workbench& wb) {
        wb.view.localGraph = !wb.view.localGraph;
        wb.setChecked(177, wb.view.localGraph);
        wb.ui().stateChanged();
    });
}

void installViewHooks(Workbench& wb)
{
    wb.closeHooks.push_back([](Workbench& w) { w.magField.clear(); });
    wb.sunDiskPainter = paintSolarDisk;
}

} // namespace qm
