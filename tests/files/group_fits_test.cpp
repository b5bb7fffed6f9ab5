#include "files/group_fits.h"

#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/data_file_writer.h"
#include "files/open_scans.h"
#include "files/scan_writer.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/files/fits_fixtures.h"
#include "tests/files/group_fits_checks.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

using namespace qm;
using test::cardOf;
using test::fitsCard;
using test::quantum;
using test::readTextFile;
namespace fs = std::filesystem;

namespace {

// Where the samples begin: the block after the table header's END card.
std::size_t dataStart(const std::string& bytes)
{
    return 2880 * ((2880 + 80 * test::headerCards(bytes, 2880).size() + 2879) / 2880);
}

// The value of a card of the table header.
double cardNumber(const std::string& bytes, const std::string& key)
{
    const std::string c = cardOf(bytes, key, 2880);
    return c.empty() ? std::nan("") : std::strtod(c.c_str() + 10, nullptr);
}

class GroupFitsTest : public ::testing::Test {
protected:
    GroupFitsTest()
    {
        // Coefficients equal to the scans' own, so values come back unchanged.
        test::prepareProgramFolder(prog, "3.1 0.5 16000 8.5 300\n2.94 0.25 17000.7 9.25 300\n1.0 0.1 90000 40 300\n");
        registerAllCommands(wb);
        wb.settings.output = tmp.path().string();
    }

    ScanRecord* addScan(float freq, float fluxCoef, int n = 40)
    {
        return test::addScan(wb, test::wavyScan(freq, n, fluxCoef));
    }

    bool saveBatch(const std::string& path, int skip, int begin, int end)
    {
        wb.interactiveMode = false;
        wb.allMode = true;
        wb.chkWrkI = wb.chkWrkV = true;
        wb.viewBegin = begin;
        wb.viewEnd = end;
        wb.batchArgs = {float(skip), 0, 0, 0};
        return saveGroupFits(wb, path);
    }

    // The two-scan file most tests start from: 2.94 and 3.1 GHz, both
    // channels, points 1..38.
    std::string twoScanFile()
    {
        a = addScan(2.94f, 0.25f);
        b = addScan(3.1f, 0.5f);
        const std::string path = tmp.file("two.fits");
        EXPECT_TRUE(saveBatch(path, 1, 1, 38));
        return path;
    }

    std::size_t read(const std::string& bytes, int count = 0)
    {
        return readGroupFitsBytes(wb, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), count).size();
    }

    // fitsverify, where installed, finds nothing but what the format needs.
    static void expectVerified(const std::string& path)
    {
        if (const auto v = test::runFitsverify(path)) {
            EXPECT_TRUE(test::onlyExpectedFindings(*v)) << v->report;
        }
    }

    test::TempDir tmp{"qm-group"};
    std::string prog = tmp.file("prog");
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, prog};
    ScanRecord* a = nullptr;
    ScanRecord* b = nullptr;
};

} // namespace

