#pragma once
// A Canvas on cairo: PDF (one page of W x H points), SVG (W x H pixels) and
// PNG (W x H pixels) files written headless, with the colours, pens, serif
// font and clipping of the screen.
#include "view/canvas.h"

#include <cairo.h>

#include <functional>
#include <string>

namespace qm {

enum class CairoFormat { Pdf, Svg, Png };

class CairoCanvas : public Canvas {
public:
    // Draws on `surface`, which stays the caller's.
    CairoCanvas(cairo_surface_t* surface, int width, int height, bool crisp);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    void setPen(const Pen& pen) override;
    void setBrush(const Brush& brush) override;
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

    // Strokes a path still open from moveTo/lineTo.
    void flush();

private:
    void colour(Colour c);
    void stroke();
    // Pixel centre of a line of the current pen, so odd widths stay crisp.
    double at(int v) const { return v + offset_; }
    void ellipsePath(const Rect& r, double from, double to, bool closed);

    cairo_t* cr_;
    int width_, height_;
    Pen pen_;
    Brush brush_;
    Colour textColour_ = kBlack;
    double offset_ = 0.5;
    Point current_;
    bool pathOpen_ = false;
};

// The file of a W x H page painted by `paint`; empty when cairo failed.
std::string cairoPage(CairoFormat format, int width, int height, const std::function<void(Canvas&)>& paint);

} // namespace qm
