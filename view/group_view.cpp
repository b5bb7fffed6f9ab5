#include "view/group_view.h"

#include "app/parallel_for.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "view/gauss_overlay.h"
#include "view/plot_axes.h"
#include "view/plot_curves.h"
#include "view/sample_scan.h"
#include "view/sun_center_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace qm {

namespace {

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct ObsDate {
    int year = 0, month = 0, day = 0;
    bool valid = false;
};

// The date read as three numbers (year, month, day); a third number above
// 31 is the year, so day-first dates come out the same.
ObsDate readDate(const char* text)
{
    ObsDate d;
    long v[3] = {0, 0, 0};
    const char* p = text;
    for (int k = 0; k < 3; ++k) {
        char* end = nullptr;
        v[k] = std::strtol(p, &end, 10);
        if (end == p)
            return d;
        p = *end ? end + 1 : end;
    }
    if (v[2] > 31)
        std::swap(v[0], v[2]);
    auto narrow = [](long x) { return int(std::clamp(x, -99999L, 99999L)); };
    d.year = narrow(v[0]);
    d.month = narrow(v[1]);
    d.day = narrow(v[2]);
    d.valid = true;
    return d;
}

void appendPart(std::string& out, const std::string& part)
{
    if (!out.empty())
        out += ' ';
    out += part;
}

struct Extremes {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void take(double v)
    {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return lo > hi; }
};

// Extremes of one array over viewBegin..viewEnd (both included). A shift
// added to them later rounds as it would added to every sample, the sum
// being monotonic.
void scanExtremes(Extremes& e, const float* a, int nPoints, int viewBegin, int viewEnd)
{
    const int first = std::max(viewBegin, 0), last = std::min(viewEnd, nPoints - 1);
    if (!a || last < first)
        return;
    const FiniteExtremes own = finiteExtremes(a + first, last - first + 1);
    if (!own.empty()) {
        e.take(own.lo);
        e.take(own.hi);
    }
}

// ---- array view -----------------------------------------------------------

// The array view's area: on screen the plot area between the bars, on a
// page the whole page. The grid leaves a band of h + 10 above it for the
// group title and one of h + 5 below it for the X labels, so both are part
// of the picture wherever it is painted.
struct ArrayLayout {
    Rect grid;
    int titleBottom = 0; // the title is centred in its band
    int labelTop = 0;
};

ArrayLayout arrayLayout(const PlotFrame& base, const PlotLayout& layout)
{
    const Canvas& c = *base.canvas;
    const Rect area = layout.pageOutput ? Rect{0, 0, c.width(), c.height()}
                                        : Rect{0, layout.toolBarHeight + 1, c.width() - layout.dataListWidth,
                                               c.height() - layout.statusBarHeight - 1};
    ArrayLayout a;
    a.grid = {area.left, area.top + base.h + 10, area.right, area.bottom - base.h - 5};
    a.titleBottom = a.grid.top - 5;
    a.labelTop = a.grid.bottom + 2;
    return a;
}

void paintArrayView(Workbench& wb, const PlotFrame& base, const PlotLayout& layout)
{
    Canvas& c = base.c();
    const int count = std::min(wb.groupCount(), kMaxArrayView);
    const GridShape grid = arrayGrid(count);
    if (grid.columns == 0)
        return;
    const ArrayLayout a = arrayLayout(base, layout);
    const Rect& area = a.grid;
    const int cellW = area.width() / grid.columns, cellH = area.height() / grid.rows;
    if (cellW <= 0 || cellH <= 0)
        return;
    const ScanRecord& active = *wb.activeScan;
    PlotFrame whole = base;
    whole.left = area.left;
    whole.top = area.top;
    whole.right = area.left + grid.columns * cellW;
    whole.bottom = area.top + grid.rows * cellH;
    if (wb.view.viewScale) {
        drawTitle(whole, plotTitle(wb, active), a.titleBottom);
        drawCornerXLabels(whole, active, wb.settings.unitAxisX, a.labelTop);
    }
    c.setPen(base.pen(kBlack));
    for (int col = 0; col <= grid.columns; ++col) {
        c.moveTo(whole.left + col * cellW, whole.top);
        c.lineTo(whole.left + col * cellW, whole.bottom);
    }
    for (int row = 0; row <= grid.rows; ++row) {
        c.moveTo(whole.left, whole.top + row * cellH);
        c.lineTo(whole.right, whole.top + row * cellH);
    }

    for (int k = 0; k < count; ++k) {
        const ScanRecord* s = wb.groupScans[std::size_t(k)];
        if (!s)
            continue;
        PlotFrame f = base;
        f.left = whole.left + (k % grid.columns) * cellW;
        f.top = whole.top + (k / grid.columns) * cellH;
        f.right = f.left + cellW;
        f.bottom = f.top + cellH;
        const ArraySelection sel{wb.chkDataI && s->dataI(), wb.chkWrkI && s->wrkI(), wb.chkDataV && s->dataV(),
                                 wb.chkWrkV && s->wrkV()};
        const AxisRanges r = scanRanges(*s, f.viewBegin, f.viewEnd, sel, wb.settings.minYscaleI,
                                        wb.settings.minYscaleV, wb.view.equalScale);
        if (k == 0)
            recordGeometry(wb, f, r);
        drawSunOverlay(wb, f, *s, f.h / 3);
        drawScanCurves(f, *s, sel, r, CurveOrder::ChannelFirst);
        if (!s->gauss.empty() && (sel.wrkI || sel.wrkV))
            drawGaussians(f, *s, sel, r, wb.view.residual);
        c.setTextColour(kBlack);
        c.text(f.left + 5, f.top + 5, groupLabel(*s, wb.view.titleParts));
        if (s == &active) {
            c.setPen(base.pen(wb.settings.colours[kRgbSelG]));
            c.setBrush({kWhite, true});
            c.rectangle(f.rect());
        }
    }
    PlotGeometry& g = wb.geometry;
    g.gridColumns = grid.columns;
    g.gridRows = grid.rows;
    g.cellWidth = cellW;
    g.cellHeight = cellH;
    g.gridTop = area.top;
}

// ---- overlaid and stacked worksheets ---------------------------------------

void paintWorksheetGroup(Workbench& wb, PlotFrame f, const PlotLayout& layout)
{
    Canvas& c = f.c();
    const bool selI = wb.chkWrkI, selV = wb.chkWrkV;
    if (!selI && !selV) {
        const int left = 0, right = c.width() - layout.dataListWidth;
        const int top = layout.toolBarHeight, bottom = c.height() - layout.statusBarHeight;
        c.setTextColour(kBlack);
        c.text((left + right) / 2, (top + bottom) / 2 - f.h / 2, kNoWorksheetText, HAlign::Center);
        return;
    }
    const Rect frame = plotFrameRect(f, layout);
    if (frame.left >= frame.right || frame.top >= frame.bottom)
        return;
    f.left = frame.left;
    f.right = frame.right;
    f.top = frame.top;
    f.bottom = frame.bottom;

    std::vector<const ScanRecord*> scans;
    for (const ScanRecord* s : wb.groupScans)
        if (s)
            scans.push_back(s);
    const int n = int(scans.size());
    const bool stacked = wb.groupMode == 3;

    // Offsets: a step per channel from the extremes of its worksheets; the
    // scans from the first at or below the skip frequency on move one slot
    // further, leaving a gap.
    // Each worksheet is searched once, the scans side by side on the
    // processor's cores; the axis ranges below shift these.
    std::vector<Extremes> ownI(static_cast<std::size_t>(n)), ownV(static_cast<std::size_t>(n));
    parallelFor(std::size_t(n), [&](std::size_t k) {
        const ScanRecord& s = *scans[k];
        if (selI)
            scanExtremes(ownI[k], s.wrkI(), s.nPoints, f.viewBegin, f.viewEnd);
        if (selV)
            scanExtremes(ownV[k], s.wrkV(), s.nPoints, f.viewBegin, f.viewEnd);
    });
    double stepI = 0, stepV = 0;
    int gapAt = -1;
    if (stacked) {
        Extremes eI, eV;
        for (int k = 0; k < n; ++k) {
            for (auto [own, all] : {std::pair{&ownI, &eI}, std::pair{&ownV, &eV}}) {
                const Extremes& e = (*own)[std::size_t(k)];
                if (!e.empty()) {
                    all->take(e.lo);
                    all->take(e.hi);
                }
            }
        }
        auto step = [](const Extremes& e, double factor, float minimum) {
            const double lo = e.empty() ? 0 : e.lo, hi = e.empty() ? 0 : e.hi;
            const double m = std::isfinite(minimum) ? std::fabs(minimum) : 0;
            return std::max((std::max(std::fabs(hi), std::fabs(lo)) - lo) * factor, m);
        };
        stepI = step(eI, 0.2, wb.settings.minYscaleI);
        stepV = step(eV, 0.5, wb.settings.minYscaleV);
        for (int k = 0; k < n && gapAt < 0; ++k)
            if (scans[std::size_t(k)]->frequency <= wb.skipFrequency)
                gapAt = k;
    }
    auto slot = [&](int k) { return k + (gapAt >= 0 && k >= gapAt ? 1 : 0); };

    // Axis ranges over the shifted worksheets.
    Extremes rI, rV;
    if (!stacked) {
        rI.hi = 0;
        rV.hi = 0;
    }
    for (int k = 0; k < n; ++k) {
        for (auto [own, range, shift] : {std::tuple{&ownI, &rI, slot(k) * stepI}, std::tuple{&ownV, &rV, slot(k) * stepV}}) {
            const Extremes& e = (*own)[std::size_t(k)];
            if (!e.empty()) {
                range->take(e.lo + shift);
                range->take(e.hi + shift);
            }
        }
    }
    auto lowest = [](const Extremes& e) { return std::isfinite(e.lo) ? e.lo : 0.0; };
    auto highest = [](const Extremes& e) { return std::isfinite(e.hi) ? e.hi : 0.0; };
    double hiI = highest(rI), loI = lowest(rI) - 200, hiV = highest(rV), loV = lowest(rV) - 50;
    if (!stacked && wb.view.equalScale) {
        hiI = hiV = std::max(hiI, hiV);
        loI = loV = std::min(loI, loV);
    }
    const AxisRanges r{roundOutward(loI, hiI), roundOutward(loV, hiV)};
    recordGeometry(wb, f, r);

    const ScanRecord& active = *wb.activeScan;
    c.setPen(f.pen(kBlack));
    c.setBrush({kWhite, true});
    c.rectangle(frame);
    if (wb.view.viewScale) {
        drawXLabels(f, active, wb.settings.unitAxisX);
        drawTitle(f, plotTitle(wb, active), f.top - f.w);
    }

    const ArraySelection sel{false, selI, false, selV};
    const ColourIndex cycle[3] = {kRgbGrp1, kRgbGrp2, kRgbGrp3};
    auto colourOf = [&](int k) {
        if (!f.colour)
            return kBlack;
        return wb.settings.colours[scans[std::size_t(k)] == &active ? kRgbSelG : cycle[k % 3]];
    };
    // Every worksheet is traced before any is drawn: tracing streams through
    // the samples and drawing scatters over the picture, and kept apart each
    // finds its own data still in the cache. The scans are traced side by
    // side on the processor's cores, backwards, so that tracing starts on
    // the worksheets the search for extremes read last.
    struct Traced {
        std::vector<Point> i, v;
    };
    std::vector<Traced> traced(static_cast<std::size_t>(n));
    parallelFor(std::size_t(n), [&](std::size_t j) {
        // A tracer per thread lays the pixel columns out once for scans of
        // one length.
        thread_local CurveTracer tracer;
        const int k = n - 1 - int(j);
        const ScanRecord& s = *scans[std::size_t(k)];
        PlotFrame sf = f;
        if (selV && s.wrkV()) {
            sf.offset = slot(k) * stepV;
            traced[std::size_t(k)].v = tracer.trace(sf, s.wrkV(), s.nPoints, r.v);
        }
        if (selI && s.wrkI()) {
            sf.offset = slot(k) * stepI;
            traced[std::size_t(k)].i = tracer.trace(sf, s.wrkI(), s.nPoints, r.i);
        }
    });
    auto drawScan = [&](int k, Colour colour) {
        c.setPen(f.pen(colour));
        for (const std::vector<Point>* pts : {&traced[std::size_t(k)].i, &traced[std::size_t(k)].v})
            if (pts->size() >= 2)
                c.polyline(*pts);
    };
    int activeAt = -1;
    for (int k = 0; k < n; ++k) {
        const ScanRecord& s = *scans[std::size_t(k)];
        drawScan(k, colourOf(k));
        if (&s == &active)
            activeAt = k;
        if (const int ch = gaussChannel(s)) {
            PlotFrame gf = f;
            gf.offset = slot(k) * (ch == 1 ? stepI : stepV);
            drawGaussians(gf, s, sel, r, wb.view.residual);
        }
    }
    if (f.colour && activeAt >= 0)
        drawScan(activeAt, wb.settings.colours[kRgbSelG]);

    if (wb.view.groupList) {
        int x = f.right - 5;
        if (wb.view.listOutside && (selI != selV || !wb.view.digFrame))
            x += layout.forcedFontHeight > 0 ? 6 * layout.forcedFontHeight : 17 * f.w;
        for (int k = 0; k < n; ++k) {
            c.setTextColour(colourOf(k));
            c.text(x, f.top + (n - slot(k) + 2) * f.h, groupLabel(*scans[std::size_t(k)], wb.view.titleParts),
                   HAlign::Right);
        }
        c.setTextColour(kBlack);
        if (gapAt >= 0)
            c.text(x, f.top + (n - gapAt + 2) * f.h, ": : : : ", HAlign::Right);
    }
    if (wb.view.viewScale)
        drawScanYAxes(f, active, sel, r, wb.view);
    // The centre lines belong to the first scan, and only when every scan
    // of the group has its centre at the same point.
    if (n > 0 && std::all_of(scans.begin(), scans.end(),
                             [&](const ScanRecord* s) { return s->centerPoint == scans[0]->centerPoint; }))
        drawSunOverlay(wb, f, *scans[0], f.w);
}

} // namespace

