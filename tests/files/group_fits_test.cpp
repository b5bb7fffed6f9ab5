#include "files/group_fits.h"

#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
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

// The column cards byte for byte, the sample range, fitsverify, and the file
// read back.
TEST_F(GroupFitsTest, WritesStandardLayoutThatReadsBack)
{
    const std::string path = twoScanFile();
    const std::string bytes = readTextFile(path);

    const auto table = test::headerCards(bytes, 2880);
    const int n = 38, columns = 4;
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

    // Samples: big-endian 16-bit, column after column, spanning the 16-bit
    // range (astropy checks their values); the scale cards carry the %+16E form.
    const std::size_t data = dataStart(bytes);
    for (int k = 0; k < columns; ++k) {
        const double scale = cardNumber(bytes, format("TSCAL%d", k + 1));
        const double zero = cardNumber(bytes, format("TZERO%d", k + 1));
        EXPECT_EQ(cardOf(bytes, format("TSCAL%d", k + 1)), fitsCard(format("TSCAL%-3d=     %+16E /", k + 1, scale)));
        EXPECT_EQ(cardOf(bytes, format("TZERO%d", k + 1)), fitsCard(format("TZERO%-3d=     %+16E /", k + 1, zero)));
        int top = 0;
        for (int i = 0; i < n; ++i) {
            const int sample = getI16BE(reinterpret_cast<const uint8_t*>(&bytes[data + 2 * std::size_t(k * n + i)]));
            top = std::max(top, std::abs(sample));
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
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(r.dataV()[i], s.wrkV()[1 + i], quantum(s.wrkV(), 1, 38, 1)) << i;
        EXPECT_EQ((std::vector<float>{r.frequency, r.centerPoint, r.fluxCoef}),
                  (std::vector<float>{s.frequency, 19.5f, k ? 0.5f : 0.25f}));
    }
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

    // The skip prompt: Cancel, then a step too large for 40 points.
    EXPECT_FALSE(saveGroupFits(wb, path));
    ui.textAnswers = {"36"};
    EXPECT_FALSE(saveGroupFits(wb, path));
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Input number of skip:", "Input number of skip:"}));

    // A folder in the way of the target, and a missing template, are said
    // in an error box before anything is asked.
    const std::string blocked = tmp.file("blocked.fits");
    fs::create_directory(blocked);
    EXPECT_FALSE(saveGroupFits(wb, blocked));
    EXPECT_TRUE(fs::is_directory(blocked));
    fs::remove(blocked);
    fs::remove(prog + "/qrd_soho.dat");
    EXPECT_FALSE(saveGroupFits(wb, path));
    EXPECT_EQ(ui.prompts.size(), 2u);
    ASSERT_EQ(ui.messages.size(), 5u);
    EXPECT_EQ(ui.messages[3].caption, "Error");

    EXPECT_EQ(wb.takeFailures(),
              (std::vector<std::string>{"Must be option ALL", "WORKSHEET is not checked", "Data have different ephemerides",
                                        "Nothing to save as GROUP FITS", "File " + blocked + " cannot be written",
                                        "The GROUP FITS template qrd_soho.dat cannot be read"}));
    EXPECT_EQ(readTextFile(path), "old contents");
    EXPECT_EQ(test::filesIn(tmp.path()), (std::set<std::string>{"old.fits", "prog"}));
}

// Damaged files are refused without reading past their end; a refused
// file leaves the set as it was and reports "Data file is BAD".
TEST_F(GroupFitsTest, RefusesDamagedFiles)
{
    const std::string good = readTextFile(twoScanFile());
    ASSERT_EQ(read(good), 2u);

    const std::size_t header = dataStart(good);
    ASSERT_EQ(header, 3 * 2880u);
    for (std::size_t cut : {std::size_t(2880 + 30 * 80), header + 4 * 38 * 2 - 1})
        EXPECT_EQ(read(good.substr(0, cut)), 0u) << cut;
    EXPECT_EQ(read(good.substr(0, header + 4 * 38 * 2)), 2u); // padding is not needed

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"NAXIS1", "NAXIS1  =                  303"},       // one byte short for the columns
        {"TFORM1", "TFORM1  = '38E'"},                      // not 16-bit integers
        {"TFORM2", "TFORM2  = '37I'"},                      // 2.94 GHz has 38 points in column 1
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
    for k in ("NAXIS1", "DATE_OBS", "BUNIT"):
        print(k, t[k])
    for i, c in enumerate(h[1].data.columns):
        print("COL%d" % i, c.name, "|", *[repr(float(x)) for x in h[1].data.field(i)[0]])
)", test::shellQuote(path), err);
    ASSERT_TRUE(out) << err;
    auto got = test::keyedLines(*out);
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"HDUS", "2 0"}, {"NAXIS1", "304"}, {"DATE_OBS", "2004-05-01T05:13:47"}, {"BUNIT", "Jy/arcsec"}})
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
