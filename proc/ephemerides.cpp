#include "proc/ephemerides.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <cmath>

namespace qm {

namespace {

void take(const std::string& text, float& field)
{
    float v = 0;
    if (scanFloat(text, v) && std::isfinite(v))
        field = v;
}

} // namespace

EphemeridesParams ephemeridesOf(const ScanRecord& scan)
{
    EphemeridesParams p;
    p.step = format("%f", scan.step);
    p.azimuth = format("%f", scan.azimuth);
    p.altitude = format("%f", scan.altitude);
    p.angleP = format("%f", scan.angleP);
    p.centre = format("%f", scan.centerPoint);
    p.object = std::string(scan.object).substr(0, kEphemeridesObjectChars);
    return p;
}

void applyEphemerides(Workbench& wb, const EphemeridesParams& p)
{
    const std::string object = p.object.substr(0, kEphemeridesObjectChars);
    float step = 0;
    const bool newStep = scanFloat(p.step, step) && std::isfinite(step) && step != 0;
    for (ScanRecord* scan : wb.targets()) {
        take(p.azimuth, scan->azimuth);
        take(p.altitude, scan->altitude);
        take(p.angleP, scan->angleP);
        take(p.centre, scan->centerPoint);
        copyField(scan->object, object);
        if (newStep)
            scan->step = step;
    }
    wb.checkMixedSet();
    wb.redraw();
}

void editEphemerides(Workbench& wb)
{
    if (!wb.interactiveMode || !wb.activeScan)
        return;
    EphemeridesParams p = ephemeridesOf(*wb.activeScan);
    if (wb.ui().ephemeridesDialog(p))
        applyEphemerides(wb, p);
}

} // namespace qm
