// "Fits convolution" and "FITS image" run as commands: the simulated scans
// against an independent numpy computation, the interactive flow, refusals.
#include "app/atomic_file.h"
#include "app/text_format.h"
#include "cli/sun_image_synth.h"
#include "fitsimage/fits_image.h"
#include "tests/files/fits_checkers.h"
#include "tests/fitsimage/fits_image_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qm {
namespace {

struct ScanSpec {
    float f, h;
    int16_t tq;
};
const ScanSpec kScans[] = {{3, 40, 9000}, {6, 80, 0}, {12, 120, 12000}};

struct ConvolutionBench : test::FitsBench {
    test::TempDir dir;
    std::string image = dir.file("sun.fits");

    ConvolutionBench()
    {
        const auto bytes = encodeSunImage({128, 3, 960});
        writeFileAtomically(image, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        std::vector<std::unique_ptr<ScanRecord>> scans;
        for (const ScanSpec& s : kScans) {
            auto r = test::solarScan(600, 4.0f, 300.5f, 960.0f);
            r->frequency = s.f;
            r->beamHalfsize = s.h;
            r->tqSun = s.tq;
            r->angleP = 20;
            scans.push_back(std::move(r));
        }
        load(std::move(scans));
        wb.interactiveMode = false;
        wb.settings.output = dir.path();
    }

    // The worksheets numpy computes for the three scans.
    std::vector<std::vector<double>> reference(const std::string& python, int sign, float quiet, int mode, bool intoI)
    {
        std::string json = format("{\"scanRadius\": 960, \"angleP\": 20, \"sign\": %d, \"quietSun\": %g, "
                                        "\"mode\": %d, \"vrtBeam\": %g, \"intoI\": %s, \"scans\": [",
                                        sign, double(quiet), mode, double(wb.settings.vrtBeam), intoI ? "true" : "false");
        for (const ScanSpec& s : kScans)
            json += format("%s{\"f\": %g, \"h\": %g, \"tq\": %d, \"centre\": 300.5, \"step\": 4, \"n\": 600}",
                                 &s == kScans ? "" : ", ", double(s.f), double(s.h), s.tq);
        json += "]}";
        const char* src = std::getenv("QUILLMAR_SOURCE");
        const std::string script = test::readTextFile(std::string(src ? src : ".") + "/tests/fitsimage/fits_reference.py");
        std::string err;
        const auto out = test::runPython(python, dir.path(), script, image + " " + test::shellQuote(json), err);
        EXPECT_TRUE(out) << err;
        std::vector<std::vector<double>> rows;
        std::istringstream lines(out ? *out : "");
        for (std::string line; std::getline(lines, line);)
            rows.push_back(test::numbersIn(line));
        return rows;
    }

    void expectWorksheets(const std::vector<std::vector<double>>& ref, bool intoI)
    {
        ASSERT_EQ(ref.size(), 3u);
        int k = 0;
        for (const auto& scan : wb.scans) {
            const float* x = intoI ? scan->wrkI() : scan->wrkV();
            const auto& r = ref[static_cast<std::size_t>(k++)];
            ASSERT_EQ(r.size(), 600u);
            double peak = 0;
            for (double v : r)
                peak = std::max(peak, std::fabs(v));
            ASSERT_GT(peak, 0);
            for (int i = 0; i < 600; ++i)
                ASSERT_NEAR(x[i], r[static_cast<std::size_t>(i)], 2e-4 * peak) << "scan " << k << " point " << i;
        }
    }
};

TEST(FitsConvolution, SimulatedScansMatchNumpy)
{
    const auto python = test::astropyPython();
    if (!python)
        GTEST_SKIP() << "python3-astropy is not installed";
    ConvolutionBench b;
    // ALL mode into Worksheet I: rotation by +angleP with the quiet Sun,
    // levelled from the minimum.
    b.wb.allMode = true;
    b.wb.chkWrkI = true;
    b.wb.batchTitle = b.image + " 0 1 1";
    b.wb.batchArgs = {500, 1, 0, 25};
    b.wb.dispatch(142);
    EXPECT_TRUE(b.wb.takeFailures().empty());
    ASSERT_TRUE(b.wb.fitsState && b.wb.fitsState->image);
    EXPECT_EQ(b.wb.sunDiskOffset, 25);
    EXPECT_EQ(b.wb.fitsState->bitmap.size(), 128u * 128u);
    EXPECT_EQ(b.ui.statuses.back().rfind("MIN value= ", 0), 0u);
    b.expectWorksheets(b.reference(*python, 1, 500, 0, true), true);
    for (const auto& scan : b.wb.scans) // Worksheet V untouched
        EXPECT_EQ(scan->wrkV()[5], 105.0f);

    // ONE mode into Worksheet V, the other sense of rotation and the power
    // scale: only the active scan changes.
    b.wb.allMode = false;
    b.wb.chkWrkI = false;
    b.wb.chkWrkV = true;
    b.wb.batchTitle = b.image + " 9 1 1";
    b.wb.batchArgs = {0, -1.7f, 0, 0};
    b.wb.dispatch(142);
    const auto ref = b.reference(*python, -1, 0, 9, false);
    ASSERT_EQ(ref.size(), 3u);
    const float* v = b.wb.activeScan->wrkV();
    double peak = 0;
    for (double x : ref[0])
        peak = std::max(peak, std::fabs(x));
    for (int i = 0; i < 600; ++i)
        ASSERT_NEAR(v[i], ref[0][static_cast<std::size_t>(i)], 2e-4 * peak) << i;
    EXPECT_EQ(b.wb.scans.at(1)->wrkV()[5], 105.0f);
}

TEST(FitsConvolution, SyntheticImageOpensInFitsverifyAndAstropy)
{
    test::TempDir dir;
    const SunImageParams p{64, 5, 960};
    const auto bytes = encodeSunImage(p);
    const std::string path = dir.file("sun.fits");
    ASSERT_TRUE(writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    if (const auto v = test::runFitsverify(path)) {
        EXPECT_EQ(v->errors, 0) << v->report;
        EXPECT_EQ(v->warnings, 0) << v->report;
    }
    const auto python = test::astropyPython();
    if (!python)
        GTEST_SKIP() << "python3-astropy is not installed";
    const std::string script = R"(import sys
from astropy.io import fits
h = fits.open(sys.argv[1])[0]
print('geometry', h.header['BITPIX'], h.header['RADIUS'], h.header['CDELT1'], h.header['CRPIX1'])
print('values', ' '.join('%.4f' % v for v in h.data.ravel()))
)";
    std::string err;
    const auto out = test::runPython(*python, dir.path(), script, path, err);
    ASSERT_TRUE(out) << err;
    const auto lines = test::keyedLines(*out);
    EXPECT_EQ(test::numbersIn(lines.at("geometry")), (std::vector<double>{16, 960, 37.5, 33}));
    const auto values = test::numbersIn(lines.at("values"));
    const auto model = sunImageValues(p);
    ASSERT_EQ(values.size(), model.size());
    for (std::size_t k = 0; k < model.size(); ++k)
        ASSERT_NEAR(values[k], model[k], 0.125) << k;
    EXPECT_EQ(values[0], 0);                         // sky
    EXPECT_NEAR(values[32 * 64 + 32], 10000, 6000); // disk centre, features or not
}

TEST(FitsConvolution, RefusalsViewCommandAndInteractiveFlow)
{
    ConvolutionBench b;
    b.wb.chkWrkI = true;
    b.wb.batchTitle = b.image + " 0 0 1";
    b.wb.dispatch(142);
    ASSERT_TRUE(b.wb.fitsState && b.wb.fitsState->image);
    EXPECT_EQ(b.wb.activeScan->wrkI()[300], 100.0f + 300); // no simulation without the flag
    const auto bitmap = b.wb.fitsState->bitmap;

    // A file that is not a 2-D image: refused, everything kept, the run goes on.
    test::writeImage(b.dir.file("cube.fits"), 4, 4, 16, std::vector<double>(16), {}, 3);
    for (const std::string& bad : {b.dir.file("cube.fits"), b.dir.file("none.fits")}) {
        b.wb.batchTitle = bad;
        b.wb.dispatch(142);
        const auto failures = b.wb.takeFailures();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0], "Not a two-dimensional FITS image:\n" + bad);
        EXPECT_EQ(b.wb.fitsState->image->width, 128);
        EXPECT_EQ(b.wb.fitsState->bitmap, bitmap);
    }
    EXPECT_TRUE(b.ui.messages.empty());

