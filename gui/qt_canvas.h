#pragma once
// Canvas on a QPainter: the screen, printers, PDF, SVG and PNG images.
// Lines are drawn without antialiasing so that pixel positions are those the
// painter computed; colours are Windows colour values 0x00bbggrr.
#include "view/canvas.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPolygon>

class QPainter;

namespace qm {

// The plot font: "Times New Roman" of a pixel height, any serif face where
// that one is not installed.
QFont plotFont(int pixelHeight, bool bold = false);

class QtCanvas : public Canvas {
public:
    // Draws on `painter`, whose device is width x height pixels.
    QtCanvas(QPainter& painter, int width, int height);
    ~QtCanvas() override;
    // Draws the path of lineTo calls collected so far (every other call
    // does this first; a run of lineTo calls is one polyline, which is much
    // faster than single lines and keeps the dash pattern running).
    void flush();

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

private:
    QPainter& p_;
    int width_, height_;
    QPen pen_;
    QColor textColour_;
    Point at_;
    QPolygon path_;
    QPolygon polyline_;
};

} // namespace qm
