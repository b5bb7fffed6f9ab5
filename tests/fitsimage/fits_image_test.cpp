// Loading, normalisation, rotation and drawing of the FITS image.
#include "files/jasc_palette.h"
#include "fitsimage/fits_display.h"
#include "fitsimage/fits_image.h"
#include "fitsimage/fits_normalise.h"
#include "fitsimage/fits_painter.h"
#include "tests/fitsimage/fits_image_fixture.h"
#include "tests/files/fits_checkers.h"
#include "tests/support/temp_dir.h"
#include "view/recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <tuple>

namespace qm {
namespace {

using test::writeImage;

std::vector<double> normalised(std::vector<double> v, int mode, bool invert = false, float lmin = 0, float lmax = 1,
                               float z = 0, const char* level = "0")
{
    FitsOptions o;
    o.mode = mode;
    o.inversion = invert;
    o.minLevel = lmin;
    o.maxLevel = lmax;
    o.zeroLevel = z;
    o.newLevel = level;
    normaliseFitsValues(v, o);
    return v;
}

TEST(FitsNormalise, ModesAndInversion)
{
    auto v = normalised({-2, 0.5, 3}, kFitsMinMaxLimit);
    EXPECT_EQ(v, (std::vector<double>{0, 0.5, 1}));
    v = normalised({-2, 0.5, 3}, kFitsMinMaxLimit, true);
    EXPECT_EQ(v, (std::vector<double>{-0.0, -0.5, -1}));
    EXPECT_TRUE(std::signbit(v[0]));
    // "Normalization" on positive data: nothing, not even the inversion.
    EXPECT_EQ(normalised({1, 2, 4}, kFitsNormalization, true), (std::vector<double>{1, 2, 4}));
    EXPECT_EQ(normalised({-2, 1, 4}, kFitsNormalization, true), (std::vector<double>{1, -0.25, -1}));
    EXPECT_EQ(normalised({0, 5, 0, -1}, kFitsNewNullPoints, false, 0, 1, 0, "max"), (std::vector<double>{5, 5, 5, -1}));
    EXPECT_EQ(normalised({0, 5, 0, -1}, kFitsNewNullPoints, false, 0, 1, 0, "min"), (std::vector<double>{-1, 5, -1, -1}));
    EXPECT_EQ(normalised({0, 5, 0}, kFitsNewNullPoints, false, 0, 1, 0, "2.5"), (std::vector<double>{2.5, 5, 2.5}));
    EXPECT_EQ(normalised({0, 5}, kFitsNewNullPoints, false, 0, 1, 0, "none"), (std::vector<double>{0, 5}));
    EXPECT_EQ(normalised({-3, 0.5, 1, 2}, kFitsNullPoints, false, 0.75f, 1, 9), (std::vector<double>{9, 9, 1, 2}));
    EXPECT_EQ(normalised({-3, 0.5, 2}, kFitsMaxLimit, false, 0, 1), (std::vector<double>{-3, 0.5, 1}));
    EXPECT_EQ(normalised({-3, 0.5, 2}, kFitsMinLimit, false, 0, 1), (std::vector<double>{0, 0.5, 2}));
    // |v| < 1 -> 0, shifted toward 0 by 1, limited to +-2.
    EXPECT_EQ(normalised({-5, -1.5, 0.5, 2, 9}, kFitsAbsMinMax, false, -1, 3),
              (std::vector<double>{-2, -0.5, 0, 1, 2}));
    EXPECT_EQ(normalised({-5, 9}, kFitsAbsMinMax, false, -3, 1), (std::vector<double>{-5, 9})); // a >= b
    const auto l = normalised({std::exp(2.0), 0.5, -std::exp(3.0)}, kFitsLogScale);
    EXPECT_NEAR(l[0], 2, 1e-12);
    EXPECT_EQ(l[1], 0);
    EXPECT_NEAR(l[2], -3, 1e-12);
    EXPECT_EQ(normalised({16, 0, -81}, kFitsPowerScale), (std::vector<double>{2, 0, -3}));
}

// Rotation checked pixel by pixel against an independent rotation of each
// output offset (complex multiplication, half-toward-zero rounding).
void expectRotation(const FitsImage& before, const FitsImage& after, double degrees, double quietSun)
{
    const std::complex<double> turn = std::polar(1.0, -degrees * M_PI / 180.0);
    auto nearest = [](double v) {
        const double r = std::round(v);
        return std::fabs(v - std::trunc(v)) == 0.5 ? std::trunc(v) : r;
    };
    for (int j = 0; j < before.height; ++j)
        for (int i = 0; i < before.width; ++i) {
            const std::complex<double> d(i - before.cx, j - before.cy);
            const std::complex<double> s = std::conj(std::conj(d) * std::conj(turn)); // (dx c + dy s, dy c - dx s)
            const int si = std::clamp(int(nearest(s.real())) + before.cx, 0, before.width - 1);
            const int sj = std::clamp(int(nearest(s.imag())) + before.cy, 0, before.height - 1);
            const double add = std::abs(d) <= before.radius ? quietSun : 0;
            ASSERT_EQ(after.at(i, j), before.at(si, sj) + add) << i << "," << j;
        }
}

TEST(FitsImage, LoadGeometryBordersBlankAndRotation)
{
    test::TempDir dir;
    // 16-bit, BSCALE 2 BZERO 10, BLANK -7, CRPIX 1-based.
    const int w = 9, h = 7;
    std::vector<double> raw(w * h);
    for (int k = 0; k < w * h; ++k)
        raw[k] = k;
    raw[2 * w + 3] = -7;
    writeImage(dir.file("a.fits"), w, h, 16, raw, [](TFitsHdr& c) {
        c.setDouble("BSCALE", 2);
        c.setDouble("BZERO", 10);
        c.setInteger("BLANK", -7);
        c.setDouble("CRPIX1", 5.9);
        c.setDouble("CRPIX2", 3);
        c.setDouble("RADIUS", 30);
        c.setDouble("CDELT1", -10);
    });
    FitsLoadParams p;
    p.scanRadius = 960;
    p.arcSeconds = true;
    auto img = readFitsImage(dir.file("a.fits"), p);
    ASSERT_TRUE(img);
    EXPECT_EQ(std::tuple(img->cx, img->cy, img->radius, img->scale), std::tuple(4, 2, 3.0, 320.0));
    EXPECT_EQ(img->at(3, 2), 0);               // BLANK
    EXPECT_EQ(img->at(4, 2), (2 * w + 4) * 2.0 + 10);
    for (int x = 0; x < w; ++x)
        EXPECT_TRUE(img->at(x, 0) == 0 && img->at(x, h - 1) == 0);
    for (int y = 0; y < h; ++y)
        EXPECT_TRUE(img->at(0, y) == 0 && img->at(w - 1, y) == 0);

    // Rotation by 90 degrees and by a generic angle, with the quiet Sun.
    for (const double angle : {90.0, -33.7}) {
        p.angleSign = angle > 0 ? 1 : -1;
        p.angleP = std::fabs(angle);
        p.quietSun = 100;
        const auto rotated = readFitsImage(dir.file("a.fits"), p);
        ASSERT_TRUE(rotated);
        expectRotation(*img, *rotated, angle, 100);
    }

    // Without RADIUS and CDELT1: R = H/2 pixels, centre at the middle; the
    // arc-second flag needs both keywords.
    writeImage(dir.file("b.fits"), 8, 1024, -32, std::vector<double>(8 * 1024, 1.0));
    p = {};
    p.arcSeconds = true;
    p.scanRadius = 1024;
    img = readFitsImage(dir.file("b.fits"), p);
    ASSERT_TRUE(img);
    EXPECT_EQ(std::tuple(img->cx, img->cy, img->radius, img->scale), std::tuple(4, 512, 512.0, 2.0));

    // NaN of a float image becomes 0.
    std::vector<double> f(5 * 5, 3.0);
    f[12] = std::numeric_limits<double>::quiet_NaN();
    writeImage(dir.file("nan.fits"), 5, 5, -32, f);
    p.scanRadius = 10;
    img = readFitsImage(dir.file("nan.fits"), p);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->at(2, 2), 0);
    EXPECT_EQ(img->at(1, 2), 3);

