#pragma once
// Wires every subsystem's command handlers into one table, for the programs
// and the tests alike.
namespace qm {
class Workbench;
void registerAllCommands(Workbench& wb);
} // namespace qm
