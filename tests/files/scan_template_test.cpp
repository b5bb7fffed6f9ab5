#include "files/scan_template.h"

#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/group_fits.h"
#include "files/resample.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/files/group_fits_checks.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"
#include "wiring/all_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qm;

namespace {


class ScanTemplateTest : public ::testing::Test {
protected:
    ScanTemplateTest()
    {
        // Coefficient 1 everywhere, so the template reads back as written.
        test::prepareProgramFolder(prog, "20 1 10000 5 300\n1 1 10000 5 300\n");
        test::writeFile(prog + "/tab_sun.dat", "1 200 0.5\n20 100 1.0\n");
        registerAllCommands(wb);
        wb.settings.output = tmp.path().string();
    }

    // A group FITS file holding one 3.0 GHz scan of 30 points (centre 14.2,
    // 2" apart, radius 800") whose channels are linear in the point index.
    std::string templateFile(const std::string& name)
    {
        test::FakeUi otherUi;
        Workbench maker(otherUi, store, prog);
        auto m = test::wavyScan(3.0f, 30);
        m->centerPoint = 14.2f;
        m->step = 2;
        m->radius = 800;
        m->fluxWrk = 1;
        for (int i = 0; i < 30; ++i) {
            m->wrkI()[i] = float(profileI(i - 14.2));
            m->wrkV()[i] = float(profileV(i - 14.2));
        }
        maker.scans.pushHead(std::move(m));
        maker.interactiveMode = false;
        maker.allMode = true;
        maker.chkWrkI = maker.chkWrkV = true;
        maker.viewBegin = 0;
        maker.viewEnd = 29;
        maker.batchArgs = {1, 0, 0, 0};
        const std::string path = tmp.file(name);
        EXPECT_TRUE(saveGroupFits(maker, path));
        return path;
    }
    static double profileI(double u) { return 5 + 0.25 * u; }
    static double profileV(double u) { return 3 - 0.1 * u; }

    // The set: 3.0 GHz (40 points, centre 20.5, 1.5" apart, radius 960")
    // and 5.0 GHz, which has no template.
    void loadSet()
    {
        five = test::addScan(wb, test::wavyScan(5.0f, 40));
        three = test::addScan(wb, test::wavyScan(3.0f, 40));
        wb.viewBegin = 1;
        wb.viewEnd = 38;
    }

    void runBatch(const std::string& path, float flag)
    {
        wb.interactiveMode = false;
        wb.batchTitle = path;
        wb.batchArgs = {flag, 0, 0, 0};
        wb.dispatch(192);
    }

    // The template's profile at point j of the 3.0 GHz scan: its spacing is
    // brought to this scan's radius, 2" * 960 / 800 = 2.4".
    static double expected(double (*profile)(double), int j) { return profile((j - 20.5) * 1.5 / 2.4); }

    test::TempDir tmp{"qm-template"};
    std::string prog = tmp.file("prog");
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, prog};
    ScanRecord* three = nullptr;
    ScanRecord* five = nullptr;
};

} // namespace

// Batch: the file from the title, the flag from the first argument; every
// target with a template of its exact frequency gets the template's
// worksheets on its own grid; the flag scales I(R) to the quiet Sun.
TEST_F(ScanTemplateTest, BatchResamplesAndScalesToQuietSun)
{
    const std::string path = templateFile("m.fit");
    loadSet();
    const ScanRecord before3 = *three, before5 = *five;
    wb.allMode = true;
    wb.chkWrkI = wb.chkWrkV = true;
    runBatch(path, 0);
    const double tolerance = 2 * 7.25 / 30000; // the template's 16-bit quantum, twice
    for (int j = 0; j < 40; ++j) {
        EXPECT_NEAR(three->wrkI()[j], expected(profileI, j), tolerance) << j;
        EXPECT_NEAR(three->wrkV()[j], expected(profileV, j), tolerance) << j;
    }
    EXPECT_EQ(test::arrayOf(three->dataI(), 40), test::arrayOf(before3.dataI(), 40));
    EXPECT_EQ(five->chanI, before5.chanI);
    EXPECT_EQ(five->chanV, before5.chanV);

    // With the flag: 0.0001 * step * fluxCoef * sum of the shown part equals
    // q' Q from the quiet-Sun table at 30 / 3.0 = 10 cm; the rest of the
    // worksheet keeps its resampled values.
    runBatch(path, 1);
    const double t = (10.0 - 1) / (20 - 1);
    const double target = (0.5 + 0.5 * t) * (200 - 100 * t);
    long double sum = 0;
    for (int j = 1; j < 38; ++j)
        sum += three->wrkI()[j];
    EXPECT_NEAR(double(0.0001L * 1.5 * 0.5 * sum), target, target * 1e-5);
    EXPECT_NEAR(three->wrkI()[0], expected(profileI, 0), tolerance);
    EXPECT_NEAR(three->wrkI()[39], expected(profileI, 39), tolerance);
    EXPECT_EQ(five->chanI, before5.chanI);

    // A file that is not there changes nothing.
    for (int j = 0; j < 40; ++j)
        three->wrkI()[j] = 2;
    runBatch(tmp.file("missing.fit"), 0);
    EXPECT_EQ(three->wrkI()[7], 2.0f);
}