    // Refusals: not 2-D, cut short, missing, radii that are not positive.
    writeImage(dir.file("c3.fits"), 4, 4, 16, std::vector<double>(16), {}, 3);
    EXPECT_FALSE(readFitsImage(dir.file("c3.fits"), p));
    const std::string whole = test::readTextFile(dir.file("a.fits"));
    std::ofstream(dir.file("cut.fits"), std::ios::binary) << whole.substr(0, 2880 + 50);
    EXPECT_FALSE(readFitsImage(dir.file("cut.fits"), p));
    EXPECT_FALSE(readFitsImage(dir.file("missing.fits"), p));
    for (const double bad : {0.0, -5.0}) {
        writeImage(dir.file("r.fits"), 5, 5, -32, f, [bad](TFitsHdr& c) { c.setDouble("RADIUS", bad); });
        EXPECT_FALSE(readFitsImage(dir.file("r.fits"), p));
    }
    writeImage(dir.file("d.fits"), 5, 5, -32, f, [](TFitsHdr& c) {
        c.setDouble("RADIUS", 2);
        c.setDouble("CDELT1", 0);
    });
    p.arcSeconds = true;
    EXPECT_FALSE(readFitsImage(dir.file("d.fits"), p));
    p.arcSeconds = false;
    EXPECT_TRUE(readFitsImage(dir.file("d.fits"), p));
    p.scanRadius = 0;
    EXPECT_FALSE(readFitsImage(dir.file("d.fits"), p));
}

TEST(FitsImage, AstropyImagesWithBlankAndNan)
{
    const auto py = test::astropyPython();
    if (!py)
        GTEST_SKIP() << "python3-astropy is not installed";
    test::TempDir dir;
    const std::string script = R"(import sys, numpy as np
from astropy.io import fits
a = np.arange(20, dtype=np.int16).reshape(4, 5) * 3
a[1, 2] = -999
h = fits.PrimaryHDU(a)
h.header['BSCALE'] = 0.5
h.header['BZERO'] = 100.0
h.header['BLANK'] = -999
h.writeto(sys.argv[1], overwrite=True)
f = np.full((4, 5), 2.5, dtype=np.float32)
f[2, 3] = np.nan
fits.PrimaryHDU(f).writeto(sys.argv[2], overwrite=True)
)";
    std::string err;
    ASSERT_TRUE(test::runPython(*py, dir.path(), script, dir.file("i.fits") + " " + dir.file("f.fits"), err)) << err;
    FitsLoadParams p;
    p.scanRadius = 100;
    const auto i = readFitsImage(dir.file("i.fits"), p);
    ASSERT_TRUE(i);
    EXPECT_EQ(i->at(2, 1), 0);
    EXPECT_EQ(i->at(3, 1), 8 * 3 * 0.5 + 100);
    EXPECT_EQ(i->at(1, 2), 11 * 3 * 0.5 + 100);
    const auto f = readFitsImage(dir.file("f.fits"), p);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->at(3, 2), 0);
    EXPECT_EQ(f->at(2, 2), 2.5);
}

