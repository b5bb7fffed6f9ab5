// Binary-table scan-set files: round trip, refusals, the FITS route, and
// independent readers (fitsverify, astropy) that check the layout.
#include "files/scan_set.h"

#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/fits_layer.h"
#include "files/scan_writer.h"
#include "files/solar_ephemeris.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/files/fits_checkers.h"
#include "tests/files/fits_fixtures.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

namespace qm {
namespace {

using test::cardOf;
using test::fitsCard;

// Scan k of a set: both channels with values that tell scan, channel and
// point apart.
std::unique_ptr<ScanRecord> makeScan(int k, int n, const char* date = "2004/05/01")
{
    auto r = std::make_unique<ScanRecord>();
    r->nPoints = int16_t(n);
    r->frequency = 3.0f + 1.25f * float(k);
    std::snprintf(r->object, sizeof r->object, "%s", k == 1 ? "Active region 10000 east" : "SUN");
    std::snprintf(r->dateObs, sizeof r->dateObs, "%s", date);
    std::snprintf(r->timeObs, sizeof r->timeObs, "0%d:12:3%d.5", k, k);
    std::snprintf(r->telescop, sizeof r->telescop, "RATAN-600 %d", k);
    std::snprintf(r->origin, sizeof r->origin, "SAO RAS %d", k);
    r->azimuth = 10.5f * float(k);
    r->altitude = 40.25f - float(k);
    r->angleP = -12.5f + float(k);
    r->radius = 960.5f + float(k);
    r->centerPoint = 250.75f + float(k);
    r->tqSun = int16_t(16000 + k);
    r->beamHalfsize = 17.5f / float(k + 1);
    r->step = 2.0f;
    r->fluxCoef = 0.125f * float(k + 1);
    r->calibWrk = int16_t(k + 1);
    r->calibData = 9;
    r->flagIvWrk = int16_t(k % 2);
    r->allocChannel(1);
    r->allocChannel(2);
    for (int i = 0; i < n; ++i) {
        r->wrkI()[i] = float(k * 1000 + i) + 0.25f;
        r->wrkV()[i] = -float(k * 1000 + i) * 0.5f;
        r->dataI()[i] = 7; // the writer takes the Worksheets
    }
    return r;
}

struct ScanSetTest : ::testing::Test {
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
    test::TempDir dir;

    ScanSetTest() { registerAllCommands(wb); }

    void makeSet(int scans, int n, const char* date = "2004/05/01")
    {
        ScanChain chain;
        for (int k = 0; k < scans; ++k)
            chain.push_back(makeScan(k, n, date));
        wb.scans.appendTail(std::move(chain));
        wb.afterLoad({});
        wb.allMode = true;
        wb.chkWrkI = wb.chkWrkV = true;
        wb.viewBegin = 0;
        wb.viewEnd = n - 1;
    }
    std::string bytes(const std::string& path) { return test::readTextFile(path); }
};

const uint8_t* u8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST_F(ScanSetTest, ReadsBackWhatItWrote)
{
    // Ten scans of the longest kind: more than the writer converts for one
    // write, and not a multiple of that.
    constexpr int scans = 10, n = 16000;
    makeSet(scans, n);
    const std::string path = dir.file("set.fit");
    ASSERT_TRUE(saveScanSet(wb, path));
    const auto chain = readScanSet(wb, path);
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->size(), std::size_t(scans));
    const SolarEphemeris e = solarEphemeris(2004, 5, 1);
    for (int k = 0; k < scans; ++k) {
        SCOPED_TRACE(k);
        const ScanRecord& r = *(*chain)[std::size_t(scans - 1 - k)]; // linked at the head as made
        const auto o = makeScan(k, n);
        EXPECT_EQ((std::vector<std::string>{r.telescop, r.object, r.timeObs}),
                  (std::vector<std::string>{"RATAN-600 0", std::string(o->object).substr(0, 16), o->timeObs}));
        EXPECT_EQ((std::vector<float>{r.frequency, r.centerPoint, r.fluxCoef, r.angleP, r.radius}),
                  (std::vector<float>{o->frequency, o->centerPoint, o->fluxCoef, float(e.p), float(e.semiDiameter)}));
        EXPECT_EQ((std::vector<int>{r.nPoints, r.tqSun, r.calibData, r.flagIvData}),
                  (std::vector<int>{n, o->tqSun, o->calibWrk, o->flagIvWrk}));
        ASSERT_TRUE(r.hasI() && r.hasV());
        EXPECT_EQ(test::arrayOf(r.dataI(), n), test::arrayOf(o->wrkI(), n));
        EXPECT_EQ(test::arrayOf(r.wrkV(), n), test::arrayOf(o->wrkV(), n));
    }
    EXPECT_TRUE(ui.reports.empty()); // no overflow report

