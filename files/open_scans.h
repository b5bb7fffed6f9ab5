#pragma once
// The front door for scans: "Open" (100), "Append..." (172), a dropped file,
// the command-line file and the batch loader all load through openScans.
#include "app/scan_record.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class Workbench;

// Loads a header file (list route) or a FITS-shaped file (FITS route) and
// adds its scans to the set. Without a path the open dialog asks. Returns 1
// when a file was processed, 0 when nothing was done.
int openScans(Workbench& wb, const std::optional<std::string>& path = std::nullopt);

// The FITS route (first word "SIMPLE") asks its readers in order: the
// binary-table scan-set reader, then the group FITS reader, then the plain
// data-file reader. A reader answers nullopt when the file is not of its
// kind (the next reader is asked) and otherwise the scans it read, which
// may be none when it refused the file (the route stops there).
using ScanChain = std::vector<std::unique_ptr<ScanRecord>>; // new scans, not yet in the set
using FitsRouteReader = std::function<std::optional<ScanChain>(Workbench&, const std::string& path)>;
enum class FitsRouteStage { ScanSet, GroupFits };
// Installs (or, with an empty function, removes) the reader of a stage.
void setFitsRouteReader(FitsRouteStage stage, FitsRouteReader reader);
// Runs the chain on a file.
ScanChain readFitsRoute(Workbench& wb, const std::string& path);

// Registers the load commands (100, 172).
class CommandTable;
void registerLoadCommands(CommandTable& t);

} // namespace qm
