// Binary-table scan-set files: byte layout, round trip, refusals, the FITS
// route, and independent readers (fitsverify, astropy).
#include "files/scan_set.h"

#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/fits_layer.h"
#include "files/scan_writer.h"
#include "files/solar_ephemeris.h"
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
#include <sstream>

namespace qm {
namespace {

using test::fitsCard;
using test::fitsHeader;
using test::fitsPad;

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

std::vector<std::string> keywords(const std::string& blocks, std::size_t from)
{
    std::vector<std::string> k;
    for (std::size_t at = from; at + 80 <= blocks.size(); at += 80) {
        std::string w = blocks.substr(at, 8);
        while (!w.empty() && w.back() == ' ')
            w.pop_back();
        k.push_back(w);
        if (w == "END")
            break;
    }
    return k;
}

std::string keywordOf(const std::string& card)
{
    std::string k = card.substr(0, 8);
    while (!k.empty() && k.back() == ' ')
        k.pop_back();
    return k;
}

// Position of the first card with the keyword, from `from` on.
std::size_t cardAt(const std::string& file, const std::string& key, std::size_t from = 0)
{
    for (std::size_t at = from; at + 80 <= file.size(); at += 80)
        if (keywordOf(file.substr(at, 8)) == key)
            return at;
    return std::string::npos;
}

std::string cardOf(const std::string& file, const std::string& key)
{
    const std::size_t at = cardAt(file, key);
    return at == std::string::npos ? std::string() : file.substr(at, 80);
}

// Each expected card is the first card of its keyword in `blocks`.
void expectCards(const std::string& blocks, const std::vector<std::string>& cards)
{
    for (const std::string& c : cards)
        EXPECT_EQ(cardOf(blocks, keywordOf(c)), fitsCard(c));
}

const uint8_t* u8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST_F(ScanSetTest, WritesTheStandardLayout)
{
    makeSet(3, 500);
    wb.viewBegin = 10;
    wb.viewEnd = 409; // 400 points
    const std::string path = dir.file("set.fits");
    ASSERT_TRUE(saveScanSet(wb, path));
    const std::string f = bytes(path);
    const std::size_t cube = 400 * 2 * 3 * 4, extAt = 2880 + (cube + 2879) / 2880 * 2880;
    ASSERT_EQ(f.size(), extAt + 2 * 2880 + 2880);

    EXPECT_EQ(keywords(f, 0),
              (std::vector<std::string>{"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "NAXIS3", "EXTEND",
                                        "DATANAME", "DATE-OBS", "TIME-OBS", "OBJECT", "TELESCOP", "ORIGIN",
                                        "SOLAR_R", "SOLAR_P", "SOLAR_B", "SOL_RA", "SOL_DEC", "CRPIX1", "CDELT1",
                                        "AZIMUTH", "ALTITUDE", "FLAG_IV", "CALIBR", "COMMENT", "FREQ001",
                                        "FREQ002", "FREQ003", "END"}));
    EXPECT_EQ(f.substr(0, 80), fitsCard("SIMPLE  =                    T / Written by TFitsHdr (QRD 2005)"));
    expectCards(f, {"BITPIX  =                  -32",
                    "NAXIS1  =                  400",
                    "NAXIS3  =                    3",
                    "DATANAME= 'newpas  '",
                    "DATE-OBS= '2004-05-01'",
                    "TIME-OBS= '00:12:30.5'",
                    "TELESCOP= 'RATAN-600 0'"});
    const SolarEphemeris e = solarEphemeris(2004, 5, 1);
    EXPECT_EQ(cardOf(f, "SOLAR_R"), fitsCard("SOLAR_R =   " + format("%.12E", e.semiDiameter) + " / arcsec"));
    EXPECT_EQ(cardOf(f, "SOL_DEC"), fitsCard(format("SOL_DEC = %20.12E", e.dec)));
    expectCards(f, {"CRPIX1  =           240.750000", // moved with the first point
                    "FLAG_IV =                    0 / 1- data is RL; 0- data is IV",
                    "COMMENT   *** Frequencies ***", "FREQ002 =             4.250000 / GHz"});

    // The cube: per scan channel 1 then channel 2 from the first point shown.
    EXPECT_EQ(getF32BE(u8(f) + 2880), 10.25f);
    EXPECT_EQ(getF32BE(u8(f) + 2880 + 399 * 4), 409.25f);
    EXPECT_EQ(getF32BE(u8(f) + 2880 + 400 * 4), -5.0f);
    EXPECT_EQ(getF32BE(u8(f) + 2880 + 2 * 400 * 4), 1010.25f);
    EXPECT_EQ(f.find_first_not_of('\0', 2880 + cube), extAt);

    EXPECT_EQ(keywords(f, extAt)[0], "XTENSION");
    EXPECT_EQ(f.substr(extAt, 80), fitsCard("XTENSION= 'BINTABLE'           / Written by TFitsHdr (QRD 2005)"));
    std::vector<std::string> ext = {"XTENSION", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "PCOUNT", "GCOUNT",
                                    "TFIELDS", "EXTNAME", "COMMENT"};
    for (int i = 1; i <= 16; ++i)
        ext.push_back("TTYPE" + std::to_string(i));
    ext.push_back("COMMENT");
    for (int i = 1; i <= 16; ++i)
        ext.push_back("TFORM" + std::to_string(i));
    ext.push_back("END");
    EXPECT_EQ(keywords(f, extAt), ext);
    const std::string xh = f.substr(extAt, 5760);
    expectCards(xh, {"NAXIS1  =                   96 / Number of bytes per row",
                     "PCOUNT  =                    0 / Normally 0 (no varying arrays)",
                     "TFIELDS =                   16 / Number of columns in table",
                     "EXTNAME = 'Scan_params'",
                     "TTYPE10 = 'solar_b '",
                     "TFORM1  = '16A     '",
                     "TFORM16 = 'I       '"});

    // Rows of 96 bytes; the object keeps its first 16 characters, no terminator.
    const uint8_t* row = u8(f) + extAt + 5760 + 96;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row), 16), std::string("2004/05/01\0\0\0\0\0\0", 16));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row + 32), 16), "Active region 10");
    EXPECT_EQ(getF32BE(row + 48), 4.25f);
    EXPECT_EQ(getF32BE(row + 56), 241.75f); // the centre moved with the first point
    EXPECT_EQ(getF32BE(row + 60), 16001.0f);
    EXPECT_EQ(getF32BE(row + 72), float(e.b0));
    EXPECT_EQ(getF32BE(row + 76), float(e.p));
    EXPECT_EQ(getF32BE(row + 80), float(e.semiDiameter));
    EXPECT_EQ(getF32BE(row + 88), 39.25f);
    EXPECT_EQ(getI16BE(row + 92), 1);
    EXPECT_EQ(getI16BE(row + 94), 2);
    EXPECT_EQ(f.find_first_not_of('\0', extAt + 5760 + 3 * 96), std::string::npos);
}

