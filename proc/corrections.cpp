#include "proc/corrections.h"

#include "app/command_table.h"
#include "app/noise_estimate.h"
#include "app/workbench.h"
#include "files/calibration_files.h"
#include "proc/ephemerides.h"
#include "proc/point_choice.h"
#include "proc/sun_centre.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace qm {

namespace {

constexpr const char* kPointTitle = "Quillmar: Point of switching place";
constexpr const char* kQuietPointTitle = "Quillmar: Position of Quiet Sun point";

// Change of amplif (134) on one scan.
void changeOfAmplif(Workbench& wb, ScanRecord& scan, int p)
{
    std::vector<float*> arrays;
    if (wb.chkWrkI && scan.wrkI())
        arrays.push_back(scan.wrkI());
    else if (wb.chkWrkV && scan.wrkV())
        arrays.push_back(scan.wrkV());
    if (wb.chkWrkI && wb.chkWrkV && scan.wrkI() && scan.wrkV())
        arrays.push_back(scan.wrkV());
    for (float* x : arrays) {
        std::vector<float> v(x, x + scan.nPoints);
        if (!correctAmplification(v, p)) {
            wb.fail("No amplification step at the chosen point");
            continue;
        }
        std::copy(v.begin(), v.end(), x);
    }
}

// Equal scale RL (199) on one scan holding R and L.
void equalScaleRL(Workbench&, ScanRecord& scan, int p)
{
    float* r = scan.wrkI();
    float* l = scan.wrkV();
    if (!scan.flagIvWrk || !r || !l)
        return;
    const int from = std::max(p - 5, 0), to = std::min(p + 4, scan.nPoints - 1);
    double mr = 0, ml = 0;
    for (int i = from; i <= to; ++i) {
        mr += r[i];
        ml += l[i];
    }
    mr *= 0.1;
    ml *= 0.1;
    if (!(ml > 0) || !std::isfinite(mr / ml))
        return;
    for (int i = 0; i < scan.nPoints; ++i)
        l[i] = static_cast<float>(l[i] * (mr / ml));
}

std::string programFile(const Workbench& wb, const std::string& name)
{
    const std::filesystem::path p(name);
    return p.is_absolute() ? name : (std::filesystem::path(wb.programDir) / p).string();
}

// Non-linear reg. (188) on one scan holding R and L.
void nonLinearRegistration(Workbench& wb, ScanRecord& scan, int p)
{
    if (!scan.flagIvWrk || p < 0 || p >= scan.nPoints)
        return;
    const auto rows = readLogCorrectionFile(programFile(wb, wb.settings.corFile));
    if (!rows) {
        wb.fail("Can not open " + wb.settings.corFile);
        return;
    }
    auto row = std::find_if(rows->begin(), rows->end(),
                            [&](const LogCorrectionRow& r) { return r.frequency == scan.frequency; });
    if (row == rows->end())
        return;
    auto correct = [&](float* x, double k) {
        const double v = std::fabs(x[p]);
        const double c = v != 0 ? solveLogScale(v, k) : 0;
        if (c == 0)
            return;
        for (int i = 0; i < scan.nPoints; ++i) {
            const double sign = x[i] <= 0 ? -1 : 1;
            x[i] = static_cast<float>(c * sign * (std::exp(std::fabs(x[i]) / c) - 1));
        }
    };
    if (wb.chkWrkI && scan.wrkI())
        correct(scan.wrkI(), row->kR);
    if (wb.chkWrkV && scan.wrkV())
        correct(scan.wrkV(), row->kL);
    scan.calibWrk = 0;
}

// RL Cross-Talk (136): V -= N*I on the active scan, ONE mode only.
void rlCrossTalk(Workbench& wb)
{
    if (wb.allMode || !wb.chkWrkI || !wb.chkWrkV)
        return;
    WorksheetRunSpec spec;
    spec.prompt = "WrkV[i]=WrkV[i]-WrkI[i]*";
    const auto k = prepareWorksheetRun(wb, spec);
    ScanRecord* scan = wb.activeScan;
    if (!k || !scan || !scan->wrkI() || !scan->wrkV())
        return;
    for (int i = 0; i < scan->nPoints; ++i)
        scan->wrkV()[i] -= *k * scan->wrkI()[i];
    wb.redraw();
}

// Move L from R (145).
void moveLFromR(Workbench& wb)
{
    if (!wb.chkWrkI || !wb.chkWrkV)
        return;
    WorksheetRunSpec spec;
    spec.prompt = "Input number of a move:";
    const auto shift = prepareWorksheetRun(wb, spec);
    if (!shift)
        return;
    runOnTargets(wb, [&](ScanRecord& scan) {
        if (scan.wrkV())
            fractionalMove(scan.wrkV(), scan.nPoints, *shift);
    });
}

// Center Vscan (162).
void centerVscan(Workbench& wb)
{
    ScanRecord* active = wb.activeScan;
    if (!active)
        return;
    if (wb.interactiveMode) {
        if (!wb.allMode) {
            wb.refuse("Must be option ALL");
            return;
        }
        const char* refusal = nullptr;
        const auto targets = wb.targets();
        for (const ScanRecord* s : targets)
            if (std::string(s->dateObs) != active->dateObs || std::string(s->timeObs) != active->timeObs)
                refusal = "Data have different ephemerides";
        if (std::find(targets.begin(), targets.end(), active) == targets.end())
            refusal = "Group have not a selected scan";
        for (const ScanRecord* s : targets)
            if (!s->dataI())
                refusal = "Data have not the intensity";
        if (refusal) {
            wb.refuse(refusal);
            return;
        }
        if (wb.message(format("Find Sun center on scan\n(%.2f[GHz],%s,%sUT)\nand replace others", active->frequency,
                              active->dateObs, active->timeObs),
                       "Information", MsgButtons::OkCancel) == kCancel)
            return;
    }
    const auto mode = wb.askInteger("Input Flag [1-max/0-rise]:");
    if (!mode)
        return;
    const auto change = recentreScan(*active, *mode == 1 ? CentreMode::Max : CentreMode::Rise);
    if (!change) {
        wb.refuse("Error of the center determination");
        return;
    }
    wb.message(format("Delta Csun= %.3f%c", *change * active->step, wb.settings.unitAxisX));
    for (ScanRecord* s : wb.targets())
        s->centerPoint = active->centerPoint;
    wb.redraw();
}

// FITS Param (201): beam, quiet-Sun Tb or flux coefficient per frequency.
void fitsParam(Workbench& wb)
{
    std::string path;
    int choice = 0;
    if (wb.interactiveMode) {
        FileDialogSpec spec;
        spec.title = "Correction Data File";
        spec.filters = {{"All Files", "*"}};
        const auto chosen = wb.ui().openFile(spec);
        if (!chosen)
            return;
        path = *chosen;
        const auto c = wb.askInteger("1-BeamSize;2-QTb;3-FluxCoef");
        if (!c)
            return;
        choice = *c;
    } else {
        const auto c = truncToInt(wb.batchArgs[0]);
        if (!c)
            return;
        path = wb.batchTitle;
        choice = *c;
    }
    const auto rows = readCorrectionDataFile(path);
    if (!rows || rows->empty()) {
        if (wb.interactiveMode)
            wb.message(format("Can not open <%s>", path.c_str()));
        wb.fail("No correction data in " + path);
        return;
    }
    if (choice < 1 || choice > 3)
        return;
    int missed = 0;
    for (ScanRecord* s : wb.targets()) {
        const auto v = interpolateCorrection(*rows, s->frequency);
        if (!v || (choice == 2 && (!(*v > -32769.0) || !(*v < 32768.0)))) {
            ++missed;
            continue;
        }
        if (choice == 1)
            s->beamHalfsize = static_cast<float>(*v);
        else if (choice == 2)
            s->tqSun = static_cast<int16_t>(std::trunc(*v));
        else
            s->fluxCoef = static_cast<float>(*v);
    }
    if (missed)
        wb.fail(format("%d scan(s) outside the correction data", missed));
    wb.redraw();
}

} // namespace

