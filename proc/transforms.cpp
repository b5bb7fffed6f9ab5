#include "proc/transforms.h"

#include "app/command_table.h"
#include "app/noise_estimate.h"
#include "app/workbench.h"
#include "proc/sun_centre.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

namespace {

constexpr const char* kReplaceAll = "This operation replace ALL data";

// Gives the scan n points: every present channel gets a new block whose
// Data fill(channel, data, worksheet) writes, and its Worksheet too.
template <class Fill>
void reshape(ScanRecord& scan, int n, Fill fill)
{
    ChannelBlock block[2];
    const std::size_t m = static_cast<std::size_t>(n);
    for (int ch = 0; ch < 2; ++ch) {
        if (!(ch == 0 ? scan.hasI() : scan.hasV()))
            continue;
        block[ch].assign(2 * m + 2, 0.0f); // the layout allocChannel gives
        fill(ch, block[ch].data(), block[ch].data() + m);
    }
    scan.nPoints = static_cast<int16_t>(n);
    for (int ch = 0; ch < 2; ++ch)
        if (!block[ch].empty())
            (ch == 0 ? scan.chanI : scan.chanV).swap(block[ch]);
}

const float* dataOf(const ScanRecord& s, int ch) { return ch == 0 ? s.dataI() : s.dataV(); }
const float* wrkOf(const ScanRecord& s, int ch) { return ch == 0 ? s.wrkI() : s.wrkV(); }

void finishReshape(Workbench& wb, int n)
{
    wb.viewBegin = 1;
    wb.viewEnd = n - 2;
    wb.checkMixedSet();
    wb.ui().stateChanged();
    wb.redraw();
}

// Move Scan (153).
void moveScan(Workbench& wb)
{
    if (wb.interactiveMode) {
        if (wb.groupMode == 0) {
            wb.message("You must to check Group");
            return;
        }
        if (wb.allMode) {
            wb.message("Must be option ONE");
            return;
        }
    }
    const auto shift = wb.askNumber("Input number of a move:");
    ScanRecord* s = wb.activeScan;
    if (!shift || !std::isfinite(*shift) || !s)
        return;
    for (float* x : {s->wrkI(), s->wrkV()})
        if (x)
            fractionalMove(x, s->nPoints, *shift);
    wb.redraw();
}

// Equal Length (154): every scan cut to the common length around its centre.
void equalLength(Workbench& wb)
{
    if (wb.scans.count() < 2)
        return;
    const ScanRecord& first = *wb.scans.head();
    bool sameStep = true, sameLength = true;
    double cMin = std::numeric_limits<double>::max(), rMin = cMin;
    for (const auto& s : wb.scans) {
        sameStep = sameStep && s->step == first.step;
        sameLength = sameLength && s->nPoints == first.nPoints;
        cMin = std::min<double>(cMin, s->centerPoint);
        rMin = std::min<double>(rMin, s->nPoints - double(s->centerPoint));
    }
    if (!sameStep || sameLength)
        return;
    const double total = std::trunc(cMin + rMin);
    if (!(cMin >= 0) || !(total >= 4) || total > kMaxPoints) {
        wb.fail("The scans have no common stretch around their centres");
        return;
    }
    const int n = static_cast<int>(total);
    for (const auto& s : wb.scans) {
        const double o = s->centerPoint - cMin;
        const int whole = static_cast<int>(std::trunc(o));
        const double fraction = o - whole;
        reshape(*s, n, [&](int ch, float* d, float* w) {
            const float* od = dataOf(*s, ch);
            const float* ow = wrkOf(*s, ch);
            const int old = s->nPoints;
            for (int j = 0; j < n; ++j) {
                const int from = std::min(whole + j, old - 1);
                d[j] = od[from];
                w[j] = ow[from];
            }
            if (fraction != 0) {
                fractionalMove(d, n, fraction);
                fractionalMove(w, n, fraction);
            }
        });
        s->centerPoint = static_cast<float>(cMin);
    }
    finishReshape(wb, n);
}

// Equal Step (159): every scan resampled to the smallest step.
void equalStep(Workbench& wb)
{
    if (wb.scans.empty() || wb.message(kReplaceAll, "Information", MsgButtons::OkCancel) == kCancel)
        return;
    const ScanRecord& first = *wb.scans.head();
    bool sameRadius = true, sameStep = true;
    for (const auto& s : wb.scans) {
        sameRadius = sameRadius && s->radius == first.radius;
        sameStep = sameStep && s->step == first.step;
        if (!(s->step > 0) || s->nPoints < 2 || (!sameRadius && !(s->radius > 0))) {
            wb.fail("A scan has no usable step or radius");
            return;
        }
    }
    if (sameRadius && sameStep)
        return;
    // Check everything before the first scan changes.
    double left = 1e6, right = 1e6, step = 1e6;
    for (const auto& s : wb.scans) {
        const double h = sameRadius ? s->step : double(s->step) * 960 / s->radius;
        left = std::min(left, s->centerPoint * h);
        right = std::min(right, (s->nPoints - double(s->centerPoint)) * h);
        step = std::min(step, h);
    }
    double centre = left / step;
    const double total = std::trunc((left + right) / step);
    if (!(total >= 4) || !std::isfinite(centre)) {
        wb.fail("The scans have no common stretch");
        return;
    }
    int n = total > kMaxPoints ? kMaxPoints : static_cast<int>(total);
    if (total > kMaxPoints)
        centre -= static_cast<int>((total - kMaxPoints) / 2);
    for (const auto& s : wb.scans) {
        if (!sameRadius) {
            s->step = static_cast<float>(double(s->step) * 960 / s->radius);
            s->radius = 960;
        }
        const double h = s->step;
        const double start = s->centerPoint - centre * step / h;
        const int old = s->nPoints;
        if (old == n) {
            // Same length: resample Data into the Worksheet, then copy it
            // back, with no new blocks.
            for (int ch = 0; ch < 2; ++ch) {
                float* d = ch == 0 ? s->dataI() : s->dataV();
                float* w = ch == 0 ? s->wrkI() : s->wrkV();
                if (!d)
                    continue;
                resampleLinear(d, old, start, step / h, w, n);
                w[n - 1] = 0;
                std::copy(w, w + n, d);
            }
        } else {
            reshape(*s, n, [&](int ch, float* d, float* w) {
                resampleLinear(dataOf(*s, ch), old, start, step / h, d, n);
                d[n - 1] = 0;
                std::copy(d, d + n, w);
            });
        }
        s->step = static_cast<float>(step);
        s->centerPoint = static_cast<float>(centre);
    }
    finishReshape(wb, n);
}

// Subtracts `ref` from the switched-on worksheets of `s` over ref's points.
void subtractScan(const Workbench& wb, ScanRecord& s, const ScanRecord& ref)
{
    if (s.nPoints != ref.nPoints)
        return;
    for (int ch = 0; ch < 2; ++ch) {
        if (!(ch == 0 ? wb.chkWrkI : wb.chkWrkV))
            continue;
        float* x = ch == 0 ? s.wrkI() : s.wrkV();
        const float* r = wrkOf(ref, ch);
        if (x && r)
            for (int i = 0; i < ref.nPoints; ++i)
                x[i] -= r[i];
    }
}

bool sameObservation(const ScanRecord& a, const ScanRecord& b)
{
    return std::string(a.dateObs) == b.dateObs && std::string(a.timeObs) == b.timeObs;
}

// Scan sub scan (160).
void scanSubScan(Workbench& wb)
{
    ScanRecord* active = wb.activeScan;
    if (!active)
        return;
    const char* refusal = nullptr;
    if (!wb.chkWrkI && !wb.chkWrkV)
        refusal = "WORKSHEET is not checked";
    if (!wb.allMode) {
        refusal = "Must be option ALL";
    } else {
        const auto targets = wb.targets();
        for (const ScanRecord* s : targets)
            if (s->radius != active->radius)
                refusal = "Data have different Solar radii";
        if (std::find(targets.begin(), targets.end(), active) == targets.end())
            refusal = "Group have not a selected scan";
    }
    if (refusal) {
        wb.refuse(refusal);
        return;
    }
    const std::string question =
        wb.groupMode != 0 ? format("Scan (%.2f[GHz],%s,%sUT)\n will be subtraction from others", active->frequency,
                                   active->dateObs, active->timeObs)
                          : format("Data (%s,%sUT) will be\n subtraction from others", active->dateObs,
                                   active->timeObs);
    if (wb.message(question, "Information", MsgButtons::OkCancel) == kCancel)
        return;
    if (wb.groupMode != 0) {
        for (ScanRecord* s : wb.groupScans)
            if (s != active)
                subtractScan(wb, *s, *active);
    } else {
        for (const auto& ref : wb.scans) {
            if (!sameObservation(*ref, *active))
                continue;
            for (const auto& s : wb.scans)
                if (s->frequency == ref->frequency && !sameObservation(*s, *active))
                    subtractScan(wb, *s, *ref);
        }
    }
    wb.redraw();
}

// Center Sun (144): every scan recentred, then cut to a common stretch.
void centerSun(Workbench& wb)
{
    const char* refusal = nullptr;
    if (!wb.allMode)
        refusal = "Must be option ALL";
    else if (std::any_of(wb.scans.begin(), wb.scans.end(), [](const auto& s) { return !s->dataI(); }))
        refusal = "Data have not the intensity";
    if (refusal) {
        wb.refuse(refusal);
        return;
    }
    if (!wb.requireNoOpenReport())
        return;
    if (wb.message(kReplaceAll, "Information", MsgButtons::OkCancel) == kCancel)
        return;
    if (wb.interactiveMode &&
        std::any_of(wb.scans.begin(), wb.scans.end(), [](const auto& s) { return !s->calibData; })) {
        wb.message("The data are not calibrated");
        return;
    }
    const auto mode = wb.askInteger("Input Flag [1-max/0-rise]:");
    if (!mode)
        return;
    std::string report = "Frq\t Date obs.\t Time obs.\tdCsun\r\n";
    bool found = true;
    for (const auto& s : wb.scans) {
        const auto change = recentreScan(*s, *mode == 1 ? CentreMode::Max : CentreMode::Rise);
        if (!change) {
            wb.refuse("Error of the center determination");
            found = false;
            break;
        }
        report += format("%.2f\t%s\t%s\t%.3f%c\r\n", s->frequency, s->dateObs, s->timeObs, *change * s->step,
                         wb.settings.unitAxisX);
    }
    if (found) {
        double ci = 1e300, cf = 1e300, r = 1e300;
        for (const auto& s : wb.scans) {
            ci = std::min<double>(ci, std::trunc(s->centerPoint));
            cf = std::min<double>(cf, s->centerPoint);
            r = std::min<double>(r, std::trunc(s->nPoints - double(s->centerPoint)));
        }
        for (const auto& s : wb.scans) {
            const int from = std::max(0, static_cast<int>(std::trunc(s->centerPoint - ci)));
            const int to = std::min<int>(s->nPoints, static_cast<int>(std::trunc(r + s->centerPoint)));
            if (to - from < 1)
                continue;
            reshape(*s, to - from, [&](int ch, float* d, float* w) {
                std::copy(dataOf(*s, ch) + from, dataOf(*s, ch) + to, d);
                std::copy(d, d + (to - from), w);
            });
            s->centerPoint = static_cast<float>(cf);
        }
        wb.deliverReport("Delta Center Sun", report);
    }
    ScanRecord* head = wb.scans.head();
    wb.viewBegin = 5;
    wb.viewEnd = head->nPoints - 6;
    wb.setActive(head);
    wb.checkMixedSet();
    wb.ui().stateChanged();
    wb.redraw();
}

// Group scan min (171) and Group scan aver. (170).
void groupCombine(Workbench& wb, bool minimum)
{
    const char* refusal = nullptr;
    if (!wb.chkWrkI && !wb.chkWrkV)
        refusal = "WORKSHEET is not checked";
    if (!wb.allMode)
        refusal = "Must be option ALL";
    if (refusal) {
        wb.refuse(refusal);
        return;
    }
    const auto targets = wb.targets();
    for (std::size_t a = 0; a < targets.size();) {
        std::size_t b = a + 1;
        while (b < targets.size() && targets[b]->frequency == targets[a]->frequency)
            ++b;
        if (b - a > 1) {
            int n = targets[a]->nPoints;
            for (std::size_t k = a; k < b; ++k)
                n = std::min<int>(n, targets[k]->nPoints);
            const int from = std::max(wb.viewBegin, 0), to = std::min(wb.viewEnd, n);
            for (int ch = 0; ch < 2; ++ch) {
                if (!(ch == 0 ? wb.chkWrkI : wb.chkWrkV))
                    continue;
                std::vector<float*> run;
                for (std::size_t k = a; k < b; ++k)
                    if (float* x = ch == 0 ? targets[k]->wrkI() : targets[k]->wrkV())
                        run.push_back(x);
                if (run.size() < 2)
                    continue;
                for (int i = from; i < to; ++i) {
                    double v = minimum ? run[0][i] : 0.0;
                    for (float* x : run)
                        v = minimum ? std::min<double>(v, x[i]) : v + x[i];
                    if (!minimum)
                        v /= static_cast<double>(run.size());
                    for (float* x : run)
                        x[i] = static_cast<float>(v);
                }
            }
        }
        a = b;
    }
    wb.redraw();
}

// Scans integration (200): the group's mean in its first scan.
void scansIntegration(Workbench& wb)
{
    if (wb.groupMode == 0 || wb.groupCount() < 2)
        return;
    bool remove = false;
    if (wb.interactiveMode)
        remove = wb.message("Do you want to delete original scans?", "Attention", MsgButtons::OkCancel) == kOk;
    else
        remove = std::isfinite(wb.batchArgs[0]) && std::trunc(wb.batchArgs[0]) == 1;
    const std::vector<ScanRecord*> group = wb.groupScans;
    ScanRecord& g0 = *group.front();
    int n = wb.activeScan ? wb.activeScan->nPoints : g0.nPoints;
    for (const ScanRecord* s : group)
        n = std::min<int>(n, s->nPoints);
    double tq = 0, beam = 0, flux = 0, freq = 0;
    for (const ScanRecord* s : group) {
        if (s != &g0)
            for (int ch = 0; ch < 2; ++ch) {
                float* x = ch == 0 ? g0.wrkI() : g0.wrkV();
                const float* y = wrkOf(*s, ch);
                if (x && y)
                    for (int i = 0; i < n; ++i)
                        x[i] += y[i];
            }
        tq += s->tqSun;
        beam += s->beamHalfsize;
        flux += s->fluxCoef;
        freq += s->frequency;
    }
    const double count = static_cast<double>(group.size());
    for (float* x : {g0.wrkI(), g0.wrkV()})
        if (x)
            for (int i = 0; i < g0.nPoints; ++i)
                x[i] = static_cast<float>(x[i] / count);
    if (remove) {
        g0.tqSun = truncToShort(tq / count);
        g0.beamHalfsize = static_cast<float>(beam / count);
        g0.fluxCoef = static_cast<float>(flux / count);
        g0.frequency = static_cast<float>(freq / count);
        wb.setGroupView(0);
        wb.groupScans.clear();
        const bool all = wb.allMode;
        wb.allMode = false;
        for (ScanRecord* s : group)
            if (s != &g0 && wb.scans.contains(s))
                wb.removeScan(s);
        wb.setActive(wb.scans.head());
        wb.allMode = all;
        wb.ui().stateChanged();
    } else {
        for (ScanRecord* s : group) {
            if (s == &g0 || s->nPoints < g0.nPoints)
                continue;
            for (int ch = 0; ch < 2; ++ch) {
                float* x = ch == 0 ? s->wrkI() : s->wrkV();
                const float* y = wrkOf(g0, ch);
                if (x && y)
                    std::copy(y, y + g0.nPoints, x);
            }
        }
    }
    wb.redraw();
}

} // namespace