TEST_F(ScanSetTest, ReadsBackWhatItWrote)
{
    makeSet(3, 500);
    const std::string path = dir.file("set.fit");
    ASSERT_TRUE(saveScanSet(wb, path));
    const auto chain = readScanSet(wb, path);
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->size(), 3u);
    const SolarEphemeris e = solarEphemeris(2004, 5, 1);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const ScanRecord& r = *(*chain)[std::size_t(2 - k)]; // linked at the head as made
        const auto original = makeScan(k, 500);
        EXPECT_EQ(r.nPoints, 500);
        EXPECT_STREQ(r.telescop, "RATAN-600 0");
        EXPECT_STREQ(r.origin, "SAO RAS 0");
        EXPECT_EQ(std::string(r.object), std::string(original->object).substr(0, 16));
        EXPECT_STREQ(r.dateObs, "2004/05/01");
        EXPECT_STREQ(r.timeObs, original->timeObs);
        EXPECT_EQ(r.frequency, original->frequency);
        EXPECT_EQ(r.step, 2.0f);
        EXPECT_EQ(r.centerPoint, original->centerPoint);
        EXPECT_EQ(r.tqSun, original->tqSun);
        EXPECT_EQ(r.beamHalfsize, original->beamHalfsize);
        EXPECT_EQ(r.fluxCoef, original->fluxCoef);
        EXPECT_EQ(r.azimuth, original->azimuth);
        EXPECT_EQ(r.altitude, original->altitude);
        EXPECT_EQ(r.angleP, float(e.p));
        EXPECT_EQ(r.radius, float(e.semiDiameter));
        EXPECT_EQ(r.calibWrk, original->calibWrk);
        EXPECT_EQ(r.calibData, original->calibWrk);
        EXPECT_EQ(r.flagIvWrk, original->flagIvWrk);
        EXPECT_EQ(r.flagIvData, original->flagIvWrk);
        EXPECT_EQ(r.fluxData, 0);
        EXPECT_EQ(r.sampleFormat, 0);
        ASSERT_TRUE(r.hasI() && r.hasV());
        for (int i = 0; i < 500; ++i) {
            ASSERT_EQ(r.dataI()[i], original->wrkI()[i]) << i;
            ASSERT_EQ(r.dataV()[i], original->wrkV()[i]) << i;
        }
        EXPECT_EQ(r.chanI[1000], 0.0f);
        EXPECT_TRUE(std::equal(r.dataI(), r.dataI() + 500, r.wrkI()));
        EXPECT_TRUE(std::equal(r.dataV(), r.dataV() + 500, r.wrkV()));
    }
    EXPECT_TRUE(ui.reports.empty()); // no overflow report

    // Without a date that parses: no DATE-OBS or ephemeris cards, and the
    // rows keep the scans' own P and radius.
    wb.closeSet(false);
    makeSet(2, 40, "today");
    ASSERT_TRUE(saveScanSet(wb, dir.file("undated.fits")));
    const std::string f = bytes(dir.file("undated.fits"));
    for (const char* key : {"DATE-OBS", "SOLAR_R", "SOLAR_P", "SOLAR_B", "SOL_RA", "SOL_DEC"})
        EXPECT_EQ(cardOf(f, key), "") << key;
    const auto undated = readScanSet(wb, dir.file("undated.fits"));
    ASSERT_TRUE(undated && undated->size() == 2u);
    EXPECT_EQ((*undated)[0]->angleP, -11.5f);
    EXPECT_EQ((*undated)[0]->radius, 961.5f);
    EXPECT_STREQ((*undated)[0]->dateObs, "today");

    // A day-first date gives the FITS form with the year first.
    wb.closeSet(false);
    makeSet(1, 8, "01/05/2004");
    ASSERT_TRUE(saveScanSet(wb, dir.file("dayfirst.fits")));
    EXPECT_EQ(cardOf(bytes(dir.file("dayfirst.fits")), "DATE-OBS"), fitsCard("DATE-OBS= '2004-05-01'"));
}

