#pragma once
// Registration of the processing commands in the command table.
namespace qm {
class CommandTable;
// Copies, Modification sub-menu, Delete, Tail of curve, Overturn, Delete Gauss.
void registerWorksheetCommands(CommandTable& t);
} // namespace qm
