#include "analysis/gauss_editor.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "proc/worksheet_run.h"

#include <algorithm>
#include <array>
#include <optional>
#include <cmath>

namespace qm {

namespace {

constexpr int kInsertLimit = 14; // Insert needs room for one more

} // namespace

bool GaussEditor::open(Workbench& wb)
{
    if (wb.allMode) {
        wb.refuse("Must be option ONE");
        return false;
    }
    if (wb.chkWrkI == wb.chkWrkV) {
        wb.refuse("May to check one WORKSHEET only");
        return false;
    }
    ScanRecord* s = wb.activeScan;
    if (!s)
        return false;
    channel_ = wb.chkWrkI ? 1 : 2;
    if (!(channel_ == 1 ? s->wrkI() : s->wrkV()))
        return false;
    if (s->gauss.size() >= 3 && (s->gauss[1] == 1) != (channel_ == 1)) {
        wb.refuse("Different types of polarization in worksheet and gauss data");
        return false;
    }
    wb_ = &wb;
    scan_ = s;
    old_ = s->gauss;
    std::vector<float> copy(kGaussTableFloats, 0.0f);
    const auto m = s->gauss.empty() ? std::optional<int>(0) : truncToInt(s->gauss[0]);
    const int kept = std::clamp(m.value_or(0), 0, std::min<int>(kMaxGaussComponents, (int(s->gauss.size()) - 3) / 4));
    std::copy_n(s->gauss.begin(), s->gauss.empty() ? 0 : 3 + 4 * kept, copy.begin());
    copy[0] = float(kept);
    copy[1] = channel_ == 1 ? 1.0f : 0.0f;
    copy[2] = kept > 0 ? 1.0f : -1.0f;
    s->gauss = std::move(copy);
    const PlotGeometry& g = wb.geometry;
    unit_ = 0.01 * (channel_ == 1 ? g.maxI - g.minI : g.maxV - g.minV);
    fluxFactor_ = 1.064 * s->step * wb.settings.koefFlux * (s->fluxWrk ? 1.0 : s->fluxCoef);
    beam2_ = double(s->beamHalfsize) * s->beamHalfsize;
    refresh();
    return true;
}

int GaussEditor::components() const { return scan_ ? int(scan_->gauss[0]) : 0; }
int GaussEditor::current() const { return components() > 0 ? int(scan_->gauss[2]) : 0; }

float* GaussEditor::component(int k) { return scan_->gauss.data() + 3 + 4 * (k - 1); }

void GaussEditor::readY()
{
    float y;
    if (current() > 0 && scanFloat(yText, y))
        component(current())[3] = y;
}

void GaussEditor::change(int sign)
{
    if (!scan_)
        return;
    readY();
    if (current() > 0) {
        const double step = sign * scale * count;
        float* c = component(current());
        switch (parameter) {
        case GaussParameter::XPosition: c[2] = float(c[2] + step); break;
        case GaussParameter::Theta: c[1] = float(std::max(c[1] + step, 0.0)); break;
        case GaussParameter::Amplitude: c[0] = float(c[0] + step * unit_); break;
        case GaussParameter::YPosition: c[3] = float(c[3] + step * unit_); break;
        }
    }
    refresh();
}

void GaussEditor::next()
{
    if (!scan_)
        return;
    readY();
    if (components() > 0)
        scan_->gauss[2] = float(current() % components() + 1);
    refresh();
}

void GaussEditor::sortByPosition()
{
    const int m = components();
    std::vector<std::array<float, 4>> comps(static_cast<std::size_t>(m));
    for (int k = 1; k <= m; ++k)
        std::copy_n(component(k), 4, comps[std::size_t(k - 1)].begin());
    std::stable_sort(comps.begin(), comps.end(), [](const auto& a, const auto& b) { return a[2] < b[2]; });
    for (int k = 1; k <= m; ++k)
        std::copy_n(comps[std::size_t(k - 1)].begin(), 4, component(k));
}

void GaussEditor::remove()
{
    if (!scan_)
        return;
    readY();
    const int m = components(), cur = current();
    if (m > 0) {
        std::vector<float>& g = scan_->gauss;
        std::copy(g.begin() + 3 + 4 * cur, g.begin() + 3 + 4 * m, g.begin() + 3 + 4 * (cur - 1));
        std::fill(g.begin() + 3 + 4 * (m - 1), g.begin() + 3 + 4 * m, 0.0f);
        g[0] = float(m - 1);
        sortByPosition();
        g[2] = m - 1 > 0 ? 1.0f : -1.0f;
    }
    refresh();
}

void GaussEditor::insert()
{
    if (!scan_)
        return;
    readY();
    const int m = components(), n = scan_->nPoints;
    const float* x = channel_ == 1 ? scan_->wrkI() : scan_->wrkV();
    const int b = std::clamp(wb_->viewBegin, 0, n - 1), e = std::clamp(wb_->viewEnd, 0, n - 1);
    if (m >= kInsertLimit || e - b < 3) {
        refresh();
        return;
    }
    const double base = (double(x[b]) + x[b + 1] + x[e - 2] + x[e - 1]) / 4;
    std::vector<double> r(std::size_t(e - b + 1));
    for (int j = 0; j <= e - b; ++j) {
        double v = x[b + j] - base;
        for (int k = 1; k <= m; ++k) {
            const float* c = component(k);
            if (c[1] > 0)
                v -= c[0] * std::exp(-std::log(2.0) * (b + j - c[2]) * (b + j - c[2]) / (double(c[1]) * c[1]));
        }
        r[std::size_t(j)] = std::isfinite(v) ? v : 0;
    }
    const auto top = std::max_element(r.begin(), r.end(), [](double a, double c) { return std::fabs(a) < std::fabs(c); });
    const int j = int(top - r.begin());
    const double peak = *top;
    float* c = component(m + 1);
    if (std::fabs(peak) > 3 * unit_) {
        int h = 0;
        while (j - h - 1 >= 0 && j + h + 1 < int(r.size()) && std::fabs(r[std::size_t(j - h - 1)]) > std::fabs(peak) / 2 &&
               std::fabs(r[std::size_t(j + h + 1)]) > std::fabs(peak) / 2)
            ++h;
        c[0] = float(peak);
        c[1] = float(h);
    } else {
        c[0] = float(5 * unit_);
        c[1] = 5;
    }
    c[2] = float(b + j);
    c[3] = 0;
    scan_->gauss[0] = float(m + 1);
    scan_->gauss[2] = float(m + 1);
    refresh();
}

void GaussEditor::refresh()
{
    const int cur = current();
    const float* c = cur > 0 ? component(cur) : nullptr;
    const double a = c ? c[0] : 0, h = c ? c[1] : 0, pos = c ? c[2] : 0, y = c ? c[3] : 0;
    const double theta = 2 * h * scan_->step;
    const double shown = clear ? std::sqrt(std::max(theta * theta - beam2_, 0.0)) : theta;
    amplitudeText = format("%.2f", a);
    thetaText = format("%.2f", shown);
    yText = format("%.2f", y);
    xText = format("%.3f", c ? (pos - scan_->centerPoint) * scan_->step : 0.0);
    fluxText = format("%.3e%s : %d Gaussian(s)", 2 * a * h * fluxFactor_, wb_->settings.unitFlux.c_str(), components());
    wb_->redraw();
}

void GaussEditor::close()
{
    Workbench* wb = wb_;
    scan_ = nullptr;
    wb_ = nullptr;
    old_.clear();
    wb->redraw();
}

void GaussEditor::ok()
{
    if (!scan_)
        return;
    readY();
    if (components() == 0) {
        scan_->gauss.clear();
    } else {
        sortByPosition();
        scan_->gauss[2] = -1.0f;
    }
    close();
}

void GaussEditor::cancel()
{
    if (!scan_)
        return;
    scan_->gauss = std::move(old_);
    close();
}

void interactiveGauss(Workbench& wb)
{
    if (!wb.interactiveMode)
        return; // the dialog needs a person: nothing to do in a packet or script
    GaussEditor editor;
    if (!editor.open(wb))
        return;
    wb.ui().gaussEditor(editor);
    editor.cancel(); // a dialog that ended without OK
}

} // namespace qm
