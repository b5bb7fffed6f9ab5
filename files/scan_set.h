#pragma once
// Binary-table scan-set files: a standard FITS file whose primary array is a
// cube of 32-bit floats (points x 2 channels x scans) and whose BINTABLE
// extension "Scan_params" holds one 96-byte row of header values per scan.
#include "files/open_scans.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

class Workbench;

// Writes the Worksheets of the target scans (the group shown, else the whole
// set) over the shown part. Needs ALL mode, both Worksheet switches and
// scans of equal length and step; true when the file was written.
bool saveScanSet(Workbench& wb, const std::string& path);

// The scans of a scan-set file, not yet in the set; nullopt when the file is
// not a scan-set file or is refused (the caller then tries other readers).
// Shows the overflow report of the file when it has one.
std::optional<ScanChain> readScanSet(Workbench& wb, const std::string& path);
std::optional<ScanChain> readScanSet(Workbench& wb, const uint8_t* bytes, std::size_t size);

// Installs the reader as the first stage of the FITS route and the writer
// as the Worksheet save's scan-set writer.
void registerScanSetFormat();

} // namespace qm
