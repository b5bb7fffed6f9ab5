// Loading a large set of header and data files through openScans, against
// the floor of reading the same bytes with one read per file into a buffer
// allocated beforehand.
//
// The set: 256 scans of 8000 points (32 frequencies x 8 observations),
// written once into a temporary folder as two header files of 128 scans
// each (a list load stops at 255 scans in one set, so each half is loaded
// into its own workbench, both kept alive). The set is made in a child
// process so that the peak resident memory reported is that of loading.
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFrequencies = 32, kObservations = 8, kPoints = 8000;

fs::path g_folder;
std::vector<std::string> g_halves; // the two header files
std::vector<std::string> g_files;  // every file a load reads

// Writes the two halves of the set; runs in the child process.
bool writeSet()
{
    qm::SynthParams p;
    p.count = kFrequencies;
    p.from = 2.5;
    p.to = 24;
    p.points = kPoints;
    p.step = 0.5;
    p.observations = kObservations;
    const auto freqs = qm::synthFrequencies(p);
    for (int half = 0; half < 2; ++half) {
        qm::SynthParams q = p;
        q.frequencies.assign(freqs.begin() + half * kFrequencies / 2, freqs.begin() + (half + 1) * kFrequencies / 2);
        qm::HeadlessWorkbench h(nullptr, nullptr);
        h.adopt(qm::synthSet(q));
        if (!h.saveWorksheets(g_halves[static_cast<std::size_t>(half)]))
            return false;
    }
    return true;
}

bool makeSet()
{
    g_folder = fs::temp_directory_path() / ("qm-bench-load-" + std::to_string(::getpid()));
    fs::create_directories(g_folder);
    g_halves = {(g_folder / "a.0hd").string(), (g_folder / "b.0hd").string()};
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(writeSet() ? 0 : 1);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    for (const auto& e : fs::directory_iterator(g_folder))
        g_files.push_back(e.path().string());
    return g_files.size() == 2 + kFrequencies * kObservations;
}

// A buffer as large as the largest file, touched once before timing.
std::vector<char> rawBuffer()
{
    std::size_t largest = 0;
    for (const std::string& path : g_files)
        largest = std::max<std::size_t>(largest, fs::file_size(path));
    return std::vector<char>(largest, 0);
}

// The fastest way to the same bytes: one open, one read into the
// preallocated buffer and one close per file.
std::size_t readRaw(std::vector<char>& buffer)
{
    std::size_t total = 0;
    for (const std::string& path : g_files) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0)
            continue;
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        total += got > 0 ? static_cast<std::size_t>(got) : 0;
        ::close(fd);
    }
    return total;
}

double peakRssMb()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0; // kilobytes on Linux
}

void BM_ReadRawBytes(benchmark::State& state)
{
    std::vector<char> buffer = rawBuffer();
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = readRaw(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["files"] = static_cast<double>(g_files.size());
}

// Both sides are warm: the load's best time over the iterations against the
// raw read's best over as many passes. The workbenches exist before the
// clock starts, as a user's does before a load.
void BM_LoadThroughOpenScans(benchmark::State& state)
{
    int scans = 0;
    double loadSeconds = 0, bestLoad = 1e30;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<qm::HeadlessWorkbench>> sets;
        for (std::size_t k = 0; k < g_halves.size(); ++k)
            sets.push_back(std::make_unique<qm::HeadlessWorkbench>(nullptr, nullptr));
        state.ResumeTiming();
        const auto t0 = Clock::now();
        scans = 0;
        for (std::size_t k = 0; k < g_halves.size(); ++k) {
            if (!sets[k]->load(g_halves[k])) {
                state.SkipWithError("the set did not load");
                return;
            }
            scans += sets[k]->wb.scans.count();
        }
        const double took = std::chrono::duration<double>(Clock::now() - t0).count();
        loadSeconds += took;
        bestLoad = std::min(bestLoad, took);
        benchmark::DoNotOptimize(sets.data());
        state.PauseTiming(); // closing the sets is not loading
        sets.clear();
        state.ResumeTiming();
    }
    const double perLoad = loadSeconds / static_cast<double>(state.iterations());

    // The floor: the same files read whole, best of as many warm passes.
    std::vector<char> buffer = rawBuffer();
    double raw = 1e30;
    std::size_t bytes = 0;
    for (int64_t i = 0; i < std::max<int64_t>(5, state.iterations()); ++i) {
        const auto t0 = Clock::now();
        bytes = readRaw(buffer);
        raw = std::min(raw, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["scans"] = scans;
    state.counters["load_ms"] = perLoad * 1e3;
    state.counters["best_load_ms"] = bestLoad * 1e3;
    state.counters["raw_read_ms"] = raw * 1e3;
    state.counters["load_vs_raw"] = bestLoad / raw;
    state.counters["peak_rss_MB"] = peakRssMb();
}

BENCHMARK(BM_ReadRawBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadThroughOpenScans)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!makeSet()) {
        std::fprintf(stderr, "bench_load: could not write the scan set in %s\n", g_folder.string().c_str());
        std::error_code ec;
        fs::remove_all(g_folder, ec);
        return 1;
    }
    std::fprintf(stderr, "bench_load: %zu files in %s, peak RSS before loading %.1f MB\n", g_files.size(),
                 g_folder.string().c_str(), peakRssMb());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(g_folder, ec);
    return 0;
}
