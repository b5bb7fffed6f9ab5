#pragma once
// The commands of packets, lists and scripts: 99 (run a packet), 148 and
// 183 (edit the quick and pop-up lists), 149 (run the quick list), 193
// (reload the Script menu) and 194 (Script Editor).
namespace qm {

class CommandTable;
class Workbench;

void registerBatchCommands(CommandTable& t);

// Script-menu identifiers and AutoScript run through the script runner;
// the Script menu is built once.
void installScriptHooks(Workbench& wb);

} // namespace qm
