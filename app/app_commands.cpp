#include "app/app_commands.h"

#include "app/config_dialog.h"
#include "app/group_dialog.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <filesystem>

namespace qm {

namespace {

// "Cancel" (2): ends the calibration choice, the point choice and the
// amplification correction. The spline-point choice ends only through its
// own dialog (140) or a double click.
void cancelInteraction(Workbench& wb)
{
    wb.ui().setTitle("Quillmar");
    if (wb.interaction != InteractionMode::SplinePoints)
        wb.interaction = InteractionMode::None;
    if (wb.view.gaussChoice != 0) { // positions picked on the plot are dropped
        wb.view.gaussChoice = 0;
        wb.plotDoubleClickHook = nullptr;
        wb.picked = PickedPoints{};
        wb.ui().showChoiceCursor(false);
        wb.redraw();
    }
    wb.ui().stateChanged();
}

// Data list double click (9): the line chosen names the new active scan; a
// line that names no scan (the heading) leaves the walk at the tail.
void chooseListedScan(Workbench& wb)
{
    if (wb.scans.empty())
        return;
    ScanRecord* r = wb.scans.findLabel(wb.selectedLabel);
    wb.setActive(r ? r : wb.scans.tail());
    wb.redraw();
}

// Tool bar arrows and arrow keys (107, 108).
void stepActiveScan(Workbench& wb, int id)
{
    wb.stepActive(id);
    wb.redraw();
}

void showAbout(Workbench& wb)
{
    wb.ui().showText("About Quillmar",
                     "Quillmar " QUILLMAR_VERSION "\r\n\r\n"
                     "Workstation for the reduction and analysis of one-dimensional\r\n"
                     "multi-frequency drift scans of the Sun recorded by a radio telescope.\r\n");
}

void openHelp(Workbench& wb)
{
    const std::string page = (std::filesystem::path(wb.programDir) / "quillmar_help.html").string();
    if (!wb.ui().openDocument(page))
        wb.refuse(format("File %s cannot be opened", page.c_str()), "", MsgIcon::Error);
}

void toggleAllMode(Workbench& wb)
{
    if (wb.mixedSet) // one shown range cannot serve scans of different lengths
        return;
    wb.allMode = !wb.allMode;
    wb.ui().stateChanged();
}

void showFullScan(Workbench& wb)
{
    if (!wb.activeScan)
        return;
    wb.viewBegin = 0;
    wb.viewEnd = wb.activeScan->nPoints - 1;
}

void showHeader(Workbench& wb)
{
    if (wb.activeScan)
        wb.ui().showText("Header of data", headerViewText(*wb.activeScan));
}

// "Scans Group" (135): with a group shown it switches the view off,
// otherwise the "Video control panel" chooses a new group.
void chooseGroup(Workbench& wb)
{
    if (wb.groupMode != 0) {
        wb.setGroupView(0);
        return;
    }
    if (!wb.interactiveMode)
        return; // packets choose groups with their own commands
    GroupDialogParams p;
    for (const auto& r : wb.scans)
        p.available.push_back(r->label());
    if (!wb.ui().groupDialog(p))
        return;
    wb.skipFrequency = p.skipFrequency;
    auto group = resolveGroupLabels(wb.scans, p.chosen);
    if (group.size() < 2)
        return;
    wb.groupScans = std::move(group);
    wb.setGroupView(p.mode);
}

// "View Group" (161): steps the shown group through the array, overlaid
// and stacked views; the array view is skipped above nine scans.
void changeGroupView(Workbench& wb)
{
    if (wb.groupMode == 0)
        return;
    int next = wb.groupMode % 3 + 1;
    if (next == 1 && wb.groupCount() > kMaxArrayView)
        next = 2;
    wb.setGroupView(next);
    wb.redraw();
}

// "Prev. Group" (178): shows the kept group again as a stacked view.
void previousGroup(Workbench& wb)
{
    if (wb.groupCount() < 2)
        return;
    wb.setGroupView(3);
    wb.syncActive();
    wb.redraw();
}

} // namespace

std::string extProgramMenuText(const Settings& s) { return extProgramMenuText(s.extProgram); }

void registerAppCommands(CommandTable& t)
{
    t.handle(2, cancelInteraction);
    t.handle(9, chooseListedScan);
    t.handle(104, showAbout);
    t.handle(105, openHelp);
    t.handle(106, toggleAllMode);
    t.handle(107, [](Workbench& wb) { stepActiveScan(wb, 107); });
    t.handle(108, [](Workbench& wb) { stepActiveScan(wb, 108); });
    t.handle(111, [](Workbench& wb) { wb.closeSet(true); });
    t.handle(112, showFullScan);
    t.handle(116, showHeader);
    t.handle(117, [](Workbench& wb) { runConfigDialog(wb, true); });
    t.handle(135, chooseGroup);
    t.handle(157, [](Workbench& wb) {
        if (!wb.ui().startProgram(wb.settings.extProgram))
            wb.refuse(format("Program %s cannot be started", wb.settings.extProgram.c_str()), "", MsgIcon::Error);
    });
    t.handle(161, changeGroupView);
    t.handle(178, previousGroup);
    t.handle(179, [](Workbench& wb) { wb.chkDataI = !wb.chkDataI; });
    t.handle(180, [](Workbench& wb) { wb.chkDataV = !wb.chkDataV; });
    t.handle(181, [](Workbench& wb) { wb.chkWrkI = !wb.chkWrkI; });
    t.handle(182, [](Workbench& wb) { wb.chkWrkV = !wb.chkWrkV; });
}

} // namespace qm
