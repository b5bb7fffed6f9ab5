#pragma once
// A Canvas that builds an enhanced metafile in memory: EMR_HEADER with the
// page's bounds, frame (0.01 mm at 96 pixels per inch) and device size,
// the white page, 32-bit records of the drawing, EMR_EOF.
#include "view/metafile_canvas.h"

#include <string>
#include <vector>

namespace qm {

namespace emf {
inline constexpr uint32_t kHeader = 1, kPolyline16 = 87, kEof = 14, kSetBkMode = 18, kSetTextAlign = 22,
                          kSetTextColor = 24, kMoveToEx = 27, kIntersectClipRect = 30, kSaveDc = 33,
                          kRestoreDc = 34, kSelectObject = 37, kCreatePen = 38, kCreateBrushIndirect = 39,
                          kDeleteObject = 40, kEllipse = 42, kRectangle = 43, kArc = 45, kLineTo = 54,
                          kStretchDiBits = 81, kExtCreateFontIndirectW = 82, kExtTextOutW = 84;
inline constexpr uint32_t kSignature = 0x464D4520; // " EMF"
inline constexpr std::size_t kHeaderSize = 108;
} // namespace emf

class EmfCanvas : public MetafileCanvas {
public:
    EmfCanvas(int width, int height);

    // The finished file: header, every record so far, EMR_EOF.
    std::string bytes() const;

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
    void begin(uint32_t type);
    void u32(uint32_t v);
    void i32(int v) { u32(uint32_t(v)); }
    void rect(const Rect& r);
    void end();
    void simple(uint32_t type, std::initializer_list<int> params);

    std::string records_;
    std::size_t recordStart_ = 0;
    uint32_t count_ = 0;
};

} // namespace qm
