#pragma once
// The drawing surface the plot, the full-scan picture, the solar disk and
// the local-graph picture are painted on. QtCanvas draws on a QPainter
// (screen, printer, PDF, SVG, PNG); RecordingCanvas records every call for
// tests; the metafile canvases write files of their own.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Colours are Windows colour values 0x00bbggrr, as the settings store them.
using Colour = uint32_t;
inline constexpr Colour kBlack = 0x00000000;
inline constexpr Colour kWhite = 0x00ffffff;
inline constexpr Colour kRed = 0x000000ff;

enum class PenStyle { Solid, Dash, Dot, None };
enum class BitmapMode { Copy, And };

struct Pen {
    Colour colour = kBlack;
    PenStyle style = PenStyle::Solid;
    int width = 0; // 0: the thinnest line the device draws
    bool operator==(const Pen&) const = default;
};

struct Brush {
    Colour colour = kWhite;
    bool hollow = false; // shapes are outlined only
    bool operator==(const Brush&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// Text alignment: the reference point is at the given side or centre.
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Baseline, Bottom };

struct TextSize {
    int width = 0, height = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void setPen(const Pen& pen) = 0;
    virtual void setBrush(const Brush& brush) = 0;
    // Font of the given pixel height ("Times New Roman" on screen); the
    // character width follows from the face.
    virtual void setFont(int height, bool bold = false) = 0;
    virtual void setTextColour(Colour c) = 0;
    virtual TextSize textExtent(const std::string& text) = 0;
    virtual void text(int x, int y, const std::string& text, HAlign h = HAlign::Left, VAlign v = VAlign::Top) = 0;

    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void polyline(const std::vector<Point>& points) = 0;
    virtual void rectangle(const Rect& r) = 0; // outline with the pen, filled with the brush
    virtual void ellipse(const Rect& bounds) = 0;
    // Arc of the ellipse in `bounds` from the ray through `start` to the ray
    // through `end`, counter-clockwise.
    virtual void arc(const Rect& bounds, Point start, Point end) = 0;
    virtual void fill(const Rect& r, Colour c) = 0;

    // Clip to a rectangle; clearClip removes it.
    virtual void setClip(const Rect& r) = 0;
    virtual void clearClip() = 0;

    // An 8-bit image (row-major, width*height indices into a 256-entry
    // palette of colours) stretched into `target` (nearest neighbour). And
    // combines each colour with what is below it by a bitwise AND, so a
    // bitmap drawn under a curve keeps the curve visible.
    virtual void bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                        const std::vector<Colour>& palette, BitmapMode mode = BitmapMode::Copy) = 0;

    // Size of the surface in pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;
};

} // namespace qm
