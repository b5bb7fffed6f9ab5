#include "files/group_fits.h"

#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/data_file_writer.h"
#include "files/open_scans.h"
#include "files/scan_writer.h"
#include "tests/files/group_fits_checks.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace qm;
namespace fs = std::filesystem;

namespace {

void spit(const std::string& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

std::string padded(const std::string& text)
{
    std::string c = text;
    c.resize(80, ' ');
    return c;
}

// The 80-byte cards of a header starting at `from`, up to and with END.
std::vector<std::string> headerCards(const std::string& bytes, std::size_t from)
{
    std::vector<std::string> cards;
    for (std::size_t p = from; p + 80 <= bytes.size(); p += 80) {
        cards.push_back(bytes.substr(p, 80));
        if (cards.back().rfind("END ", 0) == 0)
            break;
    }
    return cards;
}

// Where the samples begin: the block after the table header's END card.
std::size_t dataStart(const std::string& bytes)
{
    return 2880 * ((2880 + 80 * headerCards(bytes, 2880).size() + 2879) / 2880);
}

const std::string* findCard(const std::vector<std::string>& cards, const std::string& key)
{
    for (const auto& c : cards)
        if (c.rfind(key, 0) == 0 && (c.size() == key.size() || c[key.size()] == ' ' || c[key.size()] == '='))
            return &c;
    return nullptr;
}

double cardNumber(const std::vector<std::string>& cards, const std::string& key)
{
    const std::string* c = findCard(cards, key);
    return c ? std::strtod(c->c_str() + 10, nullptr) : std::nan("");
}

// Replaces the first card of the table header whose keyword is `key`.
std::string withCard(std::string bytes, const std::string& key, const std::string& text)
{
    for (std::size_t p = 2880; p + 80 <= bytes.size(); p += 80) {
        if (bytes.compare(p, key.size(), key) == 0 && (bytes[p + key.size()] == ' ' || bytes[p + key.size()] == '=')) {
            bytes.replace(p, 80, padded(text));
            return bytes;
        }
    }
    ADD_FAILURE() << "no card " << key;
    return bytes;
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

    ScanRecord* addScan(Workbench& w, float freq, float fluxCoef, int n = 40)
    {
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = int16_t(n);
        r->frequency = freq;
        r->fluxCoef = fluxCoef;
        r->step = 1.5f;
        r->centerPoint = 20.5f;
        r->radius = 960;
        r->azimuth = 12.5f;
        r->altitude = 45.25f;
        r->angleP = -3.5f;
        copyField(r->object, "Sun");
        copyField(r->dateObs, "2004/05/01");
        copyField(r->timeObs, "05:13:47");
        copyField(r->telescop, "RATAN-600");
        copyField(r->origin, "SAO");
        r->allocChannel(1);
        r->allocChannel(2);
        for (int k = 0; k < n; ++k) {
            r->dataI()[k] = -1;
            r->dataV()[k] = -2;
            r->wrkI()[k] = 100 * freq + 500 * std::sin(0.7f * float(k));
            r->wrkV()[k] = 40 * std::cos(1.3f * float(k)) - 7;
        }
        ScanRecord* p = w.scans.pushHead(std::move(r));
        w.scans.sort();
        w.activeScan = w.scans.head();
        w.setLoaded = true;
        return p;
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
        a = addScan(wb, 2.94f, 0.25f);
        b = addScan(wb, 3.1f, 0.5f);
        const std::string path = tmp.file("two.fits");
        EXPECT_TRUE(saveBatch(path, 1, 1, 38));
        return path;
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

// Quantum of a written column: half its range over 30000, with a margin.
double quantum(const float* x, int begin, int end, int step, double factor = 1)
{
    double max = -1e30, min = 1e30;
    for (int i = begin; i <= end; i += step) {
        max = std::max<double>(max, x[i]);
        min = std::min<double>(min, x[i]);
    }
    return ((max - min) / 2 / 30000 * 1.05 + 1e-6 * std::fabs(max + min)) * factor;
}

} // namespace

// The header as standard readers need it, the column cards byte for byte,
// the samples against the written scale, and the file read back.
TEST_F(GroupFitsTest, WritesStandardLayoutThatReadsBack)
{
    const std::string path = twoScanFile();
    const std::string bytes = test::readTextFile(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.size() % 2880, 0u);

    const auto primary = headerCards(bytes, 0);
    ASSERT_GE(primary.size(), 4u);
    EXPECT_EQ(primary[0], padded("SIMPLE  =                    T / file does conform to FITS standard"));
    EXPECT_EQ(primary[1].substr(0, 30), "BITPIX  =                    8");
    EXPECT_EQ(primary[2].substr(0, 30), "NAXIS   =                    0");
    EXPECT_EQ(primary.back(), padded("END"));
    EXPECT_LE(primary.size(), 36u);

    const auto table = headerCards(bytes, 2880);
    ASSERT_GT(table.size(), 8u);
    const int n = 38, columns = 4;
    const char* const order[] = {"XTENSION= 'BINTABLE'", "BITPIX  =                    8",
                                 "NAXIS   =                    2", "NAXIS1  =                  304",
                                 "NAXIS2  =                    1", "PCOUNT  =                    0",
                                 "GCOUNT  =                    1", "TFIELDS =                    4"};
    for (std::size_t k = 0; k < std::size(order); ++k)
        EXPECT_EQ(table[k].rfind(order[k], 0), 0u) << table[k];
    EXPECT_EQ(cardNumber(table, "NAXIS1"), columns * n * 2);
    ASSERT_NE(findCard(table, "DATE_OBS"), nullptr);
    EXPECT_NE(findCard(table, "DATE_OBS")->find("'2004-05-01T05:13:47'"), std::string::npos);
    ASSERT_NE(findCard(table, "WRITTEN"), nullptr);
    int day = 0, month = 0, year = 0;
    EXPECT_EQ(std::sscanf(findCard(table, "WRITTEN")->c_str(), "WRITTEN = '%2d/%2d/%4d'", &day, &month, &year), 3);
    EXPECT_NE(findCard(table, "ORIGIN")->find("'SAO'"), std::string::npos);
    EXPECT_NE(findCard(table, "TELESCOP")->find("'RATAN-600'"), std::string::npos);
    EXPECT_NE(findCard(table, "OBJECT")->find("'Sun'"), std::string::npos);
    EXPECT_DOUBLE_EQ(cardNumber(table, "AZIMUTH"), 12.5);
    EXPECT_DOUBLE_EQ(cardNumber(table, "ALTITUDE"), 45.25);
    EXPECT_DOUBLE_EQ(cardNumber(table, "CENTRE_X"), 19.5);
    EXPECT_DOUBLE_EQ(cardNumber(table, "XSCALE"), 1.5);
    EXPECT_DOUBLE_EQ(cardNumber(table, "ANGLE"), -3.5);
    EXPECT_DOUBLE_EQ(cardNumber(table, "SOLAR_R"), 640.0);

    // Column cards follow BUNIT, five per column.
    const std::string* bunit = findCard(table, "BUNIT");
    ASSERT_NE(bunit, nullptr);
    const std::size_t first = std::size_t(bunit - table.data()) + 1;
    ASSERT_EQ(table.size(), first + 5 * columns + 1);
    EXPECT_EQ(table[first], format("%-31s/%48s", "TFORM1  = '38I'", ""));
    EXPECT_EQ(table[first + 1], format("%-31s/%48s", "TDIM1   = '(38)'", ""));
    EXPECT_EQ(table[first + 2], padded("TTYPE1  = 'FREQUENCY    2.9400 GHZ R+L' /"));
    EXPECT_EQ(table[first + 7], padded("TTYPE2  = 'FREQUENCY    2.9400 GHZ R-L' /"));
    EXPECT_EQ(table[first + 12], padded("TTYPE3  = 'FREQUENCY    3.1000 GHZ R+L' /"));
    EXPECT_EQ(table[first + 17], padded("TTYPE4  = 'FREQUENCY    3.1000 GHZ R-L' /"));
    for (int k = 1; k <= columns; ++k) {
        for (const char* key : {"TSCAL", "TZERO"}) {
            const std::string kw = format("%s%d", key, k);
            const double v = cardNumber(table, kw);
            EXPECT_EQ(*findCard(table, kw), padded(format("%-8s=     %+16E /", kw.c_str(), v)));
        }
    }

    // Samples: big-endian 16-bit, column after column; sample * TSCAL +
    // TZERO is the worksheet value in flux units (times fluxCoef).
    const std::size_t data = dataStart(bytes);
    const ScanRecord* scans[] = {a, a, b, b};
    for (int k = 0; k < columns; ++k) {
        const double scale = cardNumber(table, format("TSCAL%d", k + 1));
        const double zero = cardNumber(table, format("TZERO%d", k + 1));
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

    // Read back through the FITS route of openScans.
    test::FakeUi otherUi;
    Workbench other(otherUi, store, prog);
    EXPECT_EQ(openScans(other, path), 1);
    EXPECT_TRUE(otherUi.messages.empty());
    ASSERT_EQ(other.scans.count(), 2);
    const struct {
        const ScanRecord* saved;
        float coef;
        int tq;
        float beam;
    } expect[] = {{a, 0.25f, 17000, 9.25f}, {b, 0.5f, 16000, 8.5f}};
    for (int k = 0; k < 2; ++k) {
        const ScanRecord& r = *other.scans.at(k);
        const ScanRecord& s = *expect[k].saved;
        EXPECT_EQ(r.frequency, s.frequency);
        ASSERT_EQ(r.nPoints, n);
        ASSERT_TRUE(r.hasI() && r.hasV());
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(r.dataI()[i], s.wrkI()[1 + i], quantum(s.wrkI(), 1, 38, 1)) << i;
            EXPECT_NEAR(r.dataV()[i], s.wrkV()[1 + i], quantum(s.wrkV(), 1, 38, 1)) << i;
            EXPECT_EQ(r.wrkI()[i], r.dataI()[i]);
            EXPECT_EQ(r.wrkV()[i], r.dataV()[i]);
        }
        EXPECT_FLOAT_EQ(r.step, 1.5f);
        EXPECT_FLOAT_EQ(r.centerPoint, 19.5f);
        EXPECT_FLOAT_EQ(r.radius, 960.0f);
        EXPECT_FLOAT_EQ(r.azimuth, 12.5f);
        EXPECT_FLOAT_EQ(r.altitude, 45.25f);
        EXPECT_FLOAT_EQ(r.angleP, -3.5f);
        EXPECT_STREQ(r.dateObs, "2004/05/01");
        EXPECT_STREQ(r.timeObs, "05:13:47");
        EXPECT_STREQ(r.object, "Sun");
        EXPECT_STREQ(r.origin, "SAO");
        EXPECT_STREQ(r.telescop, "RATAN-600");
        EXPECT_EQ(r.calibData, 1);
        EXPECT_EQ(r.calibWrk, 1);
        EXPECT_EQ(r.flagIvData, 0);
        EXPECT_FLOAT_EQ(r.fluxCoef, expect[k].coef);
        EXPECT_EQ(r.tqSun, expect[k].tq);
        EXPECT_FLOAT_EQ(r.beamHalfsize, expect[k].beam);
        EXPECT_STREQ(r.dataFile, "");
    }
}

// Decimation (s = 3 over the view 0..9 gives points 0, 3 and 6), R,L labels,
// a constant column (all samples 0), flux-unit worksheets written unscaled, and a
// frequency the calibration table does not cover (defaults 1).
TEST_F(GroupFitsTest, DecimatesAndLabelsColumns)
{
    ScanRecord* s = addScan(wb, 0.75f, 0.2f, 12);
    s->flagIvWrk = 1;
    s->fluxWrk = 1;
    for (int k = 0; k < 12; ++k)
        s->wrkV()[k] = 7.5f;
    const std::string path = tmp.file("rl.fit");
    ASSERT_TRUE(saveBatch(path, 3, 0, 9));
    const std::string bytes = test::readTextFile(path);
    const auto table = headerCards(bytes, 2880);
    EXPECT_EQ(cardNumber(table, "NAXIS1"), 2 * 3 * 2);
    EXPECT_EQ(cardNumber(table, "TFIELDS"), 2);
    EXPECT_NEAR(cardNumber(table, "CENTRE_X"), 20.5 / 3, 1e-8);
    EXPECT_DOUBLE_EQ(cardNumber(table, "XSCALE"), 4.5);
    EXPECT_NEAR(cardNumber(table, "SOLAR_R"), 960 / 4.5, 1e-8);
    EXPECT_EQ(*findCard(table, "TTYPE1"), padded("TTYPE1  = 'FREQUENCY    0.7500 GHZ R' /"));
    EXPECT_EQ(*findCard(table, "TTYPE2"), padded("TTYPE2  = 'FREQUENCY    0.7500 GHZ L' /"));
    EXPECT_EQ(*findCard(table, "TSCAL2"), padded("TSCAL2  =        +1.000000E+00 /"));
    EXPECT_EQ(*findCard(table, "TZERO2"), padded("TZERO2  =        +7.500000E+00 /"));
    expectVerified(path);

    const ScanChain back = readGroupFits(wb, path, 0);
    ASSERT_EQ(back.size(), 1u);
    const ScanRecord& r = *back[0];
    ASSERT_EQ(r.nPoints, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(r.dataI()[i], s->wrkI()[3 * i], quantum(s->wrkI(), 0, 9, 3)) << i;
        EXPECT_EQ(r.dataV()[i], 7.5f);
    }
    EXPECT_EQ(r.flagIvData, 1);
    EXPECT_EQ(r.flagIvWrk, 1);
    EXPECT_EQ(r.fluxCoef, 1.0f);
    EXPECT_EQ(r.tqSun, 1);
    EXPECT_EQ(r.beamHalfsize, 1.0f);

    // Only the switched-on worksheet is written.
    wb.allMode = true;
    wb.chkWrkI = false;
    wb.batchArgs = {1, 0, 0, 0};
    ASSERT_TRUE(saveGroupFits(wb, path));
    const auto only = headerCards(test::readTextFile(path), 2880);
    EXPECT_EQ(cardNumber(only, "TFIELDS"), 1);
    EXPECT_EQ(*findCard(only, "TTYPE1"), padded("TTYPE1  = 'FREQUENCY    0.7500 GHZ L' /"));
}

// Refusals write nothing and leave an existing file as it was.
TEST_F(GroupFitsTest, RefusedSavesWriteNothing)
{
    addScan(wb, 2.94f, 0.25f);
    ScanRecord* other = addScan(wb, 3.1f, 0.5f);
    const std::string path = tmp.file("old.fits");
    spit(path, "old contents");
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
    const std::string good = test::readTextFile(tpl);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"NAXIS1  = %20d", "NAXIS1  = %20s"},
             {"ORIGIN  = '%s'", "ORIGIN  = '%s%d'"},
             {"AZIMUTH = %20.9f", "AZIMUTH = %n"}}) {
        std::string bad = good;
        bad.replace(bad.find(from), from.size(), to);
        spit(tpl, bad);
        ui.textAnswers = {"1"};
        EXPECT_FALSE(saveGroupFits(wb, path)) << to;
    }
    fs::remove(tpl);
    ui.textAnswers = {"1"};
    EXPECT_FALSE(saveGroupFits(wb, path));
    EXPECT_EQ(test::readTextFile(path), "old contents");
    EXPECT_EQ(ui.messages.size(), 3u);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(tmp.path()))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"old.fits", "prog"}));
}

