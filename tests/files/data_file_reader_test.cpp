#include "files/data_file_reader.h"

#include "app/scan_record.h"
#include "app/workbench.h"
#include "files/card_reader.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

using namespace qm;
using namespace qm::test;

namespace {

struct ReaderTest : ::testing::Test {
    FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
    TempDir dir;

    // Reads `bytes` as a data file into a fresh record.
    bool read(const std::string& bytes, ScanRecord& r, const std::string& name = "scan.001")
    {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return readDataFile(wb, path, r);
    }
};

// The text must outlive the source.
ByteSource source(const std::string& s) { return ByteSource(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }
ByteSource source(std::string&&) = delete;

} // namespace

// Lines end after LF or at the limit; numbers are read from column 10;
// quoted values, 8-byte text samples and the date forms.
TEST(CardReader, LinesCardsSamplesAndDates)
{
    const std::string text = std::string(100, 'x') + "\r\nab\ncd";
    ByteSource in = source(text);
    std::string line;
    EXPECT_EQ(readLine(in, line, 77, true), 77u);
    EXPECT_EQ(line, std::string(77, 'x'));
    EXPECT_EQ(readLine(in, line, 77, true), 25u);
    EXPECT_EQ(line, std::string(23, 'x') + "\r\n");
    EXPECT_EQ(readLine(in, line, 77, false), 3u);
    EXPECT_EQ(line, "ab");
    EXPECT_EQ(readLine(in, line, 77, false), 2u); // last line without LF keeps its bytes
    EXPECT_EQ(line, "cd");
    const std::string fields = std::string("   -12.7") + "  99.999" + "-32768.9" + "     1\r\n" + "        " + "12";
    ByteSource samples = source(fields);
    int16_t s = 7;
    for (int want : {-12, 99, -32768, 1, 0}) { // blanks only: 0
        EXPECT_TRUE(readTextSample(samples, s));
        EXPECT_EQ(s, want);
    }
    EXPECT_FALSE(readTextSample(samples, s)); // two bytes left
    EXPECT_EQ(s, 0);

    for (const auto& [date, normal] : std::vector<std::pair<std::string, std::string>>{
             {"12/03/1999", "1999/03/12"}, {"1999-03-12", "1999/03/12"}, {"today", "today"}})
        EXPECT_EQ(normaliseDate(date), normal);
}

TEST_F(ReaderTest, ShapeTBinaryFileFillsEveryField)
{
    const std::string file = shapeTFile(
        {"BITPIX  =             16  / INTEGER WITH '(I2)' FORMAT", "NAXIS   =              2", "NAXIS1  =              5",
         "NAXIS2  =              2", "PMCSUN  =           2.50  / POST MERIDIUM CENTER", "DATE-OBS= '12/03/1999'  /",
         "TIME-OBS= '05:13:47.25'  / UT", "OBJECT  = 'SUN'  /", "TELESCOP= 'RATAN-600'  /", "ORIGIN  = 'SAO'  /",
         "HISTORY = 'Quillmar 2.5'  /", "RADIUS  =            960  / OPTICAL SOLAR RADIUS (ARCSECOND)",
         "AZIMUTH =   12.500000000  / Azimuth of observ.", "ALTITUDE=   45.250000000  / Altitude of source",
         "ANGLE   =   -3.750000000  / Angle of decl.", "CDELT1  =         1.2500  / ARCSEC",
         "POLARSET=              1  / SET1", "CALIBR  =              1", "FLAG_IV =              1",
         "COMMENT  TQSUN - TEMPERATURE", "OBS-FREQ=          3.250  / GHz", "THETA-DG=          17.50",
         "TQSUN   =          16000  / Ta[K]", "FLUX_L  =          0.125", "BSCALE1 =   2.000000e+00  /",
         "BZERO1  =   1.000000e+01  /", "BSCALE2 =   5.000000e-01  /", "BZERO2  =  -1.000000e+00  /"},
        beSamples({5, -3, 32767, -32768, 0}) + beSamples({100, 200, 300, 400, 500}));
    ASSERT_EQ(file.size(), 2880u + 20u);
    ScanRecord r;
    ASSERT_TRUE(read(file, r));
    EXPECT_STREQ(r.dataFile, dir.file("scan.001").c_str());
    EXPECT_EQ((std::vector<std::string>{r.origin, r.dateObs, r.timeObs}),
              (std::vector<std::string>{"SAO", "1999/03/12", "05:13:47.25"}));
    EXPECT_EQ((std::vector<float>{r.centerPoint, r.angleP, r.step, r.frequency, r.beamHalfsize, r.fluxCoef}),
              (std::vector<float>{2.5f, -3.75f, 1.25f, 3.25f, 17.5f, 0.125f}));
    EXPECT_EQ((std::vector<int>{r.nPoints, r.tqSun, r.calibWrk, r.flagIvWrk}), (std::vector<int>{5, 16000, 1, 1}));

    // value = sample * BSCALEk + BZEROk; the Worksheet is a copy of Data.
    const float wantI[] = {20, 4, 65544, -65526, 10};
    const float wantV[] = {49, 99, 149, 199, 249};
    ASSERT_TRUE(r.hasI() && r.hasV());
    EXPECT_EQ(arrayOf(r.dataI(), 5), std::vector<float>(wantI, wantI + 5));
    EXPECT_EQ(arrayOf(r.wrkV(), 5), std::vector<float>(wantV, wantV + 5));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ReaderTest, ChannelPlacementScaleAndOffsetDefaults)
{
    const std::vector<std::string> common = {"BITPIX  =             16", "NAXIS   =              2",
                                             "NAXIS1  =              2", "BSCALE1 =              2",
                                             "BZERO1  =             10", "BSCALE2 =              1"};
    const std::string samples = beSamples({5, 6}) + beSamples({7, 8});

    // POLARSET= 0: the first stored channel goes to channel 2, the second to 1.
    auto cards = common;
    cards.push_back("POLARSET=              0");
    ScanRecord swapped;
    ASSERT_TRUE(read(shapeTFile(cards, samples), swapped));
    EXPECT_EQ(arrayOf(swapped.dataV(), 2), (std::vector<float>{20, 22}));
    EXPECT_EQ(arrayOf(swapped.wrkI(), 2), (std::vector<float>{7, 8}));

}

// Text samples in both shapes; values too long for their fields.
TEST_F(ReaderTest, TextSamplesAndShapeF)
{
    // Ten 8-byte fields per 80-byte line, the tenth ending in CR LF.
    std::string samples = "   -12.7";
    for (int k = 1; k < 12; ++k) {
        std::string field = std::to_string(k * 1000);
        field.resize(8, ' ');
        if (k == 9)
            field.replace(6, 2, "\r\n");
        samples += field;
    }
    ScanRecord r;
    ASSERT_TRUE(read(shapeTFile({"BITPIX  =             64  / INTEGER WITH '(I8)' FORMAT", "NAXIS   =              2",
                                 "NAXIS1  =              6", "POLARSET=              1", "BSCALE1 =              1",
                                 "BSCALE2 =              2", "BZERO2  =              1",
                                 "OBJECT  = '" + std::string(60, 'N') + "'", "DATE-OBS= '1999-03-12T10:00:00.000000'",
                                 "TIME-OBS= '10:11:12.123456789012'"},
                                samples),
                     r));
    EXPECT_EQ(r.sampleFormat, 1);
    EXPECT_EQ(arrayOf(r.dataI(), 6), (std::vector<float>{-12, 1000, 2000, 3000, 4000, 5000}));
    EXPECT_EQ(arrayOf(r.wrkV(), 6), (std::vector<float>{12001, 14001, 16001, 18001, 20001, 22001}));
    EXPECT_EQ(std::strlen(r.object), 39u);
    EXPECT_STREQ(r.dateObs, "1999/03/12");
    EXPECT_STREQ(r.timeObs, "10:11:12.123456");

    // Shape F: each channel its own header; channel 2 stored first.
    ScanRecord f;
    ASSERT_TRUE(read(sampleShapeF(), f));
    EXPECT_EQ(f.frequency, 2.8f);
    EXPECT_EQ(arrayOf(f.wrkV(), 4), (std::vector<float>{4, 5, 0, 7}));       // 0.5 * s + 3
    EXPECT_EQ(arrayOf(f.dataI(), 4), (std::vector<float>{2, -4, 600, 8000})); // 2 * s, BZERO absent
}

// Every sample of a scan longer than one conversion step is converted,
// whether the file was read whole or, past a megabyte, as it goes; shape F
// takes its little-endian samples the same way.
TEST_F(ReaderTest, LongScansConvertEverySample)
{
    constexpr int n = 19;
    std::string be, le;
    std::vector<float> want;
    for (int k = 0; k < n; ++k) {
        const int v = k * 1733 - 16000;
        be += {char((v >> 8) & 0xff), char(v & 0xff)};
        le += {char(v & 0xff), char((v >> 8) & 0xff)};
        want.push_back(float(double(v) * 0.5 - 3));
    }
    const std::string t = shapeTFile({"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  19", "POLARSET=  1",
                                      "BSCALE1 =  0.5", "BZERO1  =  -3"},
                                     be);
    for (const std::string& file : {t, t + std::string(1500000, 'x')}) {
        ScanRecord r;
        ASSERT_TRUE(read(file, r));
        EXPECT_EQ(arrayOf(r.dataI(), n), want);
        EXPECT_EQ(arrayOf(r.wrkI(), n), want);
    }
    ScanRecord f;
    ASSERT_TRUE(read(shapeFFile({"BITPIX  =  16", "N_POLAR =  1", "NAXIS1  =  19"},
                                {{{"POLARIZ =  1", "BSCALE  =  0.5", "BZERO   =  -3"}, le + "\r\n"}}),
                     f));
    EXPECT_EQ(arrayOf(f.dataI(), n), want);
}

// At most 16000 points; more is reported in a box.
TEST_F(ReaderTest, LengthLimits)
{
    auto fileOf = [](int n) {
        return shapeTFile({"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  " + std::to_string(n), "POLARSET=  1",
                           "BSCALE1 =  1"},
                          beSamples({1, 2}));
    };
    ScanRecord big;
    EXPECT_FALSE(read(fileOf(16001), big));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Set of data is very large");

    // 16000 is accepted when every sample is there; a file that lacks
    // samples is refused without a message of its own.
    ScanRecord longest;
    EXPECT_FALSE(read(fileOf(16000), longest));
    std::string samples;
    for (int k = 0; k < 16000; ++k)
        samples += beSamples({k % 7});
    ASSERT_TRUE(read(shapeTFile({"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  16000", "POLARSET=  1",
                                 "BSCALE1 =  1"},
                                samples),
                     longest));
    EXPECT_EQ(longest.nPoints, 16000);
    EXPECT_EQ(longest.wrkI()[15999], float(15999 % 7));
    EXPECT_EQ(ui.messages.size(), 1u);
    ScanRecord empty;
    EXPECT_FALSE(read(fileOf(0), empty));

}

TEST_F(ReaderTest, DamagedFilesAreRefused)
{
    auto refused = [&](const std::string& bytes) {
        ScanRecord r;
        return !read(bytes, r);
    };
    const std::vector<std::string> good = {"BITPIX  =  16", "NAXIS   =  1", "NAXIS1  =  2", "POLARSET=  1"};
    EXPECT_FALSE(refused(shapeTFile(good, beSamples({1, 2}))));
    for (const char* extra : {"BITPIX  =  32", "N_POLAR =  -1"}) {
        auto c = good;
        c.push_back(extra);
        EXPECT_TRUE(refused(shapeTFile(c, beSamples({1, 2})))) << extra;
    }
    EXPECT_TRUE(refused(card("OBJECT  = 'SUN'") + card("SIMPLE  =  T") + "END")); // SIMPLE not first
    EXPECT_TRUE(refused(card("SIMPLE  =  T") + card("NAXIS   =  1") + card("NAXIS1  =  1"))); // no END
    EXPECT_TRUE(refused(""));
    ScanRecord r;
    EXPECT_FALSE(readDataFile(wb, dir.file("missing.001"), r));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ReaderTest, EveryTruncationOfADataFileIsSafe)
{
    // A file is read only once its last sample is present (shape T: two
    // channels of five samples after the 2880-byte header; shape F: the
    // line end after the last channel may be missing). Every shorter file
    // is refused, whatever it holds, and nothing is read past its end.
    const std::string t = sampleShapeT(), f = sampleShapeF();
    const std::size_t tComplete = 2880 + 2 * 2 * 5, fComplete = f.size() - 2;
    const float fullV[] = {49, 99, 149, 199, 249}, fullF[] = {2, -4, 600, 8000};
    for (const std::string* file : {&t, &f}) {
        const bool shapeT = file == &t;
        for (std::size_t len = 0; len <= file->size(); ++len) {
            const std::string part = file->substr(0, len);
            ByteSource in = source(part);
            ScanRecord r;
            LoadErrors errors;
            const bool ok = readDataStream(errors, in, r);
            ASSERT_TRUE(errors.empty()) << len;
            ASSERT_EQ(ok, len >= (shapeT ? tComplete : fComplete)) << len;
            if (ok) { // shape F stores channel 1 second
                ASSERT_EQ(shapeT ? arrayOf(r.wrkV(), 5) : arrayOf(r.dataI(), 4),
                          shapeT ? std::vector<float>(fullV, fullV + 5) : std::vector<float>(fullF, fullF + 4))
                    << len;
            }
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}
