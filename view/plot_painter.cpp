#include "view/plot_painter.h"

#include "app/workbench.h"
#include "view/gauss_overlay.h"
#include "view/group_view.h"
#include "view/mag_field_labels.h"
#include "view/pick_marks.h"
#include "view/plot_axes.h"
#include "view/plot_curves.h"
#include "view/sun_center_overlay.h"

namespace qm {

namespace {

// Average character width is measured over the alphabet, as a font's
// average width is defined.
constexpr const char* kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kAlphabetLength = 52;

void paintSingle(Workbench& wb, PlotFrame f, const PlotLayout& layout)
{
    const ScanRecord& s = *wb.activeScan;
    const ArraySelection sel{wb.chkDataI && s.dataI(), wb.chkWrkI && s.wrkI(), wb.chkDataV && s.dataV(),
                             wb.chkWrkV && s.wrkV()};
    const Rect frame = plotFrameRect(f, layout);
    if (!(sel.channel1() || sel.channel2()) || frame.left >= frame.right || frame.top >= frame.bottom)
        return;
    f.left = frame.left;
    f.right = frame.right;
    f.top = frame.top;
    f.bottom = frame.bottom;
    Canvas& c = f.c();
    const AxisRanges r = scanRanges(s, f.viewBegin, f.viewEnd, sel, wb.settings.minYscaleI,
                                    wb.settings.minYscaleV, wb.view.equalScale);
    recordGeometry(wb, f, r);

    c.setPen(f.pen(kBlack));
    c.setBrush({kWhite, true});
    c.rectangle(frame);
    if (wb.view.viewScale) {
        drawXLabels(f, s, wb.settings.unitAxisX);
        drawTitle(f, plotTitle(wb, s), f.top - f.w);
    }
    drawScanCurves(f, s, sel, r, CurveOrder::DataFirst);
    if (sel.channel2())
        drawMagFieldLabels(f, s, wb.magField, r.v);
    if (!s.gauss.empty() && (sel.wrkI || sel.wrkV))
        drawGaussians(f, s, sel, r, wb.view.residual);
    if (wb.view.viewScale)
        drawScanYAxes(f, s, sel, r, wb.view);
    drawSunOverlay(wb, f, s, f.w);
}

} // namespace

PlotFrame plotBase(Workbench& wb, Canvas& c, const PlotLayout& layout)
{
    PlotFrame f;
    f.canvas = &c;
    f.settings = &wb.settings;
    f.viewBegin = wb.viewBegin;
    f.viewEnd = wb.viewEnd;
    f.colour = wb.view.colour;
    f.penWidth = layout.pageOutput ? layout.penThickness : 0;
    if (layout.forcedFontHeight > 0) {
        c.setFont(layout.forcedFontHeight);
        f.h = layout.forcedFontHeight;
        f.w = 2 * f.h / 5;
    } else {
        if (!layout.pageOutput) // a printer keeps the device font it was given
            c.setFont(kPlotFontHeight);
        const TextSize size = c.textExtent(kAlphabet);
        f.h = size.height;
        f.w = (size.width + kAlphabetLength / 2) / kAlphabetLength;
    }
    c.setTextColour(kBlack);
    return f;
}

Rect plotFrameRect(const PlotFrame& base, const PlotLayout& layout)
{
    const Canvas& c = *base.canvas;
    return {17 * base.w, base.h + base.w + layout.toolBarHeight,
            c.width() - layout.dataListWidth - 17 * base.w, c.height() - base.h - base.w - layout.statusBarHeight};
}

std::string plotTitle(const Workbench& wb, const ScanRecord& s)
{
    if (!isAutoTitle(wb.view.mainTitle))
        return wb.view.mainTitle;
    return wb.groupMode != 0 ? groupTitle(s, wb.view.titleParts) : scanTitle(s);
}

void recordGeometry(Workbench& wb, const PlotFrame& f, const AxisRanges& r)
{
    PlotGeometry& g = wb.geometry;
    f.describe(g);
    g.minI = r.i.min;
    g.maxI = r.i.max;
    g.minV = r.v.min;
    g.maxV = r.v.max;
}

void paintPlot(Workbench& wb, Canvas& c, const PlotLayout& layout)
{
    wb.geometry = PlotGeometry{};
    c.fill({0, 0, c.width(), c.height()}, kWhite);
    if (wb.scans.empty() || !wb.activeScan)
        return;
    wb.updateRlIndicator();
    const PlotFrame base = plotBase(wb, c, layout);
    if (wb.groupMode != 0)
        paintGroupView(wb, base, layout);
    else
        paintSingle(wb, base, layout);
    if (!layout.pageOutput) // marks of a choice in progress are not part of a page
        drawPickMarks(base, wb.geometry, wb.picked);
    c.clearClip();
}

} // namespace qm
