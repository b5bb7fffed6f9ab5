#include "gui/qt_canvas.h"

#include "gui/config_dialog_qt.h" // toQColor

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>

namespace qm {

namespace {

constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;

QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// The outline of a shape covering [left, right) x [top, bottom), as GDI
// draws rectangles and ellipses: the pen runs on the last pixels inside.
QRect outlineRect(const Rect& r) { return QRect(r.left, r.top, r.width() - 1, r.height() - 1); }

// Direction of the ray from the centre of `r` through `p`, in degrees
// counter-clockwise from three o'clock as seen on the screen.
double rayAngle(const Rect& r, Point p)
{
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    return std::atan2(cy - p.y, p.x - cx) * kRadToDeg;
}

} // namespace

QFont plotFont(int pixelHeight, bool bold)
{
    QFont f("Times New Roman");
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(pixelHeight > 0 ? pixelHeight : 1);
    f.setBold(bold);
    return f;
}

QtCanvas::QtCanvas(QPainter& painter, int width, int height) : p_(painter), width_(width), height_(height)
{
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    setPen(Pen{});
    setBrush(Brush{});
    setFont(14);
    textColour_ = Qt::black;
}

QtCanvas::~QtCanvas() { flush(); }

void QtCanvas::flush()
{
    if (path_.size() >= 2)
        p_.drawPolyline(path_);
    path_.clear();
}

void QtCanvas::setPen(const Pen& pen)
{
    flush();
    QPen q(toQColor(pen.colour));
    q.setWidth(pen.width); // 0: cosmetic, one pixel on every device
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    switch (pen.style) {
    case PenStyle::Solid: q.setStyle(Qt::SolidLine); break;
    // The on/off lengths of the classic dashed and dotted pens, in pen widths.
    case PenStyle::Dash: q.setDashPattern({18, 6}); break;
    case PenStyle::Dot: q.setDashPattern({3, 3}); break;
    case PenStyle::None: q.setStyle(Qt::NoPen); break;
    }
    pen_ = q;
    p_.setPen(q);
}

void QtCanvas::setBrush(const Brush& brush)
{
    flush();
    p_.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(toQColor(brush.colour)));
}

void QtCanvas::setFont(int height, bool bold) { p_.setFont(plotFont(height, bold)); }

void QtCanvas::setTextColour(Colour c) { textColour_ = toQColor(c); }

TextSize QtCanvas::textExtent(const std::string& text)
{
    const QFontMetrics fm = p_.fontMetrics(); // of the device: screen or printer
    return {fm.horizontalAdvance(QString::fromStdString(text)), fm.height()};
}

void QtCanvas::text(int x, int y, const std::string& text, HAlign h, VAlign v)
{
    flush();
    const QString s = QString::fromStdString(text);
    const QFontMetrics fm = p_.fontMetrics(); // of the device: screen or printer
    if (h == HAlign::Center)
        x -= fm.horizontalAdvance(s) / 2;
    else if (h == HAlign::Right)
        x -= fm.horizontalAdvance(s);
    if (v == VAlign::Top)
        y += fm.ascent();
    else if (v == VAlign::Bottom)
        y -= fm.descent();
    p_.setPen(textColour_);
    p_.drawText(QPoint(x, y), s);
    p_.setPen(pen_);
}

void QtCanvas::moveTo(int x, int y)
{
    flush();
    at_ = {x, y};
}

void QtCanvas::lineTo(int x, int y)
{
    if (path_.isEmpty())
        path_ << QPoint(at_.x, at_.y);
    path_ << QPoint(x, y);
    at_ = {x, y};
}

void QtCanvas::polyline(const std::vector<Point>& points)
{
    flush();
    if (points.size() < 2)
        return;
    // The curves of a picture come one after another: one buffer serves them all.
    polyline_.resize(qsizetype(points.size()));
    QPoint* q = polyline_.data();
    for (const Point& pt : points)
        *q++ = QPoint(pt.x, pt.y);
    p_.drawPolyline(polyline_.constData(), int(polyline_.size()));
    at_ = points.back();
}

void QtCanvas::rectangle(const Rect& r)
{
    flush();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p_.drawRect(outlineRect(r));
}

void QtCanvas::ellipse(const Rect& bounds)
{
    flush();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    p_.drawEllipse(outlineRect(bounds));
}

void QtCanvas::arc(const Rect& bounds, Point start, Point end)
{
    flush();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    const double a = rayAngle(bounds, start);
    double span = rayAngle(bounds, end) - a;
    while (span <= 0) // equal rays make the whole ellipse
        span += 360;
    p_.save();
    p_.setBrush(Qt::NoBrush);
    p_.drawArc(outlineRect(bounds), int(std::lround(a * 16)), int(std::lround(span * 16)));
    p_.restore();
}

void QtCanvas::fill(const Rect& r, Colour c)
{
    flush();
    p_.fillRect(toQRect(r), toQColor(c));
}

void QtCanvas::setClip(const Rect& r)
{
    flush();
    p_.setClipRect(toQRect(r));
}

void QtCanvas::clearClip()
{
    flush();
    p_.setClipping(false);
}

void QtCanvas::bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<Colour>& palette, BitmapMode mode)
{
    flush();
    if (width <= 0 || height <= 0 || pixels.size() / std::size_t(width) < std::size_t(height))
        return;
    QImage img(width, height, QImage::Format_Indexed8);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        table[qsizetype(i)] = toQColor(palette[i]).rgb();
    }
    img.setColorTable(table);
    for (int row = 0; row < height; ++row)
        std::memcpy(img.scanLine(row), pixels.data() + std::size_t(row) * std::size_t(width), std::size_t(width));
    if (mode == BitmapMode::And) {
        const QPainter::CompositionMode old = p_.compositionMode();
        p_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p_.drawImage(toQRect(target), img);
        p_.setCompositionMode(old);
    } else {
        p_.drawImage(toQRect(target), img);
    }
}

} // namespace qm