void resampleLinear(const float* x, int count, double first, double delta, float* out, int n)
{
    auto at = [&](int j) {
        const double t = first + j * delta;
        if (!(t > 0))
            return x[0];
        if (t >= count - 1)
            return x[count - 1];
        const int k = static_cast<int>(t); // the floor, as t > 0
        return static_cast<float>(x[k] + (double(x[k + 1]) - x[k]) * (t - k));
    };
    if (!(delta > 0) || !std::isfinite(delta) || !std::isfinite(first)) {
        for (int j = 0; j < n; ++j)
            out[j] = at(j);
        return;
    }
    // Rising positions: a run before the first point, the interior [lo, hi)
    // interpolated without tests, a run past the last point.
    int lo = 0;
    for (; lo < n && !(first + lo * delta > 0); ++lo)
        out[lo] = x[0];
    const double guess = std::clamp(std::ceil((count - 1 - first) / delta), double(lo), double(n));
    int hi = static_cast<int>(guess);
    while (hi > lo && first + (hi - 1) * delta >= count - 1)
        --hi;
    while (hi < n && first + hi * delta < count - 1)
        ++hi;
    // The interior walks the positions in 32.32 fixed point: the index is
    // the high word and the weight the low one, with no per-point
    // conversion. The walk drifts by under 1e-5 point over 32767 points, so
    // positions within 1e-4 of either end take the exact formula instead.
    constexpr double kEdge = 1e-4;
    int a = lo, b = hi;
    for (; a < b && first + a * delta < kEdge; ++a)
        out[a] = at(a);
    for (; b > a && first + (b - 1) * delta > count - 1 - kEdge; --b)
        out[b - 1] = at(b - 1);
    if (a < b) {
        constexpr double kOne = 4294967296.0; // 2^32
        int64_t pos = std::llround((first + a * delta) * kOne);
        const int64_t inc = std::llround(delta * kOne);
        for (int j = a; j < b; ++j, pos += inc) {
            const int k = static_cast<int>(pos >> 32);
            const float wgt = static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
            out[j] = x[k] + (x[k + 1] - x[k]) * wgt;
        }
    }
    for (int j = hi; j < n; ++j)
        out[j] = x[count - 1];
}

void registerTransformCommands(CommandTable& t)
{
    t.handle(153, moveScan);
    t.handle(154, equalLength);
    t.handle(159, equalStep);
    t.handle(160, scanSubScan);
    t.handle(144, centerSun);
    t.handle(171, [](Workbench& wb) { groupCombine(wb, true); });
    t.handle(170, [](Workbench& wb) { groupCombine(wb, false); });
    t.handle(200, scansIntegration);
}

} // namespace qm
