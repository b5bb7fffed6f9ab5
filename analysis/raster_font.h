#pragma once
// A built-in 5 x 7 raster font (ASCII 32..126, fixed pitch of 6 columns)
// for text burnt into 8-bit pictures, with no font files.
#include <cstdint>
#include <string>

namespace qm {

inline constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kGlyphPitch = 6;

// Sets the pixels of `text` to `colour` in a picture of width x height
// indices stored bottom row first: the first cell starts at `column`, the
// glyphs' bottom rows lie on `baseRow` and they rise from there, so the text
// reads upright. Characters outside 32..126 are blanks; what falls outside
// the picture is cut.
void drawText(const std::string& text, int column, int baseRow, uint8_t colour, uint8_t* pixels, int width,
              int height);

} // namespace qm
