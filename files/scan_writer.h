#pragma once
// Saving scans as data files (shape "T") and header files: "Data" (102)
// rewrites each scan's own data file, "WorkSheet" (101) writes a new set.
#include <string>

namespace qm {

class Workbench;
class CommandTable;

enum class SaveWhich { Data, Worksheet };

// `batchPath` is the target header file of a batch Worksheet save; unused
// interactively (the save dialog asks).
void saveScans(Workbench& wb, SaveWhich which, const std::string& batchPath = {});

// Registers 101 and 102.
void registerSaveCommands(CommandTable& t);

} // namespace qm
