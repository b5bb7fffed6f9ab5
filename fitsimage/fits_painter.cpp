#include "fitsimage/fits_painter.h"

#include "app/workbench.h"
#include "fitsimage/fits_display.h"
#include "fitsimage/fits_image.h"

#include <cmath>

namespace qm {

namespace {

// A pixel quantity that fits an int with room to spare.
bool usable(double v) { return std::isfinite(v) && std::fabs(v) < 1e8; }

} // namespace

std::optional<Rect> fitsImageRect(const FitsImage& img, const ScanRecord& s, const PlotGeometry& g,
                                  float offsetPercent)
{
    const int span = g.viewEnd - g.viewBegin;
    const int rImg = static_cast<int>(std::trunc(img.radius));
    if (span <= 0 || s.step == 0 || rImg <= 0)
        return std::nullopt;
    const double rPoints = double(s.radius) / s.step;
    const double offset = double(offsetPercent) * 0.01 * s.radius / s.step;
    if (!usable(rPoints) || !usable(s.centerPoint) || !usable(offset))
        return std::nullopt;
    const int c = static_cast<int>(std::trunc(s.centerPoint));
    const int r = static_cast<int>(std::trunc(rPoints));
    if (c + r < g.viewBegin || c - r > g.viewEnd || 3.0 * span < r)
        return std::nullopt;
    const double k = double(g.right - g.left) / span;
    const double z = r * k / rImg;
    const double w = std::trunc(img.width * z), h = std::trunc(img.height * z);
    const double left = std::trunc((c - g.viewBegin) * k) + g.left - std::trunc(img.cx * z) + 1;
    const double y = (g.top + g.bottom) / 2 + std::trunc(offset);
    const double top = y - std::trunc((img.height - img.cy) * z) + 1;
    if (!usable(w) || !usable(h) || !usable(left) || !usable(top) || w < 1 || h < 1)
        return std::nullopt;
    const int l = static_cast<int>(left), t = static_cast<int>(top);
    return Rect{l, t, l + static_cast<int>(w), t + static_cast<int>(h)};
}

void paintFitsImage(Workbench& wb, Canvas& canvas, const ScanRecord& scan, const PlotGeometry& frame)
{
    if (!wb.fitsState || !wb.fitsState->image || wb.fitsState->bitmap.empty())
        return;
    const FitsImage& img = *wb.fitsState->image;
    const auto target = fitsImageRect(img, scan, frame, wb.sunDiskOffset);
    if (!target)
        return;
    const auto& palette = fitsPalette(wb);
    canvas.bitmap(*target, img.width, img.height, wb.fitsState->bitmap, palette, BitmapMode::And);
}

} // namespace qm
