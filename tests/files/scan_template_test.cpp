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

constexpr float kUnset = -999;

// Position of point i of a grid, relative to the disk centre.
double position(const SampleGrid& g, int i) { return (i - g.centre) * g.spacing; }

} // namespace

// A source that is linear in position comes out linear on any grid: exact
// where the walks interpolate, and to the left also past the source's first
// point (the walk extrapolates); to the right it stops at the last point.
TEST(ResampleOutward, LinearProfileOnAnotherGrid)
{
    const SampleGrid from{10.3, 2.0, 15};
    const SampleGrid to{40.6, 0.7, 60};
    std::vector<float> src(15), dst(60, kUnset);
    const auto line = [](double x) { return 5 + 0.25 * x; };
    for (int i = 0; i < 15; ++i)
        src[std::size_t(i)] = float(line(position(from, i)));
    resampleOutward(src.data(), from, dst.data(), to);

    const double lastSource = position(from, 14); // 7.4
    for (int j = 0; j < 60; ++j) {
        if (position(to, j) <= lastSource)
            EXPECT_NEAR(dst[std::size_t(j)], line(position(to, j)), 1e-5) << j;
        else
            EXPECT_EQ(dst[std::size_t(j)], kUnset) << j;
    }
    EXPECT_LT(position(to, 0), position(from, 0)); // point 0 lies beyond the source
    EXPECT_EQ(dst[51] != kUnset && dst[52] == kUnset, true);

    // The same grid gives the source back.
    std::vector<float> same(15, kUnset);
    resampleOutward(src.data(), from, same.data(), from);
    EXPECT_EQ(same, src);

    // Unusable grids write nothing; far-away centres stay in bounds.
    std::vector<float> untouched(60, kUnset);
    for (const SampleGrid& bad : {SampleGrid{10, 0, 15}, SampleGrid{10, -1, 15}, SampleGrid{NAN, 1, 15},
                                  SampleGrid{10, INFINITY, 15}})
        resampleOutward(src.data(), bad, untouched.data(), to);
    EXPECT_EQ(untouched, std::vector<float>(60, kUnset));
    resampleOutward(src.data(), SampleGrid{-5e6, 1, 15}, untouched.data(), to);
    resampleOutward(src.data(), SampleGrid{5e6, 1, 15}, untouched.data(), to);
    resampleOutward(src.data(), from, untouched.data(), SampleGrid{-3e6, 1, 60});
    resampleOutward(src.data(), from, untouched.data(), SampleGrid{3e6, 1, 60});
}

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
    std::string templateFile(const std::string& name, bool flatI = false)
    {
        test::FakeUi otherUi;
        Workbench maker(otherUi, store, prog);
        auto m = test::wavyScan(3.0f, 30);
        m->centerPoint = 14.2f;
        m->step = 2;
        m->radius = 800;
        m->fluxWrk = 1;
        for (int i = 0; i < 30; ++i) {
            m->wrkI()[i] = flatI ? 0.0f : float(profileI(i - 14.2));
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
    EXPECT_NEAR(three->wrkV()[10], expected(profileV, 10), tolerance);
    EXPECT_EQ(five->chanI, before5.chanI);

    // Only V(L) switched on: I(R) is neither resampled nor scaled.
    for (int j = 0; j < 40; ++j)
        three->wrkI()[j] = three->wrkV()[j] = 1;
    wb.chkWrkI = false;
    runBatch(path, 1);
    EXPECT_EQ(three->wrkI()[5], 1.0f);
    EXPECT_NEAR(three->wrkV()[5], expected(profileV, 5), tolerance);

    // A shown part that sums to 0 is left as resampled.
    wb.chkWrkI = true;
    runBatch(templateFile("zero.fit", true), 1);
    for (int j = 0; j < 40; ++j)
        EXPECT_EQ(three->wrkI()[j], 0.0f) << j;

    // A file that is not there changes nothing.
    for (int j = 0; j < 40; ++j)
        three->wrkI()[j] = 2;
    runBatch(tmp.file("missing.fit"), 0);
    EXPECT_EQ(three->wrkI()[7], 2.0f);
}

// Interactive: the switch check, the file dialog, the flag prompt, and ONE
// mode acting on the active scan only.
TEST_F(ScanTemplateTest, InteractivePromptsAndOneMode)
{
    const std::string path = templateFile("m.fit");
    loadSet();
    const ScanRecord before = *three;
    auto other = test::wavyScan(3.0f, 40);
    copyField(other->timeObs, "06:00:00");
    ScanRecord* second = wb.scans.pushHead(std::move(other));
    wb.activeScan = three;

    wb.chkWrkI = wb.chkWrkV = false;
    wb.dispatch(192);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "WORKSHEET is not checked");
    EXPECT_TRUE(ui.fileDialogs.empty());

    wb.chkWrkI = true;
    ui.fileAnswers = {path, path};
    ui.textAnswers = {std::nullopt, std::string("x")};
    wb.dispatch(192);
    wb.dispatch(192);
    ASSERT_EQ(ui.fileDialogs.size(), 2u);
    EXPECT_EQ(ui.filtersOf(0), (std::vector<std::string>{"GROUP FITS files *.fit", "Any Files *.*"}));
    EXPECT_EQ(ui.fileDialogs[0].initialDir, tmp.path().string());
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Input Flag (1 or 0) :", "Input Flag (1 or 0) :"}));
    EXPECT_EQ(three->wrkI()[3], before.wrkI()[3]);

    ui.fileAnswers = {path};
    ui.textAnswers = {std::string("0")};
    wb.dispatch(192);
    EXPECT_NEAR(three->wrkI()[3], expected(profileI, 3), 2 * 7.25 / 30000);
    EXPECT_EQ(three->wrkV()[3], before.wrkV()[3]); // V(L) is switched off
    EXPECT_EQ(second->wrkI()[3], before.wrkI()[3]);
    EXPECT_EQ(ui.messages.size(), 1u);
}
