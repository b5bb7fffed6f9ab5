#include "proc/smoothing.h"

#include "app/parallel_for.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

namespace {

constexpr double kSqrt2 = 1.41421356;
constexpr double kSqrtLog2 = 0.548662; // sqrt(log10 2): the weight is 1/2 at h points

enum class Smoother { Gauss, Median };

// True once the user asked to stop: Abort pressed in the progress dialog,
// seen by the message pump or by the last progress step.
bool abortRequested(Workbench& wb)
{
    if (wb.interactiveMode && wb.cancelFlag == kProgressRunning && wb.ui().pump())
        wb.cancelFlag = kProgressAborted;
    return wb.cancelFlag == kProgressAborted;
}

void runSmoothing(Workbench& wb, Smoother kind)
{
    const std::string prompt = format("Window of smothing[%c]:", wb.settings.unitAxisX);
    WorksheetRunSpec spec;
    spec.prompt = prompt.c_str();
    const auto width = prepareWorksheetRun(wb, spec);
    if (!width || *width == 0 || !wb.activeScan)
        return;
    const float w = *width;
    const ScanRecord& active = *wb.activeScan;
    // A step of 0 gives no window: refused.
    const auto first = smoothingWindow(w, active.beamHalfsize, active.step, active.nPoints);
    if (!first)
        return;
    // Beam units in ALL mode: every scan gets the window of its own beam.
    const bool perScan = w < 0 && wb.allMode;
    if (kind == Smoother::Gauss && !perScan && *first < 2)
        return;

    const bool gauss = kind == Smoother::Gauss;
    const auto targets = wb.targets();
    const std::vector<double> commonKernel = gauss ? gaussKernel(*first) : std::vector<double>{};
    // The selected worksheets of one scan; false once Abort is heard, which
    // in interactive use happens after any worksheet.
    auto smoothScan = [&](ScanRecord& scan) {
        int window = *first;
        std::vector<double> ownKernel;
        if (perScan) {
            const auto own = smoothingWindow(w, scan.beamHalfsize, scan.step, scan.nPoints);
            window = own ? *own : 0;
            if (gauss)
                ownKernel = gaussKernel(window);
        }
        const std::vector<double>& kernel = perScan ? ownKernel : commonKernel;
        for (const ChannelArrays& ch : selectedWorksheets(wb, scan)) {
            if (gauss)
                gaussSmooth(ch.wrk, scan.nPoints, wb.viewBegin, wb.viewEnd, kernel);
            else
                medianSmooth(ch.wrk, scan.nPoints, wb.viewBegin, wb.viewEnd, window);
            if (!wb.interactiveMode)
                continue;
            if (!wb.allMode)
                wb.progressStep();
            if (abortRequested(wb))
                return false;
        }
        return true;
    };
    auto reportScan = [&](const ScanRecord& scan) {
        wb.status(format(gauss ? "Gauss smooth of scan %.2f[GHz] is end" : "Median smooth of scan %.2f[GHz] is end",
                         static_cast<double>(scan.frequency)));
        return wb.progressStep();
    };

    wb.progressOpen(gauss ? "Gauss smooth" : "Median smooth", wb.allMode ? static_cast<int>(targets.size()) : 2,
                    true);
    if (wb.allMode && !wb.interactiveMode) {
        // Scripts and packets cannot abort: the scans are smoothed side by
        // side on the processor's cores, each by one thread, then reported
        // in order.
        parallelFor(targets.size(), [&](std::size_t i) { smoothScan(*targets[i]); });
        for (const ScanRecord* scan : targets)
            reportScan(*scan);
    } else {
        for (ScanRecord* scan : targets)
            if (!smoothScan(*scan) || (wb.allMode && !reportScan(*scan)))
                break;
    }
    wb.progressClose();
}

} // namespace

std::optional<int> smoothingWindow(float width, float beamHalfsize, float step, int n)
{
    if (step == 0)
        return std::nullopt;
    const double w = width < 0 ? -double(width) * beamHalfsize / step : double(width) / step;
    if (std::isnan(w))
        return std::nullopt;
    const int limit = std::max(n, 0) / 2;
    if (w >= limit) // also keeps huge widths out of the integer conversion
        return limit;
    if (w <= -1)
        return 0;
    return static_cast<int>(std::trunc(w)) + 1;
}

std::vector<double> gaussKernel(int n)
{
    if (n < 2)
        return {};
    return gaussKernelOfHalfWidth(n / 2, std::numeric_limits<int>::max());
}

std::vector<double> gaussKernelOfHalfWidth(double h, int maxTerms)
{
    if (!(h > 0) || !std::isfinite(h) || maxTerms < 1)
        return {};
    const double c = kSqrtLog2 / h;
    const double m = std::trunc(kSqrt2 / c) + 1;
    const int terms = m < maxTerms ? static_cast<int>(m) : maxTerms;
    std::vector<double> g(static_cast<std::size_t>(terms) + 1);
    double sum = 0;
    for (int k = 0; k <= terms; ++k) {
        const double t = k * kSqrt2 / m;
        g[k] = std::pow(10.0, -t * t);
        sum += g[k];
    }
    const double s = 2 * sum - g[0];
    for (double& v : g)
        v /= s;
    g[0] /= 2;
    return g;
}

void gaussSmoothing(Workbench& wb) { runSmoothing(wb, Smoother::Gauss); }

void medianSmoothing(Workbench& wb) { runSmoothing(wb, Smoother::Median); }

} // namespace qm
