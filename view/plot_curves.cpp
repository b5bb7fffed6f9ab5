#include "view/plot_curves.h"

#include "view/sample_scan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

namespace {

// y(v) of a frame and axis, as PlotFrame::y computes it, without dividing
// for every point. It never falls as v rises (or never rises, for a reversed
// axis), so a column whose extremes share a pixel row is that one row.
class PixelRows {
public:
    PixelRows(const PlotFrame& f, const AxisRange& axis)
        : bottom_(f.bottom), offset_(f.offset), min_(axis.min), span_(axis.span()), height_(f.bottom - f.top - 10),
          scale_(height_ / span_)
    {
    }
    int y(float v) const
    {
        const double d = double(v) + offset_ - min_;
        // Multiplying by height/span lands within a few units in the last
        // place of d/span*height: where all within a hair of the product
        // truncates alike, so does the quotient. Elsewhere, and outside the
        // pixel range, the quotient itself decides.
        const double t = d * scale_;
        if (std::fabs(t) < 32000) {
            const int whole = static_cast<int>(t - kHair);
            if (whole == static_cast<int>(t + kHair))
                return bottom_ - whole;
        }
        return bottom_ - toPixel(d / span_ * height_);
    }

private:
    static constexpr double kHair = 1e-6;
    int bottom_;
    double offset_, min_, span_, height_, scale_;
};

// Writes the points of a curve into a buffer with room for all of them,
// without branching on the data (noisy curves would keep the branch
// predictor guessing). The buffer starts with two points on no row, so that
// looking back never needs a bounds check.
class PointWriter {
public:
    PointWriter(std::vector<Point>& buffer, std::size_t most)
    {
        if (buffer.size() < most + 2)
            buffer.resize(most + 2);
        buffer[0] = buffer[1] = {0, std::numeric_limits<int>::min()};
        begin_ = end_ = buffer.data() + 2;
    }
    // The first point of a column. x never decreases along a curve, so of
    // three points on one row the middle one adds nothing.
    void start(Point p)
    {
        end_ -= (end_[-2].y == p.y) & (end_[-1].y == p.y);
        *end_++ = p;
    }
    // A further point in the same column, unless it repeats the one before.
    void next(Point p)
    {
        const bool moves = end_[-1].y != p.y;
        *end_ = p;
        end_ += moves;
    }
    const Point* begin() const { return begin_; }
    const Point* end() const { return end_; }

private:
    Point *begin_, *end_;
};

} // namespace

void CurveTracer::layColumns(const PlotFrame& f, int nPoints)
{
    const Columns laid{f.left, f.right, f.viewBegin, f.viewEnd, nPoints};
    if (laid == laid_)
        return;
    laid_ = laid;
    starts_.clear();
    xs_.clear();
    const int first = std::max(f.viewBegin, 0);
    const int last = std::min(f.viewEnd, nPoints - 1);
    if (last < first)
        return;
    // x(i) written out here: the point index is at or right of viewBegin,
    // so truncation is the floor, and a frame lies well inside the pixel
    // range toPixel() clamps to.
    const double ppp = f.pixelsPerPoint();
    const auto xOf = [&](int i) { return f.left + static_cast<int>((i - f.viewBegin) * ppp); };
    for (int i = first; i <= last;) {
        // A column's points run from i to `end`, found from the column width
        // and settled with x(i) itself so that every point lands in the
        // column x(i) gives it.
        const int x = xOf(i);
        int end = last + 1;
        if (ppp > 0)
            end = std::clamp(static_cast<int>(std::ceil((x + 1 - f.left) / ppp)) + f.viewBegin, i + 1, last + 1);
        while (end > i + 1 && xOf(end - 1) != x)
            --end;
        while (end <= last && xOf(end) == x)
            ++end;
        starts_.push_back(i);
        xs_.push_back(x);
        i = end;
    }
    starts_.push_back(last + 1);
}

