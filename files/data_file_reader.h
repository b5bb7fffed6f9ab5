#pragma once
// Reader of one data file (one scan): shape "T" (FITS-shaped, 2880-byte
// blocks) and shape "F" (older text shape with per-channel headers).
#include <string>
#include <vector>

namespace qm {

class Workbench;
struct ScanRecord;

// Messages a reader meets that are shown although the load goes on ("Set
// of data is very large"), in the order met. Readers collect them rather
// than show them, so that files can be read on several threads.
using LoadErrors = std::vector<std::string>;

// Fills `r` from the data file at `path`; returns false when the file is
// refused (the record may then hold partial header values and must be
// reset or discarded by the caller). Touches nothing but `errors` and `r`.
bool readDataFile(LoadErrors& errors, const std::string& path, ScanRecord& r);
// The same, showing the messages met on `wb`.
bool readDataFile(Workbench& wb, const std::string& path, ScanRecord& r);

// The reader over an open input; `r.dataFile` is left alone.
class ByteSource;
bool readDataStream(LoadErrors& errors, ByteSource& in, ScanRecord& r);

// Refusal messages of the readers that are shown even though the load goes
// on ("Set of data is very large"): a box without caption and with the error
// icon interactively; in batch runs, which never block, the status line.
void showLoadError(Workbench& wb, const std::string& text);
void showLoadErrors(Workbench& wb, const LoadErrors& errors);

} // namespace qm