TEST_F(ScanSetTest, SaveNeedsAllModeBothWorksheetsAndOneGeometry)
{
    makeSet(3, 20);
    const std::string path = dir.file("x.fits");
    wb.allMode = false;
    EXPECT_FALSE(saveScanSet(wb, path));
    EXPECT_TRUE(ui.sawMessage("Must be option ALL"));
    wb.allMode = true;
    wb.chkWrkV = false;
    EXPECT_FALSE(saveScanSet(wb, path));
    EXPECT_TRUE(ui.sawMessage("WORKSHEET is not checked"));
    wb.chkWrkV = true;
    wb.scans.at(2)->step = 2.5f;
    EXPECT_FALSE(saveScanSet(wb, path));
    EXPECT_TRUE(ui.sawMessage("Data have different ephemerides"));
    EXPECT_FALSE(std::filesystem::exists(path));
    for (const auto& m : ui.messages)
        EXPECT_EQ(m.caption, "Information");

    // A shown group: only its scans, in the group's order; the shown range
    // is kept inside the scans.
    wb.scans.at(2)->step = 2.0f;
    wb.groupScans = {wb.scans.at(2), wb.scans.at(0)};
    wb.setGroupView(3);
    wb.viewBegin = -5;
    wb.viewEnd = 20;
    ASSERT_TRUE(saveScanSet(wb, path));
    const auto chain = readScanSet(wb, path);
    ASSERT_TRUE(chain && chain->size() == 2u);
    EXPECT_EQ((*chain)[1]->frequency, wb.scans.at(2)->frequency);
    EXPECT_EQ((*chain)[0]->frequency, wb.scans.at(0)->frequency);
    EXPECT_EQ((*chain)[0]->nPoints, 20);

    // Through the Worksheet save: a FITS name in batch mode goes to the scan set.
    wb.setGroupView(0);
    wb.interactiveMode = false;
    ASSERT_TRUE(saveScans(wb, SaveWhich::Worksheet, dir.file("batch.FITS")));
    const auto batch = readScanSet(wb, dir.file("batch.FITS"));
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->size(), 3u);
}

