// The FFT beam correction's parts: the transform at 2^10 .. 2^16 points
// (bench/fft_numpy.py times numpy.fft.fft on the same sizes), the beam model
// at its largest (501 points, 201 elements, 41 vertical points) and command
// 202 over 100 scans of 4000 points in batch mode.
#include "app/scan_record.h"
#include "beam/beam_model.h"
#include "beam/fft.h"
#include "cli/headless_workbench.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

void transform(benchmark::State& state)
{
    const auto m = static_cast<std::size_t>(state.range(0));
    std::vector<qm::Complex> x(m);
    std::mt19937 g(1);
    std::uniform_real_distribution<double> d(-1, 1);
    for (auto& v : x)
        v = {d(g), d(g)};
    qm::fft(x, -1); // the plan is made once per size
    for (auto _ : state) {
        qm::fft(x, -1);
        benchmark::DoNotOptimize(x.data());
    }
}
BENCHMARK(transform)->RangeMultiplier(2)->Range(1 << 10, 1 << 16)->Unit(benchmark::kMicrosecond);

void model(benchmark::State& state)
{
    qm::BeamModel b;
    b.in.phi0 = 90;  // 201 elements
    b.in.wl = 10;
    b.in.dfx = 12.5;
    b.in.dx = 0.005; // 501 points
    for (auto _ : state) {
        b.compute();
        benchmark::DoNotOptimize(b.values().data());
    }
    state.counters["n"] = b.n();
}
BENCHMARK(model)->Unit(benchmark::kMillisecond);

void command(benchmark::State& state)
{
    qm::HeadlessWorkbench h(nullptr, nullptr);
    std::vector<std::unique_ptr<qm::ScanRecord>> scans;
    std::mt19937 g(2);
    std::normal_distribution<float> noise(0, 5);
    for (int k = 0; k < 100; ++k) {
        auto s = std::make_unique<qm::ScanRecord>();
        s->frequency = 3.0f + 0.15f * static_cast<float>(k);
        s->nPoints = 4000;
        s->altitude = 50;
        s->step = 1;
        s->radius = 960;
        s->centerPoint = 2000;
        s->flagIvWrk = 1;
        s->allocChannel(1);
        s->allocChannel(2);
        for (int i = 0; i < 4000; ++i) {
            const double u = (i - 2000) / 960.0;
            s->wrkI()[i] = static_cast<float>(1000 * std::exp(-u * u * u * u)) + noise(g);
            s->wrkV()[i] = s->wrkI()[i] + noise(g);
        }
        scans.push_back(std::move(s));
    }
    h.adopt(std::move(scans));
    h.wb.allMode = true;
    h.wb.batchArgs = {12.5f, -12.5f, 2, 0.001f};
    for (auto _ : state)
        h.wb.dispatch(202);
}
BENCHMARK(command)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
