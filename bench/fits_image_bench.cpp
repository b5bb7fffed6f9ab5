// The FITS image of the Sun at 2048 x 2048 pixels (16 bits): loading with
// BLANK, rotation, normalisation and the bitmap against merely reading the
// file and converting its samples to doubles; and the simulation of 100
// scans of 4000 points against numpy's `w @ image` for the same 100 weight
// vectors (bench/fits_collapse_peer.py, run in the same process). The
// counters give both times and their ratio.
#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/text_format.h"
#include "cli/headless_workbench.h"
#include "cli/sun_image_synth.h"
#include "files/fits_layer.h"
#include "fitsimage/fits_image.h"
#include "fitsimage/fits_normalise.h"
#include "fitsimage/scan_convolution.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int kSize = 2048, kScans = 100, kPoints = 4000;

const std::string& imagePath()
{
    static const std::string path = [] {
        const auto p = (std::filesystem::temp_directory_path() / "quillmar_fits_image_bench.fits").string();
        const auto bytes = qm::encodeSunImage({kSize, 7, 960});
        qm::writeFileAtomically(p, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return p;
    }();
    return path;
}

qm::FitsLoadParams loadParams()
{
    qm::FitsLoadParams p;
    p.arcSeconds = true;
    p.scanRadius = 960;
    p.angleSign = 1;
    p.angleP = 17.3;
    p.quietSun = 100;
    return p;
}

template <class F>
double bestSeconds(benchmark::State& state, F&& f)
{
    double best = 1e30;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
    }
    return best;
}

// Reading the file and turning its big-endian samples into doubles.
double readAndConvert()
{
    qm::TMemStream file;
    file.load(imagePath());
    const uint8_t* data = file.data() + qm::kFitsBlock; // the header is one block
    std::vector<double> v(std::size_t(kSize) * kSize);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = qm::getI16BE(data + 2 * i) * 0.25 + 8192;
    return v[v.size() / 2];
}

void loadDisplay(benchmark::State& state)
{
    const auto p = loadParams();
    qm::FitsOptions o;
    o.mode = qm::kFitsPowerScale;
    const double ours = bestSeconds(state, [&] {
        auto img = qm::readFitsImage(imagePath(), p);
        qm::normaliseFitsValues(img->pixels, o);
        double lo = 0, hi = 0;
        benchmark::DoNotOptimize(qm::fitsBitmapPixels(img->pixels, img->width, img->height, lo, hi));
    });
    double plain = 1e30;
    for (int k = 0; k < 5; ++k) {
        const auto t = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(readAndConvert());
        plain = std::min(plain, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
    }
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["read_ms"] = plain * 1e3;
    state.counters["ratio"] = ours / plain;
}
BENCHMARK(loadDisplay)->Iterations(5)->Unit(benchmark::kMillisecond);

void scanConvolution(benchmark::State& state)
{
    auto img = qm::readFitsImage(imagePath(), loadParams());
    std::FILE* quiet = std::fopen("/dev/null", "w");
    qm::HeadlessWorkbench h(quiet, quiet);
    std::vector<std::unique_ptr<qm::ScanRecord>> scans;
    std::string beams;
    for (int k = 0; k < kScans; ++k) {
        auto s = std::make_unique<qm::ScanRecord>();
        s->frequency = static_cast<float>(3.0 + 0.15 * k);
        s->nPoints = kPoints;
        s->step = 1.0f;
        s->radius = 960;
        s->centerPoint = kPoints / 2.0f;
        s->beamHalfsize = 127.5f / s->frequency;
        s->tqSun = 10000;
        s->allocChannel(1);
        beams += qm::format(" %.9g", qm::verticalBeamRows(img->scale, s->frequency, h.wb.settings.vrtBeam));
        scans.push_back(std::move(s));
    }
    h.adopt(std::move(scans));
    h.wb.allMode = true;
    h.wb.chkWrkI = true;
    const double ours = bestSeconds(state, [&] { qm::convolveScans(h.wb, *img, img->pixels); });

    const auto script = std::filesystem::path(QUILLMAR_SOURCE_DIR) / "bench" / "fits_collapse_peer.py";
    double numpy = 0;
    const std::string cmd = "/usr/bin/python3 " + script.string() + " " + imagePath() + " " +
                            std::to_string(img->cy) + beams;
    if (FILE* pipe = popen(cmd.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &numpy) != 1)
            numpy = 0;
        pclose(pipe);
    }
    state.counters["ours_ms"] = ours * 1e3;
    std::fclose(quiet);
    state.counters["numpy_ms"] = numpy * 1e3;
    state.counters["ratio"] = numpy > 0 ? ours / numpy : 0;
}
BENCHMARK(scanConvolution)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
