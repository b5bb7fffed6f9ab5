#pragma once
// "Wrksh to TALVO" (133): channel files and a parameter table for the
// external TALVO reduction package.
#include <string>
#include <utility>

namespace qm {

class Workbench;
class CommandTable;
struct ScanRecord;

void exportTalvo(Workbench& wb);
void registerTalvoCommands(CommandTable& t);

// The point step as the fraction (numerator, denominator) of the channel
// header: (32000, trunc(32000/step)) above 1, (trunc(32000*step), 32000)
// in (0, 1], (1, 1) otherwise.
std::pair<short, short> talvoStepFraction(float step);

// One channel file: the 20-byte little-endian header, then the worksheet
// `w` of the scan in reverse point order divided by trunc(max|w|/30000)+1.
std::string encodeTalvoChannel(const ScanRecord& r, const float* w);

} // namespace qm
