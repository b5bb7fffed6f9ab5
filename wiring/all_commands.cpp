#include "wiring/all_commands.h"

#include "app/app_commands.h"
#include "app/workbench.h"
#include "files/open_scans.h"
#include "files/scan_writer.h"
#include "files/talvo_export.h"
#include "files/workspace_file.h"

namespace qm {

void registerAllCommands(Workbench& wb)
{
    CommandTable& t = wb.commands();
    registerAppCommands(t);
    registerLoadCommands(t);
    registerSaveCommands(t);
    registerTalvoCommands(t);
    registerWorkspaceCommands(t);
}

} // namespace qm
