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

// The same reader over an open input; `r.dataFile` is left alone.
class ByteSource;
bool readDataStream(Workbench& wb, ByteSource& in, ScanRecord& r);

// Refusal messages of the readers that are shown even though the load goes
// on ("Set of data is very large"): a box without caption and with the error
// icon interactively; in batch runs, which never block, the status line.
void showLoadError(Workbench& wb, const std::string& text);

} // namespace qm