    // "FITS image" needs the view option; in batch it redoes the display
    // with the held record (here the batch title's mode 0 without convolution).
    b.wb.dispatch(196);
    EXPECT_EQ(b.wb.fitsState->bitmap, bitmap);
    b.wb.view.fitsImage = true;
    fitsOptions(b.wb).mode = kFitsPowerScale;
    b.wb.dispatch(196);
    EXPECT_NE(b.wb.fitsState->bitmap, bitmap);

    // Interactive: 1001 without a worksheet, the dialogs, Close cancels.
    b.wb.interactiveMode = true;
    b.wb.chkWrkI = false;
    b.wb.dispatch(142);
    b.expectMessage("WORKSHEET is not checked");
    b.wb.chkWrkI = true;
    b.ui.fileAnswers = {b.image, b.image};
    b.wb.dispatch(142); // loading dialog closed
    ASSERT_EQ(b.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(b.ui.filtersOf(0), (std::vector<std::string>{"FITS files *.fit;*.fts;*.fits", "Any Files *.*"}));
    EXPECT_EQ(b.ui.fileDialogs[0].initialDir, b.dir.path()); // the last FITS folder
    ASSERT_EQ(b.ui.fitsLoadingShown.size(), 1u);
    EXPECT_EQ(b.ui.fitsLoadingShown[0].mode, kFitsPowerScale);
    FitsLoadingFields ok = b.ui.fitsLoadingShown[0];
    ok.mode = kFitsNone;
    ok.beamConvolution = true;
    ok.angleSign = "0";
    b.ui.fitsLoadingAnswers = {ok};
    b.wb.dispatch(142);
    EXPECT_NE(b.wb.activeScan->wrkI()[300], 100.0f + 300);
    EXPECT_EQ(loadFitsOptions(b.store).mode, kFitsNone); // OK stores the record
    EXPECT_TRUE(b.ui.messages.empty());

    // Close forgets the image.
    b.wb.closeSet(false);
    EXPECT_FALSE(b.wb.fitsState->image);
    EXPECT_TRUE(b.wb.fitsState->bitmap.empty());
}

} // namespace
} // namespace qm
