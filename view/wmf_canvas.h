#pragma once
// A Canvas that builds a Windows metafile in memory: 16-bit records in the
// order a reader replays them, objects in the lowest free slot of the
// object table, the white page drawn first so readers that size a metafile
// by its drawing see the whole page.
#include "view/metafile_canvas.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Function numbers of the metafile records written and read here.
namespace wmf {
inline constexpr uint16_t kEof = 0x0000;
inline constexpr uint16_t kSaveDc = 0x001E;
inline constexpr uint16_t kSetBkMode = 0x0102;
inline constexpr uint16_t kRestoreDc = 0x0127;
inline constexpr uint16_t kSelectObject = 0x012D;
inline constexpr uint16_t kSetTextAlign = 0x012E;
inline constexpr uint16_t kDeleteObject = 0x01F0;
inline constexpr uint16_t kSetTextColor = 0x0209;
inline constexpr uint16_t kSetWindowOrg = 0x020B;
inline constexpr uint16_t kSetWindowExt = 0x020C;
inline constexpr uint16_t kLineTo = 0x0213;
inline constexpr uint16_t kMoveTo = 0x0214;
inline constexpr uint16_t kCreatePalette = 0x00F7;
inline constexpr uint16_t kCreatePenIndirect = 0x02FA;
inline constexpr uint16_t kCreateFontIndirect = 0x02FB;
inline constexpr uint16_t kCreateBrushIndirect = 0x02FC;
inline constexpr uint16_t kPolyline = 0x0325;
inline constexpr uint16_t kIntersectClipRect = 0x0416;
inline constexpr uint16_t kEllipse = 0x0418;
inline constexpr uint16_t kRectangle = 0x041B;
inline constexpr uint16_t kTextOut = 0x0521;
inline constexpr uint16_t kArc = 0x0817;
inline constexpr uint16_t kStretchDib = 0x0F43;

// Pen styles, text alignment bits and raster operations.
inline constexpr int kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenNull = 5;
inline constexpr int kAlignRight = 2, kAlignCenter = 6, kAlignBottom = 8, kAlignBaseline = 24;
inline constexpr uint32_t kSrcCopy = 0x00CC0020, kSrcAnd = 0x008800C6;

inline constexpr std::size_t kHeaderSize = 18;
inline constexpr std::size_t kPlaceableSize = 22;
} // namespace wmf

class WmfCanvas : public MetafileCanvas {
public:
    WmfCanvas(int width, int height);

    // The finished metafile: header, every record so far, META_EOF; after
    // `prefix` (the placeable header of a file) when one is given.
    std::string bytes(std::string_view prefix = {}) const;

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(const std::vector<Point>& points) override;
    void rectangle(const Rect& r) override;
    void ellipse(const Rect& bounds) override;
    void arc(const Rect& bounds, Point start, Point end) override;
    void bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                const std::vector<Colour>& palette, BitmapMode mode = BitmapMode::Copy) override;

protected:
    void createPen(const Pen& pen, int slot) override;
    void createBrush(const Brush& brush, int slot) override;
    void createFont(int height, bool bold, int slot) override;
    void selectObject(int slot) override;
    void deleteObject(int slot) override;
    void saveState() override;
    void restoreState() override;
    void clipRect(const Rect& r) override;
    void textAlign(int flags) override;
    void textColour(Colour c) override;
    void textRecord(int x, int y, const std::u32string& text) override;

private:
    void begin(uint16_t function);
    void word(int v);
    void dword(uint32_t v);
    void end();
    void simple(uint16_t function, std::initializer_list<int> params);
    void box(uint16_t function, const Rect& r);

    std::string records_;
    std::size_t recordStart_ = 0;
    uint32_t maxRecord_ = 0;
};

// The 22-byte header that makes a placeable metafile of a W x H page at 96
// units per inch; the metafile follows it.
std::string placeableHeader(int width, int height);

} // namespace qm