// The Worksheet save hands a FITS name to this writer on "Yes".
TEST_F(GroupFitsTest, WorksheetSaveWritesGroupFitsOnYes)
{
    addScan(wb, 2.94f, 0.25f);
    wb.allMode = true;
    wb.chkWrkV = true;
    wb.viewBegin = 0;
    wb.viewEnd = 39;
    const std::string path = tmp.file("ws.FITS");
    ui.boxAnswers = {kOk, kYes};
    ui.fileAnswers.push_back(path);
    ui.textAnswers = {"2"};
    EXPECT_TRUE(saveScans(wb, SaveWhich::Worksheet));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "Do you save old GROUP fits?");
    EXPECT_EQ(ui.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.progressTitles, std::vector<std::string>{"Save GROUP FITS"});
    EXPECT_EQ(ui.progressSteps, 4);
    const auto table = headerCards(test::readTextFile(path), 2880);
    EXPECT_EQ(cardNumber(table, "TFIELDS"), 1);
    EXPECT_EQ(cardNumber(table, "NAXIS1"), 20 * 2);
    EXPECT_EQ(*findCard(table, "TTYPE1"), padded("TTYPE1  = 'FREQUENCY    2.9400 GHZ R-L' /"));
}

// Damaged files are refused without reading past their end; a refused
// file leaves the set as it was and reports "Data file is BAD".
TEST_F(GroupFitsTest, RefusesDamagedFiles)
{
    const std::string good = test::readTextFile(twoScanFile());
    const auto read = [this](const std::string& bytes, int count = 0) {
        return readGroupFitsBytes(wb, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), count).size();
    };
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
        EXPECT_EQ(read(withCard(good, key, text)), 0u) << text;
    EXPECT_TRUE(ui.messages.empty());

    wb.interactiveMode = true;
    EXPECT_EQ(read(withCard(good, "TFORM3", "TFORM3  = '16001I'")), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Set of data is very large");
    ui.messages.clear();

    // Through the load: the set keeps its scans and the load reports.
    const std::string damaged = tmp.file("damaged.fits");
    spit(damaged, withCard(good, "NAXIS1", "NAXIS1  =                   10"));
    const int before = wb.scans.count();
    EXPECT_EQ(openScans(wb, damaged), 1);
    EXPECT_EQ(wb.scans.count(), before);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Data file is BAD");
}

