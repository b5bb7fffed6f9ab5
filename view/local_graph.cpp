#include "view/local_graph.h"

#include "app/text_format.h"
#include "view/wmf_canvas.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr int kMargin = 5, kMarkSize = 4, kPickPixels = 3, kMinDrag = 10, kMinRows = 2;
constexpr Colour kBlue = 0x00ff0000, kGreen = 0x0000a000;
constexpr double kWavelengthFactor = 30; // cm * GHz
constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Limits widened outward to multiples of their round step.
void roundOut(double& lo, double& hi)
{
    const double s = roundStep(lo, hi);
    constexpr double kSlack = 1e-9; // 1/0.2 must count as 5, not 4.999...
    lo = std::floor(lo / s + kSlack) * s;
    hi = std::ceil(hi / s - kSlack) * s;
}

// Calendar date and time of a day number since 1980 (the inverse of the
// day count the tables use).
struct Stamp {
    int year = 1980, month = 1, day = 1, h = 0, m = 0, s = 0;
};
Stamp stampOf(double days)
{
    Stamp t;
    if (!std::isfinite(days) || days < 0 || days > 1e7)
        return t;
    auto start = [](int y) { return 365.0 * (y - 1980) + (y - 1980) / 4; };
    while (start(t.year + 1) + 1 <= days)
        ++t.year;
    double rest = days - start(t.year);
    const bool leap = (t.year - 1980) % 4 == 0;
    for (int m = 12; m >= 1; --m) {
        const double before = kDaysBeforeMonth[m - 1] + (leap && m > 2 ? 1 : 0);
        if (rest >= before + 1 || m == 1) {
            t.month = m;
            rest -= before;
            break;
        }
    }
    t.day = std::max(1, static_cast<int>(rest));
    const int seconds = static_cast<int>(std::round((rest - std::floor(rest)) * 86400));
    t.h = seconds / 3600 % 24;
    t.m = seconds / 60 % 60;
    t.s = seconds % 60;
    return t;
}

} // namespace

std::string fittedLineText(double a, double b) { return format("%.3f%+.3f*X", a, b); }

double roundStep(double lo, double hi)
{
    double s = 0.05 * (hi - lo);
    if (!(s > 0) || !std::isfinite(s))
        return 1; // no spread (callers widen it first) or none that can be written
    const double power = std::pow(10.0, std::floor(std::log10(s)));
    const double mantissa = s / power;
    return (mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10) * power;
}

void LocalGraph::reset()
{
    table_ = {};
    caption_ = "Local spectrum";
    readout_.clear();
    unitCaption_ = "GHz";
    first_ = 0;
    last_ = -1;
    dragging_ = moved_ = false;
}

void LocalGraph::setTable(LocalGraphTable table, bool xIsFrequency, bool dateLabels)
{
    reset();
    if (table.rows.size() < 2 || table.rows.front().x == table.rows.back().x)
        return;
    table_ = std::move(table);
    caption_ = table_.title;
    xIsFrequency_ = xIsFrequency;
    dateLabels_ = dateLabels;
    last_ = static_cast<int>(table_.rows.size()) - 1;
    scale();
}

void LocalGraph::scale()
{
    const auto& r = table_.rows;
    xMin_ = r[std::size_t(first_)].x;
    xMax_ = r[std::size_t(last_)].x;
    if (xMin_ > xMax_)
        std::swap(xMin_, xMax_);
    if (xMin_ == xMax_) {
        reset();
        return;
    }
    iMin_ = vMin_ = INFINITY;
    iMax_ = vMax_ = -INFINITY;
    for (int k = first_; k <= last_; ++k) {
        iMin_ = std::min(iMin_, r[std::size_t(k)].i);
        iMax_ = std::max(iMax_, r[std::size_t(k)].i);
        vMin_ = std::min(vMin_, r[std::size_t(k)].v);
        vMax_ = std::max(vMax_, r[std::size_t(k)].v);
    }
    if (xIsFrequency_) {
        roundOut(xMin_, xMax_);
        if (xMin_ == xMax_)
            xMax_ += 1;
        xMin_ = std::max(xMin_, 0.0);
    }
    auto widen = [](double& lo, double& hi) {
        if (lo == hi) { // no spread: a round step needs a range
            lo -= 1;
            hi += 1;
        }
        roundOut(lo, hi);
    };
    widen(iMin_, iMax_);
    widen(vMin_, vMax_);
}

