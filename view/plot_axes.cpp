#include "view/plot_axes.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <cmath>
#include <cstdlib>

namespace qm {

double wavelengthCm(float frequency) { return frequency > 0 ? 30.0 / frequency : 0.0; }

std::string xLabelText(double x, char unit) { return format("%.0f%c", x, unit); }

void drawCornerXLabels(const PlotFrame& f, const ScanRecord& s, char unit, int y)
{
    Canvas& c = f.c();
    c.setTextColour(kBlack);
    c.text(f.left, y, xLabelText((double(f.viewBegin) - s.centerPoint) * s.step, unit));
    c.text(f.right, y, xLabelText((double(f.viewEnd) - s.centerPoint) * s.step, unit), HAlign::Right);
}

void drawXLabels(const PlotFrame& f, const ScanRecord& s, char unit)
{
    Canvas& c = f.c();
    drawCornerXLabels(f, s, unit, f.bottom + f.w);
    c.setPen(f.pen(kBlack));
    const int quarter = (f.right - f.left) / 4;
    for (int k = 1; k <= 3; ++k) {
        const int x = f.left + k * quarter;
        c.moveTo(x, f.bottom);
        c.lineTo(x, f.bottom - f.w);
        const double point = double(f.viewBegin) - s.centerPoint + k * double(f.viewEnd - f.viewBegin) / 4;
        c.text(x, f.bottom + f.w, xLabelText(point * s.step, unit), HAlign::Center);
    }
}

std::string scanTitle(const ScanRecord& s)
{
    return format("%s: %s: %.2f[cm]", s.object, s.dateObs, wavelengthCm(s.frequency));
}

bool isAutoTitle(const std::string& title) { return title.empty() || title[0] == '%'; }

void drawTitle(const PlotFrame& f, const std::string& title, int y)
{
    Canvas& c = f.c();
    c.setTextColour(f.colour ? kTitleColour : kBlack);
    c.text((f.left + f.right) / 2, y, title, HAlign::Center, VAlign::Bottom);
    c.setTextColour(kBlack);
}

std::string autoAxisLabel(const ScanRecord& s, int channel, bool dataShown, bool wrkShown)
{
    const bool both = dataShown && wrkShown;
    std::string unit;
    if (both && (s.fluxData != 0) != (s.fluxWrk != 0))
        unit = " ";
    else
        unit = (dataShown ? s.fluxData : s.fluxWrk) != 0 ? "Flx," : "Ta,";
    char letter = ' ';
    if (!(both && (s.flagIvData != 0) != (s.flagIvWrk != 0))) {
        const bool rl = (dataShown ? s.flagIvData : s.flagIvWrk) != 0;
        letter = channel == 1 ? (rl ? 'R' : 'I') : (rl ? 'L' : 'V');
    }
    return format("%s%c", unit.c_str(), letter);
}

double scaleBarValue(double span)
{
    const double d = span / 10;
    if (!(d > 0) || !std::isfinite(d))
        return 0;
    const std::string e = format("%e", d);
    const auto mark = e.find('e');
    if (e.empty() || mark == std::string::npos)
        return 0;
    const int m = e[0] - '0';
    const int exponent = std::atoi(e.c_str() + mark + 1);
    return (m + 1) * std::pow(10.0, exponent);
}

namespace {

void drawAxis(const PlotFrame& f, const YAxis& a, bool atLeft, bool digitalFrame)
{
    Canvas& c = f.c();
    const int out = atLeft ? -1 : 1;
    const HAlign outside = atLeft ? HAlign::Right : HAlign::Left;
    c.setTextColour(kBlack);
    c.setPen(f.pen(kBlack));
    c.text(atLeft ? f.left - f.w : f.right + f.w, f.top - f.w, a.label, outside, VAlign::Bottom);
    const double lo = a.range.min, hi = a.range.max;
    if (digitalFrame) {
        const int edge = atLeft ? f.left : f.right;
        const int labelX = edge + out * (f.w + 2);
        const int q = (f.bottom - f.top - f.w) / 4;
        auto tick = [&](int y) {
            c.moveTo(edge, y);
            c.lineTo(edge + out * f.w, y);
        };
        tick(f.top + f.w);
        for (int k = 1; k <= 3; ++k) {
            const int y = f.bottom - k * q;
            tick(y);
            c.text(labelX, y - f.h / 2, format("%.0f", lo + k * (hi - lo) / 4), outside);
        }
        c.text(labelX, f.top + f.w + 5, format("%.0f", hi), outside);
        c.text(labelX, f.bottom - 5, format("%.0f", lo), outside, VAlign::Bottom);
        return;
    }
    const double bar = scaleBarValue(hi - lo);
    if (bar <= 0)
        return;
    const int x = atLeft ? f.left + 3 * f.w : f.right - 3 * f.w;
    const int y1 = f.top + f.w;
    const int y2 = y1 + toPixel((f.bottom - y1) * bar / (hi - lo));
    c.moveTo(x, y1);
    c.lineTo(x, y2);
    for (int y : {y1, y2}) {
        c.moveTo(x - f.w, y);
        c.lineTo(x + f.w, y);
    }
    c.text(atLeft ? x + f.w + 2 : x - f.w - 2, (y1 + y2) / 2 - f.h / 2, format("%.0f", bar),
           atLeft ? HAlign::Left : HAlign::Right);
}

} // namespace

void drawYAxes(const PlotFrame& f, const YAxis& ch1, const YAxis& ch2, bool digitalFrame)
{
    if (ch1.shown)
        drawAxis(f, ch1, true, digitalFrame);
    if (ch2.shown)
        drawAxis(f, ch2, !ch1.shown, digitalFrame);
}

void drawScanYAxes(const PlotFrame& f, const ScanRecord& s, const ArraySelection& sel, const AxisRanges& r,
                   const ViewFlags& view)
{
    auto label = [&](const std::string& title, int channel, bool data, bool wrk) {
        return isAutoTitle(title) ? autoAxisLabel(s, channel, data, wrk) : title;
    };
    const YAxis ch1{sel.channel1(), r.i, label(view.leftAxisTitle, 1, sel.dataI, sel.wrkI)};
    const YAxis ch2{sel.channel2(), r.v, label(view.rightAxisTitle, 2, sel.dataV, sel.wrkV)};
    drawYAxes(f, ch1, ch2, view.digFrame);
}

} // namespace qm
