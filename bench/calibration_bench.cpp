// Transforms and calibrations over large sets, each against the plainest
// work of the same size:
// - Equal Step of 100 scans of 16000 points (steps 1 and 1.1) against linear
//   interpolation of the same arrays over positions computed beforehand;
// - Sun Template of a 16000-point scan against Gauss smoothing of it with a
//   window of one beam;
// - Full Flux over a 1000-scan observation of 4000 points (month tables
//   written to a temporary folder) against Wrksh*N on the same set.
#include "app/scan_record.h"
#include "bench/drift_scan.h"
#include "app/text_format.h"
#include "cli/headless_workbench.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

constexpr int kEqualStep = 159, kSunTemplate = 184, kGaussSmoothing = 110, kFullFlux = 127, kWrkshTimesN = 120;

using qm::bench::profile;

// A batch workbench over `count` scans of n points in channel I, centred,
// with Data and Worksheet set to the same profile.
struct ScanSet {
    qm::HeadlessWorkbench h{nullptr, nullptr};
    std::vector<std::vector<float>> original;

    ScanSet(int count, int n)
    {
        std::vector<std::unique_ptr<qm::ScanRecord>> scans;
        for (int k = 0; k < count; ++k) {
            auto s = std::make_unique<qm::ScanRecord>();
            s->frequency = 2.0f + 14.0f * static_cast<float>(k) / static_cast<float>(count);
            s->nPoints = n;
            s->step = 1;
            s->radius = 960;
            s->centerPoint = n / 2.0f;
            s->beamHalfsize = 40;
            s->fluxCoef = 1;
            s->allocChannel(1);
            original.push_back(profile(n, static_cast<unsigned>(k + 1)));
            scans.push_back(std::move(s));
        }
        h.adopt(std::move(scans));
        restore();
        h.wb.allMode = true;
        h.wb.chkWrkI = true;
        h.wb.view.confirmAll = false;
    }
    // Data and Worksheet back to the profiles; steps 1 and 1.1 alternate.
    void restore()
    {
        int k = 0;
        for (const auto& s : h.wb.scans) {
            const auto& o = original[static_cast<std::size_t>(k)];
            const int n = static_cast<int>(o.size());
            s->nPoints = n;
            s->allocChannel(1);
            std::copy(o.begin(), o.end(), s->dataI());
            std::copy(o.begin(), o.end(), s->wrkI());
            s->step = k % 2 ? 1.1f : 1.0f;
            s->centerPoint = n / 2.0f;
            ++k;
        }
    }
};

void equalStep(benchmark::State& state)
{
    ScanSet set(100, qm::kMaxPoints);
    for (auto _ : state) {
        state.PauseTiming();
        set.restore();
        state.ResumeTiming();
        set.h.wb.dispatch(kEqualStep);
    }
    if (set.h.wb.scans.head()->step != 1.0f || set.h.wb.scans.at(1)->nPoints != qm::kMaxPoints)
        state.SkipWithError("Equal Step left the scans as they were");
    state.SetItemsProcessed(state.iterations() * 100 * qm::kMaxPoints);
}

