#include "analysis/gauss_analysis.h"

#include "analysis/gauss_errors.h"
#include "analysis/gauss_worker.h"
#include "analysis/scan_text.h"
#include "app/command_table.h"
#include "app/noise_estimate.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace qm {

namespace {

constexpr double kHalfWidthPerWidth = 0.83; // HWHM of exp(-(i-c)^2/w^2) is 0.8326 w

// Values kept between runs of dialog 7 (an empty edit keeps them).
struct GaussChoices {
    int components = 0, initial = 0;
    bool spline = false;
};

void smoothThree(std::vector<float>& y)
{
    for (std::size_t i = 1; i + 1 < y.size(); ++i)
        y[i] = ((y[i - 1] + y[i + 1]) / 2 + y[i]) / 2;
}

// The cubic through the levels and slopes at both ends of the selection.
void subtractCubic(std::vector<float>& y, int b, int e)
{
    const int n = static_cast<int>(y.size());
    const int s = b == 0 ? 1 : b, u = e == n - 1 ? e - 1 : e, len = u - s;
    if (len < 3 || s < 1 || u > n - 2)
        return;
    const double ms = (double(y[s - 1]) + y[s] + y[s + 1]) / 3, mu = (double(y[u - 1]) + y[u] + y[u + 1]) / 3;
    const double gs = (double(y[s + 3]) - y[s]) / 3, gu = (double(y[u]) - y[u - 3]) / 3;
    const double l = len, d = ((gu + gs) * l + 2 * (ms - mu)) / (l * l * l), c = (gu - gs - 3 * d * l * l) / (2 * l);
    for (int j = -1; j <= len + 1; ++j)
        y[std::size_t(s + j)] -= static_cast<float>(ms + gs * j + c * j * j + d * j * j * j);
}

const float* worksheetOf(const ScanRecord& s, int channel) { return channel == 1 ? s.wrkI() : s.wrkV(); }

} // namespace

std::optional<GaussFitInput> gaussFitInput(const Workbench& wb, const ScanRecord& s, int channel, bool spline,
                                           int maxComponents, const std::vector<double>& picks, double& scale)
{
    const float* x = worksheetOf(s, channel);
    const int n = s.nPoints;
    if (!x || n < 7)
        return std::nullopt;
    const int b = std::clamp(wb.viewBegin, 0, n - 1), e = std::clamp(wb.viewEnd, 0, n - 1);
    if (e - b < 6)
        return std::nullopt;
    GaussFitInput in;
    in.y.resize(std::size_t(n));
    for (int i = 0; i < n; ++i)
        in.y[std::size_t(i)] = std::fabs(x[i]);
    double t = wb.settings.gaussNoise != 0 ? wb.settings.gaussNoise : noiseSigma(x + b, e - b - 1);
    smoothThree(in.y);
    if (spline)
        subtractCubic(in.y, b, e);
    double peak = 0;
    for (int i = b; i <= e; ++i)
        peak = std::max<double>(peak, in.y[std::size_t(i)]);
    if (!std::isfinite(peak) || !std::isfinite(t))
        return std::nullopt;
    scale = peak > 0 && peak < 1000 ? 1000 / peak : 1;
    for (int i = b; i <= e; ++i)
        in.y[std::size_t(i)] = static_cast<float>(in.y[std::size_t(i)] * scale);
    t *= scale;
    for (double c : picks) {
        const int at = static_cast<int>(std::trunc(c));
        if (at < 1 || at >= n - 1)
            continue;
        const double top = in.y[std::size_t(at)];
        int width = 0;
        while (at - width >= 1 && at + width < n && in.y[std::size_t(at - width)] > 0.4 * top &&
               in.y[std::size_t(at + width)] > 0.4 * top)
            ++width;
        in.initial.push_back({0.8 * top, double(std::max(width, 1)), c});
    }
    if (int(in.initial.size()) >= maxComponents)
        in.initial.resize(std::size_t(maxComponents - 1));
    in.b = b;
    in.e = e;
    in.maxComponents = maxComponents;
    in.beamHalfsize = s.beamHalfsize;
    in.threshold = t;
    return in;
}

