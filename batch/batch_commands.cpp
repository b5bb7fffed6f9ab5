#include "batch/batch_commands.h"

#include "app/workbench.h"
#include "batch/list_dialog.h"
#include "batch/packet_run.h"
#include "batch/quick_list.h"
#include "batch/script_editor.h"
#include "batch/script_runner.h"

namespace qm {

void registerBatchCommands(CommandTable& t)
{
    t.handle(99, [](Workbench& wb) { runPacketCommand(wb); });
    t.handle(148, [](Workbench& wb) { editCommandList(wb, ListKind::QuickList); });
    t.handle(149, runQuickList);
    t.handle(183, [](Workbench& wb) { editCommandList(wb, ListKind::PopUp); });
    t.handle(193, reloadScriptMenu);
    t.handle(194, runScriptEditor);
}

void installScriptHooks(Workbench& wb)
{
    wb.scriptHook = [](Workbench& w, int id) { runScriptById(w, id); };
    wb.autoScriptHook = [](Workbench& w) {
        const std::string& name = w.settings.autoScript;
        if (!name.empty() && static_cast<unsigned char>(name[0]) > ' ')
            runScriptByName(w, name);
    };
    reloadScriptMenu(wb);
}

} // namespace qm