// A file may not bring the set to 256 scans: TFIELDS / 2 is counted first,
// then every scan the columns make.
TEST_F(GroupFitsTest, CountsScansAgainstTheLimit)
{
    for (int k = 0; k < 10; ++k)
        addScan(wb, 3.0f + 0.5f * float(k), 0.5f);
    const auto read = [&](const std::string& b, int count) {
        return readGroupFitsBytes(wb, reinterpret_cast<const uint8_t*>(b.data()), b.size(), count).size();
    };
    const std::string both = tmp.file("both.fits");
    ASSERT_TRUE(saveBatch(both, 1, 0, 39));
    const std::string twenty = test::readTextFile(both);
    EXPECT_EQ(read(twenty, 245), 10u);
    EXPECT_EQ(read(twenty, 246), 0u); // 246 + 20 / 2 reaches 256
    EXPECT_EQ(read(twenty, 247), 0u);
    expectVerified(both);

    // One channel: ten columns make ten scans, although TFIELDS / 2 is 5.
    wb.chkWrkV = false;
    const std::string single = tmp.file("single.fits");
    ASSERT_TRUE(saveGroupFits(wb, single));
    const std::string ten = test::readTextFile(single);
    EXPECT_EQ(cardNumber(headerCards(ten, 2880), "TFIELDS"), 10);
    EXPECT_EQ(read(ten, 245), 10u);
    EXPECT_EQ(read(ten, 246), 0u);
    EXPECT_EQ(read(ten, 251), 0u);
}

