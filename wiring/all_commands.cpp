#include "wiring/all_commands.h"

#include "app/app_commands.h"
#include "app/workbench.h"

namespace qm {

void registerAllCommands(Workbench& wb)
{
    CommandTable& t = wb.commands();
    registerAppCommands(t);
}

} // namespace qm