namespace {

std::vector<GaussComponent> postProcess(const ScanRecord& s, int channel, const std::vector<GaussComponent>& fitted,
                                        double scale)
{
    const float* x = worksheetOf(s, channel);
    std::vector<GaussComponent> comps = fitted;
    for (GaussComponent& c : comps) {
        const int at = static_cast<int>(std::trunc(c.centre));
        if (at >= 0 && at < s.nPoints && x[at] < 0)
            c.amplitude = -c.amplitude;
        c.amplitude /= scale;
    }
    spreadOpposites(comps, s.step != 0 ? 7 / double(s.step) : 0);
    return comps;
}

// One analysed scan: the post-processed components in worksheet units
// (signed amplitude, e-folding width and centre in points) before they
// become the scan's table.
struct GaussScanFit {
    std::vector<GaussComponent> components;
    double scale = 1;      // g: the curve was multiplied by it before the fit
    std::vector<GaussComponent> fitted; // as the fitter returned them (scaled units)
    int b = 0, e = 0;
};

// Flux, size and position of a component as the reports give them.
struct Measured {
    double flux = 0, theta = 0, pos = 0, halfWidth = 0;
};

Measured measure(const Workbench& wb, const ScanRecord& s, const GaussComponent& c)
{
    Measured m;
    m.halfWidth = kHalfWidthPerWidth * c.width * s.step;
    m.flux = 2.128 * wb.settings.koefFlux * m.halfWidth * c.amplitude;
    if (!s.fluxWrk)
        m.flux *= s.fluxCoef;
    const double radicand = 4 * m.halfWidth * m.halfWidth - double(s.beamHalfsize) * s.beamHalfsize;
    m.theta = radicand > 0 ? std::sqrt(radicand) : 0;
    m.pos = (c.centre - s.centerPoint) * s.step;
    return m;
}

// The line of "Gauss Errors": sigma of flux, size and position of each component.
std::string errorLine(const Workbench& wb, const ScanRecord& s, int channel, const GaussScanFit& fit)
{
    const double noise = gaussNoise(worksheetOf(s, channel), fit.b, fit.e, fit.fitted) * fit.scale;
    const auto sig = gaussSigmas(fit.fitted, fit.b, fit.e, noise);
    std::string line = lineStart(s);
    for (std::size_t k = 0; k < fit.components.size(); ++k) {
        double dF = 0, dTheta = 0, dPos = 0;
        if (sig) {
            const GaussComponent& f = fit.fitted[k];
            const GaussSigma& e = (*sig)[k];
            const Measured m = measure(wb, s, fit.components[k]);
            const double relA = e.amplitude / f.amplitude, relW = e.width / f.width;
            const double rel2 = relA * relA + relW * relW + 2 * e.amplitudeWidth / (f.amplitude * f.width);
            dF = std::fabs(m.flux) * std::sqrt(std::max(rel2, 0.0));
            // theta = sqrt(4H^2 - hb^2) with H proportional to the width.
            dTheta = m.theta > 0 ? 4 * m.halfWidth * m.halfWidth / m.theta * relW : 0;
            dPos = e.centre * std::fabs(double(s.step));
        }
        line += format("\t%.3e\t%.3e\t%.3e", dF, dTheta, dPos);
    }
    return line + "\r\n";
}

// The analysis over the target scans with the given picked positions.
void analyse(Workbench& wb, int maxComponents, bool spline, const std::vector<double>& picks)
{
    const int channel = wb.chkWrkI ? 1 : 2;
    const std::vector<ScanRecord*> scans = wb.targets();
    if (scans.empty())
        return;
    UiPort& ui = wb.ui();
    ui.setTitle("Quillmar: Gauss analysis in progress");
    wb.progressOpen("Flux of gauss", wb.allMode ? static_cast<int>(scans.size()) : 5, true);
    wb.holdCommands(true);
    std::string report, errors;
    std::vector<std::pair<ScanRecord*, std::vector<float>>> replaced;
    bool aborted = false;
    for (ScanRecord* s : scans) {
        GaussScanFit fit;
        if (auto prepared = gaussFitInput(wb, *s, channel, spline, maxComponents, picks, fit.scale)) {
            fit.b = prepared->b;
            fit.e = prepared->e;
            GaussJob job(std::move(*prepared));
            if (job.start()) {
                auto result = job.wait([&] { return ui.pump() || wb.cancelFlag == kProgressAborted; });
                if (!result) {
                    aborted = true;
                    break;
                }
                fit.fitted = std::move(result->components);
            }
            if (!fit.fitted.empty()) {
                fit.components = postProcess(*s, channel, fit.fitted, fit.scale);
                replaced.emplace_back(s, s->gauss);
                s->gauss = gaussTable(fit.components, channel);
                if (report.empty()) {
                    const Settings& st = wb.settings;
                    report = errors = "Frq\t Date obs.\t Time obs.";
                    for (std::size_t k = 0; k < fit.components.size(); ++k) {
                        report += format("\tFlx%zu%s\tTheta%zu[%c]\tPos%zu[%c]", k, st.unitFlux.c_str(), k,
                                         st.unitAxisX, k, st.unitAxisX);
                        errors += format("\tdFlx%zu%s\tdTheta%zu[%c]\tdPos%zu[%c]", k, st.unitFlux.c_str(), k,
                                         st.unitAxisX, k, st.unitAxisX);
                    }
                    report += "\r\n";
                    errors += "\r\n";
                }
                report += lineStart(*s);
                for (const GaussComponent& c : fit.components) {
                    const Measured m = measure(wb, *s, c);
                    report += format("\t%.2f\t%.2f\t%.2f", m.flux, m.theta, m.pos);
                }
                report += "\r\n";
                errors += errorLine(wb, *s, channel, fit);
            }
        }
        if (wb.allMode) {
            wb.status(format("Gauss analyze of scan %.2f[GHz] is finished", s->frequency));
            if (!wb.progressStep()) {
                aborted = true;
                break;
            }
        }
    }
    wb.holdCommands(false);
    if (aborted) {
        // Every table this run replaced gets its previous value back.
        for (auto it = replaced.rbegin(); it != replaced.rend(); ++it)
            it->first->gauss = std::move(it->second);
        wb.fail("Gauss analysis aborted");
    } else {
        wb.deliverReport("Gauss Analiz", report);
        wb.deliverReport("Gauss Errors", errors);
    }
    ui.setTitle("Quillmar");
    wb.progressClose();
    wb.redraw();
}

// Gauss Flux (124): the checks, dialog 7 or the batch arguments, then the
// analysis at once or after the initial positions have been picked.
void gaussFlux(Workbench& wb, GaussChoices& kept)
{
    if (!gaussRunAllowed(wb))
        return;
    int components = 0, initial = 0;
    bool spline = false;
    if (wb.interactiveMode) {
        GaussDialogFields f;
        if (!wb.ui().gaussDialog(f))
            return;
        int k = kept.components, m = kept.initial;
        if ((!f.components.empty() && !scanInt(f.components, k)) || (!f.initial.empty() && !scanInt(f.initial, m)))
            return;
        if (k < 1 || k > kMaxGaussComponents)
            return;
        kept = {k, std::clamp(m, 0, k - 1), f.splineBackground};
        components = kept.components;
        initial = kept.initial;
        spline = kept.spline;
    } else {
        const auto k = truncToInt(wb.batchArgs[0]);
        const auto sp = truncToInt(wb.batchArgs[1]);
        if (!k || *k < 1 || *k > kMaxGaussComponents) {
            wb.fail("Number of gauss must be 1 ... 15");
            return;
        }
        components = *k;
        spline = sp && *sp != 0;
    }
    if (initial > 0) {
        wb.ui().setTitle(format("Quillmar: Choice of a %d gaussian(s)", initial));
        startPositionPicking(wb, initial, 1, [components, spline](Workbench& w, std::vector<double> picks) {
            analyse(w, components, spline, picks);
        });
        return;
    }
    analyse(wb, components, spline, {});
}

} // namespace

