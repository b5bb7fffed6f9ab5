#include "files/scan_template.h"

#include "app/command_table.h"
#include "app/workbench.h"
#include "files/calibration_table.h"
#include "files/group_fits.h"
#include "files/resample.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Scales the shown part of Worksheet I(R) so that its flux integral equals
// the quiet-Sun flux the scan sees. A part whose sum is 0 is left alone.
void scaleToQuietSun(Workbench& wb, ScanRecord& t)
{
    float* x = t.wrkI();
    if (!x || t.frequency == 0)
        return;
    double qPrime = 0;
    const double q = tab_sun(wb.programDir, 30.0 / t.frequency, t.radius, qPrime);
    if (q == 0)
        return;
    const int b = std::max(wb.viewBegin, 0), e = std::min<int>(wb.viewEnd, t.nPoints);
    long double sum = 0;
    for (int i = b; i < e; ++i)
        sum += x[i];
    const long double denominator = 0.0001L * t.step * t.fluxCoef * sum;
    if (denominator == 0 || !std::isfinite(static_cast<double>(denominator)))
        return;
    const long double k = qPrime * q / denominator;
    for (int i = b; i < e; ++i)
        x[i] = static_cast<float>(x[i] * k);
}

} // namespace

void loadScanTemplate(Workbench& wb)
{
    if (!wb.chkWrkI && !wb.chkWrkV && wb.interactiveMode) {
        wb.message("WORKSHEET is not checked");
        return;
    }
    std::string path;
    if (wb.interactiveMode) {
        FileDialogSpec spec;
        spec.title = "Scan Template";
        spec.filters = {{"GROUP FITS files", "*.fit"}, {"Any Files", "*.*"}};
        spec.initialDir = wb.settings.output;
        spec.mustExist = true;
        const auto chosen = wb.ui().openFile(spec);
        if (!chosen || chosen->empty())
            return;
        path = *chosen;
    } else {
        path = wb.batchTitle;
    }
    const auto flag = wb.askInteger("Input Flag (1 or 0) :", 0);
    if (!flag)
        return;

    const ScanChain templates = readGroupFits(wb, path, 0);
    if (templates.empty())
        return;

    for (ScanRecord* t : wb.targets()) {
        const auto match = std::find_if(templates.begin(), templates.end(),
                                        [t](const auto& m) { return m->frequency == t->frequency; });
        if (match == templates.end())
            continue;
        const ScanRecord& m = **match;
        // The template's point spacing brought to this scan's solar radius.
        const double spacing = double(m.step) * t->radius / m.radius;
        const SampleGrid from{m.centerPoint, spacing, m.nPoints};
        const SampleGrid to{t->centerPoint, t->step, t->nPoints};
        if (wb.chkWrkI && m.hasI())
            resampleOutward(m.wrkI(), from, t->wrkI(), to);
        if (wb.chkWrkV && m.hasV())
            resampleOutward(m.wrkV(), from, t->wrkV(), to);
        if (wb.chkWrkI && *flag != 0)
            scaleToQuietSun(wb, *t);
    }
    wb.redraw();
}

void registerGroupFitsCommands(CommandTable& t)
{
    t.handle(192, loadScanTemplate);
}

} // namespace qm
