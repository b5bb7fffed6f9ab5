#include "cli/sun_image_synth.h"

#include "app/byte_order.h"
#include "cli/scan_synth.h"
#include "files/fits_layer.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr double kDiskBrightness = 10000;
constexpr double kLimbDarkening = 0.6; // I(mu) = I0 (1 - u (1 - mu))
constexpr double kBscale = 0.25, kBzero = 8192; // 0 .. 16383.75 in 16 bits
constexpr double kDiskFraction = 0.4;           // disk radius / image size

// Arc seconds per pixel that put the limb at 0.4 of the image size.
double pixelArcsec(const SunImageParams& p) { return p.radiusArcsec / (kDiskFraction * p.size); }

struct Feature {
    double x, y;      // pixels from the disk centre
    double size;      // Gaussian sigma (active region) or half thickness (filament), pixels
    double strength;  // relative brightness change
    double angle = 0; // filament: orientation, radians
    double length = 0;
};

} // namespace

std::vector<double> sunImageValues(const SunImageParams& p)
{
    const int n = p.size;
    const double r = kDiskFraction * n, c = n / 2.0;
    SynthRandom rng(p.seed ^ 0x50a1d15cULL);
    std::vector<Feature> regions;
    for (int k = 0; k < 4; ++k) {
        const double rho = rng.uniform(0.1, 0.75) * r, phi = rng.uniform(0, 2 * M_PI);
        regions.push_back({rho * std::cos(phi), rho * std::sin(phi), rng.uniform(0.02, 0.05) * r, rng.uniform(0.3, 0.6)});
    }
    const double fr = rng.uniform(0.2, 0.5) * r, fphi = rng.uniform(0, 2 * M_PI);
    const Feature filament{fr * std::cos(fphi), fr * std::sin(fphi), 0.012 * r, 0.6, rng.uniform(0, M_PI), 0.35 * r};

    std::vector<double> v(static_cast<std::size_t>(n) * n, 0.0);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const double dx = i - c, dy = j - c;
            const double q = (dx * dx + dy * dy) / (r * r);
            if (q >= 1)
                continue;
            const double mu = std::sqrt(1 - q);
            double b = kDiskBrightness * (1 - kLimbDarkening * (1 - mu));
            for (const Feature& a : regions) {
                const double ex = dx - a.x, ey = dy - a.y;
                b *= 1 + a.strength * std::exp(-(ex * ex + ey * ey) / (2 * a.size * a.size));
            }
            // The filament: a dark band along a short segment.
            const double ux = std::cos(filament.angle), uy = std::sin(filament.angle);
            const double ex = dx - filament.x, ey = dy - filament.y;
            const double along = std::clamp(ex * ux + ey * uy, -filament.length, filament.length);
            const double ax = ex - along * ux, ay = ey - along * uy;
            b *= 1 - filament.strength * std::exp(-(ax * ax + ay * ay) / (2 * filament.size * filament.size));
            v[static_cast<std::size_t>(j) * n + i] = b;
        }
    }
    return v;
}

std::vector<uint8_t> encodeSunImage(const SunImageParams& p)
{
    const int n = p.size;
    const double pixel = pixelArcsec(p);
    TFitsHdr h;
    h.create();
    h.setInteger("BITPIX", 16);
    h.setInteger("NAXIS", 2);
    h.setInteger("NAXIS1", n);
    h.setInteger("NAXIS2", n);
    h.setDouble("BSCALE", kBscale);
    h.setDouble("BZERO", kBzero);
    h.setString("BUNIT", "counts", "relative brightness");
    h.setString("OBJECT", "Sun", "synthetic image");
    h.setString("CTYPE1", "HPLN-TAN");
    h.setString("CTYPE2", "HPLT-TAN");
    h.setString("CUNIT1", "arcsec");
    h.setString("CUNIT2", "arcsec");
    h.setDouble("CRPIX1", n / 2 + 1, "disk centre, 1-based");
    h.setDouble("CRPIX2", n / 2 + 1, "disk centre, 1-based");
    h.setDouble("CRVAL1", 0);
    h.setDouble("CRVAL2", 0);
    h.setDouble("CDELT1", pixel, "arcsec per pixel");
    h.setDouble("CDELT2", pixel, "arcsec per pixel");
    h.setDouble("RADIUS", p.radiusArcsec, "solar radius, arcsec");
    std::vector<uint8_t> out = h.render();
    const std::size_t header = out.size();
    out.resize(header + fitsBlocks(uint64_t(n) * n * 2), 0);
    const std::vector<double> v = sunImageValues(p);
    for (std::size_t k = 0; k < v.size(); ++k) {
        const double raw = std::clamp(std::round((v[k] - kBzero) / kBscale), -32768.0, 32767.0);
        putI16BE(out.data() + header + 2 * k, static_cast<int16_t>(raw));
    }
    return out;
}

} // namespace qm
