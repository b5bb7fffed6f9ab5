#pragma once
// "Wrksh to TALVO" (133): channel files and a parameter table for the
// external TALVO reduction package.
namespace qm {

class Workbench;
class CommandTable;

void exportTalvo(Workbench& wb);
void registerTalvoCommands(CommandTable& t);

} // namespace qm
