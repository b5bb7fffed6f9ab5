#include "analysis/flux_report.h"

#include "analysis/local_graph_table.h"
#include "app/noise_estimate.h"
#include "analysis/rl_alignment.h"
#include "analysis/scan_text.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr const char* kFluxPrompt = "0-line 1-L 2-R 3-min 4-no:";

// The worksheet of a channel when its switch is on and the scan has it.
const float* switchedWorksheet(const Workbench& wb, const ScanRecord& s, int channel)
{
    if (channel == 1)
        return wb.chkWrkI ? s.wrkI() : nullptr;
    return wb.chkWrkV ? s.wrkV() : nullptr;
}

// Flux of a baseline sum: 1.064 step K_f sum, in flux units unless the
// worksheet already holds fluxes.
double fluxOfSum(const ScanRecord& s, const Settings& st, double sum)
{
    double f = 1.064 * s.step * st.koefFlux * sum;
    if (!s.fluxWrk)
        f *= s.fluxCoef;
    return f;
}

std::string header(const Workbench& wb, AnalysisMode mode, int baseline)
{
    const Settings& st = wb.settings;
    switch (mode) {
    case AnalysisMode::Sigma:
        return "Frq\t Date obs.\t Time obs.\tAverI\tSigmaI\tRelSigI\tAverV\tSigmaV\tRelSigV\r\n";
    case AnalysisMode::FullFlux:
        return format("Frq\t Date obs.\t Time obs.\tFi%s\tFv%s [%s]\r\n", st.unitFlux.c_str(), st.unitFlux.c_str(),
                      baselineLabel(baseline));
    case AnalysisMode::GaussParam:
        return gaussParamHeader(st);
    case AnalysisMode::DeltaRL:
        return format("Frq\t Date obs.\t Time obs.\td(R-L)[%c]\td(R-L)[pix]\r\n", st.unitAxisX);
    }
    return {};
}

// The report line of one scan; fills the row's I and V.
std::string measure(const Workbench& wb, AnalysisMode mode, int baseline, ScanRecord& s, LocalGraphRow& row)
{
    const PointSpan span = selectedSpan(wb, s.nPoints);
    const int m = span.end - span.begin;
    switch (mode) {
    case AnalysisMode::Sigma: {
        NoiseFigures f[2];
        for (int ch = 1; ch <= 2; ++ch)
            if (const float* x = switchedWorksheet(wb, s, ch))
                f[ch - 1] = noiseFigures(x + span.begin, m);
        row.i = f[0].sigma;
        row.v = f[1].sigma;
        return lineStart(s) + format("\t%.2f\t%.2f\t%.2e\t%.2f\t%.2f\t%.2e\r\n", f[0].average, f[0].sigma,
                                     f[0].relative, f[1].average, f[1].sigma, f[1].relative);
    }
    case AnalysisMode::FullFlux: {
        double flux[2] = {0, 0};
        for (int ch = 1; ch <= 2; ++ch)
            if (const float* x = switchedWorksheet(wb, s, ch))
                flux[ch - 1] = fluxOfSum(s, wb.settings, baselineSum(x + span.begin, m, s.nPoints - span.begin, baseline));
        row.i = flux[0];
        row.v = flux[1];
        return lineStart(s) + format("\t%.2f\t%.2f\r\n", flux[0], flux[1]);
    }
    case AnalysisMode::GaussParam: {
        double first = 0;
        bool channelI = true;
        std::string line = gaussParamLine(s, wb.settings, first, channelI);
        (channelI ? row.i : row.v) = line.empty() ? 0 : first;
        return line;
    }
    case AnalysisMode::DeltaRL: {
        const RLAlignment result = alignRL(s);
        row.i = result.shift * s.step; // the shift in X units
        return lineStart(s) + format("\t%s\r\n", result.text.c_str());
    }
    }
    return {};
}

} // namespace

const char* analysisTitle(AnalysisMode mode)
{
    switch (mode) {
    case AnalysisMode::Sigma: return "Scan's sigma";
    case AnalysisMode::FullFlux: return "Local Flux";
    case AnalysisMode::GaussParam: return "Gauss Analiz";
    case AnalysisMode::DeltaRL: return "Delta (R-L)";
    }
    return "";
}

NoiseFigures noiseFigures(const float* x, int m)
{
    NoiseFigures f;
    if (!x || m <= 0)
        return f;
    long double sum = 0;
    for (int i = 0; i < m; ++i)
        sum += x[i];
    f.average = static_cast<double>(sum / m);
    f.sigma = noiseSigma(x, m);
    f.relative = f.sigma / valueRange(x, m);
    return f;
}