TEST(FitsImage, BitmapAndPainterPlacement)
{
    double lo = 0, hi = 0;
    // Rows top first: the image's row 0 is the bitmap's last row.
    const auto px = fitsBitmapPixels({0, 1, 2, 4}, 2, 2, lo, hi);
    EXPECT_EQ(px, (std::vector<uint8_t>{127, 255, 0, 63}));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 4);
    EXPECT_EQ(fitsBitmapPixels({5, 5}, 2, 1, lo, hi), (std::vector<uint8_t>{0, 0})); // flat: range 1
    const auto header = fitsBitmapHeader(300, 200);
    EXPECT_EQ((std::vector<uint32_t>{getU32LE(&header[0]), getU32LE(&header[20]), getU32LE(&header[24]),
                                     getU32LE(&header[36])}),
              (std::vector<uint32_t>{40, 60000, 4000, 256}));

    test::FitsBench b;
    b.load(test::scansOf(test::solarScan(2000, 2.0f, 1000.4f, 960.0f)));
    auto& st = fitsImageState(b.wb);
    FitsImage img;
    img.width = 400;
    img.height = 300;
    img.pixels.assign(400 * 300, 1.0);
    img.cx = 200;
    img.cy = 100;
    img.radius = 160.7;
    img.scale = 6;
    st.image = img;
    st.bitmap.assign(400 * 300, 7);
    b.wb.view.colour = false;
    const ScanRecord& s = *b.wb.activeScan;
    // r = 480 points; k = 1 pixel a point, z = 3: 1200 x 900 at
    // trunc(1000 - 0) + 10 - 600 + 1, top 250 - 600 + 1; at k = 2, z = 6.
    for (const auto& [begin, end, expect] :
         {std::tuple{0, 1000, Rect{411, -349, 1611, 551}}, std::tuple{500, 1500, Rect{-89, -349, 1111, 551}},
          std::tuple{300, 800, Rect{211, -949, 211 + 2400, -949 + 1800}}}) {
        RecordingCanvas c(1100, 600);
        b.wb.fitsImagePainter(b.wb, c, s, test::frameGeometry(10, 1010, 100, 400, begin, end));
        const auto calls = c.ofKind(CanvasCall::Bitmap);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0]->rect, expect);
        EXPECT_EQ(calls[0]->bitmapMode, BitmapMode::And);
        EXPECT_EQ(calls[0]->bitmapWidth, 400);
    }
    // The disk offset moves it down by trunc(10% of 480 points) = 48 pixels.
    b.wb.sunDiskOffset = 10;
    EXPECT_EQ(fitsImageRect(img, s, test::frameGeometry(10, 1010, 100, 400, 0, 1000), 10)->top, -349 + 48);
    // Not drawn: disk left of the shown part, right of it, or the part
    // narrower than a third of the radius.
    for (const auto& [begin, end] : {std::pair{1481, 1900}, std::pair{0, 519}, std::pair{990, 1149}})
        EXPECT_FALSE(fitsImageRect(img, s, test::frameGeometry(10, 1010, 100, 400, begin, end), 0))
            << begin << ".." << end;
    EXPECT_TRUE(fitsImageRect(img, s, test::frameGeometry(10, 1010, 100, 400, 1480, 1900), 0));
    EXPECT_TRUE(fitsImageRect(img, s, test::frameGeometry(10, 1010, 100, 400, 990, 1150), 0));

    // Palette: grey without colour drawing or without 256 colours in the
    // "FitsPalette" file; the file's colours otherwise, reloaded when the
    // colour flag or the settings change.
    test::TempDir dir;
    std::vector<uint32_t> colours(256);
    for (uint32_t k = 0; k < 256; ++k)
        colours[k] = k << 8;
    std::ofstream(dir.file("ok.pal")) << jascPaletteText(colours);
    std::ofstream(dir.file("short.pal")) << "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n";
    b.wb.settings.fitsPalette = dir.file("ok.pal");
    EXPECT_EQ(fitsPalette(b.wb), greyPalette());
    b.wb.view.colour = true;
    EXPECT_EQ(fitsPalette(b.wb), colours);
    b.wb.settings.fitsPalette = dir.file("short.pal");
    b.wb.settingsAppliedHook(b.wb);
    EXPECT_EQ(fitsPalette(b.wb), greyPalette());
}

} // namespace
} // namespace qm
