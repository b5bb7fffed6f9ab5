// The Gaussian decomposition on 4000 points (SNR 100) with 1, 5, 10 and 15
// sources, no initial components and K two above the count (at most 15);
// the closed-form normal matrix of 15 components for 400- and 16000-point
// problems; and the 10-source fit against scipy's least_squares on the same
// curve (Levenberg-Marquardt with the analytic Jacobian, started at the
// truth), whose time bench/gauss_fit_reference.py measures in the same run.
#include "analysis/gauss_fitter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

struct Problem {
    std::vector<float> y;
    std::vector<qm::GaussComponent> truth;
};

// `count` sources spread over n points, peak 1000, noise 10.
Problem problem(int count, int n)
{
    Problem p;
    std::mt19937 g(99);
    std::uniform_real_distribution<double> amp(300, 1000), width(8, 40);
    for (int k = 0; k < count; ++k)
        p.truth.push_back({k == 0 ? 1000 : amp(g), width(g), (k + 0.5) * n / count});
    std::normal_distribution<double> noise(0, 10);
    p.y.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = noise(g);
        for (const auto& c : p.truth)
            v += c.amplitude * std::exp(-(i - c.centre) * (i - c.centre) / (c.width * c.width));
        p.y[static_cast<std::size_t>(i)] = static_cast<float>(v);
    }
    return p;
}

qm::GaussFitInput input(const Problem& p, int k)
{
    qm::GaussFitInput in;
    in.y = p.y;
    in.b = 0;
    in.e = static_cast<int>(p.y.size()) - 1;
    in.maxComponents = k;
    in.threshold = 30;
    return in;
}

void fit(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Problem p = problem(count, 4000);
    const qm::GaussFitInput in = input(p, std::min(count + 2, 15));
    std::size_t found = 0;
    for (auto _ : state) {
        const auto r = qm::fitGaussians(in);
        found = r.components.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["components"] = static_cast<double>(found);
}
BENCHMARK(fit)->Arg(1)->Arg(5)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);

void normalMatrix(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const Problem p = problem(15, n);
    // Parameters in the fitter's working form for a peak of 1000.
    const double x0 = -0.02 * 1000 * n, delta = -2 * x0 / (n - 1);
    std::vector<double> params;
    for (const auto& c : p.truth)
        params.insert(params.end(), {c.amplitude, std::pow(c.width * delta, 2), x0 + c.centre * delta});
    std::vector<double> packed;
    for (auto _ : state) {
        qm::gaussNormalMatrix(params, packed);
        benchmark::DoNotOptimize(packed.data());
    }
}
BENCHMARK(normalMatrix)->Arg(400)->Arg(16000)->Unit(benchmark::kMicrosecond);

// Our 10-source fit against scipy's: the counters give both times and
// their ratio (below 1: ours is faster).
void againstScipy(benchmark::State& state)
{
    const Problem p = problem(10, 4000);
    const qm::GaussFitInput in = input(p, 12);
    const auto file = std::filesystem::temp_directory_path() / "quillmar_gauss_fit_bench.txt";
    {
        std::ofstream f(file);
        f.precision(9);
        for (float v : p.y)
            f << v << ' ';
        f << '\n';
        for (const auto& c : p.truth)
            f << c.amplitude << ' ' << c.width << ' ' << c.centre << '\n';
    }
    const auto script = std::filesystem::path(QUILLMAR_SOURCE_DIR) / "bench" / "gauss_fit_reference.py";
    double scipy = 0;
    if (FILE* pipe = popen(("/usr/bin/python3 " + script.string() + " " + file.string()).c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &scipy) != 1)
            scipy = 0;
        pclose(pipe);
    }
    std::filesystem::remove(file);
    double ours = 1e30;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(qm::fitGaussians(in));
        ours = std::min(ours, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
    }
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["scipy_ms"] = scipy * 1e3;
    state.counters["ratio"] = scipy > 0 ? ours / scipy : 0;
}
BENCHMARK(againstScipy)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
