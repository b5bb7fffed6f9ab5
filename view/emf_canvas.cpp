#include "view/emf_canvas.h"

#include "view/le_append.h"
#include "view/wmf_canvas.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr int kFaceChars = 32; // LOGFONTW face name field
constexpr double kMicrometresPerInch = 25400;
constexpr int kPixelsPerInch = 96;


// A length of pixels on the 96 pixels per inch page in units per inch.
int perInch(int pixels, double units) { return int(std::lround(pixels * units / kPixelsPerInch)); }

} // namespace

EmfCanvas::EmfCanvas(int width, int height) : MetafileCanvas(width, height, 1)
{
    records_.reserve(kPageRecordBytes);
    simple(emf::kSetBkMode, {1}); // transparent
    fill({0, 0, width, height}, kWhite);
}

void EmfCanvas::begin(uint32_t type)
{
    recordStart_ = records_.size();
    appendU32(records_, type);
    appendU32(records_, 0); // size, set by end()
}

void EmfCanvas::u32(uint32_t v) { appendU32(records_, v); }

void EmfCanvas::rect(const Rect& r)
{
    i32(r.left);
    i32(r.top);
    i32(r.right);
    i32(r.bottom);
}

void EmfCanvas::end()
{
    while ((records_.size() - recordStart_) % 4)
        records_ += '\0';
    const uint32_t size = uint32_t(records_.size() - recordStart_);
    for (int i = 0; i < 4; ++i)
        records_[recordStart_ + 4 + i] = char((size >> (8 * i)) & 0xff);
    ++count_;
}

void EmfCanvas::simple(uint32_t type, std::initializer_list<int> params)
{
    begin(type);
    for (int p : params)
        i32(p);
    end();
}

void EmfCanvas::createPen(const Pen& pen, int slot)
{
    simple(emf::kCreatePen, {slot, metafilePenStyle(pen.style), pen.width, 0, int(pen.colour)});
}

void EmfCanvas::createBrush(const Brush& brush, int slot)
{
    simple(emf::kCreateBrushIndirect, {slot, brush.hollow ? 1 : 0, int(brush.colour), 0});
}

void EmfCanvas::createFont(int height, bool bold, int slot)
{
    begin(emf::kExtCreateFontIndirectW);
    i32(slot);
    i32(height);
    i32(0);       // width, escapement, orientation
    i32(0);
    i32(0);
    i32(bold ? 700 : 0);
    u32(0); // italic, underline, strike-out, character set
    u32(0); // precisions, quality, pitch and family
    const std::u16string face = toUtf16(pageCodePoints(kPageFontFace));
    for (int i = 0; i < kFaceChars; ++i)
        appendU16(records_, i < int(face.size()) ? uint16_t(face[std::size_t(i)]) : 0);
    end();
}

void EmfCanvas::selectObject(int slot) { simple(emf::kSelectObject, {slot}); }

void EmfCanvas::deleteObject(int slot) { simple(emf::kDeleteObject, {slot}); }

void EmfCanvas::saveState() { simple(emf::kSaveDc, {}); }

void EmfCanvas::restoreState() { simple(emf::kRestoreDc, {-1}); }

void EmfCanvas::clipRect(const Rect& r) { simple(emf::kIntersectClipRect, {r.left, r.top, r.right, r.bottom}); }

void EmfCanvas::textAlign(int flags) { simple(emf::kSetTextAlign, {flags}); }

void EmfCanvas::textColour(Colour c) { simple(emf::kSetTextColor, {int(c)}); }

void EmfCanvas::textRecord(int x, int y, const std::u32string& text)
{
    const std::u16string units = toUtf16(text);
    // Advances per UTF-16 unit: a character outside the basic plane takes
    // its advance on its first unit.
    std::vector<int> dx;
    const std::vector<int> advances = metrics().advances(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        dx.push_back(advances[i]);
        if (text[i] >= 0x10000)
            dx.push_back(0);
    }
    const TextSize size = metrics().extent(text);
    constexpr uint32_t kStringOffset = 76;
    const uint32_t dxOffset = kStringOffset + uint32_t((units.size() * 2 + 3) / 4 * 4);
    begin(emf::kExtTextOutW);
    rect({x, y, x + size.width, y + size.height}); // bounds (informative)
    i32(1);  // compatible graphics mode
    u32(0);  // x and y scale
    u32(0);
    i32(x);  // reference point
    i32(y);
    u32(uint32_t(units.size()));
    u32(kStringOffset);
    u32(0);  // options
    rect({0, 0, -1, -1}); // no clipping or opaque rectangle
    u32(dxOffset);
    for (char16_t u : units)
        appendU16(records_, uint16_t(u));
    while ((records_.size() - recordStart_) % 4)
        records_ += '\0';
    for (int d : dx)
        i32(d);
    end();
}