bool gaussRunAllowed(Workbench& wb)
{
    if (wb.interaction == InteractionMode::GaussChoice || wb.view.gaussChoice != 0)
        return false;
    if (!wb.requireNoOpenReport())
        return false;
    if (wb.chkWrkI == wb.chkWrkV) {
        wb.refuse("May to check one WORKSHEET only");
        return false;
    }
    for (const ScanRecord* s : wb.targets())
        if (!s->calibWrk)
            return wb.message("The data are not calibrated", "Information", MsgButtons::OkCancel) != kCancel;
    return true;
}

void startPositionPicking(Workbench& wb, int count, int choice, std::function<void(Workbench&, std::vector<double>)> done)
{
    wb.interaction = InteractionMode::GaussChoice;
    wb.view.gaussChoice = choice;
    wb.picked = PickedPoints{};
    wb.picked.positionsOnly = true;
    auto picks = std::make_shared<std::vector<double>>();
    const char* picking = choice == 1 ? "Choice of a %d gaussian(s) from %d" : "Choice of a %d position(s) from %d";
    wb.plotDoubleClickHook = [count, picks, picking, done = std::move(done)](Workbench& w, int x, int) {
        const PlotGeometry& g = w.geometry;
        if (w.interaction != InteractionMode::GaussChoice || !g.valid || g.right <= g.left)
            return;
        const double c = w.viewBegin + double(x - g.left) * (w.viewEnd - w.viewBegin) / (g.right - g.left);
        picks->push_back(c);
        w.picked.x.push_back(static_cast<float>(c));
        w.picked.y.push_back(0);
        w.status(format(picking, static_cast<int>(picks->size()), count));
        w.redraw();
        if (static_cast<int>(picks->size()) < count)
            return;
        const auto finish = done; // the hook is released below
        const std::vector<double> chosen = *picks;
        w.interaction = InteractionMode::None;
        w.view.gaussChoice = 0;
        w.picked = PickedPoints{};
        w.plotDoubleClickHook = nullptr;
        w.ui().showChoiceCursor(false);
        w.ui().setTitle("Quillmar");
        w.ui().stateChanged();
        finish(w, chosen);
    };
    wb.ui().showChoiceCursor(true);
    wb.ui().stateChanged();
}

