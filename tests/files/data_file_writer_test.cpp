#include "files/data_file_writer.h"

#include "tests/files/data_file_fixtures.h"

#include <gtest/gtest.h>

using namespace qm;
using test::card;

namespace {

std::string cardAt(const std::string& file, int index) { return file.substr(80 * std::size_t(index), 80); }

ScanRecord smallScan()
{
    ScanRecord r;
    copyField(r.object, "Sun");
    copyField(r.dateObs, "2004/05/01");
    copyField(r.timeObs, "05:13:47.25");
    copyField(r.telescop, "RATAN-600");
    copyField(r.origin, "SAO");
    r.nPoints = 4;
    r.azimuth = 1.5f;
    r.altitude = 45.25f;
    r.angleP = -3.125f;
    r.radius = 960.7f;
    r.centerPoint = 2.5f;
    r.tqSun = 16000;
    r.beamHalfsize = 17.5f;
    r.step = 1.25f;
    r.fluxCoef = 0.125f;
    r.frequency = 3.25f;
    r.calibData = 1;
    r.calibWrk = 0;
    r.flagIvData = 0;
    r.flagIvWrk = 1;
    r.allocChannel(1);
    r.allocChannel(2);
    // Channel 1 spans 1000 +- 15000 (scale 0.5), channel 2 spans +-7500
    // (scale 0.25), so every sample is an exact integer.
    const float i[] = {-14000, 16000, 1000, 8500};
    const float v[] = {0, 7500, -7500, 3750};
    for (int k = 0; k < 4; ++k) {
        r.dataI()[k] = i[k];
        r.dataV()[k] = v[k];
    }
    r.copyDataToWorksheet();
    return r;
}

} // namespace

// The whole file of a two-channel binary scan, card by card and byte by byte.
TEST(DataFileWriter, BinaryFileIsByteExact)
{
    const ScanRecord r = smallScan();
    DataFileRequest q;
    q.end = 4;
    const std::string f = encodeDataFile(r, q);
    ASSERT_EQ(f.size(), 2 * 2880u);

    std::string header;
    for (const char* text : {
             "SIMPLE  =              T  / FILE DOES CONFORM TO FITS STANDARD",
             "BITPIX  =             16  / INTEGER WITH '(I2)' FORMAT",
             "NAXIS   =              2  / NUMBER OF DATA AXES",
             "NAXIS1  =              4  / LENGTH OF DATA AXIS 1",
             "NAXIS2  =              2  / LENGTH OF DATA AXIS 2",
             "PMCSUN  =           2.50  / POST MERIDIUM CENTER",
             "DATE-OBS= '2004/05/01'  /",
             "TIME-OBS= '05:13:47.25'  / UT",
             "OBJECT  = 'Sun'  /",
             "TELESCOP= 'RATAN-600'  /",
             "ORIGIN  = 'SAO'  /",
             "HISTORY = 'Quillmar 2.5'  /",
             "RADIUS  =            960  / OPTICAL SOLAR RADIUS (ARCSECOND)",
             "AZIMUTH =    1.500000000  / Azimuth of observ.",
             "ALTITUDE=   45.250000000  / Altitude of source",
             "ANGLE   =   -3.125000000  / Angle of decl.",
             "CDELT1  =         1.2500  / ARCSEC",
             "POLARSET=              1  / SET1: IF 1 (R or R+L), IF 0 (L or R-L)",
             "CALIBR  =              1  / FLAG OF CALIBRATION [ 0-NO 1-YES ]",
             "FLAG_IV =              0  / IF 1 => R,L; IF 0 => I,V",
             "COMMENT  TQSUN - TEMPERATURE OF A SURFACE OF THE QUIET SUN AGREED WITH THE",
             "COMMENT   FORM OF THE DIAGRAM OF A ANTENNA AND KOEF. OF TRANSITION TO FLUX",
             "OBS-FREQ=          3.250  / GHz",
             "THETA-DG=          17.50  / DIMENSION OF DIAGRAMM (ARCSECOND)",
             "TQSUN   =          16000  / Ta[K]",
             "FLUX_L  =          0.125  / KOEF. Ta[K] -> Intensity[Jy/arc.sec.]",
             "BSCALE1 =   5.000000e-01  /",
             "BZERO1  =   1.000000e+03  /",
             "BSCALE2 =   2.500000e-01  /",
             "BZERO2  =   0.000000e+00  /",
         })
        header += card(text);
    header += "END" + std::string(77, ' ');
    header += std::string(5 * 80, ' '); // blank cards up to 36
    EXPECT_EQ(f.substr(0, 2880), header);

    // Samples: channel 1 then channel 2, big-endian.
    const std::string expected("\x8a\xd0\x75\x30\x00\x00\x3a\x98"  // -30000 30000 0 15000
                               "\x00\x00\x75\x30\x8a\xd0\x3a\x98", // 0 30000 -30000 15000
                               16);
    EXPECT_EQ(f.substr(2880), expected + std::string(2880 - 16, '\0')); // then zero padding
}

// 25 points in two channels as text: 50 fields of 8 bytes, CR LF closing
// fields 10, 20, ..., 50, zero padding to 2880.
TEST(DataFileWriter, TextSamplesFormLinesOfTen)
{
    ScanRecord r = smallScan();
    r.nPoints = 25;
    r.allocChannel(1);
    r.allocChannel(2);
    for (int i = 0; i < 25; ++i) {
        r.dataI()[i] = float((i - 12) * 625);  // +-7500: scale 0.25
        r.dataV()[i] = float((12 - i) * 1250); // +-15000: scale 0.5
    }
    DataFileRequest q;
    q.end = 25;
    q.sampleFormat = 1;
    const std::string f = encodeDataFile(r, q);
    ASSERT_EQ(f.size(), 2 * 2880u);
    EXPECT_EQ(cardAt(f, 1), card("BITPIX  =             64  / INTEGER WITH '(I8)' FORMAT"));
    EXPECT_EQ(cardAt(f, 3), card("NAXIS1  =             25  / LENGTH OF DATA AXIS 1"));

    for (int k = 0; k < 50; ++k) {
        const std::string field = f.substr(2880 + 8 * std::size_t(k), 8);
        const int value = k < 25 ? (k - 12) * 2500 : (12 - (k - 25)) * 2500;
        std::string expected = std::to_string(value);
        expected.resize(8, ' ');
        if ((k + 1) % 10 == 0) {
            expected[6] = '\r';
            expected[7] = '\n';
        }
        EXPECT_EQ(field, expected) << "field " << k + 1;
    }
    EXPECT_EQ(f.find_first_not_of('\0', 2880 + 400), std::string::npos);
}

