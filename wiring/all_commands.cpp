#include "wiring/all_commands.h"

#include "analysis/analysis_commands.h"
#include "app/app_commands.h"
#include "app/workbench.h"
#include "batch/batch_commands.h"
#include "beam/beam_commands.h"
#include "files/group_fits.h"
#include "fitsimage/fits_commands.h"
#include "files/open_scans.h"
#include "files/scan_set.h"
#include "files/scan_template.h"
#include "files/scan_writer.h"
#include "files/talvo_export.h"
#include "files/workspace_file.h"
#include "proc/calibration.h"
#include "proc/corrections.h"
#include "proc/proc_commands.h"
#include "proc/smoothing_commands.h"
#include "proc/transforms.h"
#include "view/page_export.h"
#include "view/page_print.h"
#include "view/view_commands.h"

namespace qm {

void registerAllCommands(Workbench& wb)
{
    CommandTable& t = wb.commands();
    registerAppCommands(t);
    registerLoadCommands(t);
    registerSaveCommands(t);
    registerScanSetFormat();
    registerTalvoCommands(t);
    registerWorkspaceCommands(t);
    registerBatchCommands(t);
    installScriptHooks(wb);
    registerWorksheetCommands(t);
    registerGroupFitsFormat();
    registerGroupFitsCommands(t);
    registerSmoothingCommands(t);
    registerAnalysisCommands(t);
    installAnalysisHooks(wb);
    registerBeamCommands(t);
    registerViewCommands(t);
    installViewHooks(wb);
    registerCalibrationCommands(t);
    registerCorrectionCommands(t);
    registerTransformCommands(t);
    registerPageExportCommands(t);
    registerPagePrintCommands(t);
    registerFitsImageCommands(t);
    installFitsImageHooks(wb);
}

} // namespace qm
