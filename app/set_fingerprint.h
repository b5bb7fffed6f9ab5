#pragma once
// Fingerprints of scans and of the whole set: cheap 64-bit digests of every
// byte a save would keep, so the program can tell whether the set changed
// since it was loaded or saved, and which scans a command touched.
#include <cstdint>
#include <unordered_map>

namespace qm {

struct ScanRecord;
class ScanList;

// Header fields of the 524-byte layout, channels and Gaussian table.
uint64_t scanFingerprint(const ScanRecord& r);
// Fingerprints a loader took of the scans it made, while their arrays were
// still in the processor's cache, for the set fingerprint that follows the
// load at once.
using FreshFingerprints = std::unordered_map<const ScanRecord*, uint64_t>;

// Every scan in list order, and their number. A scan found in `fresh` is
// taken as the fingerprint given there.
uint64_t setFingerprint(const ScanList& scans, const FreshFingerprints& fresh = {});

} // namespace qm
