#include "view/metafile_canvas.h"

#include "view/le_append.h"
#include "view/wmf_canvas.h"

#include <algorithm>
#include <utility>

namespace qm {

int metafilePenStyle(PenStyle s)
{
    switch (s) {
    case PenStyle::Dash: return wmf::kPenDash;
    case PenStyle::Dot: return wmf::kPenDot;
    case PenStyle::None: return wmf::kPenNull;
    case PenStyle::Solid: break;
    }
    return wmf::kPenSolid;
}

std::size_t dibRowBytes(int width) { return (std::size_t(width) + 3) / 4 * 4; }

std::string packedDib(int width, int height, const std::vector<uint8_t>& pixels, const std::vector<Colour>& palette)
{
    const std::size_t rowBytes = dibRowBytes(width);
    std::string d;
    appendU32(d, 40);
    appendU32(d, uint32_t(width));
    appendU32(d, uint32_t(height));
    appendU16(d, 1); // planes
    appendU16(d, 8); // bits per pixel
    appendU32(d, 0); // not compressed
    appendU32(d, uint32_t(rowBytes * std::size_t(height)));
    appendU32(d, 0); // resolution
    appendU32(d, 0);
    appendU32(d, 256); // colours used
    appendU32(d, 0);
    for (int i = 0; i < 256; ++i) {
        const Colour c = i < int(palette.size()) ? palette[std::size_t(i)] : kBlack;
        d += char((c >> 16) & 0xff); // blue, green, red, reserved
        d += char((c >> 8) & 0xff);
        d += char(c & 0xff);
        d += '\0';
    }
    for (int row = height - 1; row >= 0; --row) {
        d.append(reinterpret_cast<const char*>(pixels.data()) + std::size_t(row) * std::size_t(width),
                 std::size_t(width));
        d.append(rowBytes - std::size_t(width), '\0');
    }
    return d;
}

int textAlignFlags(HAlign h, VAlign v)
{
    const int horizontal = h == HAlign::Right ? 2 : h == HAlign::Center ? 6 : 0;
    const int vertical = v == VAlign::Bottom ? 8 : v == VAlign::Baseline ? 24 : 0;
    return horizontal | vertical;
}

MetafileCanvas::MetafileCanvas(int width, int height, int firstSlot)
    : width_(width), height_(height), firstSlot_(firstSlot)
{
}

int MetafileCanvas::createObject()
{
    const auto free = std::find(slots_.begin(), slots_.end(), false);
    const int index = int(free - slots_.begin());
    if (free == slots_.end())
        slots_.push_back(true);
    else
        *free = true;
    return firstSlot_ + index;
}

void MetafileCanvas::replace(int& current, int slot)
{
    selectObject(slot);
    retire(std::exchange(current, slot));
}

// A saved state (the clip) still refers to the objects selected when it was
// saved, so they are deleted only after it is restored.
void MetafileCanvas::retire(int slot)
{
    if (slot < 0)
        return;
    if (clipped_) {
        deferred_.push_back(slot);
        return;
    }
    deleteObject(slot);
    slots_[std::size_t(slot - firstSlot_)] = false;
}

void MetafileCanvas::setPen(const Pen& pen)
{
    if (penSlot_ >= 0 && pen == pen_)
        return;
    const int slot = createObject();
    createPen(pen, slot);
    replace(penSlot_, slot);
    pen_ = pen;
}

void MetafileCanvas::setBrush(const Brush& brush)
{
    if (brushSlot_ >= 0 && brush == brush_)
        return;
    const int slot = createObject();
    createBrush(brush, slot);
    replace(brushSlot_, slot);
    brush_ = brush;
}

void MetafileCanvas::setFont(int height, bool bold)
{
    metrics_.setFont(height, bold);
    if (fontSlot_ >= 0 && height == fontHeight_ && bold == bold_)
        return;
    const int slot = createObject();
    createFont(height, bold, slot);
    replace(fontSlot_, slot);
    fontHeight_ = height;
    bold_ = bold;
}

void MetafileCanvas::setTextColour(Colour c)
{
    if (textColour_ == long(c))
        return;
    textColour(c);
    textColour_ = long(c);
}

TextSize MetafileCanvas::textExtent(const std::string& text) { return metrics_.extent(pageCodePoints(text)); }

void MetafileCanvas::text(int x, int y, const std::string& text, HAlign h, VAlign v)
{
    const std::u32string s = pageCodePoints(text).substr(0, 32767);
    if (s.empty())
        return;
    const int align = textAlignFlags(h, v);
    if (align != textAlign_) {
        textAlign(align);
        textAlign_ = align;
    }
    textRecord(x, y, s);
}

void MetafileCanvas::fill(const Rect& r, Colour c)
{
    const Pen pen = pen_;
    const Brush brush = brush_;
    const bool hadPen = penSlot_ >= 0, hadBrush = brushSlot_ >= 0;
    setPen({kBlack, PenStyle::None, 0});
    setBrush({c, false});
    rectangle(r);
    if (hadPen)
        setPen(pen);
    if (hadBrush)
        setBrush(brush);
}

void MetafileCanvas::setClip(const Rect& r)
{
    clearClip();
    saveState();
    clipRect(r);
    clipped_ = true;
}

void MetafileCanvas::clearClip()
{
    if (!clipped_)
        return;
    restoreState();
    clipped_ = false;
    // The restored state holds the objects of the time it was saved.
    for (int slot : {penSlot_, brushSlot_, fontSlot_})
        if (slot >= 0)
            selectObject(slot);
    textAlign_ = -1;
    textColour_ = -1;
    for (int slot : std::exchange(deferred_, {}))
        retire(slot);
}

} // namespace qm
