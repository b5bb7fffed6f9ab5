#include "view/cairo_canvas.h"

#include "view/serif_font.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace qm {

namespace {

constexpr double kPi = 3.14159265358979323846;

double red(Colour c) { return (c & 0xff) / 255.0; }
double green(Colour c) { return ((c >> 8) & 0xff) / 255.0; }
double blue(Colour c) { return ((c >> 16) & 0xff) / 255.0; }

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Angle of the ray from the centre of `r` through `p` on the unit circle
// the ellipse is scaled from (cairo's y axis points down).
double rayAngle(const Rect& r, Point p)
{
    const double rx = std::max(r.width() / 2.0, 0.5), ry = std::max(r.height() / 2.0, 0.5);
    return std::atan2((p.y - (r.top + r.bottom) / 2.0) / ry, (p.x - (r.left + r.right) / 2.0) / rx);
}

} // namespace

CairoCanvas::CairoCanvas(cairo_surface_t* surface, int width, int height, bool crisp)
    : cr_(cairo_create(surface)), width_(width), height_(height)
{
    // Pixel images draw lines without smoothing, as the screen does; text
    // keeps its own smoothing.
    if (crisp)
        cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    setPen(Pen{});
    setFont(14);
}

CairoCanvas::~CairoCanvas()
{
    flush();
    cairo_destroy(cr_);
}

void CairoCanvas::colour(Colour c) { cairo_set_source_rgb(cr_, red(c), green(c), blue(c)); }

void CairoCanvas::flush()
{
    if (pathOpen_)
        stroke();
    pathOpen_ = false;
}

void CairoCanvas::stroke()
{
    if (pen_.style == PenStyle::None) {
        cairo_new_path(cr_);
        return;
    }
    colour(pen_.colour);
    cairo_stroke(cr_);
}

void CairoCanvas::setPen(const Pen& pen)
{
    flush();
    pen_ = pen;
    const int w = std::max(pen.width, 1);
    cairo_set_line_width(cr_, w);
    offset_ = w % 2 ? 0.5 : 0.0;
    // The on/off lengths of the dashed and dotted pens, in pen widths.
    const double dash[] = {18.0 * w, 6.0 * w}, dot[] = {3.0 * w, 3.0 * w};
    if (pen.style == PenStyle::Dash)
        cairo_set_dash(cr_, dash, 2, 0);
    else if (pen.style == PenStyle::Dot)
        cairo_set_dash(cr_, dot, 2, 0);
    else
        cairo_set_dash(cr_, nullptr, 0, 0);
}

void CairoCanvas::setBrush(const Brush& brush)
{
    flush();
    brush_ = brush;
}

void CairoCanvas::setFont(int height, bool bold) { selectSerifFont(cr_, height, bold); }

void CairoCanvas::setTextColour(Colour c) { textColour_ = c; }

TextSize CairoCanvas::textExtent(const std::string& text)
{
    return serifExtent(cr_, toUtf8(pageCodePoints(text)));
}

void CairoCanvas::text(int x, int y, const std::string& text, HAlign h, VAlign v)
{
    flush();
    const std::string s = toUtf8(pageCodePoints(text));
    cairo_text_extents_t te;
    cairo_text_extents(cr_, s.c_str(), &te);
    cairo_font_extents_t fe;
    cairo_font_extents(cr_, &fe);
    double px = x, py = y;
    if (h == HAlign::Center)
        px -= te.x_advance / 2;
    else if (h == HAlign::Right)
        px -= te.x_advance;
    if (v == VAlign::Top)
        py += fe.ascent;
    else if (v == VAlign::Bottom)
        py -= fe.descent;
    colour(textColour_);
    cairo_move_to(cr_, px, py);
    cairo_show_text(cr_, s.c_str());
    cairo_new_path(cr_);
}

void CairoCanvas::moveTo(int x, int y)
{
    flush();
    current_ = {x, y};
}

void CairoCanvas::lineTo(int x, int y)
{
    if (!pathOpen_)
        cairo_move_to(cr_, at(current_.x), at(current_.y));
    cairo_line_to(cr_, at(x), at(y));
    pathOpen_ = true;
    current_ = {x, y};
}

