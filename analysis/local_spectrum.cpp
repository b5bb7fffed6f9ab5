#include "analysis/local_spectrum.h"

#include "analysis/gauss_analysis.h"
#include "analysis/local_graph_table.h"
#include "app/command_table.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <cmath>
#include <cstdlib>

namespace qm {

namespace {

constexpr int kMaxPositions = 15;
constexpr int kPositionChoice = -1; // view.gaussChoice while positions are picked

float valueAt(const float* w, const ScanRecord& s, double c)
{
    if (!w || !(c >= 0 && c < s.nPoints))
        return 0;
    return w[static_cast<int>(std::trunc(c))];
}

void deliver(Workbench& wb, const std::vector<double>& positions)
{
    wb.deliverReport("Spectrum of chosen position(s)", localSpectrumReport(wb, positions));
    wb.ui().setTitle("Quillmar");
}

void localSpectrum(Workbench& wb)
{
    if (!gaussRunAllowed(wb))
        return;
    if (!wb.interactiveMode) {
        std::string why;
        const auto count = truncToInt(wb.batchArgs[0]);
        const std::vector<double> c = batchPositions(wb, count ? *count : 0, why);
        if (c.empty()) {
            wb.fail(why);
            return;
        }
        deliver(wb, c);
        return;
    }
    const auto count = wb.askInteger("Input number of points:");
    if (!count || *count < 1 || *count > kMaxPositions)
        return;
    wb.ui().setTitle(format("Quillmar: Choice of a %d position(s)", *count));
    startPositionPicking(wb, *count, kPositionChoice, deliver);
}

} // namespace

std::string localSpectrumReport(const Workbench& wb, const std::vector<double>& positions)
{
    const std::vector<ScanRecord*> scans = wb.targets();
    if (scans.empty() || positions.empty())
        return {};
    const bool useI = wb.chkWrkI;
    const ScanRecord& first = *scans.front();
    std::string text = useI ? "Frq_I" : "Frq_V";
    for (double c : positions)
        text += format("\t%.2f%c", (c - first.centerPoint) * first.step, wb.settings.unitAxisX);
    text += "\r\n";
    for (const ScanRecord* s : scans) {
        text += format("%.2f", s->frequency);
        for (double c : positions)
            text += format("\t%.4e", valueAt(useI ? s->wrkI() : s->wrkV(), *s, c));
        text += "\r\n";
    }
    return text;
}

std::vector<double> batchPositions(const Workbench& wb, int count, std::string& why)
{
    const std::vector<ScanRecord*> scans = wb.targets();
    if (count < 1 || count > kMaxPositions) {
        why = "Number of points must be 1 ... 15";
        return {};
    }
    if (scans.empty() || !(scans.front()->step != 0)) {
        why = "No scan to take positions on";
        return {};
    }
    const ScanRecord& first = *scans.front();
    std::vector<double> c;
    const char* p = wb.batchTitle.c_str();
    while (static_cast<int>(c.size()) < count) {
        char* end = nullptr;
        const double x = std::strtod(p, &end);
        if (end == p) {
            why = format("The title holds fewer than %d positions", count);
            return {};
        }
        const double at = first.centerPoint + x / first.step;
        if (!(at >= 0 && at < first.nPoints)) {
            why = format("Position %g lies outside the scan", x);
            return {};
        }
        c.push_back(at);
        p = end;
    }
    return c;
}

void clickSpectrum(Workbench& wb, int x)
{
    const PlotGeometry& g = wb.geometry;
    if (!wb.setLoaded || !g.valid || !(g.pixelsPerPoint > 0) || !(wb.chkWrkI || wb.chkWrkV))
        return;
    const double offset = std::trunc((x - g.left) / g.pixelsPerPoint);
    const double p = wb.viewBegin + offset;
    LocalGraphTable table;
    table.showI = wb.chkWrkI;
    table.showV = wb.chkWrkV;
    table.title = "Local spectrum (Ta)";
    std::vector<ScanRecord*> scans;
    if (wb.groupMode != 0)
        scans = wb.groupScans;
    else
        for (const auto& s : wb.scans)
            scans.push_back(s.get());
    for (const ScanRecord* s : scans)
        table.rows.push_back({localGraphX(wb, *s), wb.chkWrkI ? valueAt(s->wrkI(), *s, p) : 0.0,
                              wb.chkWrkV ? valueAt(s->wrkV(), *s, p) : 0.0});
    offerLocalGraph(wb, std::move(table));
}

void registerLocalSpectrumCommands(CommandTable& t) { t.handle(175, localSpectrum); }

} // namespace qm
