#pragma once
// Saving scans as data files (shape "T") and header files: "Data" (102)
// rewrites each scan's own data file, "WorkSheet" (101) writes a new set.
#include <functional>
#include <string>

namespace qm {

class Workbench;
class CommandTable;

enum class SaveWhich { Data, Worksheet };

// A Worksheet save to a FITS name hands over to one of the FITS writers,
// which the FITS code installs here. An unset writer refuses the save.
using FitsSaveWriter = std::function<bool(Workbench&, const std::string& path)>;
struct FitsSaveWriters {
    FitsSaveWriter groupFits; // the old group FITS format
    FitsSaveWriter scanSet;   // the binary-table scan set
};
FitsSaveWriters& fitsSaveWriters();

// True when the last four characters of the path, upper-cased, occur
// within ".FITS" (names ending in ".fit" or "fits" in any case).
bool isFitsName(const std::string& path);

// `batchPath` is the target header file of a batch Worksheet save; unused
// interactively (the save dialog asks). True when the save ran to its end:
// the header file (or FITS file) was written; false when it was refused,
// cancelled or failed.
bool saveScans(Workbench& wb, SaveWhich which, const std::string& batchPath = {});

// Registers 101 and 102.
void registerSaveCommands(CommandTable& t);

} // namespace qm
