#include "files/calibration_table.h"

#include "app/program_folder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;

// Linear interpolation between the rows around the frequency; the ends of
// the table; lines that are not rows; a missing table.
TEST(CalibrationTable, InterpolatesBetweenRows)
{
    test::TempDir dir;
    const std::string folder = dir.path().string();
    EXPECT_FALSE(lookupCalibration(folder, 4.0));

    test::writeFile(dir.file("sh-fits.cfg"), "# frequency, coefficient, Tq, beam, Tz\r\n"
                                             "5.0 0.4 10000.9 6 280\r\n"
                                             "\r\n"
                                             "3.0 0.2 20001.9 10 300\r\n"
                                             "1.0 0.1 90000 30 310\r\n");
    // Tq truncates toward zero; a frequency equal to a row gives that row;
    // above the first row the first row, not an extrapolation from zero.
    struct Row {
        double f, coef;
        int tq;
        double beam, zero;
    };
    for (const Row& w : {Row{4.0, 0.3, 15001, 8, 290}, Row{2.5, 0.175, 37501, 15, 302.5}, Row{3.0, 0.2, 20001, 10, 300},
                         Row{1.0, 0.1, 90000, 30, 310}, Row{6.0, 0.4, 10000, 6, 280}}) {
        SCOPED_TRACE(w.f);
        const auto row = lookupCalibration(folder, w.f);
        ASSERT_TRUE(row);
        EXPECT_NEAR(row->fluxCoef, w.coef, 1e-7);
        EXPECT_EQ(row->tqSun, w.tq);
        EXPECT_NEAR(row->beamHalfsize, w.beam, 1e-6);
        EXPECT_NEAR(row->loadZeroTemp, w.zero, 1e-6);
    }
    // Below the last row there is no value.
    EXPECT_FALSE(lookupCalibration(folder, 0.5));
    EXPECT_FALSE(lookupCalibration(folder, std::nan("")));
}

// Q and q' = q (960 / R)^2 interpolated in wavelength.
TEST(CalibrationTable, QuietSunTable)
{
    test::TempDir dir;
    const std::string folder = dir.path().string();
    double q = -1;
    EXPECT_EQ(tab_sun(folder, 2.0, 960, q), 0);
    EXPECT_EQ(q, 0);

    test::writeFile(dir.file("tab_sun.dat"), "1.0 500 0.5\n2.0 300 0.75\n4.0 100 1.0\n");
    EXPECT_DOUBLE_EQ(tab_sun(folder, 3.0, 960, q), 200);
    EXPECT_DOUBLE_EQ(q, 0.875);
    EXPECT_DOUBLE_EQ(tab_sun(folder, 1.5, 480, q), 400);
    EXPECT_DOUBLE_EQ(q, 0.625 * 4);
    EXPECT_DOUBLE_EQ(tab_sun(folder, 2.0, 1920, q), 300);
    EXPECT_DOUBLE_EQ(q, 0.75 / 4);
    EXPECT_DOUBLE_EQ(tab_sun(folder, 0.5, 960, q), 500); // before the first row: the first row
    EXPECT_DOUBLE_EQ(q, 0.5);
    EXPECT_EQ(tab_sun(folder, 4.5, 960, q), 0);          // the table ends first
    EXPECT_EQ(tab_sun(folder, 3.0, 0, q), 0);            // no radius, no value
    EXPECT_EQ(q, 0);
}

// The tables beside the program follow the quiet-Sun spectrum
// Tb(f) = 140077 f^-2.1 + 10880 K (f in GHz) over 1-20 GHz: the quiet-Sun
// temperature of sh-fits.cfg, and Q of tab_sun.dat as the Rayleigh-Jeans flux
// of a disk of radius 960" at that temperature; beam half sizes go as 1/f.
TEST(CalibrationTable, ShippedTablesFollowTheQuietSunSpectrum)
{
    const std::string folder = programFolder();
    const double k = 1.380649e-23, c = 299792458.0;
    const double disk = M_PI * std::pow(960.0 / 3600 * M_PI / 180, 2);
    double previousCoef = 1e9, previousQ = 1e9, previousFraction = 0;
    for (double f = 20; f >= 1; f -= 0.5) {
        const double tb = 140077 * std::pow(f, -2.1) + 10880;
        const auto row = lookupCalibration(folder, f);
        ASSERT_TRUE(row) << f;
        EXPECT_NEAR(row->tqSun, tb, 1.0) << f;
        EXPECT_NEAR(row->beamHalfsize * f, 127.5, 0.02) << f;
        EXPECT_GT(row->fluxCoef, 0) << f;
        EXPECT_LT(row->fluxCoef, previousCoef) << f; // wider beams, lower coefficients
        previousCoef = row->fluxCoef;

        double fraction = 0;
        const double q = tab_sun(folder, 30 / f, 960, fraction);
        const double rayleighJeans = 2 * k * tb * std::pow(f * 1e9 / c, 2) * disk / 1e-22;
        EXPECT_NEAR(q / rayleighJeans, 1.0, 2e-4) << f;
        EXPECT_LT(q, previousQ) << f;
        EXPECT_GT(fraction, previousFraction) << f;
        EXPECT_LE(fraction, 1.0) << f;
        previousQ = q;
        previousFraction = fraction;
    }
    EXPECT_FALSE(lookupCalibration(folder, 0.9));
}