// A plain data file on the FITS route goes to the data-file reader.
TEST_F(GroupFitsTest, PlainDataFileIsOneScan)
{
    ScanRecord* s = addScan(wb, 5.0f, 1.0f, 30);
    DataFileRequest q;
    q.worksheet = true;
    q.end = 30;
    const std::string bytes = encodeDataFile(*s, q);
    const std::string path = tmp.file("one.fit");
    spit(path, bytes);
    const ScanChain fromFile = readGroupFits(wb, path, 0);
    ASSERT_EQ(fromFile.size(), 1u);
    EXPECT_EQ(fromFile[0]->frequency, 5.0f);
    EXPECT_EQ(fromFile[0]->nPoints, 30);
    EXPECT_STREQ(fromFile[0]->dataFile, path.c_str());
    const ScanChain fromBytes =
        readGroupFitsBytes(wb, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0);
    ASSERT_EQ(fromBytes.size(), 1u);
    EXPECT_EQ(fromBytes[0]->nPoints, 30);
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
        print("KEY", k, t[k])
    d = h[1].data
    for i, c in enumerate(d.columns):
        v = d.field(i)[0]
        print("COL", c.name.replace(" ", "_"), len(v), " ".join(repr(float(x)) for x in v))
)", test::shellQuote(path), err);
    ASSERT_TRUE(out) << err;
    std::map<std::string, std::string> keys;
    std::vector<std::pair<std::string, std::vector<double>>> cols;
    std::string hdus;
    std::istringstream lines(*out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag, name;
        in >> tag >> name;
        if (tag == "HDUS") {
            hdus = name + line.substr(line.rfind(' '));
        } else if (tag == "KEY") {
            std::string value;
            std::getline(in >> std::ws, value);
            keys[name] = value;
        } else if (tag == "COL") {
            std::size_t count = 0;
            in >> count;
            std::vector<double> v;
            for (double x; in >> x;)
                v.push_back(x);
            EXPECT_EQ(v.size(), count);
            cols.emplace_back(name, v);
        }
    }
    ASSERT_EQ(hdus, "2 0") << *out;
    EXPECT_EQ(keys["NAXIS1"], "304");
    EXPECT_EQ(keys["NAXIS2"], "1");
    EXPECT_EQ(keys["TFIELDS"], "4");
    EXPECT_EQ(keys["ORIGIN"], "SAO");
    EXPECT_EQ(keys["TELESCOP"], "RATAN-600");
    EXPECT_EQ(keys["DATE_OBS"], "2004-05-01T05:13:47");
    EXPECT_EQ(keys["OBJECT"], "Sun");
    EXPECT_EQ(std::stod(keys["AZIMUTH"]), 12.5);
    EXPECT_EQ(std::stod(keys["ALTITUDE"]), 45.25);
    EXPECT_EQ(std::stod(keys["CENTRE_X"]), 19.5);
    EXPECT_EQ(std::stod(keys["XSCALE"]), 1.5);
    EXPECT_EQ(std::stod(keys["ANGLE"]), -3.5);
    EXPECT_EQ(std::stod(keys["SOLAR_R"]), 640.0);
    EXPECT_EQ(keys["BUNIT"], "Jy/arcsec");

    ASSERT_EQ(cols.size(), 4u) << *out;
    const char* names[] = {"FREQUENCY____2.9400_GHZ_R+L", "FREQUENCY____2.9400_GHZ_R-L",
                           "FREQUENCY____3.1000_GHZ_R+L", "FREQUENCY____3.1000_GHZ_R-L"};
    const ScanRecord* scans[] = {a, a, b, b};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(cols[std::size_t(k)].first, names[k]);
        const auto& v = cols[std::size_t(k)].second;
        ASSERT_EQ(v.size(), 38u);
        const ScanRecord* s = scans[k];
        const float* w = k % 2 == 0 ? s->wrkI() : s->wrkV();
        for (int i = 0; i < 38; ++i)
            EXPECT_NEAR(v[std::size_t(i)], w[1 + i] * s->fluxCoef, quantum(w, 1, 38, 1, s->fluxCoef)) << k;
    }
}
