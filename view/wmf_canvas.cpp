#include "view/wmf_canvas.h"

#include "view/le_append.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

constexpr int kFaceBytes = 32; // LOGFONT face name field

} // namespace

WmfCanvas::WmfCanvas(int width, int height) : MetafileCanvas(width, height, 0)
{
    records_.reserve(kPageRecordBytes);
    simple(wmf::kSetWindowOrg, {0, 0});
    simple(wmf::kSetWindowExt, {height, width});
    simple(wmf::kSetBkMode, {1, 0}); // transparent
    fill({0, 0, width, height}, kWhite);
}

void WmfCanvas::begin(uint16_t function)
{
    recordStart_ = records_.size();
    appendU32(records_, 0); // size, set by end()
    appendU16(records_, function);
}

void WmfCanvas::word(int v) { appendU16(records_, uint16_t(clamp16(v))); }

void WmfCanvas::dword(uint32_t v) { appendU32(records_, v); }

void WmfCanvas::end()
{
    if ((records_.size() - recordStart_) % 2)
        records_ += '\0';
    const uint32_t words = uint32_t((records_.size() - recordStart_) / 2);
    for (int i = 0; i < 4; ++i)
        records_[recordStart_ + i] = char((words >> (8 * i)) & 0xff);
    maxRecord_ = std::max(maxRecord_, words);
}

void WmfCanvas::simple(uint16_t function, std::initializer_list<int> params)
{
    begin(function);
    for (int p : params)
        word(p);
    end();
}

// Rectangles travel as bottom, right, top, left.
void WmfCanvas::box(uint16_t function, const Rect& r) { simple(function, {r.bottom, r.right, r.top, r.left}); }

void WmfCanvas::createPen(const Pen& pen, int)
{
    begin(wmf::kCreatePenIndirect);
    word(metafilePenStyle(pen.style));
    word(pen.width); // width as a point: x, y
    word(0);
    dword(pen.colour);
    end();
}

void WmfCanvas::createBrush(const Brush& brush, int)
{
    begin(wmf::kCreateBrushIndirect);
    word(brush.hollow ? 1 : 0); // BS_NULL or BS_SOLID
    dword(brush.colour);
    word(0); // hatch
    end();
}

void WmfCanvas::createFont(int height, bool bold, int)
{
    begin(wmf::kCreateFontIndirect);
    word(height);
    word(0); // width
    word(0); // escapement
    word(0); // orientation
    word(bold ? 700 : 0);
    dword(0); // italic, underline, strike-out, character set
    dword(0); // precisions, quality, pitch and family
    std::string face(kPageFontFace);
    face.resize(kFaceBytes, '\0');
    records_ += face;
    end();
}

void WmfCanvas::selectObject(int slot) { simple(wmf::kSelectObject, {slot}); }

void WmfCanvas::deleteObject(int slot) { simple(wmf::kDeleteObject, {slot}); }

void WmfCanvas::saveState() { simple(wmf::kSaveDc, {}); }

void WmfCanvas::restoreState() { simple(wmf::kRestoreDc, {-1}); }

void WmfCanvas::clipRect(const Rect& r) { box(wmf::kIntersectClipRect, r); }

void WmfCanvas::textAlign(int flags) { simple(wmf::kSetTextAlign, {flags}); }

void WmfCanvas::textColour(Colour c)
{
    begin(wmf::kSetTextColor);
    dword(c);
    end();
}

void WmfCanvas::textRecord(int x, int y, const std::u32string& text)
{
    const std::string bytes = toLatin1(text);
    begin(wmf::kTextOut);
    word(int(bytes.size()));
    records_ += bytes;
    if (bytes.size() % 2)
        records_ += '\0';
    word(y);
    word(x);
    end();
}

void WmfCanvas::moveTo(int x, int y) { simple(wmf::kMoveTo, {y, x}); }

void WmfCanvas::lineTo(int x, int y) { simple(wmf::kLineTo, {y, x}); }

void WmfCanvas::polyline(const std::vector<Point>& points)
{
    // A record holds at most 32767 points; longer lines continue from the
    // last point of the previous record.
    constexpr std::size_t kMaxPoints = 32767;
    for (std::size_t first = 0; first + 1 < points.size(); first += kMaxPoints - 1) {
        const std::size_t n = std::min(kMaxPoints, points.size() - first);
        begin(wmf::kPolyline);
        word(int(n));
        appendPoints16(records_, points.data() + first, n);
        end();
    }
}

void WmfCanvas::rectangle(const Rect& r) { box(wmf::kRectangle, r); }

void WmfCanvas::ellipse(const Rect& bounds) { box(wmf::kEllipse, bounds); }

void WmfCanvas::arc(const Rect& bounds, Point start, Point end)
{
    simple(wmf::kArc, {end.y, end.x, start.y, start.x, bounds.bottom, bounds.right, bounds.top, bounds.left});
}

void WmfCanvas::bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                       const std::vector<Colour>& palette, BitmapMode mode)
{
    if (width <= 0 || height <= 0 || pixels.size() < std::size_t(width) * std::size_t(height))
        return;
    begin(wmf::kStretchDib);
    dword(mode == BitmapMode::And ? wmf::kSrcAnd : wmf::kSrcCopy);
    word(0); // colours are RGB values
    word(height);
    word(width);
    word(0); // source y, x
    word(0);
    word(target.height());
    word(target.width());
    word(target.top);
    word(target.left);
    records_ += packedDib(width, height, pixels, palette);
    end();
}

std::string WmfCanvas::bytes(std::string_view prefix) const
{
    std::string out;
    out.reserve(prefix.size() + wmf::kHeaderSize + records_.size() + 6);
    out += prefix;
    const std::size_t words = (wmf::kHeaderSize + records_.size()) / 2 + 3;
    appendU16(out, 1);      // in memory
    appendU16(out, 9);      // header size in words
    appendU16(out, 0x0300); // version
    appendU32(out, uint32_t(words));
    appendU16(out, uint16_t(slotCount()));
    appendU32(out, std::max<uint32_t>(maxRecord_, 3));
    appendU16(out, 0);
    out += records_;
    appendU32(out, 3);
    appendU16(out, wmf::kEof);
    return out;
}

std::string placeableHeader(int width, int height)
{
    std::string h;
    appendU32(h, 0x9AC6CDD7);
    appendU16(h, 0); // handle
    appendU16(h, 0); // box: left, top, right, bottom
    appendU16(h, 0);
    appendU16(h, uint16_t(clamp16(width)));
    appendU16(h, uint16_t(clamp16(height)));
    appendU16(h, 96); // units per inch
    appendU32(h, 0);
    uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        checksum ^= uint16_t(uint8_t(h[i]) | (uint8_t(h[i + 1]) << 8));
    appendU16(h, checksum);
    return h;
}

} // namespace qm
