#pragma once
// Invariants every scan a reader hands out must keep, for the fuzz targets.
#include "app/scan_record.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <cstring>
#include <vector>

namespace qm::fuzz {

template <std::size_t N>
bool terminated(const char (&field)[N])
{
    return std::memchr(field, 0, N) != nullptr;
}

// A channel block: 2n+2 floats, the Worksheet a copy of the Data, two
// spare zeros.
inline void checkChannel(const ChannelBlock& block, int n)
{
    if (block.empty())
        return;
    const std::size_t points = static_cast<std::size_t>(n);
    require(block.size() == 2 * points + 2);
    require(std::memcmp(block.data(), block.data() + points, points * sizeof(float)) == 0);
    require(block[2 * points] == 0.0f && block[2 * points + 1] == 0.0f);
}

// A point count the readers accept, at least one channel, closed text fields.
inline void checkScan(const ScanRecord& r)
{
    require(r.nPoints >= 1 && r.nPoints <= kMaxPoints);
    require(r.hasI() || r.hasV());
    checkChannel(r.chanI, r.nPoints);
    checkChannel(r.chanV, r.nPoints);
    require(terminated(r.object) && terminated(r.origin) && terminated(r.telescop) && terminated(r.dateObs) &&
            terminated(r.timeObs) && terminated(r.dataFile));
}

} // namespace qm::fuzz
