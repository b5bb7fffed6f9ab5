#pragma once
// Local spectrum: the worksheet value at chosen positions of every scan,
// against frequency. The positions are picked on the plot (or come from a
// batch title); the click spectrum builds the local graph's table at one
// clicked point.
#include <string>
#include <vector>

namespace qm {

class CommandTable;
class Workbench;

// The report "Spectrum of chosen position(s)" at fractional point indices
// c of the target scans: a header with the positions in X units from the
// first target's centre, one line per scan with the values at trunc(c)
// (0 where a scan has no such point).
std::string localSpectrumReport(const Workbench& wb, const std::vector<double>& positions);

// Point indices from a batch title holding `count` positions in X units
// from the centre of the first target; empty (with the reason) when the
// count, the title or a position does not fit.
std::vector<double> batchPositions(const Workbench& wb, int count, std::string& why);

// The click spectrum at plot pixel column x: one row per scan of the group
// (group view) or the list, handed to the local graph as "Local spectrum (Ta)".
void clickSpectrum(Workbench& wb, int x);

// Local spectrum (175).
void registerLocalSpectrumCommands(CommandTable& t);

} // namespace qm
