#pragma once
// A Canvas that draws nothing and records every call with its arguments and
// the pen, brush, font and text colour in effect, so tests can check what a
// painter drew and where. Text is measured as a fixed-width font: a string
// of n characters is n*w pixels wide and h high, with w = 2h/5 for a font of
// height h.
#include "view/canvas.h"

#include <string>
#include <vector>

namespace qm {

struct CanvasCall {
    enum Kind { Pen, Brush, Font, TextColour, Text, MoveTo, LineTo, Polyline, Rectangle, Ellipse, Arc, Fill,
                Clip, ClearClip, Bitmap };
    Kind kind = Pen;
    // State in effect when the call was made (after it, for state calls).
    qm::Pen pen;
    qm::Brush brush;
    int fontHeight = 0;
    bool bold = false;
    Colour textColour = kBlack;
    // Arguments: the point of text/moveTo/lineTo, the points of a polyline,
    // the arc's start and end; the rectangle of rectangle, ellipse, arc,
    // fill, clip and bitmap; fill colour; text and its alignment.
    std::vector<Point> points;
    Rect rect;
    Colour colour = kBlack;
    std::string text;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    int bitmapWidth = 0, bitmapHeight = 0;
    BitmapMode bitmapMode = BitmapMode::Copy;
};

// A straight piece of a drawn path with the pen it was drawn with.
struct Segment {
    Point from, to;
    qm::Pen pen;
};

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(int width, int height, int fontHeight = 14);

    std::vector<CanvasCall> calls;

    void setPen(const qm::Pen& pen) override;
    void setBrush(const qm::Brush& brush) override;
    void setFont(int height, bool bold = false) override;
    void setTextColour(Colour c) override;
    TextSize textExtent(const std::string& text) override;
    void text(int x, int y, const std::string& text, HAlign h = HAlign::Left, VAlign v = VAlign::Top) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(const std::vector<Point>& points) override;
    void rectangle(const Rect& r) override;
    void ellipse(const Rect& bounds) override;
    void arc(const Rect& bounds, Point start, Point end) override;
    void fill(const Rect& r, Colour c) override;
    void setClip(const Rect& r) override;
    void clearClip() override;
    void bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                const std::vector<Colour>& palette, BitmapMode mode = BitmapMode::Copy) override;
    int width() const override { return width_; }
    int height() const override { return height_; }

    // ---- queries for tests -----------------------------------------------
    int charWidth() const { return fontHeight_ * 2 / 5; }
    void clear() { calls.clear(); }
    // Every text call, in order.
    std::vector<const CanvasCall*> texts() const;
    // The first text call with exactly this text, or null.
    const CanvasCall* findText(const std::string& text) const;
    int countText(const std::string& text) const;
    // Every call of one kind.
    std::vector<const CanvasCall*> ofKind(CanvasCall::Kind k) const;
    // The straight pieces drawn by moveTo/lineTo and polylines, in order.
    std::vector<Segment> segments() const;

private:
    int width_, height_;
    qm::Pen pen_;
    qm::Brush brush_;
    int fontHeight_;
    bool bold_ = false;
    Colour textColour_ = kBlack;

    CanvasCall& record(CanvasCall::Kind k);
};

} // namespace qm
