#pragma once
// What the Windows metafile and the enhanced metafile canvases share: the
// object table (pens, brushes and fonts in the lowest free slot, replaced
// objects deleted), the cached text state, the clip as a saved state, and
// the page font's metrics. Each format writes its own records.
#include "view/canvas.h"
#include "view/serif_font.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

// Room the writers reserve for their records at once: a page of curves
// takes tens of kilobytes, and growing a few bytes at a time would copy
// them over and over.
inline constexpr std::size_t kPageRecordBytes = std::size_t(64) << 10;

class MetafileCanvas : public Canvas {
public:
    // Slots count from `firstSlot` (0 in a metafile, 1 in an enhanced one).
    MetafileCanvas(int width, int height, int firstSlot);

    void setPen(const Pen& pen) override;
    void setBrush(const Brush& brush) override;
    void setFont(int height, bool bold = false) override;
    void setTextColour(Colour c) override;
    TextSize textExtent(const std::string& text) override;
    void text(int x, int y, const std::string& text, HAlign h = HAlign::Left, VAlign v = VAlign::Top) override;
    void fill(const Rect& r, Colour c) override;
    void setClip(const Rect& r) override;
    void clearClip() override;
    int width() const override { return width_; }
    int height() const override { return height_; }

protected:
    // Slots in use so far, the first unused one included.
    int slotCount() const { return firstSlot_ + int(slots_.size()); }
    SerifMetrics& metrics() { return metrics_; }

    virtual void createPen(const Pen& pen, int slot) = 0;
    virtual void createBrush(const Brush& brush, int slot) = 0;
    virtual void createFont(int height, bool bold, int slot) = 0;
    virtual void selectObject(int slot) = 0;
    virtual void deleteObject(int slot) = 0;
    virtual void saveState() = 0;
    virtual void restoreState() = 0;
    virtual void clipRect(const Rect& r) = 0;
    virtual void textAlign(int flags) = 0;
    virtual void textColour(Colour c) = 0;
    virtual void textRecord(int x, int y, const std::u32string& text) = 0;

private:
    int createObject();
    void replace(int& current, int slot);
    void retire(int slot);

    int width_, height_, firstSlot_;
    std::vector<bool> slots_;
    std::vector<int> deferred_; // replaced while a clip's saved state holds them
    int penSlot_ = -1, brushSlot_ = -1, fontSlot_ = -1;
    Pen pen_;
    Brush brush_;
    int fontHeight_ = 0;
    bool bold_ = false;
    int textAlign_ = -1;
    long textColour_ = -1;
    bool clipped_ = false;
    SerifMetrics metrics_;
};

// Pen style number of both formats: solid 0, dash 1, dot 2, null 5.
int metafilePenStyle(PenStyle s);
// Bytes of a DIB's row of `width` 8-bit pixels: padded to 4.
std::size_t dibRowBytes(int width);
// A bottom-up 8-bit device-independent bitmap: BITMAPINFOHEADER, 256
// colours, rows padded to 4 bytes.
std::string packedDib(int width, int height, const std::vector<uint8_t>& pixels, const std::vector<Colour>& palette);

// SETTEXTALIGN flags of an alignment: left 0, right 2, centre 6; top 0,
// bottom 8, baseline 24.
int textAlignFlags(HAlign h, VAlign v);

} // namespace qm