int LocalGraph::px(double x) const
{
    return plot_.left + static_cast<int>(std::lround((x - xMin_) / (xMax_ - xMin_) * plot_.width()));
}

int LocalGraph::py(double v, double lo, double hi) const
{
    return plot_.bottom - static_cast<int>(std::lround((v - lo) / (hi - lo) * plot_.height()));
}

double LocalGraph::toX(int x) const { return xMin_ + double(x - plot_.left) / plot_.width() * (xMax_ - xMin_); }

double LocalGraph::toValue(int y, double lo, double hi) const
{
    return lo + double(plot_.bottom - y) / plot_.height() * (hi - lo);
}

std::string LocalGraph::xText(double x) const
{
    if (xIsFrequency_)
        return format("%.2f", x);
    const Stamp t = stampOf(x);
    return dateLabels_ ? format("%04d/%02d/%02d", t.year, t.month, t.day) : format("%02d:%02d:%02d", t.h, t.m, t.s);
}

void LocalGraph::paint(Canvas& c, const Rect& area)
{
    c.fill(area, kWhite);
    if (!hasTable() || !(table_.showI || table_.showV))
        return;
    const int label = c.textExtent("0").height;
    plot_ = {area.left + kMargin + 6 * label, area.top + kMargin + label,
             area.right - kMargin - 2 * label, area.bottom - kMargin - 2 * label};
    if (plot_.width() <= 0 || plot_.height() <= 0)
        return;
    c.setPen({kBlack});
    c.setBrush({kWhite, true});
    c.rectangle(plot_);
    c.setTextColour(kBlack);
    // X ticks every round step of a sixth of the range.
    const double xs = roundStep(0, (xMax_ - xMin_) / 6 * 20);
    for (double x = std::ceil(xMin_ / xs) * xs; x <= xMax_ + xs * 1e-9; x += xs) {
        const int at = px(x);
        c.moveTo(at, plot_.bottom);
        c.lineTo(at, plot_.bottom - kMarkSize);
        c.text(at, plot_.bottom + 2, xIsFrequency_ ? format(xs < 1 ? "%.3f" : "%.0f", x) : xText(x), HAlign::Center);
    }
    const bool left = table_.showI;
    const double lo = left ? iMin_ : vMin_, hi = left ? iMax_ : vMax_;
    const double ys = roundStep(0, (hi - lo) / 6 * 20);
    for (double v = std::ceil(lo / ys) * ys; v <= hi + ys * 1e-9; v += ys) {
        const int at = py(v, lo, hi);
        c.moveTo(plot_.left, at);
        c.lineTo(plot_.left + kMarkSize, at);
        c.text(plot_.left - 2, at, format(ys < 1 ? "%.3f" : "%.0f", v), HAlign::Right, VAlign::Baseline);
    }
    auto curve = [&](Colour colour, double LocalGraphRow::*value, double cLo, double cHi) {
        c.setPen({colour});
        std::vector<Point> pts;
        for (int k = first_; k <= last_; ++k)
            pts.push_back({px(table_.rows[std::size_t(k)].x), py(table_.rows[std::size_t(k)].*value, cLo, cHi)});
        c.polyline(pts);
        c.setBrush({colour});
        for (const Point& p : pts)
            c.rectangle({p.x - kMarkSize / 2, p.y - kMarkSize / 2, p.x + kMarkSize / 2, p.y + kMarkSize / 2});
    };
    c.setClip(plot_);
    if (table_.showV) {
        curve(kBlue, &LocalGraphRow::v, vMin_, vMax_);
        if (vMin_ < 0 && vMax_ > 0) {
            c.setPen({kBlue});
            c.moveTo(plot_.left, py(0, vMin_, vMax_));
            c.lineTo(plot_.right, py(0, vMin_, vMax_));
        }
    }
    if (table_.showI) {
        curve(kGreen, &LocalGraphRow::i, iMin_, iMax_);
        const int m = last_ - first_ + 1;
        double sx = 0, si = 0;
        for (int k = first_; k <= last_; ++k) {
            sx += table_.rows[std::size_t(k)].x;
            si += table_.rows[std::size_t(k)].i;
        }
        const double mean = sx / m;
        double sxi = 0, sxx = 0;
        for (int k = first_; k <= last_; ++k) {
            const double d = table_.rows[std::size_t(k)].x - mean;
            sxi += d * table_.rows[std::size_t(k)].i;
            sxx += d * d;
        }
        const double b = sxx != 0 ? sxi / sxx : 0, a = (si - b * sx) / m;
        const double x0 = table_.rows[std::size_t(first_)].x, x1 = table_.rows[std::size_t(last_)].x;
        c.setPen({kRed});
        c.moveTo(px(x0), py(a + b * x0, iMin_, iMax_));
        c.lineTo(px(x1), py(a + b * x1, iMin_, iMax_));
        c.clearClip();
        c.setTextColour(kRed);
        c.text(plot_.left + kMargin, plot_.top + 2, fittedLineText(a, b));
    }
    c.clearClip();
}

