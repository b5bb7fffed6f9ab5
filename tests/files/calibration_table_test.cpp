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