    // A day-first date gives the FITS form with the year first, and the
    // ephemeris of that same day in the header and the rows.
    wb.closeSet(false);
    makeSet(1, 8, "01/05/2004");
    ASSERT_TRUE(saveScanSet(wb, dir.file("dayfirst.fits")));
    const std::string dayFirst = bytes(dir.file("dayfirst.fits"));
    EXPECT_EQ(cardOf(dayFirst, "DATE-OBS"), fitsCard("DATE-OBS= '2004-05-01'"));
    TFitsHdr h;
    ASSERT_GT(h.parse(u8(dayFirst), dayFirst.size()), 0u);
    double radius = 0, p = 0;
    ASSERT_EQ(h.getDouble("SOLAR_R", radius), 0);
    ASSERT_EQ(h.getDouble("SOLAR_P", p), 0);
    EXPECT_NEAR(radius, e.semiDiameter, 1e-9);
    EXPECT_NEAR(p, e.p, 1e-9);
    const auto back = readScanSet(wb, dir.file("dayfirst.fits"));
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[0]->radius, float(e.semiDiameter));
}

TEST_F(ScanSetTest, RefusesWhatIsNotAScanSetOrIsDamaged)
{
    makeSet(2, 30);
    ASSERT_TRUE(saveScanSet(wb, dir.file("good.fits")));
    const std::string good = bytes(dir.file("good.fits"));
    ASSERT_TRUE(readScanSet(wb, u8(good), good.size()));

    auto refused = [&](const std::string& f) { return !readScanSet(wb, u8(f), f.size()); };
    const auto withCard = [](const std::string& f, const std::string& card, std::size_t from = 0,
                             const std::string& key = {}) { return test::withCard(f, card, from, key); };
    const std::size_t extAt = 2 * 2880;
    // Not scan sets: other FITS files go on to the other readers.
    EXPECT_TRUE(refused(withCard(good, "DATANAMX= 'newpas'", 0, "DATANAME")));
    EXPECT_TRUE(refused(withCard(good, "BITPIX  =                   16")));
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(withCard(good, "NAXIS3  =                 1001")));
    for (const char* card : {"NAXIS1  =                   95", "NAXIS2  =               100000"})
        EXPECT_TRUE(refused(withCard(good, card, extAt))) << card;
    // Cut short anywhere before the end of the table.
    for (std::size_t cut : {std::size_t(2879), extAt + 2000, extAt + 5760 + 2 * 96 - 1})
        EXPECT_TRUE(refused(good.substr(0, cut))) << cut;
    // Only the table's padding missing: still whole.
    EXPECT_TRUE(readScanSet(wb, u8(good), extAt + 5760 + 2 * 96));

    // Cubes of 64-bit floats and 32-bit integers, scaled by BSCALE and
    // BZERO, land point by point in both channels of every scan.
    const std::string scaled = withCard(withCard(good, "BSCALE  = 2", 0, "ORIGIN"), "BZERO   = 1", 0, "TELESCOP");
    for (int bitpix : {-64, 32}) {
        std::string f = withCard(scaled, format("BITPIX  = %d", bitpix));
        const std::size_t size = bitpix == -64 ? 8 : 4;
        auto value = [](int i) { return i * 37 - 1000; };
        for (int i = 0; i < 2 * 2 * 30; ++i) { // scans x channels x points
            uint8_t w[8];
            if (bitpix == -64)
                putF64BE(w, value(i) + 0.25);
            else
                putU32BE(w, uint32_t(value(i)));
            f.replace(2880 + std::size_t(i) * size, size, reinterpret_cast<const char*>(w), size);
        }
        const auto chain = readScanSet(wb, u8(f), f.size());
        ASSERT_TRUE(chain && chain->size() == 2) << bitpix;
        for (int i = 0; i < 2 * 2 * 30; ++i) {
            const ScanRecord& r = *(*chain)[std::size_t(1 - i / 60)]; // the chain starts at the last scan
            const double v = value(i) + (bitpix == -64 ? 0.25 : 0.0);
            const float* channel = i / 30 % 2 == 0 ? r.dataI() : r.dataV();
            ASSERT_EQ(channel[i % 30], float(v * 2 + 1)) << bitpix << " " << i;
        }
    }

    // A very long scan is reported, in interactive mode only.
    EXPECT_TRUE(refused(withCard(good, "NAXIS1  =                16001")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Data set is very large");
    wb.interactiveMode = false;
    EXPECT_TRUE(refused(withCard(good, "NAXIS1  =                16001")));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(readScanSet(wb, dir.file("missing.fits")));

    // Through openScans, whatever the name: the set loads; a damaged one
    // leaves the loaded set as it was.
    wb.interactiveMode = true;
    ui.messages.clear();
    ASSERT_TRUE(writeFileAtomically(dir.file("set.0hd"), good));
    ASSERT_TRUE(writeFileAtomically(dir.file("cut.fits"), good.substr(0, good.size() - 3000)));
    ASSERT_EQ(openScans(wb, dir.file("set.0hd")), 1);
    EXPECT_EQ(wb.scans.count(), 4);
    const ScanRecord* const first = wb.scans.at(0);
    ASSERT_EQ(openScans(wb, dir.file("cut.fits")), 1);
    EXPECT_TRUE(ui.sawMessage("Data file is BAD"));
    EXPECT_EQ(wb.scans.count(), 4);
    EXPECT_EQ(wb.scans.at(0), first);
}

TEST_F(ScanSetTest, FitsverifyAcceptsEveryFileWritten)
{
    std::vector<std::string> files;
    makeSet(1, 7, "no date");
    std::snprintf(wb.scans.at(0)->object, 50, "%s", "it's \x01\xff odd");
    wb.scans.at(0)->azimuth = 1e30f;
    files.push_back(dir.file("odd.fits"));
    ASSERT_TRUE(saveScanSet(wb, files.back()));
    wb.closeSet(false);
    makeSet(1000, 4); // the card list fills up
    ASSERT_TRUE(saveScanSet(wb, dir.file("large.fits")));
    files.push_back(dir.file("large.fits"));
    for (const std::string& f : files) {
        const auto v = test::runFitsverify(f);
        if (!v)
            GTEST_SKIP() << "fitsverify is not installed";
        EXPECT_EQ(v->errors, 0) << v->report;
        // CRPIX1 and CDELT1 without CRVAL1 and CTYPE1 are all it warns of.
        int known = 0;
        for (const char* w : {"*** Warning: Some CRVALi keywords appear to be missing",
                              "*** Warning: Some CTYPEi keywords appear to be missing"})
            known += v->report.find(w) != std::string::npos;
        EXPECT_EQ(v->warnings, known) << v->report;
    }
    // The odd object survives as far as FITS allows.
    const auto back = readScanSet(wb, files[0]);
    ASSERT_TRUE(back);
    EXPECT_STREQ((*back)[0]->object, "it's    odd");
    EXPECT_EQ(cardOf(test::readTextFile(files[0]), "OBJECT"), fitsCard("OBJECT  = 'it''s    odd'"));
}

// Reads a scan set with astropy and prints what a standard reader sees.
const char* const kAstropyReader = R"PY(
import sys
from astropy.io import fits
with fits.open(sys.argv[1]) as f:
    h = f[0].header
    for k in ["BITPIX", "NAXIS3", "DATANAME", "DATE-OBS", "TIME-OBS", "SOLAR_R", "SOLAR_P", "SOL_DEC", "CRPIX1",
              "FREQ003"]:
        print(k, repr(h[k]))
    print("SHAPE", *f[0].data.shape)
    print("CUBE", *[repr(float(x)) for x in f[0].data.ravel()])
    t = f["Scan_params"]
    print("EXT", t.header["EXTNAME"], len(t.columns), t.header["NAXIS1"])
    print("TEXT", "|".join(t.data[c.name][1] for c in t.columns[:3]))
    print("ROW", *[repr(float(t.data[c.name][1])) for c in t.columns[3:]])
)PY";

