#include "cli/headless_workbench.h"

#include "app/program_folder.h"

#include "files/open_scans.h"
#include "files/scan_writer.h"
#include "files/workspace_file.h"
#include "wiring/all_commands.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qm {

HeadlessWorkbench::HeadlessWorkbench(std::FILE* out, std::FILE* err)
    : ui(out, err), wb(ui, store, programFolder())
{
    wb.interactiveMode = false;
    registerAllCommands(wb);
}

bool HeadlessWorkbench::load(const std::string& path)
{
    // Like the batch loader: a workspace first, then the scan-file readers.
    const int before = wb.scans.count();
    wb.takeFailures();
    wb.guardMemory([&] {
        if (!loadWorkspace(wb, 1, path))
            openScans(wb, path);
    });
    reportFailures();
    return wb.scans.count() > before;
}

void HeadlessWorkbench::reportFailures()
{
    for (const std::string& reason : wb.takeFailures())
        ui.reportError(reason);
}

void HeadlessWorkbench::adopt(std::vector<std::unique_ptr<ScanRecord>> scans)
{
    wb.scans.appendTail(std::move(scans));
    wb.afterLoad({});
}

bool HeadlessWorkbench::saveWorkspaceFile(const std::string& path)
{
    return saveWorkspace(wb, 1, path);
}

bool HeadlessWorkbench::saveWorksheets(const std::string& path, bool textSamples)
{
    const ScanRecord* head = wb.scans.head();
    if (!head)
        return false;
    for (const auto& r : wb.scans)
        if (r->nPoints != head->nPoints)
            return false;

    const bool allMode = wb.allMode;
    const int begin = wb.viewBegin, end = wb.viewEnd;
    const auto args = wb.batchArgs;
    const bool wrkI = wb.chkWrkI, wrkV = wb.chkWrkV;
    wb.allMode = true;
    wb.chkWrkI = wb.chkWrkV = true; // the FITS scan-set writer saves both Worksheets
    wb.viewBegin = 0;
    wb.viewEnd = head->nPoints;
    wb.batchArgs = {textSamples ? 1.0f : 0.0f, 0.0f, 1.0f, 0.0f};
    const bool saved = saveScans(wb, SaveWhich::Worksheet, path);
    wb.allMode = allMode;
    wb.viewBegin = begin;
    wb.viewEnd = end;
    wb.batchArgs = args;
    wb.chkWrkI = wrkI;
    wb.chkWrkV = wrkV;

    return saved;
}

} // namespace qm
