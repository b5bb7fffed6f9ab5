#pragma once
// 8-bit Windows bitmaps: file header, 40-byte information header, a
// 256-colour palette and the rows from the bottom line up. Written for the
// Surf3D map and the FITS image work.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The whole file: `pixels` holds `height` rows of `width` palette indices,
// row 0 the bottom line of the picture; rows are padded to 4 bytes. The
// palette holds Windows colour values 0x00bbggrr (missing entries black).
std::string bitmap8Bytes(int width, int height, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& pixels);

} // namespace qm