std::string groupLabel(const ScanRecord& s, int titleParts)
{
    std::string out;
    if (titleParts & kTitleDate) {
        const ObsDate d = readDate(s.dateObs);
        const char* month = d.month >= 1 && d.month <= 12 ? kMonths[d.month - 1] : "";
        out = format("%02d%s", d.day, month);
    }
    if (titleParts & kTitleFreq)
        appendPart(out, format("%05.2fcm", wavelengthCm(s.frequency)));
    if (titleParts & kTitleTime) {
        std::string time = s.timeObs;
        const auto dot = time.rfind('.');
        if (dot != std::string::npos)
            time.resize(dot);
        appendPart(out, time);
    }
    return out;
}

std::string groupTitle(const ScanRecord& s, int titleParts)
{
    std::string out = format("%s:", s.object);
    const ObsDate d = readDate(s.dateObs);
    out += (titleParts & kTitleDate) && d.valid ? format("%d", d.year) : std::string(s.dateObs);
    out += (titleParts & kTitleFreq) ? std::string(" ") : format(" %5.2fcm", wavelengthCm(s.frequency));
    if (!(titleParts & kTitleTime))
        out += s.timeObs;
    return out;
}

GridShape arrayGrid(int count)
{
    if (count <= 0)
        return {};
    if (count <= 2)
        return {2, 1};
    if (count <= 4)
        return {2, 2};
    if (count <= 6)
        return {3, 2};
    return {3, 3};
}

void paintGroupView(Workbench& wb, const PlotFrame& base, const PlotLayout& layout)
{
    if (wb.groupMode == 1)
        paintArrayView(wb, base, layout);
    else
        paintWorksheetGroup(wb, base, layout);
}

} // namespace qm