// The header as standard readers need it, the column cards byte for byte,
// the samples against the written scale, and the file read back.
TEST_F(GroupFitsTest, WritesStandardLayoutThatReadsBack)
{
    const std::string path = twoScanFile();
    const std::string bytes = readTextFile(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.size() % 2880, 0u);

    const auto primary = test::headerCards(bytes);
    ASSERT_GE(primary.size(), 4u);
    EXPECT_EQ(primary[0], fitsCard("SIMPLE  =                    T / file does conform to FITS standard"));
    EXPECT_EQ(primary[1].substr(0, 30), "BITPIX  =                    8");
    EXPECT_EQ(primary[2].substr(0, 30), "NAXIS   =                    0");
    EXPECT_EQ(primary.back(), fitsCard("END"));
    EXPECT_LE(primary.size(), 36u);

    const auto table = test::headerCards(bytes, 2880);
    ASSERT_GT(table.size(), 8u);
    const int n = 38, columns = 4;
    const char* const order[] = {"XTENSION= 'BINTABLE'", "BITPIX  =                    8",
                                 "NAXIS   =                    2", "NAXIS1  =                  304",
                                 "NAXIS2  =                    1", "PCOUNT  =                    0",
                                 "GCOUNT  =                    1", "TFIELDS =                    4"};
    for (std::size_t k = 0; k < std::size(order); ++k)
        EXPECT_EQ(table[k].rfind(order[k], 0), 0u) << table[k];
    EXPECT_NE(cardOf(bytes, "DATE_OBS", 2880).find("'2004-05-01T05:13:47'"), std::string::npos);
    int day = 0, month = 0, year = 0;
    EXPECT_EQ(std::sscanf(cardOf(bytes, "WRITTEN", 2880).c_str(), "WRITTEN = '%2d/%2d/%4d'", &day, &month, &year), 3);
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"ORIGIN", "'SAO'"}, {"TELESCOP", "'RATAN-600'"}, {"OBJECT", "'Sun'"}})
        EXPECT_NE(cardOf(bytes, key, 2880).find(value), std::string::npos) << key;
    std::vector<double> numbers;
    for (const char* key : {"AZIMUTH", "ALTITUDE", "CENTRE_X", "XSCALE", "ANGLE", "SOLAR_R"})
        numbers.push_back(cardNumber(bytes, key));
    EXPECT_EQ(numbers, (std::vector<double>{12.5, 45.25, 19.5, 1.5, -3.5, 640.0}));

    // Column cards follow BUNIT, five per column.
    std::size_t first = 0;
    while (first < table.size() && test::keywordOf(table[first]) != "BUNIT")
        ++first;
    ASSERT_EQ(table.size(), first + 1 + 5 * columns + 1);
    EXPECT_EQ(table[first + 1], format("%-31s/%48s", "TFORM1  = '38I'", ""));
    EXPECT_EQ(table[first + 2], format("%-31s/%48s", "TDIM1   = '(38)'", ""));
    for (int k = 0; k < columns; ++k)
        EXPECT_EQ(table[first + 3 + 5 * std::size_t(k)],
                  fitsCard(format("TTYPE%d  = 'FREQUENCY    %s GHZ %s' /", k + 1, k < 2 ? "2.9400" : "3.1000",
                                  k % 2 ? "R-L" : "R+L")));

    // Samples: big-endian 16-bit, column after column; sample * TSCAL +
    // TZERO is the worksheet value in flux units (times fluxCoef); the
    // scale cards carry the %+16E form.
    const std::size_t data = dataStart(bytes);
    const ScanRecord* scans[] = {a, a, b, b};
    for (int k = 0; k < columns; ++k) {
        const double scale = cardNumber(bytes, format("TSCAL%d", k + 1));
        const double zero = cardNumber(bytes, format("TZERO%d", k + 1));
        EXPECT_EQ(cardOf(bytes, format("TSCAL%d", k + 1)), fitsCard(format("TSCAL%-3d=     %+16E /", k + 1, scale)));
        EXPECT_EQ(cardOf(bytes, format("TZERO%d", k + 1)), fitsCard(format("TZERO%-3d=     %+16E /", k + 1, zero)));
        const ScanRecord* s = scans[k];
        const float* w = k % 2 == 0 ? s->wrkI() : s->wrkV();
        int top = 0;
        for (int i = 0; i < n; ++i) {
            const int sample = getI16BE(reinterpret_cast<const uint8_t*>(&bytes[data + 2 * std::size_t(k * n + i)]));
            top = std::max(top, std::abs(sample));
            EXPECT_NEAR(sample * scale + zero, w[1 + i] * s->fluxCoef, quantum(w, 1, 38, 1, s->fluxCoef))
                << k << " " << i;
        }
        EXPECT_GE(top, 29999) << k; // the samples span the 16-bit range
        EXPECT_LE(top, 30000) << k;
    }
    EXPECT_EQ(bytes.size(), 2880 * ((data + columns * n * 2 + 2879) / 2880));
    expectVerified(path);

    // Read back through the FITS route of openScans; the calibration table
    // gives the coefficients.
    test::FakeUi otherUi;
    Workbench other(otherUi, store, prog);
    EXPECT_EQ(openScans(other, path), 1);
    EXPECT_TRUE(otherUi.messages.empty());
    ASSERT_EQ(other.scans.count(), 2);
    for (int k = 0; k < 2; ++k) {
        const ScanRecord& r = *other.scans.at(k);
        const ScanRecord& s = k == 0 ? *a : *b;
        ASSERT_EQ(r.nPoints, n);
        ASSERT_TRUE(r.hasI() && r.hasV());
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(r.dataI()[i], s.wrkI()[1 + i], quantum(s.wrkI(), 1, 38, 1)) << i;
            EXPECT_NEAR(r.dataV()[i], s.wrkV()[1 + i], quantum(s.wrkV(), 1, 38, 1)) << i;
        }
        EXPECT_EQ(test::arrayOf(r.wrkI(), n), test::arrayOf(r.dataI(), n));
        EXPECT_EQ(test::arrayOf(r.wrkV(), n), test::arrayOf(r.dataV(), n));
        EXPECT_EQ((std::vector<float>{r.frequency, r.step, r.centerPoint, r.radius, r.azimuth, r.altitude, r.angleP,
                                      r.fluxCoef, r.beamHalfsize}),
                  (std::vector<float>{s.frequency, 1.5f, 19.5f, 960, 12.5f, 45.25f, -3.5f, k ? 0.5f : 0.25f,
                                      k ? 8.5f : 9.25f}));
        EXPECT_EQ((std::vector<std::string>{r.dateObs, r.timeObs, r.object, r.origin, r.telescop, r.dataFile}),
                  (std::vector<std::string>{"2004/05/01", "05:13:47", "Sun", "SAO", "RATAN-600", ""}));
        EXPECT_EQ((std::vector<int>{r.calibData, r.calibWrk, r.flagIvData, r.tqSun}),
                  (std::vector<int>{1, 1, 0, k ? 16000 : 17000}));
    }
}