double solveLogScale(double v, double k)
{
    if (v == 0 || !(k >= 1.01) || !std::isfinite(v) || !std::isfinite(k))
        return 0;
    auto g = [&](double c) { return (std::exp(v / c) - 1) * c - k * v; };
    const double dc = 0.1 * v;
    double c = dc;
    int steps = 0;
    while (!(g(c) <= 0)) {
        if (++steps > 1000000)
            return 0;
        c += dc;
    }
    double lo = c - dc, hi = c;
    for (int halvings = 0; std::fabs(hi - lo) >= 0.001; ++halvings) {
        if (halvings > 1000000)
            return 0;
        const double m = (lo + hi) / 2;
        const double gm = m != 0 ? g(m) : 1.0;
        if (gm == 0)
            return m;
        if (gm < 0)
            hi = m;
        else
            lo = m;
    }
    return (lo + hi) / 2;
}

bool correctAmplification(std::vector<float>& x, int p)
{
    const int n = static_cast<int>(x.size());
    if (p < 2 || p > n - 4)
        return false;
    std::vector<float> v = x;
    if (v[p - 2] > 0 && v[p + 2] < 0)
        for (int i = p + 1; i < n; ++i)
            v[i] = -v[i];
    else if (v[p - 2] < 0 && v[p + 2] > 0)
        for (int i = 0; i < p; ++i)
            v[i] = -v[i];
    const double q = 4.0 * v[p + 1] + v[p + 2] - 3.0 * v[p + 3];
    const double r = (double(v[p - 2]) + v[p - 1]) / q;
    if (q == 0 || !std::isfinite(r))
        return false;
    for (int i = p + 1; i < n; ++i)
        v[i] = static_cast<float>(r * v[i]);
    v[p] = (v[p - 1] + v[p + 1]) / 2;
    x = std::move(v);
    return true;
}

void registerCorrectionCommands(CommandTable& t)
{
    t.handle(134, [](Workbench& wb) { startPointMethod(wb, {kPointTitle, false, changeOfAmplif}); });
    t.handle(136, rlCrossTalk);
    t.handle(145, moveLFromR);
    t.handle(162, centerVscan);
    t.handle(188, [](Workbench& wb) { startPointMethod(wb, {kQuietPointTitle, true, nonLinearRegistration}); });
    t.handle(199, [](Workbench& wb) { startPointMethod(wb, {kPointTitle, false, equalScaleRL}); });
    t.handle(158, editEphemerides);
    t.handle(201, fitsParam);
}

} // namespace qm
