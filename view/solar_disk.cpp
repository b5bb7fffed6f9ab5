#include "view/solar_disk.h"

#include "app/plot_geometry.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "view/canvas.h"

#include <cmath>
#include <cstdio>

namespace qm {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr Colour kGreyBrush = 0x00808080;
// Anything larger than this many points or pixels is not a disk that can be
// drawn; the limit keeps every real-to-integer conversion defined.
constexpr double kLimit = 1.0e7;

// B0 on the first day of each month, January to the following January.
constexpr int kB0Table[13] = {-3, -6, -7, -7, -4, 0, 3, 6, 7, 7, 4, 1, -3};

bool usable(double v) { return std::isfinite(v) && std::fabs(v) < kLimit; }

// Draws one grid line from its sampled points: the first visible point
// starts the path, later visible points are joined when `drawn(k)` says so
// and only moved to otherwise, which dashes the line in one-degree pieces.
template <class Sample>
void dashedPath(Canvas& canvas, int x0, int y0, int from, int to, Sample sample)
{
    bool started = false;
    for (int k = from; k <= to; ++k) {
        const DiskPoint p = sample(k);
        if (!p.visible)
            continue;
        if (started && k % 2 != 0) {
            canvas.lineTo(x0 + p.dx, y0 + p.dy);
        } else {
            canvas.moveTo(x0 + p.dx, y0 + p.dy);
            started = true;
        }
    }
}

} // namespace

DiskPoint projectOnDisk(double pAngle, double b0, double longitude, double latitude, double r)
{
    const double p = pAngle * kDegree, b = b0 * kDegree, l = longitude * kDegree, phi = latitude * kDegree;
    const double z = std::cos(b) * std::sin(l) * std::cos(phi) + std::sin(b) * std::sin(phi);
    const double u = -std::cos(l) * std::cos(phi);
    const double w = -std::cos(b) * std::sin(phi) + std::sin(b) * std::sin(l) * std::cos(phi);
    DiskPoint out;
    out.dx = static_cast<int>(roundHalfToZero(r * (std::cos(p) * u - std::sin(p) * w)));
    out.dy = static_cast<int>(roundHalfToZero(r * (std::sin(p) * u + std::cos(p) * w)));
    out.visible = z > 0;
    return out;
}

double diskCentreLatitude(const std::string& dateObs)
{
    int a = 0, month = 0, c = 0;
    char s1 = 0, s2 = 0;
    if (std::sscanf(dateObs.c_str(), "%d%c%d%c%d", &a, &s1, &month, &s2, &c) != 5)
        return 0;
    // A month outside the table would index past it: such a date is as
    // unreadable as one that does not parse.
    if (month < 1 || month > 12)
        return 0;
    const int day = a > 100 ? c : a;
    return kB0Table[month - 1] + day * double(kB0Table[month] - kB0Table[month - 1]) / 30.0;
}

void paintSolarDisk(Workbench& wb, Canvas& canvas, const ScanRecord& scan, const PlotGeometry& g)
{
    const ScanRecord* s = &scan;
    if (!wb.view.sunDisk)
        return;
    const int span = g.viewEnd - g.viewBegin;
    if (span <= 0 || s->radius <= 0 || s->step == 0)
        return;
    const double rPoints = double(s->radius) / s->step;
    const double offset = double(wb.sunDiskOffset) * 0.01 * s->radius / s->step;
    if (!usable(rPoints) || !usable(s->centerPoint) || !usable(offset))
        return;
    const int c = static_cast<int>(std::trunc(s->centerPoint));
    const int r = static_cast<int>(std::trunc(rPoints));
    const int o = static_cast<int>(std::trunc(offset));
    if (r <= 0 || c + r < g.viewBegin || c - r > g.viewEnd || 3.0 * span < r)
        return;

    const double k = double(g.right - g.left) / span;
    const int x0 = static_cast<int>(std::trunc((c - g.viewBegin) * k)) + g.left + 1;
    const int y0 = (g.top + g.bottom) / 2 + o;
    const int rp = static_cast<int>(std::trunc(k * r));
    const Colour colour = wb.view.colour ? wb.settings.colours[kRgbSunD] : kBlack;
    canvas.setPen(Pen{colour, PenStyle::Solid, g.penWidth});

    const double pAngle = -double(s->angleP);
    const double b0 = diskCentreLatitude(s->dateObs);

    // Beam ellipse at the left of the frame, on the disk's centre line.
    const float hrz = wb.settings.hrzBeam, vrt = wb.settings.vrtBeam;
    if (hrz != -1.0f && wb.groupMode == 0 && s->frequency > 0) {
        const double hb = hrz > 0 ? double(hrz) / s->frequency : double(s->beamHalfsize);
        const double vb = vrt > 0 ? 60.0 * vrt / s->frequency : 11400.0 / s->frequency;
        double hbp = rp * hb / s->radius;
        double vbp = rp * vb / s->radius * 0.5;
        if (!(hbp >= 3))
            hbp = 3;
        if (!(vbp >= 3))
            vbp = 3;
        if (usable(hbp) && usable(vbp)) {
            const int hw = static_cast<int>(std::trunc(hbp)), vh = static_cast<int>(std::trunc(vbp));
            canvas.setBrush(Brush{kGreyBrush, false});
            canvas.ellipse(Rect{g.left + 10, y0 - vh, g.left + 10 + hw, y0 + vh});
        }
    }

    // Limb: a whole circle (an arc whose ends coincide).
    canvas.setBrush(Brush{kWhite, true});
    const Point limbStart{x0 + rp + 1, y0};
    canvas.arc(Rect{x0 - rp, y0 - rp, x0 + rp + 1, y0 + rp + 1}, limbStart, limbStart);

    for (int lon = 30; lon <= 150; lon += 20)
        dashedPath(canvas, x0, y0, -80, 79, [&](int lat) { return projectOnDisk(pAngle, b0, lon, lat, rp); });
    for (int lat = -80; lat <= 80; lat += 20)
        dashedPath(canvas, x0, y0, -40, 219, [&](int lon) { return projectOnDisk(pAngle, b0, lon, lat, rp); });

    if (g.textHeight > 0)
        canvas.setFont(g.textHeight);
    canvas.setTextColour(colour);
    canvas.text(x0 - rp - 5, g.bottom - 5, "E", HAlign::Right, VAlign::Bottom);
    canvas.text(x0 + rp + 6, g.bottom - 5, "W", HAlign::Left, VAlign::Bottom);
}

} // namespace qm
