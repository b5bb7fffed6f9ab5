// Gaussian and running-median smoothing of one 16000-point worksheet (the
// longest scan a reader accepts) over its whole shown part. Windows N as the
// width prompt gives them for a step of 1: 10, 100 and 1000 for the Gauss;
// 6 (a 5" median at 1" steps), 15 and 16 (the widest window a sorting
// network takes and the narrowest a sorted sliding window takes), 100 and
// 1000 for the median of 2N+1 points. The baseline sorts a copy of the 2N+1
// points around every point.
#include "app/scan_record.h"
#include "proc/smoothing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = qm::kMaxPoints;
constexpr int kBegin = 1, kEnd = kPoints - 2; // the shown part after a load

// A drift scan: a broad solar profile, a narrow source and noise.
const std::vector<float>& scan()
{
    static const std::vector<float> x = [] {
        std::vector<float> v(kPoints);
        std::mt19937 g(2024);
        std::normal_distribution<float> noise(0, 40);
        for (int i = 0; i < kPoints; ++i) {
            const double u = (i - kPoints / 2.0) / (kPoints / 5.0), s = (i - 9000.0) / 60.0;
            v[i] = static_cast<float>(10000 * std::exp(-u * u) + 3000 * std::exp(-s * s)) + noise(g);
        }
        return v;
    }();
    return x;
}

void gauss(benchmark::State& state)
{
    const int window = static_cast<int>(state.range(0));
    std::vector<float> x;
    for (auto _ : state) {
        x = scan();
        const auto kernel = qm::gaussKernel(window);
        benchmark::DoNotOptimize(qm::gaussSmooth(x.data(), kPoints, kBegin, kEnd, kernel));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (kEnd - kBegin));
}

void median(benchmark::State& state)
{
    const int window = static_cast<int>(state.range(0));
    std::vector<float> x;
    for (auto _ : state) {
        x = scan();
        benchmark::DoNotOptimize(qm::medianSmooth(x.data(), kPoints, kBegin, kEnd, window));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (kEnd - kBegin));
}

// The same medians by sorting every window afresh.
void medianSortPerPoint(benchmark::State& state)
{
    const int half = static_cast<int>(state.range(0));
    const std::vector<float>& in = scan();
    std::vector<float> out(in), w(2 * static_cast<std::size_t>(half) + 1);
    for (auto _ : state) {
        for (int i = kBegin; i < kEnd; ++i) {
            for (int k = -half; k <= half; ++k)
                w[static_cast<std::size_t>(k + half)] = in[std::clamp(i + k, kBegin, kEnd - 1)];
            std::sort(w.begin(), w.end());
            out[i] = w[static_cast<std::size_t>(half)];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (kEnd - kBegin));
}

} // namespace

BENCHMARK(gauss)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(median)->Arg(6)->Arg(15)->Arg(16)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(medianSortPerPoint)->Arg(6)->Arg(15)->Arg(16)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
