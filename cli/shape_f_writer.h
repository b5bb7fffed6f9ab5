#pragma once
// Writer of the older data-file shape "F": header cards up to a second END
// card, then per channel a small header (POLARIZ, BSCALE, BZERO, END) and
// the samples as little-endian 16-bit integers followed by CR LF. The
// program itself only reads this shape; the writer makes sample files.
#include <string>

namespace qm {

struct ScanRecord;

// The bytes of a shape-F file holding the Data arrays of every present
// channel of `r`; empty when the scan has no points or no channel.
std::string encodeShapeFFile(const ScanRecord& r);

} // namespace qm
