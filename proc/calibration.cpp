#include "proc/calibration.h"

#include "app/atomic_file.h"
#include "app/command_table.h"
#include "app/workbench.h"
#include "files/calibration_files.h"
#include "files/calibration_table.h"
#include "proc/point_choice.h"
#include "proc/smoothing_spline.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>

namespace qm {

namespace {

constexpr const char* kTbPrompt = "Input Tb of black body:";

bool usableFactor(double k) { return std::isfinite(k) && k > 0; }

void multiply(float* x, int n, double k)
{
    if (x)
        for (int i = 0; i < n; ++i)
            x[i] = static_cast<float>(x[i] * k);
}

// Both worksheets (each if present) by k; the worksheet counts as calibrated.
void calibrateBoth(ScanRecord& scan, double k)
{
    multiply(scan.wrkI(), scan.nPoints, k);
    multiply(scan.wrkV(), scan.nPoints, k);
    scan.calibWrk = 1;
}

// Quiet Sun Ta (126).
void quietSunTa(Workbench& wb)
{
    if (wb.groupMode != 0 || !wb.activeScan)
        return;
    if (!wb.chkWrkI || wb.allMode) {
        wb.refuse("You must to check WrkI and One");
        return;
    }
    if (wb.activeScan->flagIvWrk) {
        wb.refuse("Data set is not (I and V)");
        return;
    }
    auto calibrate = [](Workbench& w, double level) {
        ScanRecord* scan = w.activeScan;
        if (!scan)
            return;
        const double k = scan->tqSun / level;
        if (scan->tqSun <= 0 || !(level > 0) || !usableFactor(k)) {
            w.fail("No calibration factor");
            return;
        }
        calibrateBoth(*scan, k);
        w.redraw();
    };
    // A batch run could never leave the choice: its level is the argument.
    if (!wb.interactiveMode) {
        if (std::isfinite(wb.batchArgs[0]) && wb.batchArgs[0] > 0)
            calibrate(wb, wb.batchArgs[0]);
        return;
    }
    startLevelChoice(wb, calibrate);
}

// Year, month, day of "%d%c%d%c%d" and hours of "%f%c%f%c%f".
bool observationDate(const ScanRecord& s, int& year, int& month, int& day)
{
    char c1, c2;
    return std::sscanf(s.dateObs, "%d%c%d%c%d", &year, &c1, &month, &c2, &day) == 5 && month >= 1 && month <= 12;
}

std::optional<double> observationHours(const ScanRecord& s)
{
    float h, m, sec;
    char c1, c2;
    if (std::sscanf(s.timeObs, "%f%c%f%c%f", &h, &c1, &m, &c2, &sec) != 5)
        return std::nullopt;
    const double t = h + (m + sec / 60.0) / 60.0;
    return std::isfinite(t) ? std::optional<double>(t) : std::nullopt;
}

// Month tables read once per run of the command.
class FluxTableCache {
public:
    const FluxMonthTable* get(const std::string& path)
    {
        auto it = tables_.find(path);
        if (it == tables_.end())
            it = tables_.emplace(path, readFluxMonthFile(path)).first;
        return it->second ? &*it->second : nullptr;
    }

private:
    std::map<std::string, std::optional<FluxMonthTable>> tables_;
};

// The flux spectrum (MHz, sfu) at hour t of the observation day.
std::optional<std::vector<std::pair<double, double>>> dailySpectrum(FluxTableCache& cache, const std::string& folder,
                                                                    int year, int month, int day, double t,
                                                                    double t0, double frequency)
{
    const FluxMonthTable* table = cache.get(fluxMonthPath(folder, year, month));
    if (!table)
        return std::nullopt;
    const std::size_t m = table->frequencies.size();
    if (frequency > 10 && m < 5)
        return std::nullopt;
    const auto& days = table->days;
    auto a = std::find_if(days.begin(), days.end(), [&](const auto& d) { return d.day == day; });
    if (a == days.end() || a->flux.size() != m)
        return std::nullopt;
    const std::vector<double>* fb = nullptr;
    if (a + 1 != days.end() && (a + 1)->flux.size() == m) {
        fb = &(a + 1)->flux;
    } else if (const FluxMonthTable* next = cache.get(fluxNextMonthPath(folder, year, month));
               next && next->frequencies.size() == m) {
        auto first = std::find_if(next->days.begin(), next->days.end(), [](const auto& d) { return d.day == 1; });
        if (first != next->days.end() && first->flux.size() == m)
            fb = &first->flux;
    }
    if (!fb)
        return std::nullopt;
    std::vector<std::pair<double, double>> spectrum;
    for (std::size_t k = 0; k < m; ++k)
        spectrum.emplace_back(table->frequencies[k], a->flux[k] + ((*fb)[k] - a->flux[k]) * (t - t0) / 24.0);
    std::stable_sort(spectrum.begin(), spectrum.end());
    return spectrum;
}

// Full Flux on one scan; false when the scan is left as it was.
bool fullFluxScan(Workbench& wb, FluxTableCache& cache, const SunTable& sun, ScanRecord& scan)
{
    const double f = scan.frequency;
    if (f == 0 || !std::isfinite(f) || scan.flagIvWrk || !scan.wrkI())
        return false;
    double qPrime = 0;
    const double q = tab_sun(sun, 30.0 / f, scan.radius, qPrime);
    if (q == 0)
        return false;
    int year, month, day;
    const auto t = observationHours(scan);
    if (!observationDate(scan, year, month, day) || !t)
        return false;
    const auto spectrum = dailySpectrum(cache, wb.settings.jpFlux, year, month, day, *t, wb.settings.jpTime, f);
    if (!spectrum)
        return false;
    std::vector<float> xs, ys;
    for (const auto& [mhz, flux] : *spectrum) {
        xs.push_back(static_cast<float>(mhz));
        ys.push_back(static_cast<float>(flux));
    }
    SmoothingSpline spline;
    if (!spline.fit(static_cast<int>(xs.size()), 4000, xs.data(), ys.data(), false))
        return false;
    const double s = spline.evaluate(1000 * f) - (1 - qPrime) * q;
    const auto area = chordArea(scan.wrkI(), scan.nPoints, wb.viewBegin, wb.viewEnd);
    if (!area || !(*area > 0) || !(s > 0))
        return false;
    const double k = s / (double(scan.step) * scan.fluxCoef * 0.0001 * *area);
    if (!usableFactor(k))
        return false;
    calibrateBoth(scan, k);
    return true;
}

// Full Flux (127): the active scan, or in ALL mode the whole list.
void fullFlux(Workbench& wb)
{
    if (!wb.activeScan || !wb.confirmAllMode())
        return;
    if (wb.activeScan->flagIvWrk) {
        wb.refuse("Data set is not (I and V)");
        return;
    }
    if (!wb.chkWrkI) {
        wb.refuse("You must to check WrkI");
        return;
    }
    FluxTableCache cache;
    const SunTable sun = readSunTable(wb.programDir);
    std::vector<ScanRecord*> scans;
    if (wb.allMode)
        for (const auto& s : wb.scans)
            scans.push_back(s.get());
    else
        scans.push_back(wb.activeScan);
    int missed = 0;
    for (ScanRecord* scan : scans) {
        if (!fullFluxScan(wb, cache, sun, *scan)) {
            ++missed;
            continue;
        }
        // A box per scan interactively; a status line (shown with --verbose) in batch.
        const std::string done = format("Calibration of scan %.2f[GHz] is finished", scan->frequency);
        if (wb.allMode && wb.interactiveMode)
            wb.message(done);
        else if (wb.allMode)
            wb.status(done);
    }
    if (missed)
        wb.fail(format("%d scan(s) not calibrated: no flux reference", missed));
    wb.redraw();
}

// Black body (151, 8-point ends) and Noise generator (198, 10-point ends):
// each switched-on worksheet gets count*T/|D| from its end step D.
struct LoadTemperatures {
    double tI = 0, tV = 0;
};
bool calibrateByEnds(Workbench& wb, ScanRecord& scan, int count, LoadTemperatures t)
{
    const int n = scan.nPoints;
    double k[2] = {0, 0};
    const double temps[2] = {t.tI, t.tV};
    const bool on[2] = {wb.chkWrkI && scan.hasI(), wb.chkWrkV && scan.hasV()};
    for (int ch = 0; ch < 2; ++ch) {
        if (!on[ch])
            continue;
        const auto d = endStep(ch == 0 ? scan.wrkI() : scan.wrkV(), n, wb.viewBegin, wb.viewEnd, count);
        if (!d)
            return false;
        k[ch] = count * temps[ch] / std::fabs(*d);
        if (!usableFactor(k[ch]))
            return false;
    }
    if (!on[0] && !on[1])
        return false;
    if (on[0])
        multiply(scan.wrkI(), n, k[0]);
    if (on[1])
        multiply(scan.wrkV(), n, k[1]);
    scan.calibWrk = 1;
    return true;
}

void blackBody(Workbench& wb)
{
    WorksheetRunSpec spec;
    spec.prompt = kTbPrompt;
    const auto tb = prepareWorksheetRun(wb, spec);
    if (!tb)
        return;
    int missed = 0;
    runOnTargets(wb, [&](ScanRecord& scan) {
        const auto row = lookupCalibration(wb.programDir, scan.frequency);
        const double tz = row ? row->loadZeroTemp : 0.0;
        if (!calibrateByEnds(wb, scan, 8, {*tb - tz, *tb - tz}))
            ++missed;
    });
    if (missed)
        wb.fail(format("%d scan(s) not calibrated", missed));
}

void noiseGenerator(Workbench& wb)
{
    if (wb.interactiveMode && !wb.requireWorksheetSelected())
        return;
    if (!wb.confirmAllMode())
        return;
    const auto t = wb.askNumber(kTbPrompt);
    if (!t || !std::isfinite(*t))
        return;
    std::vector<NoiseGenRow> table;
    if (*t == 0)
        table = readNoiseGenFile((std::filesystem::path(wb.programDir) / "noisegen.cal").string())
                    .value_or(std::vector<NoiseGenRow>{});
    int missed = 0;
    runOnTargets(wb, [&](ScanRecord& scan) {
        LoadTemperatures temps{*t, *t};
        if (*t == 0) {
            const NoiseGenRow* row = findNoiseGen(table, scan.frequency);
            temps = row ? LoadTemperatures{row->tI, row->tV} : LoadTemperatures{};
        }
        if (!calibrateByEnds(wb, scan, 10, temps))
            ++missed;
    });
    if (missed)
        wb.fail(format("%d scan(s) not calibrated", missed));
}

// Set Noise generator (197): the noise-generator table from calibrated scans.
void setNoiseGenerator(Workbench& wb)
{
    if (!wb.allMode || wb.groupMode != 0 || wb.scans.empty())
        return;
    if (wb.message("Do you really want to make\n the NG calibration file?", "Attention", MsgButtons::OkCancel) ==
        kCancel)
        return;
    std::string text;
    for (const auto& scan : wb.scans) {
        double t[2] = {0, 0};
        bool fits = true;
        const bool on[2] = {wb.chkWrkI && scan->hasI(), wb.chkWrkV && scan->hasV()};
        for (int ch = 0; ch < 2; ++ch) {
            if (!on[ch])
                continue;
            const auto d = endStep(ch == 0 ? scan->wrkI() : scan->wrkV(), scan->nPoints, wb.viewBegin,
                                   wb.viewEnd, 16);
            fits = fits && d.has_value();
            t[ch] = d ? std::fabs(*d) / 16 : 0;
        }
        if (fits)
            text += noiseGenLine(scan->frequency, t[0], t[1]);
    }
    const std::string path = (std::filesystem::path(wb.programDir) / "noisegen.cal").string();
    if (!writeFileAtomically(path, text))
        wb.fail("Can not write " + path);
}

} // namespace

std::optional<double> chordArea(const float* x, int n, int b, int e)
{
    if (!x || b < 0 || e <= b || e >= n)
        return std::nullopt;
    double a = 0;
    for (int i = b; i < e; ++i)
        a += x[i] - (x[b] + double(i - b) * (double(x[e]) - x[b]) / (e - b));
    return a;
}

std::optional<double> endStep(const float* x, int n, int b, int e, int count)
{
    if (!x || b < 0 || e >= n || e - b + 1 < 2 * count)
        return std::nullopt;
    double d = 0;
    for (int j = 0; j < count; ++j)
        d += double(x[b + j]) - x[e - j];
    return d;
}

void quietPointCalibrate(Workbench& wb, ScanRecord& scan, int p)
{
    float* r = scan.wrkI();
    float* l = scan.wrkV();
    if (!wb.chkWrkI || !r || p < 0 || p >= scan.nPoints || scan.tqSun <= 0)
        return;
    const double k = scan.tqSun / double(r[p]);
    const bool rl = scan.flagIvWrk != 0;
    const double kL = l && rl ? scan.tqSun / double(l[p]) : k;
    if (!usableFactor(k) || !usableFactor(kL)) {
        wb.fail("No calibration factor at the quiet-Sun point");
        return;
    }
    multiply(r, scan.nPoints, k);
    multiply(l, scan.nPoints, kL);
    scan.calibWrk = 1;
}

void registerCalibrationCommands(CommandTable& t)
{
    t.handle(126, quietSunTa);
    t.handle(187, [](Workbench& wb) {
        startPointMethod(wb, {"Quillmar: Position of Quiet Sun point", true, quietPointCalibrate});
    });
    t.handle(127, fullFlux);
    t.handle(151, blackBody);
    t.handle(198, noiseGenerator);
    t.handle(197, setNoiseGenerator);
}

} // namespace qm