void spreadOpposites(std::vector<GaussComponent>& c, double delta)
{
    const int m = static_cast<int>(c.size());
    if (m < 2)
        return;
    auto opposite = [&](int a, int b) { return (c[a].amplitude < 0) != (c[b].amplitude < 0); };
    auto overlap = [&](int a, int b) { return c[a].width + c[b].width > std::fabs(c[b].centre - c[a].centre); };
    for (int k = 0; k < m; ++k) {
        if (k > 0 && k < m - 1) {
            const bool oppPrev = opposite(k, k - 1), oppNext = opposite(k, k + 1);
            if (oppPrev && oppNext && overlap(k, k - 1)) {
                c[k].width *= 1.05;
            } else if (oppPrev && !oppNext && overlap(k, k - 1)) {
                c[k].width *= 1.05;
                c[k].centre -= delta;
            } else if (!oppPrev && oppNext && overlap(k, k + 1)) {
                c[k].width *= 1.05;
                c[k].centre += delta;
            }
        } else if (k == 0 && m > 2 && opposite(0, 1) && overlap(0, 1)) {
            c[0].width *= 1.03;
            c[0].centre += delta / 2;
        } else if (k == 1 && m == 2 && opposite(1, 0) && overlap(1, 0)) {
            c[1].width *= 1.03;
        } else if (k == m - 1 && m > 2 && opposite(k, k - 1) && overlap(k, k - 1)) {
            c[k].width *= 1.03;
            c[k].centre -= delta / 2;
        }
    }
}

std::vector<float> gaussTable(const std::vector<GaussComponent>& comps, int channel)
{
    const std::size_t m = std::min<std::size_t>(comps.size(), kMaxGaussComponents);
    std::vector<float> g(kGaussTableFloats, 0.0f);
    g[0] = static_cast<float>(m);
    g[1] = channel == 1 ? 1.0f : 0.0f;
    g[2] = -1.0f;
    for (std::size_t k = 0; k < m; ++k) {
        g[3 + 4 * k] = static_cast<float>(comps[k].amplitude);
        g[4 + 4 * k] = static_cast<float>(kHalfWidthPerWidth * comps[k].width);
        g[5 + 4 * k] = static_cast<float>(comps[k].centre);
    }
    return g;
}

void registerGaussCommands(CommandTable& t)
{
    auto kept = std::make_shared<GaussChoices>();
    t.handle(124, [kept](Workbench& wb) { gaussFlux(wb, *kept); });
}

} // namespace qm
