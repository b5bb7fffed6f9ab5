// The melvane plug-in as the program loads it from Startup: "Quick Median"
// with a half-width of 500 on a 16000-point scan against taking the median
// of every window afresh (std::nth_element), and an "Absorption" run (sliding
// average of 40 points, 5 iterations) over 200 scans of 4000 points in both
// channels, once through the host's run and once by calling the plug-in's
// SelectDllFunction directly on the same arrays. Batch mode answers the
// plug-in's form from the batch arguments in both.
#include "app/scan_record.h"
#include "bench/drift_scan.h"
#include "cli/headless_workbench.h"
#include "plugins/plugin_host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kAbsorption = 10011, kQuickMedian = 10014; // melvane is the first module
constexpr int kHalf = 500;

using qm::bench::profile;

// A batch workbench with the Startup plug-ins and `count` scans of n points
// in both worksheet channels, every scan a target.
struct Setup {
    qm::HeadlessWorkbench h{nullptr, nullptr};
    std::shared_ptr<qm::PluginHost> host;
    std::vector<std::vector<float>> original; // I and V of every scan

    Setup(int count, int n, const std::array<float, 4>& batchArgs)
    {
        host = qm::installPlugins(h.wb, QM_STARTUP_DIR);
        std::vector<std::unique_ptr<qm::ScanRecord>> scans;
        for (int k = 0; k < count; ++k) {
            auto s = std::make_unique<qm::ScanRecord>();
            s->frequency = 3.0f + 0.05f * static_cast<float>(k);
            s->nPoints = n;
            s->step = 1;
            s->flagIvWrk = 1;
            s->allocChannel(1);
            s->allocChannel(2);
            original.push_back(profile(n, 2 * k + 1));
            original.push_back(profile(n, 2 * k + 2));
            scans.push_back(std::move(s));
        }
        h.adopt(std::move(scans));
        restore();
        h.wb.allMode = true;
        h.wb.chkWrkI = h.wb.chkWrkV = true;
        h.wb.batchArgs = batchArgs;
    }
    // True when the run changed the first channel.
    bool smoothed() { return !std::equal(original[0].begin(), original[0].end(), channels()[0]); }
    bool loaded() const { return !host->modules().empty() && host->modules().front().file == "melvane.so"; }
    std::vector<float*> channels()
    {
        std::vector<float*> v;
        for (const auto& r : h.wb.scans) {
            v.push_back(r->wrkI());
            v.push_back(r->wrkV());
        }
        return v;
    }
    void restore()
    {
        const std::vector<float*> to = channels();
        for (std::size_t c = 0; c < to.size(); ++c)
            std::copy(original[c].begin(), original[c].end(), to[c]);
    }
    // The plug-in called as the host calls it, without the host: one record
    // per run, every channel of every scan in turn.
    void callDirectly(int local)
    {
        qm::HostServicesHandle services = qm::makeHostServices(*host, false);
        SpecFuncBlock b;
        std::memset(&b, 0, sizeof b);
        b.firstPoint = h.wb.viewBegin;
        b.lastPoint = h.wb.viewEnd;
        b.funcId = local;
        b.firstCall = 1;
        b.noiseLevel = h.wb.settings.gaussNoise;
        b.mainWindow = &services.api;
        const QmSelectDllFunctionFn select = host->modules().front().select;
        for (const auto& r : h.wb.scans) {
            b.nPoints = r->nPoints;
            b.frequency = r->frequency;
            b.step = r->step;
            b.scan = r.get();
            for (float* data : {r->wrkI(), r->wrkV()}) {
                b.data = data;
                select(&services.api, &b);
            }
        }
    }
};

void quickMedian(benchmark::State& state)
{
    Setup s(1, qm::kMaxPoints, {0, kHalf, 5, 5});
    if (!s.loaded()) {
        state.SkipWithError("melvane.so not loaded");
        return;
    }
    s.h.wb.allMode = false;
    s.h.wb.chkWrkV = false;
    for (auto _ : state) {
        state.PauseTiming();
        s.restore();
        state.ResumeTiming();
        s.h.wb.dispatch(kQuickMedian);
    }
    if (!s.smoothed())
        state.SkipWithError("the run left the data unchanged");
}
BENCHMARK(quickMedian)->Unit(benchmark::kMillisecond);

// The same medians over the same range, each window copied and partly sorted.
void medianPerWindow(benchmark::State& state)
{
    const std::vector<float> in = profile(qm::kMaxPoints, 1);
    const int first = 1, n = qm::kMaxPoints - 2; // the shown part after a load
    std::vector<float> out(in), w(2 * kHalf + 1);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k <= 2 * kHalf; ++k)
                w[static_cast<std::size_t>(k)] = in[static_cast<std::size_t>(first + std::clamp(i + k - kHalf, 0, n - 1))];
            std::nth_element(w.begin(), w.begin() + kHalf, w.end());
            out[static_cast<std::size_t>(first + i)] = w[kHalf];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(medianPerWindow)->Unit(benchmark::kMillisecond);

// "Absorption", Mode -1, window 40, 5 iterations: the host's run.
void absorptionThroughHost(benchmark::State& state)
{
    Setup s(200, 4000, {-1, 40, 5, 5});
    if (!s.loaded()) {
        state.SkipWithError("melvane.so not loaded");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        s.restore();
        state.ResumeTiming();
        s.h.wb.dispatch(kAbsorption);
    }
    if (!s.smoothed())
        state.SkipWithError("the run left the data unchanged");
}
BENCHMARK(absorptionThroughHost)->Unit(benchmark::kMillisecond);

void absorptionDirect(benchmark::State& state)
{
    Setup s(200, 4000, {-1, 40, 5, 5});
    if (!s.loaded()) {
        state.SkipWithError("melvane.so not loaded");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        s.restore();
        state.ResumeTiming();
        s.callDirectly(qm::pluginSlot(kAbsorption).second);
    }
    if (!s.smoothed())
        state.SkipWithError("the run left the data unchanged");
}
BENCHMARK(absorptionDirect)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