// Decimation (s = 3 over the view 0..9 gives points 0, 3 and 6), R,L labels,
// a constant column (all samples 0), flux-unit worksheets written unscaled, and a
// frequency the calibration table does not cover (defaults 1).
TEST_F(GroupFitsTest, DecimatesAndLabelsColumns)
{
    ScanRecord* s = addScan(0.75f, 0.2f, 12);
    s->flagIvWrk = 1;
    s->fluxWrk = 1;
    for (int k = 0; k < 12; ++k)
        s->wrkV()[k] = 7.5f;
    const std::string path = tmp.file("rl.fit");
    ASSERT_TRUE(saveBatch(path, 3, 0, 9));
    const std::string bytes = readTextFile(path);
    EXPECT_EQ(cardNumber(bytes, "NAXIS1"), 2 * 3 * 2);
    EXPECT_EQ(cardNumber(bytes, "TFIELDS"), 2);
    EXPECT_NEAR(cardNumber(bytes, "CENTRE_X"), 20.5 / 3, 1e-8);
    EXPECT_DOUBLE_EQ(cardNumber(bytes, "XSCALE"), 4.5);
    EXPECT_NEAR(cardNumber(bytes, "SOLAR_R"), 960 / 4.5, 1e-8);
    EXPECT_EQ(cardOf(bytes, "TTYPE1"), fitsCard("TTYPE1  = 'FREQUENCY    0.7500 GHZ R' /"));
    EXPECT_EQ(cardOf(bytes, "TTYPE2"), fitsCard("TTYPE2  = 'FREQUENCY    0.7500 GHZ L' /"));
    EXPECT_EQ(cardOf(bytes, "TSCAL2"), fitsCard("TSCAL2  =        +1.000000E+00 /"));
    EXPECT_EQ(cardOf(bytes, "TZERO2"), fitsCard("TZERO2  =        +7.500000E+00 /"));
    expectVerified(path);

    const ScanChain back = readGroupFits(wb, path, 0);
    ASSERT_EQ(back.size(), 1u);
    const ScanRecord& r = *back[0];
    ASSERT_EQ(r.nPoints, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(r.dataI()[i], s->wrkI()[3 * i], quantum(s->wrkI(), 0, 9, 3)) << i;
    EXPECT_EQ(test::arrayOf(r.dataV(), 3), (std::vector<float>{7.5f, 7.5f, 7.5f}));
    EXPECT_EQ((std::vector<float>{float(r.flagIvData), float(r.flagIvWrk), r.fluxCoef, float(r.tqSun), r.beamHalfsize}),
              (std::vector<float>{1, 1, 1, 1, 1}));

    // Only the switched-on worksheet is written.
    wb.allMode = true;
    wb.chkWrkI = false;
    wb.batchArgs = {1, 0, 0, 0};
    ASSERT_TRUE(saveGroupFits(wb, path));
    const std::string only = readTextFile(path);
    EXPECT_EQ(cardNumber(only, "TFIELDS"), 1);
    EXPECT_EQ(cardOf(only, "TTYPE1"), fitsCard("TTYPE1  = 'FREQUENCY    0.7500 GHZ L' /"));
}

// Refusals write nothing and leave an existing file as it was.
TEST_F(GroupFitsTest, RefusedSavesWriteNothing)
{
    addScan(2.94f, 0.25f);
    ScanRecord* other = addScan(3.1f, 0.5f);
    const std::string path = tmp.file("old.fits");
    test::writeFile(path, "old contents");
    wb.viewBegin = 1;
    wb.viewEnd = 38;

    wb.allMode = false;
    wb.chkWrkI = true;
    EXPECT_FALSE(saveGroupFits(wb, path));
    wb.allMode = true;
    wb.chkWrkI = false;
    EXPECT_FALSE(saveGroupFits(wb, path));
    wb.chkWrkI = true;
    copyField(other->timeObs, "05:13:48");
    EXPECT_FALSE(saveGroupFits(wb, path));
    copyField(other->timeObs, "05:13:47");
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0].text, "Must be option ALL");
    EXPECT_EQ(ui.messages[1].text, "WORKSHEET is not checked");
    EXPECT_EQ(ui.messages[2].text, "Data have different ephemerides");
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.caption, "Information");
        EXPECT_EQ(m.icon, MsgIcon::Information);
    }

    // The skip prompt: Cancel, then a step too large for 40 points.
    EXPECT_FALSE(saveGroupFits(wb, path));
    ui.textAnswers = {"36"};
    EXPECT_FALSE(saveGroupFits(wb, path));
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Input number of skip:", "Input number of skip:"}));

    // A template line whose conversion does not fit its value, one that
    // asks for more values than it gets, and a missing template.
    const std::string tpl = prog + "/qrd_soho.dat";
    const std::string good = readTextFile(tpl);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"NAXIS1  = %20d", "NAXIS1  = %20s"},
             {"ORIGIN  = '%s'", "ORIGIN  = '%s%d'"},
             {"AZIMUTH = %20.9f", "AZIMUTH = %n"}}) {
        std::string bad = good;
        bad.replace(bad.find(from), from.size(), to);
        test::writeFile(tpl, bad);
        ui.textAnswers = {"1"};
        EXPECT_FALSE(saveGroupFits(wb, path)) << to;
    }
    fs::remove(tpl);
    ui.textAnswers = {"1"};
    EXPECT_FALSE(saveGroupFits(wb, path));
    EXPECT_EQ(readTextFile(path), "old contents");
    EXPECT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(test::filesIn(tmp.path()), (std::set<std::string>{"old.fits", "prog"}));
}

