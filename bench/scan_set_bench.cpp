// Loading a binary-table scan set of 1000 scans of 4000 points (32 MB of
// samples) against reading the same file's bytes, and saving it against
// writing them, with the peak resident memory of one load. The set is
// written in a child process so that the memory measured is that of
// loading; when python3 with astropy is there, astropy's time to read the
// same cube and table is printed once.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "files/scan_set.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFrequencies = 100, kObservations = 10, kPoints = 4000;

fs::path g_folder;
std::string g_file;

bool writeSet()
{
    qm::SynthParams p;
    p.count = kFrequencies;
    p.from = 1.5;
    p.to = 20;
    p.points = kPoints;
    p.step = 1.0;
    p.observations = kObservations;
    qm::HeadlessWorkbench h(nullptr, nullptr);
    h.adopt(qm::synthSet(p));
    return h.wb.scans.count() == kFrequencies * kObservations && h.saveWorksheets(g_file);
}

bool makeSet()
{
    g_folder = fs::temp_directory_path() / ("qm-bench-scanset-" + std::to_string(::getpid()));
    fs::create_directories(g_folder);
    g_file = (g_folder / "set.fits").string();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(writeSet() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// VmRSS / VmHWM of this process in MB.
double statusMb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::atof(line.c_str() + key.size()) / 1024.0;
    return 0;
}

// Starts a new peak measurement (Linux: "5" resets VmHWM to VmRSS).
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double fileMb() { return double(fs::file_size(g_file)) / (1024.0 * 1024.0); }

// The fastest way to the file's bytes: one read into a buffer allocated
// and touched beforehand.
void BM_ReadFileBytes(benchmark::State& state)
{
    std::vector<uint8_t> bytes(fs::file_size(g_file), 0);
    for (auto _ : state) {
        const int fd = ::open(g_file.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::read(fd, bytes.data(), bytes.size()));
        ::close(fd);
    }
    state.SetBytesProcessed(int64_t(bytes.size()) * state.iterations());
}

// Saving the loaded set as a scan set, against writing the same bytes
// through the same temporary-and-rename path.
void BM_SaveScanSet(benchmark::State& state)
{
    qm::HeadlessWorkbench h(nullptr, nullptr);
    if (!h.load(g_file)) {
        state.SkipWithError("the scan set did not load");
        return;
    }
    const std::string path = (g_folder / "saved.fits").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(h.saveWorksheets(path));
    state.SetBytesProcessed(int64_t(fs::file_size(path)) * state.iterations());
}

void BM_WriteFileBytes(benchmark::State& state)
{
    std::vector<uint8_t> bytes;
    qm::readWholeFile(g_file, bytes);
    const std::string path = (g_folder / "copy.fits").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::writeFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    state.SetBytesProcessed(int64_t(bytes.size()) * state.iterations());
}

void BM_ReadScanSet(benchmark::State& state)
{
    qm::HeadlessWorkbench h(nullptr, nullptr);
    std::size_t scans = 0;
    for (auto _ : state) {
        auto chain = qm::readScanSet(h.wb, g_file);
        if (!chain) {
            state.SkipWithError("the scan set did not load");
            return;
        }
        scans = chain->size();
        benchmark::DoNotOptimize(chain->data());
    }
    state.SetBytesProcessed(int64_t(fs::file_size(g_file)) * state.iterations());
    state.counters["scans"] = double(scans);
}

// The whole load as the program does it: the FITS route, then the set is
// sorted and checked.
void BM_OpenScans(benchmark::State& state)
{
    for (auto _ : state) {
        qm::HeadlessWorkbench h(nullptr, nullptr);
        if (!h.load(g_file)) {
            state.SkipWithError("the scan set did not load");
            return;
        }
        benchmark::DoNotOptimize(h.wb.scans.head());
    }
    state.SetBytesProcessed(int64_t(fs::file_size(g_file)) * state.iterations());
}

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadScanSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenScans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveScanSet)->Unit(benchmark::kMillisecond);

// One load with its peak resident memory above what the process held before.
void measurePeak()
{
    qm::HeadlessWorkbench h(nullptr, nullptr);
    const double before = statusMb("VmRSS");
    resetPeak();
    const auto t0 = Clock::now();
    const bool ok = h.load(g_file);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double peak = statusMb("VmHWM") - before, held = statusMb("VmRSS") - before;
    std::fprintf(stderr,
                 "bench_scan_set: %s: %.1f MB file, %d scans loaded in %.0f ms; resident memory above the start: "
                 "peak %.1f MB (%.2f x the file), held by the set %.1f MB (Data and Worksheet)\n",
                 ok ? "first load" : "LOAD FAILED", fileMb(), h.wb.scans.count(), seconds * 1e3, peak,
                 peak / fileMb(), held);
}

// astropy reading the cube and the table, best of three.
void measureAstropy()
{
    for (const char* py : {"/usr/bin/python3", "python3"}) {
        const std::string probe = std::string(py) + " -c 'import astropy.io.fits' >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0)
            continue;
        const std::string script = (g_folder / "astropy_read.py").string();
        std::ofstream(script) << "import sys, time\n"
                                 "from astropy.io import fits\n"
                                 "best = 1e9\n"
                                 "for _ in range(3):\n"
                                 "    t0 = time.perf_counter()\n"
                                 "    with fits.open(sys.argv[1], memmap=False) as f:\n"
                                 "        cube = f[0].data.astype('float32')\n"
                                 "        rows = f[1].data\n"
                                 "        s = cube.sum() + rows['freq'].sum() + rows['crpix'].sum()\n"
                                 "    best = min(best, time.perf_counter() - t0)\n"
                                 "print('%.1f' % (best * 1e3))\n";
        const std::string out = (g_folder / "astropy.txt").string();
        if (std::system((std::string(py) + " " + script + " " + g_file + " >" + out + " 2>/dev/null").c_str()) == 0) {
            std::ifstream in(out);
            std::string ms;
            in >> ms;
            std::fprintf(stderr, "bench_scan_set: astropy reads the same cube and table in %s ms (best of 3)\n",
                         ms.c_str());
        }
        return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!makeSet()) {
        std::fprintf(stderr, "bench_scan_set: could not write the scan set in %s\n", g_folder.string().c_str());
        std::error_code ec;
        fs::remove_all(g_folder, ec);
        return 1;
    }
    measurePeak();
    measureAstropy();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(g_folder, ec);
    return 0;
}
