#include "view/recording_canvas.h"

namespace qm {

RecordingCanvas::RecordingCanvas(int width, int height, int fontHeight)
    : width_(width), height_(height), fontHeight_(fontHeight)
{
}

CanvasCall& RecordingCanvas::record(CanvasCall::Kind k)
{
    CanvasCall& c = calls.emplace_back();
    c.kind = k;
    c.pen = pen_;
    c.brush = brush_;
    c.fontHeight = fontHeight_;
    c.bold = bold_;
    c.textColour = textColour_;
    return c;
}

void RecordingCanvas::setPen(const qm::Pen& pen)
{
    pen_ = pen;
    record(CanvasCall::Pen);
}

void RecordingCanvas::setBrush(const qm::Brush& brush)
{
    brush_ = brush;
    record(CanvasCall::Brush);
}

void RecordingCanvas::setFont(int height, bool bold)
{
    fontHeight_ = height;
    bold_ = bold;
    record(CanvasCall::Font);
}

void RecordingCanvas::setTextColour(Colour c)
{
    textColour_ = c;
    record(CanvasCall::TextColour);
}

TextSize RecordingCanvas::textExtent(const std::string& text)
{
    return {static_cast<int>(text.size()) * charWidth(), fontHeight_};
}

void RecordingCanvas::text(int x, int y, const std::string& text, HAlign h, VAlign v)
{
    CanvasCall& c = record(CanvasCall::Text);
    c.points = {{x, y}};
    c.text = text;
    c.hAlign = h;
    c.vAlign = v;
}

void RecordingCanvas::moveTo(int x, int y)
{
    record(CanvasCall::MoveTo).points = {{x, y}};
}

void RecordingCanvas::lineTo(int x, int y)
{
    record(CanvasCall::LineTo).points = {{x, y}};
}

void RecordingCanvas::polyline(const std::vector<Point>& points)
{
    record(CanvasCall::Polyline).points = points;
}

void RecordingCanvas::rectangle(const Rect& r) { record(CanvasCall::Rectangle).rect = r; }

void RecordingCanvas::ellipse(const Rect& bounds) { record(CanvasCall::Ellipse).rect = bounds; }

void RecordingCanvas::arc(const Rect& bounds, Point start, Point end)
{
    CanvasCall& c = record(CanvasCall::Arc);
    c.rect = bounds;
    c.points = {start, end};
}

void RecordingCanvas::fill(const Rect& r, Colour colour)
{
    CanvasCall& c = record(CanvasCall::Fill);
    c.rect = r;
    c.colour = colour;
}

void RecordingCanvas::setClip(const Rect& r) { record(CanvasCall::Clip).rect = r; }

void RecordingCanvas::clearClip() { record(CanvasCall::ClearClip); }

void RecordingCanvas::bitmap(const Rect& target, int width, int height, const std::vector<uint8_t>&,
                             const std::vector<Colour>&, BitmapMode mode)
{
    CanvasCall& c = record(CanvasCall::Bitmap);
    c.bitmapMode = mode;
    c.rect = target;
    c.bitmapWidth = width;
    c.bitmapHeight = height;
}

std::vector<const CanvasCall*> RecordingCanvas::ofKind(CanvasCall::Kind k) const
{
    std::vector<const CanvasCall*> out;
    for (const auto& c : calls)
        if (c.kind == k)
            out.push_back(&c);
    return out;
}

std::vector<const CanvasCall*> RecordingCanvas::texts() const { return ofKind(CanvasCall::Text); }

const CanvasCall* RecordingCanvas::findText(const std::string& text) const
{
    for (const auto& c : calls)
        if (c.kind == CanvasCall::Text && c.text == text)
            return &c;
    return nullptr;
}

int RecordingCanvas::countText(const std::string& text) const
{
    int n = 0;
    for (const auto& c : calls)
        n += c.kind == CanvasCall::Text && c.text == text;
    return n;
}

std::vector<Segment> RecordingCanvas::segments() const
{
    std::vector<Segment> out;
    Point at;
    for (const auto& c : calls) {
        switch (c.kind) {
        case CanvasCall::MoveTo:
            at = c.points[0];
            break;
        case CanvasCall::LineTo:
            out.push_back({at, c.points[0], c.pen});
            at = c.points[0];
            break;
        case CanvasCall::Polyline:
            for (std::size_t i = 1; i < c.points.size(); ++i)
                out.push_back({c.points[i - 1], c.points[i], c.pen});
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace qm