// A scan-set file assembled by hand: primary cards, cube bytes, and the
// extension of a file the program wrote.
std::string assemble(const std::vector<std::string>& primary, const std::string& cube, const std::string& extension)
{
    return fitsHeader(primary) + fitsPad(cube) + extension;
}

std::vector<std::string> primaryCards(int bitpix, int n, int scans)
{
    return {"SIMPLE  =                    T", format("BITPIX  = %20d", bitpix), "NAXIS   =                    3",
            format("NAXIS1  = %20d", n),    "NAXIS2  =                    2", format("NAXIS3  = %20d", scans),
            "DATANAME= 'newpas  '",         "TELESCOP= 'hand made'"};
}

TEST_F(ScanSetTest, ConvertsOtherSampleTypesAndReportsOverflow)
{
    makeSet(2, 3);
    wb.viewEnd = 2;
    ASSERT_TRUE(saveScanSet(wb, dir.file("two.fits")));
    const std::string written = bytes(dir.file("two.fits"));
    const std::string extension = written.substr(2 * 2880);

    std::string doubles, ints;
    for (int v = 0; v < 12; ++v) {
        uint8_t b[8];
        putF64BE(b, v * 1.5 - 4);
        doubles.append(reinterpret_cast<char*>(b), 8);
        putU32BE(b, uint32_t(int32_t(v * 100000 - 300000)));
        ints.append(reinterpret_cast<char*>(b), 4);
    }
    auto cards = primaryCards(-64, 3, 2);
    cards.push_back("OVER002 =                    1");
    cards.push_back("FREQ002 =             5.700000 / GHz");
    cards.push_back("OVER001 =                    0");
    cards.push_back("FREQ001 =             3.000000 / GHz");
    const std::string f64 = assemble(cards, doubles, extension);
    const auto a = readScanSet(wb, u8(f64), f64.size());
    ASSERT_TRUE(a && a->size() == 2u);
    const ScanRecord& second = *(*a)[0];
    EXPECT_EQ(second.dataI()[0], 5.0f);  // element 6
    EXPECT_EQ(second.dataV()[2], 12.5f); // element 11
    EXPECT_STREQ(second.telescop, "hand made");
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].title, "Overflow data");
    EXPECT_EQ(ui.reports[0].text, "5.7000 GHz data is overflowed\r\n");

    auto intCards = primaryCards(32, 3, 2);
    intCards.push_back("BSCALE  =                 0.01");
    const std::string i32 = assemble(intCards, ints, extension);
    const auto b = readScanSet(wb, u8(i32), i32.size());
    ASSERT_TRUE(b && b->size() == 2u);
    EXPECT_EQ((*b)[1]->dataI()[0], -3000.0f);
    EXPECT_EQ((*b)[0]->dataV()[2], 8000.0f);
    EXPECT_EQ(ui.reports.size(), 1u);
}

