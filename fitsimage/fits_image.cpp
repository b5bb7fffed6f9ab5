#include "fitsimage/fits_image.h"

#include "app/byte_order.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/fits_layer.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

bool positiveFinite(double v) { return v > 0 && std::isfinite(v); }

// 0-based centre pixel from a 1-based CRPIXn; half the axis (integer
// halving) when the keyword is absent or gives no positive pixel.
int centreOf(const std::optional<double>& crpix, int axis)
{
    if (crpix && std::isfinite(*crpix)) {
        const double c = std::trunc(*crpix - 1);
        if (c > 0 && c < 1e9)
            return static_cast<int>(c);
    }
    return axis / 2;
}

} // namespace

std::optional<FitsImage> readFitsImage(const std::string& path, const FitsLoadParams& p)
{
    TMemFits fits;
    if (!fits.load(path, 0) || fits.axes() != 2)
        return std::nullopt;
    const long long w = fits.axis(1), h = fits.axis(2);
    if (w < 1 || h < 1 || w > (1 << 20) || h > (1 << 20))
        return std::nullopt;

    FitsImage img;
    img.width = static_cast<int>(w);
    img.height = static_cast<int>(h);
    img.cx = centreOf(fits.getDouble("CRPIX1"), img.width);
    img.cy = centreOf(fits.getDouble("CRPIX2"), img.height);

    const auto radius = fits.getDouble(p.radiusKeyword);
    const auto cdelt = fits.getDouble("CDELT1");
    if (radius && !positiveFinite(*radius))
        return std::nullopt;
    img.radius = radius ? *radius : img.height * 0.5;
    if (p.arcSeconds && radius && cdelt) {
        const double pixel = std::fabs(*cdelt);
        if (!positiveFinite(pixel))
            return std::nullopt;
        img.radius /= pixel;
    }
    img.scale = p.scanRadius / img.radius;
    if (!positiveFinite(img.radius) || !positiveFinite(img.scale))
        return std::nullopt;

    // Samples as doubles: BLANK compares with the stored integers, and a
    // float image marks missing samples with NaN.
    const double bscale = fits.getDouble("BSCALE").value_or(1.0), bzero = fits.getDouble("BZERO").value_or(0.0);
    const bool integers = fits.sizeCode() > 0;
    const auto blank = integers ? fits.getDouble("BLANK") : std::nullopt;
    const std::size_t n = fits.count();
    img.pixels.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double raw = fits.element(static_cast<long long>(i));
        const double v = raw * bscale + bzero;
        img.pixels[i] = (blank && raw == *blank) || !std::isfinite(v) ? 0.0 : v;
    }
    // Zeroed borders.
    for (int x = 0; x < img.width; ++x) {
        img.pixels[static_cast<std::size_t>(x)] = 0;
        img.pixels[static_cast<std::size_t>(img.height - 1) * img.width + x] = 0;
    }
    for (int y = 0; y < img.height; ++y) {
        img.pixels[static_cast<std::size_t>(y) * img.width] = 0;
        img.pixels[static_cast<std::size_t>(y) * img.width + img.width - 1] = 0;
    }
    if (p.angleSign != 0)
        rotateFitsImage(img, p.angleSign * p.angleP, p.quietSun);
    return img;
}

void rotateFitsImage(FitsImage& img, double degrees, double quietSun)
{
    const std::vector<double> src = img.pixels;
    const double a = degrees * M_PI / 180.0, ca = std::cos(a), sa = std::sin(a);
    const double r2 = img.radius * img.radius;
    const long long wmax = img.width - 1, hmax = img.height - 1;
    for (int j = 0; j < img.height; ++j) {
        const double dy = j - img.cy;
        double* row = img.pixels.data() + static_cast<std::size_t>(j) * img.width;
        for (int i = 0; i < img.width; ++i) {
            const double dx = i - img.cx;
            const long long si = std::clamp(static_cast<long long>(roundHalfToZero(dx * ca + dy * sa)) + img.cx, 0LL, wmax);
            const long long sj = std::clamp(static_cast<long long>(roundHalfToZero(dy * ca - dx * sa)) + img.cy, 0LL, hmax);
            double v = src[static_cast<std::size_t>(sj * img.width + si)];
            if (dx * dx + dy * dy <= r2)
                v += quietSun;
            row[i] = v;
        }
    }
}

std::array<uint8_t, 40> fitsBitmapHeader(int width, int height)
{
    std::array<uint8_t, 40> h{};
    uint8_t* p = h.data();
    putU32LE(p, 40);
    putU32LE(p + 4, static_cast<uint32_t>(width));
    putU32LE(p + 8, static_cast<uint32_t>(height));
    putU16LE(p + 12, 1); // planes
    putU16LE(p + 14, 8); // bits per pixel
    putU32LE(p + 16, 0); // no compression
    putU32LE(p + 20, static_cast<uint32_t>(width) * static_cast<uint32_t>(height));
    putU32LE(p + 24, 4000); // pixels per metre
    putU32LE(p + 28, 4000);
    putU32LE(p + 32, 256); // colours used
    putU32LE(p + 36, 256); // colours important
    return h;
}

std::vector<uint8_t> fitsBitmapPixels(const std::vector<double>& v, int width, int height, double& min, double& max)
{
    min = max = 0;
    if (v.empty())
        return {};
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    min = *lo;
    max = *hi;
    double range = max - min;
    if (range == 0)
        range = 1;
    const double k = 255.0 / range;
    std::vector<uint8_t> out(v.size());
    for (int y = 0; y < height; ++y) {
        const double* in = v.data() + static_cast<std::size_t>(y) * width;
        uint8_t* o = out.data() + static_cast<std::size_t>(height - 1 - y) * width;
        for (int x = 0; x < width; ++x) {
            const double t = std::trunc((in[x] - min) * k);
            o[x] = static_cast<uint8_t>(t > 0 ? (t < 255 ? t : 255) : 0);
        }
    }
    return out;
}

FitsImageState& fitsImageState(Workbench& wb)
{
    if (!wb.fitsState)
        wb.fitsState = std::make_shared<FitsImageState>();
    return *wb.fitsState;
}

FitsOptions& fitsOptions(Workbench& wb)
{
    FitsImageState& s = fitsImageState(wb);
    if (!s.options)
        s.options = loadFitsOptions(wb.store());
    return *s.options;
}

} // namespace qm
