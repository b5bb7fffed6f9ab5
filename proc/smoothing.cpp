#include "proc/smoothing.h"

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

// Selection bounds on a scan of n points: b from 0, e at most n - 1.
void boundSelection(int n, int& b, int& e)
{
    b = std::max(b, 0);
    e = std::min(e, n - 1);
}

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
    wb.progressOpen(gauss ? "Gauss smooth" : "Median smooth", wb.allMode ? static_cast<int>(targets.size()) : 2,
                    true);
    int window = *first;
    std::vector<double> kernel = gauss ? gaussKernel(window) : std::vector<double>{};
    bool stop = false;
    for (ScanRecord* scan : targets) {
        if (perScan) {
            const auto own = smoothingWindow(w, scan->beamHalfsize, scan->step, scan->nPoints);
            window = own ? *own : 0;
            if (gauss)
                kernel = gaussKernel(window);
        }
        for (const ChannelArrays& ch : selectedWorksheets(wb, *scan)) {
            if (gauss)
                gaussSmooth(ch.wrk, scan->nPoints, wb.viewBegin, wb.viewEnd, kernel);
            else
                medianSmooth(ch.wrk, scan->nPoints, wb.viewBegin, wb.viewEnd, window);
            if (!wb.allMode)
                wb.progressStep();
            if ((stop = abortRequested(wb)))
                break;
        }
        if (stop)
            break;
        if (wb.allMode) {
            wb.status(format(gauss ? "Gauss smooth of scan %.2f[GHz] is end" : "Median smooth of scan %.2f[GHz] is end",
                             static_cast<double>(scan->frequency)));
            if (!wb.progressStep())
                break;
        }
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

bool gaussSmooth(float* x, int n, int b, int e, const std::vector<double>& g)
{
    if (!x || g.size() < 2)
        return false;
    const int m = static_cast<int>(g.size()) - 1;
    boundSelection(n, b, e);
    const int len = e - b;
    if (len < 1 || b + m > n - 2 || e - m < 1)
        return false;
    const int s = b == 0 ? 1 : b;
    // buf[m + pos] holds position pos = -m ... len + m relative to s.
    std::vector<float> buf(static_cast<std::size_t>(len + 2 * m + 1));
    const double levelL = 2.0 * (double(x[b == 0 ? s : s - 1]) + x[s] + x[s + 1]) / 3;
    for (int k = 0; k <= m; ++k)
        buf[m - k] = b - k >= 0 ? x[s - k] : float(levelL - x[s + k]);
    const int r = s + len; // first point after the stretch
    const double levelR = n - e > 2 ? 2.0 * (double(x[r - 1]) + x[r] + x[r + 1]) / 3
                                    : 2.0 * (2.0 * x[r - 1] + x[r - 2]) / 3;
    for (int k = 0; k <= m; ++k)
        buf[m + len + k] = n - e - k > 1 ? x[r + k] : float(levelR - x[r - 1 - k]);
    std::copy(x + s, x + s + len, buf.begin() + m);
    // Every output sums its terms in the order k = 0..m; running over the
    // outputs inside that loop keeps the sums independent of each other, so
    // the processor works on many at once instead of waiting on one chain.
    std::vector<double> acc(static_cast<std::size_t>(len), 0.0);
    double* __restrict sum = acc.data();
    for (int k = 0; k <= m; ++k) {
        const double gk = g[static_cast<std::size_t>(k)];
        const float* __restrict before = buf.data() + m - k;
        const float* __restrict after = buf.data() + m + k;
        for (int j = 0; j < len; ++j)
            sum[j] += (double(before[j]) + after[j]) * gk;
    }
    for (int j = 0; j < len; ++j)
        x[s + j] = static_cast<float>(acc[static_cast<std::size_t>(j)]);
    return true;
}

bool medianSmooth(float* x, int n, int b, int e, int halfWidth)
{
    if (!x || halfWidth < 1)
        return false;
    boundSelection(n, b, e);
    const int s = b == 0 ? 1 : b;
    const int len = e - s;
    if (len < 1 || 3 * (halfWidth / 2) > len)
        return false;
    const std::size_t size = 2 * static_cast<std::size_t>(halfWidth) + 1;
    // The stretch with halfWidth + 1 copies of its end values on each side.
    std::vector<float> ext(size + 1 + static_cast<std::size_t>(len), x[s + len - 1]);
    std::fill(ext.begin(), ext.begin() + halfWidth + 1, x[s]);
    std::copy(x + s, x + s + len, ext.begin() + halfWidth + 1);
    // Sorted window over ext[j .. j + 2N]; output j is the median of
    // ext[j + 1 .. j + 2N + 1], the 2N + 1 values centred on point s + j.
    std::vector<float> win(ext.begin(), ext.begin() + static_cast<std::ptrdiff_t>(size));
    std::sort(win.begin(), win.end());
    float* w = win.data();
    float* const end = w + size;
    for (int j = 0; j < len; ++j) {
        const float out = ext[static_cast<std::size_t>(j)];
        const float in = ext[static_cast<std::size_t>(j) + size];
        // Take out the last element not greater than the leaving value.
        float* at = std::upper_bound(w, end, out);
        if (at != w)
            --at;
        std::move(at + 1, end, at);
        // Put the entering value before the first element not smaller.
        float* pos = std::lower_bound(w, end - 1, in);
        std::move_backward(pos, end - 1, end);
        *pos = in;
        x[s + j] = w[halfWidth];
    }
    return true;
}

void gaussSmoothing(Workbench& wb) { runSmoothing(wb, Smoother::Gauss); }

void medianSmoothing(Workbench& wb) { runSmoothing(wb, Smoother::Median); }

} // namespace qm