const char* baselineLabel(int baseline)
{
    switch (baseline) {
    case kBaseLine: return "line substraction";
    case kBaseLeft: return "left point substraction";
    case kBaseRight: return "rigth point substraction";
    case kBaseMin: return "min point substraction";
    default: return "no substraction";
    }
}

double baselineSum(const float* x, int m, int available, int baseline)
{
    if (!x || m <= 0 || available < m)
        return 0;
    long double base = 0, sum = 0;
    switch (baseline) {
    case kBaseLine: {
        if (m < 2)
            return 0;
        const long double slope = (static_cast<long double>(x[m - 1]) - x[0]) / m;
        for (int i = 1; i < m; ++i)
            sum += x[i] - (x[0] + i * slope);
        return static_cast<double>(sum);
    }
    case kBaseLeft: base = x[0]; break;
    case kBaseRight: base = x[available > m ? m : m - 1]; break;
    case kBaseMin:
        base = x[0];
        for (int i = 1; i < m; ++i)
            if (x[i] < base)
                base = x[i];
        break;
    default: break;
    }
    for (int i = 0; i < m; ++i)
        sum += x[i] - base;
    return static_cast<double>(sum);
}

std::string gaussParamHeader(const Settings& st)
{
    const char u = st.unitAxisX;
    return format("Frq\t Date obs.\t Time obs.\tPol.\tNum\t{Flx_i%s Theta_i[%c] Theta_clean_i[%c] Tb[K] Pos_i[%c]}\r\n",
                  st.unitFlux.c_str(), u, u, u);
}

std::string gaussParamLine(const ScanRecord& s, const Settings& st, double& firstFlux, bool& channelI)
{
    const auto& g = s.gauss;
    if (g.size() < 3)
        return {};
    const auto count = truncToInt(g[0]);
    const int room = static_cast<int>((g.size() - 3) / 4);
    if (!count || *count <= 0)
        return {};
    const int m = std::min({*count, room, kMaxGaussComponents});
    channelI = g[1] != 0;
    std::string line = lineStart(s) + format("\t%c\t%d", channelI ? 'I' : 'V', m);
    const double lambda = s.frequency != 0 ? 30.0 / s.frequency : 0; // cm
    const double beam2 = static_cast<double>(s.beamHalfsize) * s.beamHalfsize;
    for (int k = 0; k < m; ++k) {
        const std::size_t at = 3 + 4 * static_cast<std::size_t>(k);
        const double a = g[at], h = g[at + 1] * static_cast<double>(s.step), c = g[at + 2];
        // Like Gauss Flux: a worksheet already in flux units takes no coefficient.
        const double flux = a * 2.128 * st.koefFlux * (s.fluxWrk ? 1.0 : s.fluxCoef) * h;
        const double radicand = 4 * h * h - beam2;
        const double theta = radicand > 0 ? std::sqrt(radicand) : 0;
        const double tb = radicand > 0 ? std::fabs(flux) * 1.356e7 * lambda * lambda / (theta * theta) : 0;
        const double pos = (c - s.centerPoint) * s.step;
        if (k == 0)
            firstFlux = flux;
        line += format("\t%.2f\t%.2f\t%.2f\t%.4e\t%.2f", flux, 2 * h, theta, tb, pos);
    }
    return line + "\r\n";
}

void runAnalysis(Workbench& wb, AnalysisMode mode)
{
    if (!wb.requireNoOpenReport())
        return;
    if (wb.interactiveMode && !wb.requireWorksheetSelected())
        return;
    int baseline = 0;
    if (mode == AnalysisMode::FullFlux) {
        const auto b = wb.askNumber(kFluxPrompt);
        const auto t = b ? truncToInt(*b) : std::nullopt;
        if (!t)
            return;
        baseline = *t;
    }
    std::string report = header(wb, mode, baseline);
    const auto scans = wb.targets();
    for (const ScanRecord* s : scans)
        if (!s->calibWrk) {
            wb.message("The data are not calibrated");
            break;
        }
    LocalGraphTable table;
    for (ScanRecord* s : scans) {
        LocalGraphRow row;
        row.x = localGraphX(wb, *s);
        report += measure(wb, mode, baseline, *s, row);
        table.rows.push_back(row);
    }
    wb.deliverReport(analysisTitle(mode), report);
    if (wb.allMode) {
        table.showI = wb.chkWrkI;
        table.showV = wb.chkWrkV;
        table.title = analysisTitle(mode);
        offerLocalGraph(wb, std::move(table));
    }
}

} // namespace qm
