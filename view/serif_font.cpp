#include "view/serif_font.h"

#include <cmath>

namespace qm {

std::u32string pageCodePoints(const std::string& text)
{
    std::u32string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        const int extra = b >= 0xc2 && b < 0xe0 ? 1 : b >= 0xe0 && b < 0xf0 ? 2 : b >= 0xf0 && b < 0xf5 ? 3 : 0;
        char32_t c = b & (0x3f >> extra);
        bool valid = extra > 0 && i + extra < n;
        for (int k = 1; valid && k <= extra; ++k) {
            valid = (s[i + k] & 0xc0) == 0x80;
            c = (c << 6) | (s[i + k] & 0x3f);
        }
        // Overlong forms, surrogates and values past Unicode stay bytes.
        if (valid && ((extra == 2 && (c < 0x800 || (c >= 0xd800 && c < 0xe000))) ||
                      (extra == 3 && (c < 0x10000 || c > 0x10ffff))))
            valid = false;
        out += valid ? c : char32_t(b);
        i += valid ? extra + 1 : 1;
    }
    return out;
}

std::string toUtf8(const std::u32string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xc0 | (c >> 6));
            out += char(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            out += char(0xe0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        } else {
            out += char(0xf0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3f));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        }
    }
    return out;
}

std::string toLatin1(const std::u32string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        out += c < 0x100 ? char(c) : '?';
    return out;
}

std::u16string toUtf16(const std::u32string& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            c -= 0x10000;
            out += char16_t(0xd800 + (c >> 10));
            out += char16_t(0xdc00 + (c & 0x3ff));
        }
    }
    return out;
}

void selectSerifFont(cairo_t* cr, int height, bool bold)
{
    cairo_select_font_face(cr, kPageFontFace, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, height > 0 ? height : 1);
}

TextSize serifExtent(cairo_t* cr, const std::string& utf8)
{
    cairo_text_extents_t te;
    cairo_text_extents(cr, utf8.c_str(), &te);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    return {int(std::lround(te.x_advance)), int(std::lround(fe.ascent + fe.descent))};
}

SerifMetrics::SerifMetrics()
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)), cr_(cairo_create(surface_))
{
    setFont(14, false);
}

SerifMetrics::~SerifMetrics()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void SerifMetrics::setFont(int height, bool bold)
{
    selectSerifFont(cr_, height, bold);
    height_ = height;
    cairo_font_extents_t fe;
    cairo_font_extents(cr_, &fe);
    lineHeight_ = int(std::lround(fe.ascent + fe.descent));
    cache_.assign(256, -1.0);
}

double SerifMetrics::advance(char32_t c)
{
    if (c < 256 && cache_[c] >= 0)
        return cache_[c];
    cairo_text_extents_t te;
    cairo_text_extents(cr_, toUtf8(std::u32string(1, c)).c_str(), &te);
    if (c < 256)
        cache_[c] = te.x_advance;
    return te.x_advance;
}

TextSize SerifMetrics::extent(const std::u32string& text)
{
    double w = 0;
    for (char32_t c : text)
        w += advance(c);
    return {int(std::lround(w)), lineHeight_};
}

std::vector<int> SerifMetrics::advances(const std::u32string& text)
{
    std::vector<int> out;
    out.reserve(text.size());
    double sum = 0;
    long placed = 0;
    for (char32_t c : text) {
        sum += advance(c);
        const long next = std::lround(sum);
        out.push_back(int(next - placed));
        placed = next;
    }
    return out;
}

} // namespace qm
