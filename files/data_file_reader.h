#pragma once
// Reader of one data file (one scan): shape "T" (FITS-shaped, 2880-byte
// blocks) and shape "F" (older text shape with per-channel headers).
#include <string>

namespace qm {

class Workbench;
struct ScanRecord;

// Fills `r` from the data file at `path`; returns false when the file is
// refused (the record may then hold partial header values and must be
// reset or discarded by the caller). `wb` is used for the
// "Set of data is very large" message.
bool readDataFile(Workbench& wb, const std::string& path, ScanRecord& r);

} // namespace qm
