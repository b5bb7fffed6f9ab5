#pragma once
// The front door for scans: "Open" (100), "Append..." (172), a dropped file,
// the command-line file and the batch loader all load through openScans.
#include <optional>
#include <string>

namespace qm {

class Workbench;

// Loads a header file (list route) or a FITS-shaped file (FITS route) and
// adds its scans to the set. Without a path the open dialog asks. Returns 1
// when a file was processed, 0 when nothing was done.
int openScans(Workbench& wb, const std::optional<std::string>& path = std::nullopt);

// Registers the load commands (100, 172).
class CommandTable;
void registerLoadCommands(CommandTable& t);

} // namespace qm
