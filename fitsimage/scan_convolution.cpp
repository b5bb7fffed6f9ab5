#include "fitsimage/scan_convolution.h"

#include "app/wide_clones.h"
#include "app/workbench.h"
#include "files/resample.h"
#include "fitsimage/fits_image.h"
#include "proc/smoothing.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Columns summed together, and scans sharing one pass over the rows: the
// accumulators of a block stay in the first-level cache.
constexpr int kColumnBlock = 512;
constexpr std::size_t kScanBlock = 8;

// acc[k][x] += row[x] * w[k][y] over the rows y0..y1-1 for `n` columns
// (the accumulators never overlap the image).
template <int N>
__attribute__((always_inline)) inline void collapseRows(const float* image, int width, int y0, int y1, int n,
                                                        const std::vector<float>* const* w, std::size_t scans,
                                                        float* acc)
{
    const int count = N > 0 ? N : n;
    for (int y = y0; y < y1; ++y) {
        const float* row = image + static_cast<std::size_t>(y) * width;
        for (std::size_t k = 0; k < scans; ++k) {
            const float wy = (*w[k])[static_cast<std::size_t>(y)];
            float* a = acc + k * kColumnBlock;
#pragma GCC ivdep
            for (int x = 0; x < count; ++x)
                a[x] += row[x] * wy;
        }
    }
}

// A full block has a constant count, which the compiler vectorises; on
// processors with AVX2 a second copy uses the wider registers.
QM_WIDE_CLONES void
collapseFullBlock(const float* image, int width, int y0, int y1, const std::vector<float>* const* w,
                  std::size_t scans, float* acc)
{
    collapseRows<kColumnBlock>(image, width, y0, y1, kColumnBlock, w, scans, acc);
}

} // namespace

double verticalBeamRows(double scale, double frequency, float vrtBeam)
{
    const double v = vrtBeam > 0 ? vrtBeam : 225.0;
    const double b = 30.0 / scale / frequency * v;
    return b == 0 ? 1.0 : b;
}

std::vector<float> verticalWeights(int height, int cy, double b)
{
    std::vector<float> w(static_cast<std::size_t>(std::max(height, 0)));
    const double d = 1.4426950 * b * b;
    for (int y = 0; y < height; ++y)
        w[static_cast<std::size_t>(y)] = static_cast<float>(std::exp(-double(cy - y) * (cy - y) / d));
    return w;
}

std::vector<std::vector<float>> collapseImage(const std::vector<float>& image, int width, int height,
                                              const std::vector<std::vector<float>>& weights)
{
    std::vector<std::vector<float>> out(weights.size(), std::vector<float>(static_cast<std::size_t>(width)));
    std::vector<float> acc(kScanBlock * kColumnBlock);
    for (std::size_t k0 = 0; k0 < weights.size(); k0 += kScanBlock) {
        const std::size_t scans = std::min(kScanBlock, weights.size() - k0);
        const std::vector<float>* w[kScanBlock];
        // Rows where every weight of the block vanishes add nothing.
        int y0 = height, y1 = 0;
        for (std::size_t k = 0; k < scans; ++k) {
            w[k] = &weights[k0 + k];
            for (int y = 0; y < height; ++y)
                if ((*w[k])[static_cast<std::size_t>(y)] != 0) {
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y + 1);
                }
        }
        for (int x0 = 0; x0 < width; x0 += kColumnBlock) {
            const int xn = std::min(kColumnBlock, width - x0);
            std::fill(acc.begin(), acc.end(), 0.0f);
            if (xn == kColumnBlock)
                collapseFullBlock(image.data() + x0, width, y0, y1, w, scans, acc.data());
            else
                collapseRows<0>(image.data() + x0, width, y0, y1, xn, w, scans, acc.data());
            for (std::size_t k = 0; k < scans; ++k)
                std::copy(acc.begin() + static_cast<std::ptrdiff_t>(k * kColumnBlock),
                          acc.begin() + static_cast<std::ptrdiff_t>(k * kColumnBlock + xn),
                          out[k0 + k].begin() + x0);
        }
    }
    return out;
}

void levelProfile(std::vector<float>& s, int16_t tqSun, bool fromMinimum)
{
    if (s.empty())
        return;
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    const double m = *lo;
    double d = double(*hi) - m;
    if (d == 0)
        d = 1;
    const double factor = tqSun != 0 ? tqSun * 0.8 / d : 1.0;
    for (float& x : s)
        x = static_cast<float>(fromMinimum ? (x - m) * factor : x * factor);
}

void convolveScans(Workbench& wb, const FitsImage& image, const std::vector<double>& values)
{
    if (!wb.chkWrkI && !wb.chkWrkV)
        return;
    const bool intoI = wb.chkWrkI;
    const double s = image.scale;
    std::vector<ScanRecord*> scans;
    std::vector<std::vector<float>> weights;
    for (ScanRecord* t : wb.targets()) {
        const double b = verticalBeamRows(s, t->frequency, wb.settings.vrtBeam);
        if (!(t->frequency > 0) || !std::isfinite(b) || !(intoI ? t->hasI() : t->hasV()))
            continue;
        scans.push_back(t);
        weights.push_back(verticalWeights(image.height, image.cy, b));
    }
    if (scans.empty())
        return;
    wb.progressOpen("Scan convolution", static_cast<int>(scans.size()));
    const std::vector<float> single(values.begin(), values.end());
    auto profiles = collapseImage(single, image.width, image.height, weights);
    for (std::size_t k = 0; k < scans.size(); ++k) {
        ScanRecord& t = *scans[k];
        std::vector<float>& p = profiles[k];
        const float hrz = wb.settings.hrzBeam;
        const double h = hrz > 0 ? double(hrz) / t.frequency : double(t.beamHalfsize);
        // The kernel never reaches past the profile's ends.
        const auto kernel = gaussKernelOfHalfWidth(h / (2 * s), image.width - 2);
        if (kernel.size() >= 2)
            gaussSmooth(p.data(), image.width, 0, image.width, kernel);
        levelProfile(p, t.tqSun, intoI);
        float* wrk = intoI ? t.wrkI() : t.wrkV();
        std::fill(wrk, wrk + t.nPoints, 0.0f);
        resampleOutward(p.data(), SampleGrid{double(image.cx), s, image.width}, wrk,
                        SampleGrid{t.centerPoint, t.step, t.nPoints});
        wb.progressStep();
    }
    wb.progressClose();
}

} // namespace qm
