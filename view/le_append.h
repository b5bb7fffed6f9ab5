#pragma once
// Appending little-endian fields to a byte string, for the records of the
// metafile writers.
#include <algorithm>
#include <cstdint>
#include <string>

#include "view/canvas.h"

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

// Points as x, y pairs of 16-bit words, the bulk of a page's records:
// written in place after one resize.
inline void appendPoints16(std::string& s, const Point* points, std::size_t n)
{
    const std::size_t at = s.size();
    s.resize(at + 4 * n);
    char* out = s.data() + at;
    for (std::size_t i = 0; i < n; ++i, out += 4) {
        const auto x = uint16_t(clamp16(points[i].x)), y = uint16_t(clamp16(points[i].y));
        out[0] = char(x & 0xff);
        out[1] = char(x >> 8);
        out[2] = char(y & 0xff);
        out[3] = char(y >> 8);
    }
}

} // namespace qm