// The Worksheet save hands a FITS name to this writer on "Yes".
TEST_F(GroupFitsTest, WorksheetSaveWritesGroupFitsOnYes)
{
    addScan(2.94f, 0.25f);
    wb.allMode = true;
    wb.chkWrkV = true;
    wb.viewBegin = 0;
    wb.viewEnd = 39;
    const std::string path = tmp.file("ws.FITS");
    ui.boxAnswers = {kOk, kYes}; // "Do you save old GROUP fits?"
    ui.fileAnswers.push_back(path);
    ui.textAnswers = {"2"};
    EXPECT_TRUE(saveScans(wb, SaveWhich::Worksheet));
    EXPECT_EQ(ui.progressTitles, std::vector<std::string>{"Save GROUP FITS"});
    EXPECT_EQ(ui.progressSteps, 4);
    const std::string bytes = readTextFile(path);
    EXPECT_EQ(cardNumber(bytes, "TFIELDS"), 1);
    EXPECT_EQ(cardNumber(bytes, "NAXIS1"), 20 * 2);
    EXPECT_EQ(cardOf(bytes, "TTYPE1"), fitsCard("TTYPE1  = 'FREQUENCY    2.9400 GHZ R-L' /"));
}

// Damaged files are refused without reading past their end; a refused
// file leaves the set as it was and reports "Data file is BAD".
TEST_F(GroupFitsTest, RefusesDamagedFiles)
{
    const std::string good = readTextFile(twoScanFile());
    ASSERT_EQ(read(good), 2u);

    const std::size_t header = dataStart(good);
    ASSERT_EQ(header, 3 * 2880u);
    for (std::size_t cut : {std::size_t(500), std::size_t(2880), std::size_t(2880 + 30 * 80), header,
                            header + 151, header + 4 * 38 * 2 - 1})
        EXPECT_EQ(read(good.substr(0, cut)), 0u) << cut;
    EXPECT_EQ(read(good.substr(0, header + 4 * 38 * 2)), 2u); // padding is not needed

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"NAXIS1", "NAXIS1  =                  303"},       // one byte short for the columns
        {"NAXIS1", "NAXIS1  =                   -8"},
        {"TFIELDS", "TFIELDS =                   -2"},
        {"TFIELDS", "TFIELDS =                    6"},      // more columns than the header has
        {"TFORM1", "TFORM1  = '38E'"},                      // not 16-bit integers
        {"TFORM1", "TFORM1  = '0I'"},
        {"TFORM1", "TFORM1  = '-4I'"},
        {"TFORM1", "TFORM1  = 'I'"},
        {"TFORM2", "TFORM2  = '37I'"},                      // 2.94 GHz has 38 points in column 1
        {"TTYPE2", "TTYPE2  = 'FREQUENCY    2.9400 GHZ Q' /"},
        {"TTYPE1", "TTYPE1  = 'FREQUENCY' /"},
        {"BUNIT", "COMMENT   no unit"},                     // the table header never ends for the reader
    };
    for (const auto& [key, text] : bad)
        EXPECT_EQ(read(test::withCard(good, text, 2880, key)), 0u) << text;
    EXPECT_TRUE(ui.messages.empty());

    wb.interactiveMode = true;
    EXPECT_EQ(read(test::withCard(good, "TFORM3  = '16001I'", 2880)), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Set of data is very large");
    ui.messages.clear();

    // Through the load: the set keeps its scans and the load reports.
    const std::string damaged = tmp.file("damaged.fits");
    test::writeFile(damaged, test::withCard(good, "NAXIS1  =                   10", 2880));
    EXPECT_EQ(openScans(wb, damaged), 1);
    EXPECT_EQ(wb.scans.count(), 2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Data file is BAD");

    // A plain data file on the FITS route goes to the data-file reader.
    DataFileRequest q;
    q.worksheet = true;
    q.end = 40;
    const std::string plain = encodeDataFile(*a, q), plainPath = tmp.file("one.fit");
    test::writeFile(plainPath, plain);
    const ScanChain fromFile = readGroupFits(wb, plainPath, 0);
    ASSERT_EQ(fromFile.size(), 1u);
    EXPECT_EQ(fromFile[0]->frequency, 2.94f);
    EXPECT_EQ(fromFile[0]->nPoints, 40);
    EXPECT_STREQ(fromFile[0]->dataFile, plainPath.c_str());
    EXPECT_EQ(read(plain), 1u);
}

// A file may not bring the set to 256 scans: TFIELDS / 2 is counted first,
// then every scan the columns make.
TEST_F(GroupFitsTest, CountsScansAgainstTheLimit)
{
    for (int k = 0; k < 10; ++k)
        addScan(3.0f + 0.5f * float(k), 0.5f);
    const std::string both = tmp.file("both.fits");
    ASSERT_TRUE(saveBatch(both, 1, 0, 39));
    const std::string twenty = readTextFile(both);
    EXPECT_EQ(read(twenty, 245), 10u);
    EXPECT_EQ(read(twenty, 246), 0u); // 246 + 20 / 2 reaches 256
    EXPECT_EQ(read(twenty, 247), 0u);
    expectVerified(both);

    // One channel: ten columns make ten scans, although TFIELDS / 2 is 5.
    wb.chkWrkV = false;
    const std::string single = tmp.file("single.fits");
    ASSERT_TRUE(saveGroupFits(wb, single));
    const std::string ten = readTextFile(single);
    EXPECT_EQ(cardNumber(ten, "TFIELDS"), 10);
    EXPECT_EQ(read(ten, 245), 10u);
    EXPECT_EQ(read(ten, 246), 0u);
    EXPECT_EQ(read(ten, 251), 0u);
}

// astropy reads the header values and the scaled columns that were saved.
TEST_F(GroupFitsTest, AstropyReadsTheSavedFile)
{
    const auto python = test::astropyPython();
    if (!python)
        GTEST_SKIP() << "python3 with astropy is not installed";
    const std::string path = twoScanFile();
    std::string err;
    const auto out = test::runPython(*python, tmp.path().string(), R"(import sys
from astropy.io import fits
with fits.open(sys.argv[1]) as h:
    print("HDUS", len(h), h[0].header["NAXIS"])
    t = h[1].header
    for k in ("NAXIS1", "NAXIS2", "TFIELDS", "ORIGIN", "TELESCOP", "DATE_OBS", "OBJECT", "AZIMUTH",
              "ALTITUDE", "CENTRE_X", "XSCALE", "ANGLE", "SOLAR_R", "BUNIT"):
        print(k, t[k])
    for i, c in enumerate(h[1].data.columns):
        print("COL%d" % i, c.name, "|", *[repr(float(x)) for x in h[1].data.field(i)[0]])
)", test::shellQuote(path), err);
    ASSERT_TRUE(out) << err;
    auto got = test::keyedLines(*out);
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"HDUS", "2 0"}, {"NAXIS1", "304"}, {"NAXIS2", "1"}, {"TFIELDS", "4"}, {"ORIGIN", "SAO"},
             {"TELESCOP", "RATAN-600"}, {"DATE_OBS", "2004-05-01T05:13:47"}, {"OBJECT", "Sun"}, {"AZIMUTH", "12.5"},
             {"ALTITUDE", "45.25"}, {"CENTRE_X", "19.5"}, {"XSCALE", "1.5"}, {"ANGLE", "-3.5"}, {"SOLAR_R", "640.0"},
             {"BUNIT", "Jy/arcsec"}})
        EXPECT_EQ(got[key], value) << key;

    const ScanRecord* scans[] = {a, a, b, b};
    for (int k = 0; k < 4; ++k) {
        const std::string& col = got["COL" + std::to_string(k)];
        const std::size_t bar = col.find(" | ");
        ASSERT_NE(bar, std::string::npos) << *out;
        EXPECT_EQ(col.substr(0, bar),
                  format("FREQUENCY    %s GHZ %s", k < 2 ? "2.9400" : "3.1000", k % 2 ? "R-L" : "R+L"));
        const auto v = test::numbersIn(col.substr(bar + 3));
        ASSERT_EQ(v.size(), 38u);
        const ScanRecord* s = scans[k];
        const float* w = k % 2 == 0 ? s->wrkI() : s->wrkV();
        for (int i = 0; i < 38; ++i)
            EXPECT_NEAR(v[std::size_t(i)], w[1 + i] * s->fluxCoef, quantum(w, 1, 38, 1, s->fluxCoef)) << k;
    }
}
