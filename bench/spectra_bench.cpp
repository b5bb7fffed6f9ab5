// Searches and maps over a whole observation of 1000 scans of 16000 points,
// each against the plainest work of the same size:
// - the Surf3D FITS map against reading the same 256 columns of every scan
//   and writing the same number of bytes;
// - the field search at 300 polarised sources against one smoothed
//   derivative pass of the active scan plus the window reads every scan
//   needs at each source.
#include "analysis/line_field_search.h"
#include "app/atomic_file.h"
#include "app/scan_record.h"
#include "bench/drift_scan.h"
#include "cli/headless_workbench.h"
#include "proc/derive.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace {

constexpr int kScans = 1000, kSources = 300, kSurf3d = 138, kMapSide = 256;
constexpr int kPoints = qm::kMaxPoints;
// The map file: 27 + n header cards in 2880-byte blocks, the data and its fill.
constexpr std::size_t kFitsBytes = (27 + kScans + 35) / 36 * 2880 + 131072 + 1408;

// 1000 scans of 2..16 GHz; Worksheet V(L) holds 300 narrow polarised
// sources whose flux falls with frequency.
struct Observation {
    qm::HeadlessWorkbench h{nullptr, nullptr};
    std::string file = (std::filesystem::temp_directory_path() / "qm_spectra_bench.fit").string();

    Observation()
    {
        std::vector<std::unique_ptr<qm::ScanRecord>> scans;
        for (int k = 0; k < kScans; ++k) {
            auto s = std::make_unique<qm::ScanRecord>();
            s->frequency = 2.0f + 14.0f * static_cast<float>(k) / kScans;
            s->nPoints = kPoints;
            s->step = 1;
            s->radius = 960;
            s->centerPoint = kPoints / 2.0f;
            s->beamHalfsize = 10;
            s->allocChannel(1);
            s->allocChannel(2);
            const auto p = qm::bench::profile(kPoints, static_cast<unsigned>(k + 1));
            std::copy(p.begin(), p.end(), s->wrkI());
            float* v = s->wrkV();
            const double fall = std::max(0.0, 1 - s->frequency / 12.0);
            for (int j = 0; j < kSources; ++j) {
                const int c = 100 + j * (kPoints - 200) / kSources;
                for (int i = c - 20; i <= c + 20; ++i)
                    v[i] += static_cast<float>(2000 * fall * std::exp(-(i - c) * (i - c) / 40.0));
            }
            scans.push_back(std::move(s));
        }
        h.adopt(std::move(scans));
        h.wb.allMode = true;
        h.wb.interactiveMode = false;
        h.wb.fileOutput = false;
        h.wb.viewBegin = 1;
        h.wb.viewEnd = kPoints - 2;
    }
    ~Observation() { std::filesystem::remove(file); }
};

Observation& observation()
{
    static Observation o;
    return o;
}

void surf3dFits(benchmark::State& state)
{
    Observation& o = observation();
    o.h.wb.chkWrkI = true;
    o.h.wb.chkWrkV = false;
    o.h.wb.batchArgs = {1, 1, 0, 0};
    o.h.wb.batchTitle = o.file;
    for (auto _ : state)
        o.h.wb.dispatch(kSurf3d);
    if (std::filesystem::file_size(o.file) != kFitsBytes)
        state.SkipWithError("Surf3D wrote no map");
}

void readColumnsAndWrite(benchmark::State& state)
{
    Observation& o = observation();
    std::vector<float> cols(static_cast<std::size_t>(kMapSide) * kScans);
    std::string bytes(kFitsBytes, ' ');
    const double dx = double(kPoints - 3) / kMapSide;
    for (auto _ : state) {
        std::size_t at = 0;
        for (const auto& s : o.h.wb.scans)
            for (int j = 0; j < kMapSide; ++j)
                cols[at++] = s->wrkI()[1 + static_cast<int>(j * dx)];
        benchmark::DoNotOptimize(cols.data());
        qm::writeFileAtomically(o.file, bytes);
    }
}

void fieldSearch(benchmark::State& state)
{
    Observation& o = observation();
    o.h.wb.chkWrkI = false;
    o.h.wb.chkWrkV = true;
    o.h.wb.settings.gaussNoise = 10;
    std::size_t found = 0;
    for (auto _ : state) {
        o.h.wb.viewBegin = 1;
        o.h.wb.viewEnd = kPoints - 2;
        benchmark::DoNotOptimize(qm::magneticFieldReport(o.h.wb, 20));
        found = o.h.wb.magField.size();
    }
    state.counters["fields"] = static_cast<double>(found);
}

void derivativeAndWindows(benchmark::State& state)
{
    Observation& o = observation();
    const qm::ScanRecord& a = *o.h.wb.scans.head();
    const int m = 5;
    std::vector<double> y(kScans);
    for (auto _ : state) {
        std::vector<float> d(a.wrkV(), a.wrkV() + kPoints);
        qm::smoothedDerivative(d.data(), kPoints);
        for (int j = 0; j < kSources; ++j) {
            const int c = 100 + j * (kPoints - 200) / kSources;
            std::size_t k = 0;
            for (const auto& s : o.h.wb.scans) {
                double low = std::fabs(s->wrkV()[c]);
                for (int i = c - m; i < c + m; ++i)
                    low = std::min<double>(low, std::fabs(s->wrkV()[i]));
                y[k++] = low;
            }
            benchmark::DoNotOptimize(y.data());
        }
        benchmark::DoNotOptimize(d.data());
    }
}

} // namespace

BENCHMARK(surf3dFits)->Unit(benchmark::kMillisecond);
BENCHMARK(readColumnsAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(fieldSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(derivativeAndWindows)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