void LocalGraph::leftPress(int x, int y)
{
    if (!hasTable() || plot_.width() <= 0 || plot_.height() <= 0)
        return;
    const double x0 = toX(x - kPickPixels), x1 = toX(x + kPickPixels);
    const bool useI = table_.showI;
    const double lo = useI ? iMin_ : vMin_, hi = useI ? iMax_ : vMax_;
    const double v0 = toValue(y + kPickPixels, lo, hi), v1 = toValue(y - kPickPixels, lo, hi);
    for (int k = last_; k >= first_; --k) {
        const LocalGraphRow& r = table_.rows[std::size_t(k)];
        const double value = useI ? r.i : r.v;
        if (r.x >= std::min(x0, x1) && r.x <= std::max(x0, x1) && value >= v0 && value <= v1) {
            const double p = r.i != 0 ? 100 * r.v / r.i : 0;
            readout_ = xIsFrequency_ ? format("w=%.2f I=%.2f V=%.2f P=%.2f%%", r.x, r.i, r.v, p)
                                     : format("%s I=%.2f V=%.2f P=%.2f%%", xText(r.x).c_str(), r.i, r.v, p);
            return;
        }
    }
}

void LocalGraph::rightPress(int x)
{
    dragging_ = hasTable();
    moved_ = false;
    dragStart_ = dragNow_ = x;
}

void LocalGraph::move(int x, bool rightHeld)
{
    if (!dragging_ || !rightHeld)
        return;
    moved_ = true;
    dragNow_ = x;
    const double a = toX(dragStart_), b = toX(x);
    readout_ = format("from %.3f to %.3f", std::min(a, b), std::max(a, b));
}

std::optional<Rect> LocalGraph::dragRect() const
{
    if (!dragging_ || !moved_)
        return std::nullopt;
    return Rect{std::min(dragStart_, dragNow_), plot_.top, std::max(dragStart_, dragNow_), plot_.bottom};
}

void LocalGraph::rightRelease(int x)
{
    const bool zoom = dragging_ && moved_;
    dragging_ = moved_ = false;
    if (!zoom)
        return;
    readout_.clear();
    if (std::abs(x - dragStart_) < kMinDrag)
        return;
    auto nearest = [&](int pixel) {
        const double want = toX(std::clamp(pixel, plot_.left, plot_.right));
        int best = first_;
        for (int k = 0; k < static_cast<int>(table_.rows.size()); ++k)
            if (std::fabs(table_.rows[std::size_t(k)].x - want) < std::fabs(table_.rows[std::size_t(best)].x - want))
                best = k;
        return best;
    };
    int a = nearest(dragStart_), b = nearest(x);
    if (a > b)
        std::swap(a, b);
    if (b - a < kMinRows)
        return;
    first_ = a;
    last_ = b;
    scale();
}

void LocalGraph::full()
{
    if (!hasTable())
        return;
    first_ = 0;
    last_ = static_cast<int>(table_.rows.size()) - 1;
    scale();
}

void LocalGraph::switchUnit()
{
    if (!unitEnabled())
        return;
    for (LocalGraphRow& r : table_.rows)
        if (r.x != 0)
            r.x = kWavelengthFactor / r.x;
    unitCaption_ = unitCaption_ == "GHz" ? "cm" : "GHz";
    full();
}

std::string LocalGraph::metafile(int width, int height)
{
    WmfCanvas c(width, height);
    paint(c, {0, 0, width, height});
    return c.bytes();
}

} // namespace qm