// The same resampling as arrays: for every output point the index and weight
// of its left neighbour are known in advance.
void interpolateAtPositions(benchmark::State& state)
{
    const int n = qm::kMaxPoints;
    std::vector<std::vector<float>> in, data, wrk;
    for (int k = 0; k < 100; ++k)
        in.push_back(profile(n, static_cast<unsigned>(k + 1)));
    data = wrk = in;
    std::vector<int> index(static_cast<std::size_t>(n));
    std::vector<float> weight(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double t = n / 2.0 + (j - n / 2.0) / 1.1;
        index[j] = std::min(static_cast<int>(t), n - 2);
        weight[j] = static_cast<float>(t - index[j]);
    }
    for (auto _ : state) {
        for (int k = 0; k < 100; ++k) {
            const float* x = in[k].data();
            float* d = data[k].data();
            for (int j = 0; j < n; ++j)
                d[j] = x[index[j]] + weight[j] * (x[index[j] + 1] - x[index[j]]);
            std::copy(data[k].begin(), data[k].end(), wrk[k].begin());
        }
        benchmark::DoNotOptimize(wrk.back().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 100 * n);
}

// One 16000-point scan at a step of 0.3" (a beam of 40" is 133 points).
struct LongScan : ScanSet {
    LongScan() : ScanSet(1, qm::kMaxPoints)
    {
        h.wb.allMode = false;
        h.wb.scans.head()->step = 0.3f;
        h.wb.scans.head()->tqSun = 12000;
    }
};
ScanSet& oneLongScan()
{
    static LongScan set;
    return set;
}

void sunTemplate(benchmark::State& state)
{
    ScanSet& set = oneLongScan();
    for (auto _ : state)
        set.h.wb.dispatch(kSunTemplate);
    if (set.h.wb.scans.head()->wrkI()[qm::kMaxPoints / 2] != 12000.0f)
        state.SkipWithError("Sun Template left the scan as it was");
    state.SetItemsProcessed(state.iterations() * qm::kMaxPoints);
}

void gaussOneBeam(benchmark::State& state)
{
    ScanSet& set = oneLongScan();
    set.h.wb.batchArgs = {-1, 0, 0, 0}; // a negative width counts in beams
    for (auto _ : state)
        set.h.wb.dispatch(kGaussSmoothing);
    state.SetItemsProcessed(state.iterations() * qm::kMaxPoints);
}

// 1000 scans of one observation with the tables Full Flux reads.
struct Observation : ScanSet {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "quillmar_calibration_bench";

    Observation() : ScanSet(1000, 4000)
    {
        std::filesystem::create_directories(dir / "SunFlux" / "2004");
        std::ofstream(dir / "tab_sun.dat") << "1.0 100 0.5\n20.0 100 0.5\n";
        const std::string head = "Flux 1000 2000 3750 9400 17000\nlabel\nlabel\n";
        std::ofstream may(dir / "SunFlux" / "2004" / "May.104");
        may << head;
        for (int d = 1; d <= 31; ++d)
            may << d << ' ' << 60 + d << ' ' << 80 + d << ' ' << 120 + d << ' ' << 250 + d << ' ' << 500 + d << '\n';
        may.close();
        h.wb.programDir = dir.string();
        h.wb.settings.jpFlux = (dir / "SunFlux").string();
        h.wb.settings.jpTime = 3;
        h.wb.viewBegin = 1000;
        h.wb.viewEnd = 3000;
        for (const auto& s : h.wb.scans) {
            s->step = 1;
            s->allocChannel(2);
            qm::copyField(s->dateObs, sizeof s->dateObs, "2004/05/12");
            qm::copyField(s->timeObs, sizeof s->timeObs, "06:00:00");
        }
        h.wb.chkWrkV = true;
    }
    ~Observation() { std::filesystem::remove_all(dir); }
};

void fullFlux(benchmark::State& state)
{
    Observation obs;
    for (auto _ : state)
        obs.h.wb.dispatch(kFullFlux);
    if (obs.h.wb.scans.head()->calibWrk != 1)
        state.SkipWithError("Full Flux left the scans as they were");
    state.SetItemsProcessed(state.iterations() * 1000);
}

void wrkshTimesN(benchmark::State& state)
{
    Observation obs;
    obs.h.wb.batchArgs = {1.0001f, 0, 0, 0};
    for (auto _ : state)
        obs.h.wb.dispatch(kWrkshTimesN);
    state.SetItemsProcessed(state.iterations() * 1000);
}

} // namespace

BENCHMARK(equalStep)->Unit(benchmark::kMillisecond);
BENCHMARK(interpolateAtPositions)->Unit(benchmark::kMillisecond);
BENCHMARK(sunTemplate)->Unit(benchmark::kMillisecond);
BENCHMARK(gaussOneBeam)->Unit(benchmark::kMillisecond);
BENCHMARK(fullFlux)->Unit(benchmark::kMillisecond);
BENCHMARK(wrkshTimesN)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
