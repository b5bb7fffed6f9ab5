#pragma once
// Fingerprints of scans and of the whole set: cheap 64-bit digests of every
// byte a save would keep, so the program can tell whether the set changed
// since it was loaded or saved, and which scans a command touched.
#include <cstdint>

namespace qm {

struct ScanRecord;
class ScanList;

// Header fields of the 524-byte layout, channels and Gaussian table.
uint64_t scanFingerprint(const ScanRecord& r);
// Every scan in list order, and their number.
uint64_t setFingerprint(const ScanList& scans);

} // namespace qm