TEST_F(ScanSetTest, RefusesWhatIsNotAScanSetOrIsDamaged)
{
    makeSet(2, 30);
    ASSERT_TRUE(saveScanSet(wb, dir.file("good.fits")));
    const std::string good = bytes(dir.file("good.fits"));
    ASSERT_TRUE(readScanSet(wb, u8(good), good.size()));

    auto refused = [&](const std::string& f) { return !readScanSet(wb, u8(f), f.size()); };
    // The file with the card of the same keyword (or of `key`) replaced.
    auto withCard = [&](std::string f, const std::string& card, std::size_t from = 0, std::string key = {}) {
        const std::size_t at = cardAt(f, key.empty() ? keywordOf(card) : key, from);
        if (at == std::string::npos)
            ADD_FAILURE() << card;
        else
            f.replace(at, 80, fitsCard(card));
        return f;
    };
    const std::size_t extAt = 2 * 2880;
    // Not scan sets: other FITS files go on to the other readers.
    EXPECT_TRUE(refused(withCard(good, "DATANAMX= 'newpas'", 0, "DATANAME")));
    EXPECT_TRUE(refused(withCard(good, "DATANAME= 'oldpas'")));
    EXPECT_TRUE(refused(withCard(good, "BITPIX  =                   16")));
    EXPECT_TRUE(refused(withCard(good, "SIMPLE   =                   T", 0, "SIMPLE")));
    EXPECT_TRUE(refused(""));
    // Inconsistent axes and tables.
    for (const char* card : {"NAXIS   =                    2", "NAXIS2  =                    1",
                             "NAXIS1  =                    0", "NAXIS1  =                  -30",
                             "NAXIS3  =                    3", "NAXIS3  =                    0",
                             "NAXIS3  =                 1001"})
        EXPECT_TRUE(refused(withCard(good, card))) << card;
    for (const char* card : {"NAXIS1  =                   95", "NAXIS2  =                    1",
                             "TFIELDS =                  101", "TFORM4  = 'Q       '", "TFORM1  = '97A     '",
                             "NAXIS   =                    1", "NAXIS2  =               100000"})
        EXPECT_TRUE(refused(withCard(good, card, extAt))) << card;
    EXPECT_TRUE(refused(withCard(good, "XTENSIO = 'BINTABLE'", extAt, "XTENSION")));
    // Cut short anywhere before the end of the table.
    for (std::size_t cut : {std::size_t(80), std::size_t(2879), std::size_t(2880 + 100), extAt, extAt + 2000,
                            extAt + 5760, extAt + 5760 + 2 * 96 - 1})
        EXPECT_TRUE(refused(good.substr(0, cut))) << cut;
    // Only the table's padding missing: still whole.
    EXPECT_TRUE(readScanSet(wb, u8(good), extAt + 5760 + 2 * 96));

    // A very long scan is reported, in interactive mode only.
    EXPECT_TRUE(refused(withCard(good, "NAXIS1  =                16001")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Data set is very large");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Error);
    wb.interactiveMode = false;
    EXPECT_TRUE(refused(withCard(good, "NAXIS1  =                16001")));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(readScanSet(wb, dir.file("missing.fits")));
    EXPECT_FALSE(readScanSet(wb, dir.path().string()));
}

TEST_F(ScanSetTest, OpenScansLoadsSetsAndLeavesTheSetAloneOnDamage)
{
    makeSet(2, 30);
    ASSERT_TRUE(saveScanSet(wb, dir.file("good.fits")));
    const std::string good = bytes(dir.file("good.fits"));
    ASSERT_TRUE(writeFileAtomically(dir.file("cut.fits"), good.substr(0, good.size() - 3000)));
    ASSERT_TRUE(writeFileAtomically(dir.file("set.0hd"), good)); // the first word decides the route

    ASSERT_EQ(openScans(wb, dir.file("set.0hd")), 1);
    EXPECT_EQ(wb.scans.count(), 4);
    const std::vector<float> before = [&] {
        std::vector<float> v;
        for (const auto& r : wb.scans)
            v.push_back(r->frequency);
        return v;
    }();
    ui.messages.clear();
    ASSERT_EQ(openScans(wb, dir.file("cut.fits")), 1);
    EXPECT_TRUE(ui.sawMessage("Data file is BAD"));
    ASSERT_EQ(wb.scans.count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(wb.scans.at(i)->frequency, before[std::size_t(i)]);
}

TEST_F(ScanSetTest, FitsverifyAcceptsEveryFileWritten)
{
    std::vector<std::string> files;
    makeSet(3, 500);
    files.push_back(dir.file("dated.fits"));
    ASSERT_TRUE(saveScanSet(wb, files.back()));
    wb.closeSet(false);
    makeSet(1, 7, "no date");
    std::snprintf(wb.scans.at(0)->object, 50, "%s", "it's \x01\xff odd");
    wb.scans.at(0)->azimuth = 1e30f;
    files.push_back(dir.file("odd.fits"));
    ASSERT_TRUE(saveScanSet(wb, files.back()));
    // A thousand scans: the card list fills up (1022 cards, 29 blocks with
    // END), so the last FREQnnn cards are left out; the set still reads back.
    wb.closeSet(false);
    makeSet(1000, 4);
    ASSERT_TRUE(saveScanSet(wb, dir.file("large.fits")));
    const std::string large = test::readTextFile(dir.file("large.fits"));
    EXPECT_EQ(cardOf(large.substr(0, 29 * 2880), "FREQ997"), fitsCard("FREQ997 =          1248.000000 / GHz"));
    EXPECT_EQ(cardOf(large.substr(0, 29 * 2880), "FREQ998"), "");
    EXPECT_EQ(large.compare(1022 * 80, 3, "END"), 0);
    const auto thousand = readScanSet(wb, dir.file("large.fits"));
    ASSERT_TRUE(thousand);
    EXPECT_EQ(thousand->size(), 1000u);
    EXPECT_EQ(thousand->front()->frequency, 3.0f + 1.25f * 999);
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
    const auto back = readScanSet(wb, files[1]);
    ASSERT_TRUE(back);
    EXPECT_STREQ((*back)[0]->object, "it's    odd");
    EXPECT_EQ(cardOf(test::readTextFile(files[1]), "OBJECT"), fitsCard("OBJECT  = 'it''s    odd'"));
}

// Reads a scan set with astropy and prints what a standard reader sees.
const char* const kAstropyReader = R"PY(
import sys
from astropy.io import fits
with fits.open(sys.argv[1]) as f:
    h = f[0].header
    for k in ["BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "NAXIS3", "DATANAME", "DATE-OBS", "TIME-OBS", "OBJECT",
              "TELESCOP", "ORIGIN", "SOLAR_R", "SOLAR_P", "SOLAR_B", "SOL_RA", "SOL_DEC", "CRPIX1", "CDELT1",
              "AZIMUTH", "ALTITUDE", "FLAG_IV", "CALIBR", "FREQ001", "FREQ002", "FREQ003"]:
        print("H", k, repr(h[k]).replace(" ", "_"))
    cube = f[0].data
    print("SHAPE", *cube.shape)
    for s in range(cube.shape[0]):
        for c in range(2):
            print("D", s, c, " ".join(repr(float(x)) for x in cube[s][c]))
    t = f["Scan_params"]
    print("EXT", t.header["EXTNAME"], len(t.columns), t.header["NAXIS1"])
    for r in range(len(t.data)):
        print("R", r, " ".join(str(t.data[c.name][r]).replace(" ", "_") for c in t.columns))
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

    std::map<std::string, std::string> header;
    std::vector<std::string> rows;
    std::istringstream lines(*out);
    std::string line;
    int dataLines = 0;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string tag;
        in >> tag;
        if (tag == "H") {
            std::string k, v;
            in >> k >> v;
            header[k] = v;
        } else if (tag == "SHAPE") {
            int a = 0, b = 0, c = 0;
            in >> a >> b >> c;
            EXPECT_EQ(a, 3);
            EXPECT_EQ(b, 2);
            EXPECT_EQ(c, 50);
        } else if (tag == "D") {
            int s = 0, c = 0;
            in >> s >> c;
            const ScanRecord& r = *wb.scans.at(s);
            const float* x = c == 0 ? r.wrkI() : r.wrkV();
            for (int i = 0; i < 50; ++i) {
                double v = 0;
                ASSERT_TRUE(in >> v);
                ASSERT_EQ(v, double(x[i])) << s << " " << c << " " << i;
            }
            ++dataLines;
        } else if (tag == "EXT") {
            std::string name;
            int columns = 0, width = 0;
            in >> name >> columns >> width;
            EXPECT_EQ(name, "Scan_params");
            EXPECT_EQ(columns, 16);
            EXPECT_EQ(width, 96);
        } else if (tag == "R") {
            rows.push_back(line);
        }
    }
    EXPECT_EQ(dataLines, 6);
    const SolarEphemeris e = solarEphemeris(2004, 5, 1);
    EXPECT_EQ(header["BITPIX"], "-32");
    EXPECT_EQ(header["NAXIS3"], "3");
    EXPECT_EQ(header["DATANAME"], "'newpas'");
    EXPECT_EQ(header["DATE-OBS"], "'2004-05-01'");
    EXPECT_EQ(header["TIME-OBS"], "'00:12:30.5'");
    EXPECT_EQ(header["TELESCOP"], "'RATAN-600_0'");
    EXPECT_EQ(header["ORIGIN"], "'SAO_RAS_0'");
    EXPECT_NEAR(std::stod(header["SOLAR_R"]), e.semiDiameter, 1e-9);
    EXPECT_NEAR(std::stod(header["SOLAR_P"]), e.p, 1e-11);
    EXPECT_NEAR(std::stod(header["SOLAR_B"]), e.b0, 1e-11);
    EXPECT_NEAR(std::stod(header["SOL_RA"]), e.ra, 1e-9);
    EXPECT_NEAR(std::stod(header["SOL_DEC"]), e.dec, 1e-10);
    EXPECT_EQ(std::stod(header["CRPIX1"]), 250.75);
    EXPECT_EQ(std::stod(header["AZIMUTH"]), 0.0);
    EXPECT_EQ(header["FLAG_IV"], "0");
    EXPECT_EQ(header["CALIBR"], "1");
    EXPECT_EQ(std::stod(header["FREQ003"]), 5.5);
    ASSERT_EQ(rows.size(), 3u);
    // date time object freq cdelt crpix tqsun theta kflux solar_b solar_p solar_r azimuth altitude fiv fcalibr
    std::istringstream r1(rows[1]);
    std::string tag, date, time, object;
    int index = 0;
    double freq, cdelt, crpix, tqsun, theta, kflux, b, p, radius, az, alt;
    int fiv, fcal;
    r1 >> tag >> index >> date >> time >> object >> freq >> cdelt >> crpix >> tqsun >> theta >> kflux >> b >> p >>
        radius >> az >> alt >> fiv >> fcal;
    ASSERT_TRUE(r1);
    EXPECT_EQ(date, "2004/05/01");
    EXPECT_EQ(time, "01:12:31.5");
    EXPECT_EQ(object, "Active_region_10");
    EXPECT_EQ(freq, 4.25);
    EXPECT_EQ(crpix, 251.75);
    EXPECT_EQ(tqsun, 16001);
    EXPECT_FLOAT_EQ(float(b), float(e.b0));
    EXPECT_FLOAT_EQ(float(p), float(e.p));
    EXPECT_FLOAT_EQ(float(radius), float(e.semiDiameter));
    EXPECT_EQ(alt, 39.25);
    EXPECT_EQ(fiv, 1);
    EXPECT_EQ(fcal, 2);
}

} // namespace
} // namespace qm
