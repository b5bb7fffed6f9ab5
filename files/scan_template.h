#pragma once
// "Scan Template" (192): brings the worksheets of scans from a group FITS
// file onto the scans of the set at the same frequencies, and optionally
// scales channel I(R) so that its integral matches the quiet Sun.
namespace qm {

class Workbench;
class CommandTable;

void loadScanTemplate(Workbench& wb);

// Registers 192.
void registerGroupFitsCommands(CommandTable& t);

} // namespace qm