void EmfCanvas::moveTo(int x, int y) { simple(emf::kMoveToEx, {x, y}); }

void EmfCanvas::lineTo(int x, int y) { simple(emf::kLineTo, {x, y}); }

void EmfCanvas::polyline(const std::vector<Point>& points)
{
    if (points.size() < 2)
        return;
    Rect bounds{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const Point& p : points) {
        bounds.left = std::min(bounds.left, p.x);
        bounds.top = std::min(bounds.top, p.y);
        bounds.right = std::max(bounds.right, p.x);
        bounds.bottom = std::max(bounds.bottom, p.y);
    }
    begin(emf::kPolyline16);
    rect(bounds);
    u32(uint32_t(points.size()));
    appendPoints16(records_, points.data(), points.size());
    end();
}

void EmfCanvas::rectangle(const Rect& r) { simple(emf::kRectangle, {r.left, r.top, r.right, r.bottom}); }

void EmfCanvas::ellipse(const Rect& b) { simple(emf::kEllipse, {b.left, b.top, b.right, b.bottom}); }

void EmfCanvas::arc(const Rect& b, Point start, Point end)
{
    simple(emf::kArc, {b.left, b.top, b.right, b.bottom, start.x, start.y, end.x, end.y});
}

void EmfCanvas::bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                       const std::vector<Colour>& palette, BitmapMode mode)
{
    if (width <= 0 || height <= 0 || pixels.size() < std::size_t(width) * std::size_t(height))
        return;
    const std::size_t rowBytes = dibRowBytes(width);
    constexpr uint32_t kInfoOffset = 80, kInfoSize = 40 + 256 * 4;
    begin(emf::kStretchDiBits);
    rect(target);
    i32(target.left);
    i32(target.top);
    i32(0); // source x, y, width, height
    i32(0);
    i32(width);
    i32(height);
    u32(kInfoOffset);
    u32(kInfoSize);
    u32(kInfoOffset + kInfoSize);
    u32(uint32_t(rowBytes * std::size_t(height)));
    u32(0); // colours are RGB values
    u32(mode == BitmapMode::And ? wmf::kSrcAnd : wmf::kSrcCopy);
    i32(target.width());
    i32(target.height());
    records_ += packedDib(width, height, pixels, palette);
    end();
}

std::string EmfCanvas::bytes() const
{
    constexpr uint32_t kEofSize = 20;
    const int w = width(), h = height();
    std::string out;
    out.reserve(emf::kHeaderSize + records_.size() + kEofSize);
    appendU32(out, emf::kHeader);
    appendU32(out, uint32_t(emf::kHeaderSize));
    for (int v : {0, 0, w - 1, h - 1}) // bounds in pixels
        appendU32(out, uint32_t(v));
    for (int v : {0, 0, perInch(w, kMicrometresPerInch / 10) - 1, perInch(h, kMicrometresPerInch / 10) - 1})
        appendU32(out, uint32_t(v)); // frame in 0.01 mm
    appendU32(out, emf::kSignature);
    appendU32(out, 0x00010000); // version
    appendU32(out, uint32_t(emf::kHeaderSize + records_.size() + kEofSize));
    appendU32(out, count_ + 2); // records, header and end included
    appendU16(out, uint16_t(slotCount()));
    appendU16(out, 0);
    appendU32(out, 0); // no description
    appendU32(out, 0);
    appendU32(out, 0); // no palette
    appendU32(out, uint32_t(w)); // device in pixels and in millimetres
    appendU32(out, uint32_t(h));
    appendU32(out, uint32_t(perInch(w, kMicrometresPerInch / 1000)));
    appendU32(out, uint32_t(perInch(h, kMicrometresPerInch / 1000)));
    appendU32(out, 0); // no pixel format, no OpenGL
    appendU32(out, 0);
    appendU32(out, 0);
    appendU32(out, uint32_t(perInch(w, kMicrometresPerInch))); // device in micrometres
    appendU32(out, uint32_t(perInch(h, kMicrometresPerInch)));
    out += records_;
    appendU32(out, emf::kEof);
    appendU32(out, kEofSize);
    appendU32(out, 0);  // no palette entries
    appendU32(out, 16); // their offset
    appendU32(out, kEofSize);
    return out;
}

} // namespace qm
