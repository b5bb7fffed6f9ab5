#include "app/set_fingerprint.h"

#include "app/parallel_for.h"
#include "app/scan_list.h"
#include "app/scan_record.h"

#include <cstring>
#include <vector>

namespace qm {

namespace {

// Word-wise multiply-and-rotate mixing: far from cryptographic, but any
// edit of a value changes the digest, and it runs at memory speed. Long
// runs go through four independent lanes, since one chain of multiplies
// is bound by their latency; the lanes fold into the digest at the end.
class Digest {
public:
    void add(const void* data, std::size_t bytes)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        if (bytes >= 32) {
            uint64_t lane[4] = {h_, h_ ^ 0x13198A2E03707344ull, h_ ^ 0xA4093822299F31D0ull, h_ ^ 0x082EFA98EC4E6C89ull};
            for (; bytes >= 32; p += 32, bytes -= 32)
                for (int i = 0; i < 4; ++i) {
                    uint64_t w;
                    std::memcpy(&w, p + 8 * i, 8);
                    lane[i] = laneStep(lane[i], w);
                }
            for (uint64_t l : lane)
                mix(l);
        }
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
    // One multiply per word: still a bijection of the word for a given lane.
    static uint64_t laneStep(uint64_t h, uint64_t w)
    {
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        return h << 29 | h >> 35;
    }
    static uint64_t step(uint64_t h, uint64_t w)
    {
        h ^= w * 0x9E3779B97F4A7C15ull;
        return (h << 27 | h >> 37) * 0xC2B2AE3D27D4EB4Full;
    }
    void mix(uint64_t w) { h_ = step(h_, w); }
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
    // The scans are digested side by side on the processor's cores and
    // combined in list order.
    std::vector<uint64_t> each(static_cast<std::size_t>(scans.count()));
    parallelFor(each.size(), [&](std::size_t k) { each[k] = scanFingerprint(*scans.at(int(k))); });
    Digest d;
    for (uint64_t v : each)
        d.add(v);
    d.add(uint64_t(each.size()));
    return d.value();
}

} // namespace qm