void CairoCanvas::polyline(const std::vector<Point>& points)
{
    flush();
    if (points.size() < 2)
        return;
    cairo_move_to(cr_, at(points[0].x), at(points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i)
        cairo_line_to(cr_, at(points[i].x), at(points[i].y));
    stroke();
    current_ = points.back();
}

// Shapes cover [left, right) x [top, bottom); the outline runs on the last
// pixels inside, as on the screen.
void CairoCanvas::rectangle(const Rect& r)
{
    flush();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (!brush_.hollow) {
        colour(brush_.colour);
        cairo_rectangle(cr_, r.left, r.top, r.width(), r.height());
        cairo_fill(cr_);
    }
    const double w = std::max(pen_.width, 1);
    cairo_rectangle(cr_, r.left + w / 2, r.top + w / 2, r.width() - w, r.height() - w);
    stroke();
}

void CairoCanvas::ellipsePath(const Rect& r, double from, double to, bool closed)
{
    const double w = std::max(pen_.width, 1);
    const double rx = std::max((r.width() - w) / 2, 0.5), ry = std::max((r.height() - w) / 2, 0.5);
    cairo_save(cr_);
    cairo_translate(cr_, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    cairo_scale(cr_, rx, ry);
    cairo_new_sub_path(cr_);
    // Counter-clockwise on the screen is decreasing angle with y down.
    cairo_arc_negative(cr_, 0, 0, 1, from, to);
    if (closed)
        cairo_close_path(cr_);
    cairo_restore(cr_);
}

void CairoCanvas::ellipse(const Rect& bounds)
{
    flush();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    ellipsePath(bounds, 0, -2 * kPi, true);
    if (!brush_.hollow) {
        colour(brush_.colour);
        cairo_fill_preserve(cr_);
    }
    stroke();
}

void CairoCanvas::arc(const Rect& bounds, Point start, Point end)
{
    flush();
    const double a1 = rayAngle(bounds, start);
    double a2 = rayAngle(bounds, end);
    if (a2 >= a1) // equal rays: the whole ellipse
        a2 -= 2 * kPi;
    ellipsePath(bounds, a1, a2, false);
    stroke();
}

void CairoCanvas::fill(const Rect& r, Colour c)
{
    flush();
    colour(c);
    cairo_rectangle(cr_, r.left, r.top, r.width(), r.height());
    cairo_fill(cr_);
}

void CairoCanvas::setClip(const Rect& r)
{
    flush();
    cairo_reset_clip(cr_);
    cairo_rectangle(cr_, r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0));
    cairo_clip(cr_);
}

void CairoCanvas::clearClip()
{
    flush();
    cairo_reset_clip(cr_);
}

void CairoCanvas::bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>& pixels,
                         const std::vector<Colour>& palette, BitmapMode mode)
{
    flush();
    if (width <= 0 || height <= 0 || pixels.size() < std::size_t(width) * std::size_t(height) ||
        target.width() <= 0 || target.height() <= 0)
        return;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_surface_flush(image.get());
    unsigned char* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < width; ++x) {
            const uint8_t i = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            const Colour c = i < palette.size() ? palette[i] : kBlack;
            row[x] = ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff);
        }
    }
    cairo_surface_mark_dirty(image.get());
    cairo_save(cr_);
    cairo_rectangle(cr_, target.left, target.top, target.width(), target.height());
    cairo_clip(cr_);
    cairo_translate(cr_, target.left, target.top);
    cairo_scale(cr_, double(target.width()) / width, double(target.height()) / height);
    cairo_set_source_surface(cr_, image.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    // Multiplying keeps what is below wherever the image is white and
    // blackens it where the image is black, as an AND of colours does.
    if (mode == BitmapMode::And)
        cairo_set_operator(cr_, CAIRO_OPERATOR_MULTIPLY);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

std::string cairoPage(CairoFormat format, int width, int height, const std::function<void(Canvas&)>& paint)
{
    std::string out;
    cairo_surface_t* surface = nullptr;
    switch (format) {
    case CairoFormat::Pdf: surface = cairo_pdf_surface_create_for_stream(appendBytes, &out, width, height); break;
    case CairoFormat::Svg:
        surface = cairo_svg_surface_create_for_stream(appendBytes, &out, width, height);
        cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
        break;
    case CairoFormat::Png: surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height); break;
    }
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        CairoCanvas canvas(surface, width, height, format == CairoFormat::Png);
        paint(canvas);
    }
    if (ok && format == CairoFormat::Png)
        ok = cairo_surface_write_to_png_stream(surface, appendBytes, &out) == CAIRO_STATUS_SUCCESS;
    cairo_surface_finish(surface);
    ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!ok)
        out.clear();
    return out;
}

} // namespace qm
