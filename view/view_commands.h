#pragma once
// Handlers of the plot's view commands (118 "Set View", 152 "Equal Scale")
// and the plot's set-dependent state.
namespace qm {

class CommandTable;
class Workbench;

void registerViewCommands(CommandTable& t);

// Close forgets the magnetic-field results drawn on the plot.
void installViewHooks(Workbench& wb);

} // namespace qm
