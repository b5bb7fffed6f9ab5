#pragma once
// The serif page font shared by every file canvas: "Times New Roman" as
// fontconfig resolves it (a Times-metric face), measured by cairo, and the
// conversions of plot text (UTF-8, or 8-bit bytes from old files) into the
// code units of each file format.
#include "view/canvas.h"

#include <cairo.h>

#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kPageFontFace = "Times New Roman";

// Code points of a text: valid UTF-8 sequences decode as such, every other
// byte stands for itself (Latin-1), so no text is ever rejected.
std::u32string pageCodePoints(const std::string& text);
std::string toUtf8(const std::u32string& text);
// One byte per character for the 8-bit records of a Windows metafile
// (Latin-1; '?' for what it cannot hold).
std::string toLatin1(const std::u32string& text);
std::u16string toUtf16(const std::u32string& text);

// Selects the page font of pixel height `height` on a cairo context.
void selectSerifFont(cairo_t* cr, int height, bool bold);
// Width (rounded advance) and height (ascent + descent) of UTF-8 text in
// the selected font.
TextSize serifExtent(cairo_t* cr, const std::string& utf8);

// Metrics of the page font for canvases that do not draw through cairo.
class SerifMetrics {
public:
    SerifMetrics();
    ~SerifMetrics();
    SerifMetrics(const SerifMetrics&) = delete;
    SerifMetrics& operator=(const SerifMetrics&) = delete;

    void setFont(int height, bool bold);
    TextSize extent(const std::u32string& text);
    // Whole-pixel advance of each character; their sum is extent().width.
    std::vector<int> advances(const std::u32string& text);

private:
    double advance(char32_t c);
    cairo_surface_t* surface_;
    cairo_t* cr_;
    int height_ = 0;
    int lineHeight_ = 0;
    std::vector<double> cache_; // advances of code points below 256, -1 unknown
};

} // namespace qm
