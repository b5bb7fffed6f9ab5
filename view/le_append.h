#pragma once
// Appending little-endian fields to a byte string, for the records of the
// metafile writers.
#include <algorithm>
#include <cstdint>
#include <string>

namespace qm {

inline void appendU16(std::string& s, uint16_t v)
{
    s += char(v & 0xff);
    s += char(v >> 8);
}

inline void appendU32(std::string& s, uint32_t v)
{
    appendU16(s, uint16_t(v & 0xffff));
    appendU16(s, uint16_t(v >> 16));
}

// A coordinate held to the 16-bit range of the records.
inline int16_t clamp16(int v) { return int16_t(std::clamp(v, -32768, 32767)); }

} // namespace qm
