#include "app/set_fingerprint.h"

#include "app/parallel_for.h"
#include "app/scan_list.h"
#include "app/scan_record.h"

#include <xxhash.h>

#include <vector>

namespace qm {

namespace {

// XXH3: not cryptographic, but any edit of a value changes the digest, and
// it runs at the speed memory delivers the bytes.
uint64_t digest(const void* data, std::size_t bytes) { return XXH3_64bits(data, bytes); }

template <class Floats>
uint64_t floatsDigest(const Floats& v)
{
    return v.empty() ? 0 : digest(v.data(), v.size() * sizeof(float));
}

} // namespace

uint64_t scanFingerprint(const ScanRecord& r)
{
    const auto header = encodeRecord(r);
    // The lengths keep a point moved from one array to the next from
    // going unnoticed.
    const uint64_t parts[] = {digest(header.data(), header.size()),
                              r.chanI.size(), floatsDigest(r.chanI),
                              r.chanV.size(), floatsDigest(r.chanV),
                              r.gauss.size(), floatsDigest(r.gauss)};
    return digest(parts, sizeof parts);
}

uint64_t setFingerprint(const ScanList& scans, const FreshFingerprints& fresh)
{
    // The scans are digested side by side on the processor's cores and
    // combined in list order.
    std::vector<uint64_t> each(static_cast<std::size_t>(scans.count()));
    parallelFor(each.size(), [&](std::size_t k) {
        const ScanRecord& r = *scans.at(int(k));
        const auto known = fresh.find(&r);
        each[k] = known != fresh.end() ? known->second : scanFingerprint(r);
    });
    return digest(each.data(), each.size() * sizeof(uint64_t)) ^ each.size();
}

} // namespace qm
