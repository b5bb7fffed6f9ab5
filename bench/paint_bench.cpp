// Painting the plot onto a 1600x1000 RecordingCanvas: one 16000-point scan
// with all four arrays (the whole scan shown, and a 1000-point zoom where
// every point gets its own pixel column), and a stacked group of 128 scans
// of 16000 points with the group list. The recording canvas keeps every
// call, so these figures are the painter's own work plus storing the
// polylines; the Qt side adds the rasterisation.
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "view/plot_painter.h"
#include "view/recording_canvas.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kPoints = qm::kMaxPoints;

std::unique_ptr<qm::HeadlessWorkbench> makeSet(int scans)
{
    qm::SynthParams p;
    p.count = scans;
    p.from = 2.5;
    p.to = 24;
    p.points = kPoints;
    p.step = 0.25;
    auto h = std::make_unique<qm::HeadlessWorkbench>(nullptr, nullptr);
    h->adopt(qm::synthSet(p));
    return h;
}

void paintSingleScan(benchmark::State& state)
{
    static auto h = makeSet(1);
    qm::Workbench& wb = h->wb;
    wb.chkDataI = wb.chkDataV = wb.chkWrkI = wb.chkWrkV = true;
    wb.viewBegin = 1;
    wb.viewEnd = 1 + static_cast<int>(state.range(0));
    const qm::PlotLayout layout;
    std::size_t calls = 0;
    for (auto _ : state) {
        qm::RecordingCanvas canvas(1600, 1000);
        qm::paintPlot(wb, canvas, layout);
        calls = canvas.calls.size();
        benchmark::DoNotOptimize(canvas.calls.data());
    }
    state.counters["calls"] = double(calls);
    state.SetItemsProcessed(state.iterations() * 4 * state.range(0));
}

void paintStackedGroup(benchmark::State& state)
{
    static auto h = makeSet(qm::kMaxGroup);
    qm::Workbench& wb = h->wb;
    wb.groupScans.clear();
    for (int k = wb.scans.count() - 1; k >= 0; --k)
        wb.groupScans.push_back(wb.scans.at(k));
    wb.setGroupView(3);
    wb.chkWrkI = wb.chkWrkV = true;
    wb.view.groupList = true;
    wb.skipFrequency = 10;
    wb.viewBegin = 1;
    wb.viewEnd = kPoints - 2;
    const qm::PlotLayout layout;
    for (auto _ : state) {
        qm::RecordingCanvas canvas(1600, 1000);
        qm::paintPlot(wb, canvas, layout);
        benchmark::DoNotOptimize(canvas.calls.data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * qm::kMaxGroup * (kPoints - 3));
}

} // namespace

BENCHMARK(paintSingleScan)->Arg(kPoints - 3)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(paintStackedGroup)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
