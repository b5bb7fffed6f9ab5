#include "view/sun_center_overlay.h"

#include "app/workbench.h"

#include <cmath>

namespace qm {

void drawSunOverlay(Workbench& wb, const PlotFrame& f, const ScanRecord& s, int inset)
{
    if (!(s.radius > 0))
        return;
    Canvas& c = f.c();
    c.setClip(f.inset(inset));
    PlotGeometry frame;
    f.describe(frame); // with the page's pen width on page output
    if (wb.view.fitsImage && wb.fitsImagePainter)
        wb.fitsImagePainter(wb, c, s, frame);
    if (wb.view.sunDisk && wb.sunDiskPainter)
        wb.sunDiskPainter(wb, c, s, frame);
    if (wb.view.sunCenter) {
        c.setPen(f.pen(f.colourOf(kRgbSunC), PenStyle::Dot));
        const double centre = s.centerPoint;
        const double limb = s.step != 0 ? double(s.radius) / s.step : 0;
        const double positions[] = {centre, centre - limb, centre + limb};
        for (int k = 0; k < (limb != 0 && std::isfinite(limb) ? 3 : 1); ++k) {
            const double p = positions[k];
            if (p == 0 || !(p > f.viewBegin && p < f.viewEnd))
                continue;
            const int x = f.left + toPixel((p - f.viewBegin) * (f.right - f.left) / (f.viewEnd - f.viewBegin));
            c.moveTo(x, f.top);
            c.lineTo(x, f.bottom);
        }
    }
    c.clearClip();
}

} // namespace qm
