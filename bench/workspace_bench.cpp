// Saving and loading a workspace of 1000 scans x 4000 points, compressed
// (command) and uncompressed (autosave, and the interface thread's share of
// it), against the compression and
// decompression of the same image alone: zlib's one-call compress and
// uncompress as the format's first writer used them, and libdeflate at every
// level the saving could choose.
#include "app/atomic_file.h"
#include "app/set_fingerprint.h"
#include "app/settings_store.h"
#include "app/workbench.h"
#include "files/autosave_worker.h"
#include "files/workspace_file.h"
#include "files/workspace_image.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <libdeflate.h>
#include <zlib.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

constexpr int kScans = 1000;
constexpr int kPoints = 4000;

struct Session {
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb;
    explicit Session(const std::string& dir) : wb(ui, store, dir) { wb.interactiveMode = false; }
};

// Scratch folder of the run, removed at exit.
const std::string& benchDir()
{
    static const test::TempDir dir("qm-wsbench");
    static const std::string path = dir.path().string();
    return path;
}

// A set as it stands after loading 16-bit scans: integer-valued samples of a
// disk profile with sources and noise, the worksheets a copy of the data.
Session& loadedSet()
{
    static Session s(benchDir());
    if (s.wb.setLoaded)
        return s;
    uint32_t noise = 12345;
    std::vector<std::unique_ptr<ScanRecord>> chain;
    for (int k = 0; k < kScans; ++k) {
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = kPoints;
        r->frequency = 1.0f + 0.017f * float(k);
        r->step = 1.0f;
        std::snprintf(r->dateObs, sizeof r->dateObs, "2004/05/%02d", 1 + k % 28);
        for (int c : {1, 2}) {
            r->allocChannel(c);
            float* d = c == 1 ? r->dataI() : r->dataV();
            for (int i = 0; i < kPoints; ++i) {
                const double x = (i - kPoints / 2) / 1200.0;
                const double disk = std::fabs(x) < 1 ? 9000 * std::sqrt(1 - x * x) : 0;
                const double source = 3000 * std::exp(-std::pow((i - 1500 - k) / 40.0, 2));
                noise = noise * 1664525u + 1013904223u;
                const double n = double(noise >> 20) / 4096.0 * 60 - 30;
                d[i] = std::trunc(float(c == 1 ? disk + source + n : 0.1 * source + n));
            }
        }
        r->copyDataToWorksheet();
        chain.push_back(std::move(r));
    }
    s.wb.scans.appendTail(std::move(chain));
    s.wb.afterLoad({});
    return s;
}

const std::vector<uint8_t>& image()
{
    static const std::vector<uint8_t> img = encodeWorkspace(loadedSet().wb).value();
    return img;
}

const std::vector<uint8_t>& packed()
{
    static const std::vector<uint8_t> p = packWorkspace(image());
    return p;
}

std::string savedFile(bool compressed)
{
    const std::string path = benchDir() + (compressed ? "/set.wsf" : "/set.raw");
    const auto& bytes = compressed ? packed() : image();
    if (!fs::exists(path))
        writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return path;
}

void counters(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image().size()));
    state.counters["image_MB"] = double(image().size()) / 1e6;
    state.counters["packed_MB"] = double(packed().size()) / 1e6;
}

void BM_SaveCompressed(benchmark::State& state)
{
    Workbench& wb = loadedSet().wb;
    const std::string path = benchDir() + "/save.wsf";
    for (auto _ : state)
        benchmark::DoNotOptimize(saveWorkspace(wb, 1, path));
    counters(state);
}

void BM_SaveRaw(benchmark::State& state)
{
    Workbench& wb = loadedSet().wb;
    for (auto _ : state)
        benchmark::DoNotOptimize(saveWorkspace(wb, 0));
    counters(state);
}

