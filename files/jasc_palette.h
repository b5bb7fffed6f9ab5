#pragma once
// 256-colour palettes in the JASC-PAL text form ("JASC-PAL", "0100", "256",
// then 256 lines "r g b"), used for the FITS image overlay and the Surf3D
// bitmap. Colours are Windows colour values 0x00bbggrr, as the canvas and
// the settings hold them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class ByteSource;

inline constexpr int kPaletteSize = 256;

// The 256 colours of a complete palette (CRLF or LF line ends); nullopt for
// anything else: a wrong heading, fewer than 256 colour lines, a component
// outside 0..255 or a line that does not hold three numbers.
std::optional<std::vector<uint32_t>> readJascPalette(ByteSource& in);
std::optional<std::vector<uint32_t>> readJascPaletteFile(const std::string& path);

// Grey ramp: index i is (i, i, i).
std::vector<uint32_t> greyPalette();

// The palette of `path`, or the grey ramp when it cannot be read whole.
std::vector<uint32_t> paletteOrGrey(const std::string& path);

// The file text of a palette (CRLF line ends), as readJascPalette reads it.
std::string jascPaletteText(const std::vector<uint32_t>& colours);

} // namespace qm
