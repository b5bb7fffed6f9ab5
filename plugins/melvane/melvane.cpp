// The melvane plug-in: four smoothing items under "Spec.Func > Smooth". The
// parameters are asked once per run, on its first call, and applied to every
// channel of every target; each call smooths the shown part of the array.
#include "plugins/melvane/bdb_smoothing.h"
#include "plugins/plugin_api.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using melvane::Side;

struct Item {
    int local;
    const char* caption;
    const char* code;
    const char* hint;
    const char* batchName;
};

constexpr Item kItems[] = {
    {11, "Absorption", "ab", "Smooth for absorption type spectra", "MelvaneAbsorption"},
    {12, "Emission", "eb", "Smooth for emission type spectra", "MelvaneEmission"},
    {13, "Both types", "bb", "Smooth for emission & absorption types spectra", "MelvaneBothTypes"},
    {14, "Quick Median", "mb", "Quick median smooth", "MelvaneQuickMedian"},
};

constexpr const char* kHelp =
    "if Mode< 0: Sliding window average\nif Mode==0: Convolution with gauss-like window\nif Mode==1: Linear "
    "fitting with Step\nif Mode==2: Parabolic fitting with Step\nelse: Polynomial fitting of power =Mode with Step";

// Parameters of the dialog, kept while the library is loaded.
int g_mode = 0;
float g_window = 0;
unsigned g_iterations = 0;
float g_step = 0;

// The run: method, cancel flag, node step after correction, noise level.
char g_method = 'a';
bool g_cancelled = false;
float g_runStep = 0;
float g_level = 0;
melvane::BdbState g_state;

// Truncation toward zero held to the int range; NaN gives 0.
int truncInt(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::fmax(std::fmin(v, std::numeric_limits<int>::max()), std::numeric_limits<int>::min()));
}

// "%f" of a field: a finite number, or the previous value.
float readReal(const char* text, float previous)
{
    float v;
    return std::sscanf(text, "%f", &v) == 1 && std::isfinite(v) ? v : previous;
}

long readWhole(const char* text)
{
    long v = 0;
    return std::sscanf(text, "%ld", &v) == 1 ? v : 0;
}

// The "Set Bdb method" form; false on Cancel.
bool askParameters(QmHostServices* host)
{
    QmFormField f[4] = {{"Method mode :", "0"}, {"Window of smoothing :", "20"}, {"Iterations number :", "5"},
                        {"Step of polynoms :", "5"}};
    if (!host || !host->askForm || !host->askForm(host, "Set Bdb method", f, 4, "Bdb Help", kHelp))
        return false;
    const long mode = readWhole(f[0].text);
    g_mode = static_cast<int>(std::fmax(std::fmin(double(mode), 1e6), -1e6));
    g_window = readReal(f[1].text, g_window);
    if (g_window <= 0)
        g_window = 1.0f;
    const long iterations = readWhole(f[2].text);
    g_iterations = iterations > 0 ? static_cast<unsigned>(std::fmin(double(iterations), 1e6)) : 0;
    g_step = readReal(f[3].text, g_step);
    if (g_step <= 0)
        g_step = 1.0f;
    return true;
}

void smoothOnce(QmHostServices* host, SpecFuncBlock* b, const Item& item)
{
    int n = b->lastPoint - b->firstPoint;
    if (b->nPoints - b->firstPoint <= n)
        n = b->nPoints - 1 - b->firstPoint;
    const bool range = b->data && b->firstPoint >= 0 && n > 0;
    float* x = range ? b->data + b->firstPoint : nullptr;
    if (b->firstCall) {
        g_method = item.code[0];
        g_cancelled = false;
        g_state.meanLevel = 0; // the mean level belongs to this run's noise level
        const bool ok = askParameters(host);
        b->firstCall = 0;
        if (!ok) {
            g_cancelled = true;
            return;
        }
        float s = g_step;
        if (s < 1e-30f)
            s = g_window / 7;
        else if (s > g_window * 0.5f)
            s = g_window * 0.5f;
        const int k = b->step != 0 ? truncInt(double(s) / b->step) : 0;
        g_runStep = k > 0 ? float(k) * b->step : b->step;
        g_level = b->noiseLevel > 0 ? b->noiseLevel : (range ? float(melvane::noiseEstimate(x, n)) : 0.0f);
    } else if (g_cancelled) {
        return;
    }
    if (!range)
        return;

    std::vector<double> p;
    bool done;
    if (g_method == 'm') {
        done = melvane::quickMedian(x, n, truncInt(g_window), p);
    } else {
        melvane::BdbParams prm;
        prm.mode = g_mode;
        prm.window = b->step != 0 ? truncInt(double(g_window) / b->step) : 0;
        prm.nodeStep = b->step != 0 ? truncInt(double(g_runStep) / b->step) : 0;
        prm.iterations = g_iterations;
        prm.level = g_level;
        prm.side = g_method == 'a' ? Side::Absorption : g_method == 'e' ? Side::Emission : Side::Both;
        done = melvane::bdbSmooth(x, n, prm, g_state, p);
    }
    if (done)
        for (int i = 0; i < n; ++i)
            x[i] = static_cast<float>(p[static_cast<std::size_t>(i)]);
}

} // namespace

extern "C" {

QM_PLUGIN_EXPORT int32_t QmPluginAbiVersion(void) { return QM_PLUGIN_ABI_VERSION; }

QM_PLUGIN_EXPORT int32_t InitSDllMenu(QmPluginMenu* menu, int32_t commandBase)
{
    if (!menu || !menu->appendPopup || !menu->appendItem)
        return 0;
    const int32_t popup = menu->appendPopup(menu, 0, "Smooth");
    if (popup <= 0)
        return 0;
    for (const Item& it : kItems)
        menu->appendItem(menu, popup, commandBase + it.local, it.caption, it.hint, it.batchName);
    return 1;
}

QM_PLUGIN_EXPORT int32_t SelectDllFunction(QmHostServices* host, SpecFuncBlock* block)
{
    if (!block)
        return 0;
    try {
        for (const Item& it : kItems)
            if (block->funcId == it.local) {
                smoothOnce(host, block, it);
                return 1;
            }
    } catch (...) {
        // A failure leaves what the call had not yet written untouched.
    }
    return 0;
}

} // extern "C"