TEST_F(ScanSetTest, AstropyReadsTheProgramsScanSet)
{
    const auto python = test::astropyPython();
    if (!python)
        GTEST_SKIP() << "python3 with astropy is not installed";
    makeSet(3, 50);
    const std::string path = dir.file("set.fits");
    ASSERT_TRUE(saveScanSet(wb, path));
    std::string err;
    const auto out = test::runPython(*python, dir.path().string(), kAstropyReader, test::shellQuote(path), err);
    ASSERT_TRUE(out) << err;
    auto got = test::keyedLines(*out);
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"BITPIX", "-32"}, {"NAXIS3", "3"}, {"DATANAME", "'newpas'"}, {"DATE-OBS", "'2004-05-01'"},
             {"TIME-OBS", "'00:12:30.5'"}, {"CRPIX1", "250.75"}, {"FREQ003", "5.5"},
             {"SHAPE", "3 2 50"}, {"EXT", "Scan_params 16 96"},
             {"TEXT", "2004/05/01|01:12:31.5|Active region 10"}})
        EXPECT_EQ(got[key], value) << key;
    const SolarEphemeris e = solarEphemeris(2004, 5, 1);
    for (const auto& [key, value, tolerance] : {std::tuple{"SOLAR_R", e.semiDiameter, 1e-9},
                                                std::tuple{"SOLAR_P", e.p, 1e-11}, std::tuple{"SOL_DEC", e.dec, 1e-10}})
        EXPECT_NEAR(std::stod(got[key]), value, tolerance) << key;

    std::vector<double> cube;
    for (int s = 0; s < 3; ++s)
        for (const float* x : {wb.scans.at(s)->wrkI(), wb.scans.at(s)->wrkV()})
            cube.insert(cube.end(), x, x + 50);
    EXPECT_EQ(test::numbersIn(got["CUBE"]), cube);
    // freq cdelt crpix tqsun theta kflux solar_b solar_p solar_r azimuth altitude fiv fcalibr of scan 1
    const auto o = makeScan(1, 50);
    // The ephemeris columns are single floats of values the writer computes
    // itself; one unit in the last place is allowed for them.
    const std::vector<double> row{4.25, 2, 251.75, 16001, o->beamHalfsize, o->fluxCoef, float(e.b0), float(e.p),
                                  float(e.semiDiameter), o->azimuth, 39.25, 1, 2};
    const auto gotRow = test::numbersIn(got["ROW"]);
    ASSERT_EQ(gotRow.size(), row.size());
    for (std::size_t k = 0; k < row.size(); ++k)
        EXPECT_NEAR(gotRow[k], row[k], 2e-7 * std::fabs(row[k])) << "column " << k;
}

} // namespace
} // namespace qm
