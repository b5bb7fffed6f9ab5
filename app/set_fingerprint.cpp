#include "app/set_fingerprint.h"

#include "app/scan_list.h"
#include "app/scan_record.h"

#include <cstring>
#include <vector>

namespace qm {

namespace {

// Word-wise multiply-and-rotate mixing: far from cryptographic, but any
// edit of a value changes the digest, and it runs at memory speed.
class Digest {
public:
    void add(const void* data, std::size_t bytes)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        while (bytes >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            mix(w);
            p += 8;
            bytes -= 8;
        }
        uint64_t tail = 0;
        std::memcpy(&tail, p, bytes);
        mix(tail ^ (uint64_t(bytes) << 56));
    }
    void add(uint64_t w) { mix(w); }
    uint64_t value() const { return h_ ^ (h_ >> 29); }

private:
    void mix(uint64_t w)
    {
        h_ ^= w * 0x9E3779B97F4A7C15ull;
        h_ = (h_ << 27 | h_ >> 37) * 0xC2B2AE3D27D4EB4Full;
    }
    uint64_t h_ = 0x243F6A8885A308D3ull;
};

template <class Floats>
void addFloats(Digest& d, const Floats& v)
{
    d.add(v.size());
    if (!v.empty())
        d.add(v.data(), v.size() * sizeof(float));
}

} // namespace

uint64_t scanFingerprint(const ScanRecord& r)
{
    Digest d;
    const auto header = encodeRecord(r);
    d.add(header.data(), header.size());
    addFloats(d, r.chanI);
    addFloats(d, r.chanV);
    addFloats(d, r.gauss);
    return d.value();
}

uint64_t setFingerprint(const ScanList& scans)
{
    Digest d;
    uint64_t n = 0;
    for (const auto& r : scans) {
        d.add(scanFingerprint(*r));
        ++n;
    }
    d.add(n);
    return d.value();
}

} // namespace qm