const std::vector<Point>& CurveTracer::trace(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    pts_.clear();
    if (!a)
        return pts_;
    layColumns(f, nPoints);
    const PixelRows rows(f, axis);
    const auto finite = [&](int k) { return a[k] - a[k] == 0.0f; }; // neither infinite nor NaN
    // Values seen to fall on one row: y being monotonic, a column whose
    // samples lie between them is on that row too. Along the flat stretches
    // of a curve whole runs of columns are passed over that way, giving one
    // horizontal line.
    FiniteExtremes seen;
    int seenY = 0;
    const std::size_t columns = xs_.size();
    const int last = columns ? starts_[columns] : 0;
    PointWriter out(buffer_, 4 * columns); // a column gives four points at most
    for (std::size_t c = 0; c < columns; ++c) {
        if (!seen.empty()) {
            const int outside = firstOutside(a, starts_[c], last, seen.lo, seen.hi);
            std::size_t past = c;
            while (past < columns && starts_[past + 1] <= outside)
                ++past;
            if (past > c) {
                out.start({xs_[past - 1], seenY});
                c = past;
                if (c == columns)
                    break;
            }
        }
        const int begin = starts_[c], end = starts_[c + 1], x = xs_[c];
        const FiniteExtremes e = finiteExtremes(a + begin, end - begin);
        if (e.empty())
            continue;
        const int yLow = rows.y(e.lo), yHigh = rows.y(e.hi);
        if (yLow == yHigh) {
            if (yLow != seenY)
                seen = {};
            seenY = yLow;
            seen.lo = std::min(seen.lo, e.lo);
            seen.hi = std::max(seen.hi, e.hi);
            out.start({x, yLow});
            continue;
        }
        // The first and last finite points, and which extreme comes first.
        int head = begin;
        while (!finite(head))
            ++head;
        int tail = end - 1;
        while (!finite(tail))
            --tail;
        int k = head;
        while (a[k] != e.lo && a[k] != e.hi)
            ++k;
        const bool lowFirst = a[k] == e.lo;
        const int yHead = rows.y(a[head]), yTail = rows.y(a[tail]);
        const int turn = lowFirst ? yLow : yHigh, back = lowFirst ? yHigh : yLow;
        // Head and tail lie between the extremes, so the line turns at each
        // of them: past the first point only a repeat can go.
        out.start({x, yHead});
        out.next({x, turn});
        out.next({x, back});
        out.next({x, yTail});
        seen = {a[tail], a[tail]};
        seenY = yTail;
    }
    pts_.assign(out.begin(), out.end());
    return pts_;
}

void CurveTracer::draw(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    const auto& pts = trace(f, a, nPoints, axis);
    if (pts.size() >= 2)
        f.c().polyline(pts);
}

std::vector<Point> curvePoints(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    return CurveTracer().trace(f, a, nPoints, axis);
}

void drawCurve(const PlotFrame& f, const float* a, int nPoints, const AxisRange& axis)
{
    CurveTracer().draw(f, a, nPoints, axis);
}

void drawScanCurves(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                    CurveOrder order)
{
    struct Curve {
        bool on;
        const float* a;
        ColourIndex colour;
        PenStyle style;
        const AxisRange* axis;
    };
    const Curve dataI{sel.dataI, s.dataI(), kRgbDataI, PenStyle::Solid, &r.i};
    const Curve dataV{sel.dataV, s.dataV(), kRgbDataV, PenStyle::Solid, &r.v};
    const Curve wrkI{sel.wrkI, s.wrkI(), kRgbWorkI, PenStyle::Dot, &r.i};
    const Curve wrkV{sel.wrkV, s.wrkV(), kRgbWorkV, PenStyle::Dot, &r.v};
    const Curve byData[] = {dataI, dataV, wrkI, wrkV};
    const Curve byChannel[] = {dataI, wrkI, dataV, wrkV};
    CurveTracer tracer;
    for (const Curve& c : order == CurveOrder::DataFirst ? byData : byChannel) {
        if (!c.on || !c.a)
            continue;
        f.c().setPen(f.pen(f.colourOf(c.colour), c.style));
        tracer.draw(f, c.a, s.nPoints, *c.axis);
    }
}

} // namespace qm