// The interface thread's share of an autosave: the tick copies the set and
// returns; the worker's write is waited for outside the timing.
void BM_AutosaveTick(benchmark::State& state)
{
    Workbench& wb = loadedSet().wb;
    AutosaveWorker worker;
    wb.autosaveTicks = 1;
    for (auto _ : state) {
        worker.tick(wb);
        state.PauseTiming();
        worker.wait();
        worker.collect(wb);
        state.ResumeTiming();
    }
    counters(state);
}

// The timed loads find the memory of the set closed before them. The first
// load of the process is timed on its own and reported beside them: it also
// pays for the first touch of memory the process never used, which on a
// virtual machine can cost more than the decompression (the host backs
// those pages only then), and which the decompression alone, writing into
// a buffer it reuses, never pays.
void load(benchmark::State& state, bool compressed)
{
    const std::string path = savedFile(compressed);
    Session target(benchDir());
    const auto t0 = std::chrono::steady_clock::now();
    loadWorkspace(target.wb, 1, path);
    const double firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    target.wb.closeSet(false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(loadWorkspace(target.wb, 1, path));
        state.PauseTiming();
        target.wb.closeSet(false);
        state.ResumeTiming();
    }
    counters(state);
    state.counters["first_load_ms"] = firstMs;
}
void BM_LoadCompressed(benchmark::State& state) { load(state, true); }
void BM_LoadRaw(benchmark::State& state) { load(state, false); }

// The digest that tells unsaved work: taken at every load and save, and
// per scan around every interactive command.
void BM_SetFingerprint(benchmark::State& state)
{
    const Workbench& wb = loadedSet().wb;
    for (auto _ : state)
        benchmark::DoNotOptimize(setFingerprint(wb.scans));
    counters(state);
}

void BM_ZlibCompress(benchmark::State& state)
{
    const auto& img = image();
    std::vector<uint8_t> out(workspaceCompressBound(img.size()));
    uLongf n = 0;
    for (auto _ : state) {
        n = uLongf(out.size());
        benchmark::DoNotOptimize(compress(out.data(), &n, img.data(), uLong(img.size())));
    }
    counters(state);
    state.counters["zlib_MB"] = double(n) / 1e6;
}

// libdeflate's zlib stream at the level in the argument.
void BM_DeflateCompress(benchmark::State& state)
{
    const auto& img = image();
    std::vector<uint8_t> out(workspaceCompressBound(img.size()));
    libdeflate_compressor* z = libdeflate_alloc_compressor(int(state.range(0)));
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = libdeflate_zlib_compress(z, img.data(), img.size(), out.data(), out.size()));
    libdeflate_free_compressor(z);
    counters(state);
    state.counters["level_MB"] = double(n) / 1e6;
}

void BM_DeflateDecompress(benchmark::State& state)
{
    const auto& p = packed();
    std::vector<uint8_t> out(image().size() + 12);
    libdeflate_decompressor* z = libdeflate_alloc_decompressor();
    for (auto _ : state)
        benchmark::DoNotOptimize(libdeflate_zlib_decompress(z, p.data() + kWorkspaceZipHeaderBytes,
                                                            p.size() - kWorkspaceZipHeaderBytes, out.data(),
                                                            out.size(), nullptr));
    libdeflate_free_decompressor(z);
    counters(state);
}

void BM_ZlibUncompress(benchmark::State& state)
{
    const auto& p = packed();
    std::vector<uint8_t> out(image().size() + 12);
    for (auto _ : state) {
        uLongf n = uLongf(out.size());
        benchmark::DoNotOptimize(uncompress(out.data(), &n, p.data() + kWorkspaceZipHeaderBytes,
                                            uLong(p.size() - kWorkspaceZipHeaderBytes)));
    }
    counters(state);
}

} // namespace

BENCHMARK(BM_SaveCompressed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ZlibCompress)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeflateCompress)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveRaw)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AutosaveTick)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LoadCompressed)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeflateDecompress)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadRaw)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SetFingerprint)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
