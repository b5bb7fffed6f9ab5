#pragma once
// Group FITS files: the Worksheet arrays of many scans in one FITS file. The
// primary header carries no data; the binary-table extension holds one row
// in which every column is the 16-bit vector of one frequency and
// polarisation, with its own scale and offset and a TTYPE naming both.
#include "files/open_scans.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

class Workbench;
class ByteSource;

// Writes the Worksheet arrays of the targets (ALL mode: the group or the
// whole list) over the shown part, decimated by the "Input number of skip:"
// answer (batch: the first argument). The cards come from the template
// "qrd_soho.dat" in the program folder. True when the file was written;
// otherwise the reason is recorded with Workbench::fail (and shown in a box
// interactively), and an existing file is left as it was.
bool saveGroupFits(Workbench& wb, const std::string& path);

// Reads a group FITS file into new records (not yet in the set). A file
// whose primary header has a NAXIS other than 0 (or none) is one scan and
// goes to readDataFile. `scanCount` is the number of scans already held: a
// file that would bring it to 256 is refused. Refusal gives no scans.
ScanChain readGroupFits(Workbench& wb, const std::string& path, int scanCount);
// The same over bytes in memory.
ScanChain readGroupFitsBytes(Workbench& wb, const uint8_t* data, std::size_t size, int scanCount);

// Installs the reader as the group FITS stage of the FITS route and the
// writer as the group FITS writer of the Worksheet save.
void registerGroupFitsFormat();

} // namespace qm
