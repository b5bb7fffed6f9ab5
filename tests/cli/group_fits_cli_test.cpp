// quillmar-batch --convert --group, run as a user would.
#include "app/text_format.h"
#include "cli/headless_workbench.h"
#include "tests/cli/temp_folder.h"
#include "tests/files/group_fits_checks.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace qm {
namespace {

using test::TempFolder;

struct BatchRun {
    int code = -1;
    std::string out, err;
};

BatchRun runBatch(const TempFolder& dir, const std::string& args)
{
    const std::string out = dir / "out.txt", err = dir / "err.txt";
    const int status = std::system(
        (std::string("'") + QM_BATCH_EXE + "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readTextFile(out), test::readTextFile(err)};
}

// A set of three scans sharing their ephemerides, saved as a header file.
std::vector<std::unique_ptr<ScanRecord>> makeSet()
{
    std::vector<std::unique_ptr<ScanRecord>> set;
    for (float f : {2.5f, 4.75f, 9.0f}) {
        auto r = std::make_unique<ScanRecord>();
        r->frequency = f;
        r->nPoints = 300;
        r->step = 2;
        r->centerPoint = 150.25f;
        r->radius = 950;
        r->fluxCoef = 1; // the shipped table is not consulted for these values
        r->fluxWrk = 1;
        copyField(r->dateObs, "2011/07/30");
        copyField(r->timeObs, "07:45:00");
        copyField(r->object, "Sun");
        r->allocChannel(1);
        r->allocChannel(2);
        for (int i = 0; i < 300; ++i) {
            const double x = (i - 150.25) / 60;
            r->dataI()[i] = float(1000 * f * std::exp(-x * x) + i % 3);
            r->dataV()[i] = float(20 * std::sin(x * f));
        }
        r->copyDataToWorksheet();
        set.push_back(std::move(r));
    }
    return set;
}

TEST(GroupFitsCli, ConvertWritesGroupFitsThatReadsBack)
{
    TempFolder dir("group");
    HeadlessWorkbench maker(nullptr, nullptr);
    maker.adopt(makeSet());
    ASSERT_TRUE(maker.saveWorksheets(dir / "set.0hd"));

    BatchRun r = runBatch(dir, "--convert --group '" + (dir / "set.0hd") + "' '" + (dir / "set.fits") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, (dir / "set.fits") + ": 3 scans written\n");
    const std::string bytes = test::readTextFile(dir / "set.fits");
    EXPECT_NE(bytes.find("TTYPE6  = 'FREQUENCY    9.0000 GHZ R-L'"), std::string::npos);
    if (const auto v = test::runFitsverify(dir / "set.fits")) {
        EXPECT_TRUE(test::onlyExpectedFindings(*v)) << v->report;
    }

    // Every point of every worksheet comes back (16-bit quantisation twice:
    // the header file, then the group FITS file).
    HeadlessWorkbench back(nullptr, nullptr);
    ASSERT_TRUE(back.load(dir / "set.fits"));
    ASSERT_EQ(back.wb.scans.count(), 3);
    for (int k = 0; k < 3; ++k) {
        const ScanRecord& a = *maker.wb.scans.at(k);
        const ScanRecord& b = *back.wb.scans.at(k);
        EXPECT_EQ(b.frequency, a.frequency);
        ASSERT_EQ(b.nPoints, 300);
        EXPECT_FLOAT_EQ(b.centerPoint, 150.25f);
        EXPECT_FLOAT_EQ(b.step, 2);
        EXPECT_FLOAT_EQ(b.radius, 950);
        EXPECT_STREQ(b.dateObs, "2011/07/30");
        EXPECT_STREQ(b.timeObs, "07:45:00");
        // The shipped calibration table gives the coefficient the reader
        // divides by.
        ASSERT_GT(b.fluxCoef, 0);
        for (int i = 0; i < 300; ++i) {
            EXPECT_NEAR(b.wrkI()[i] * b.fluxCoef, a.wrkI()[i], 1000 * a.frequency / 15000) << i;
            EXPECT_NEAR(b.wrkV()[i] * b.fluxCoef, a.wrkV()[i], 20.0 / 10000) << i;
        }
    }
}

TEST(GroupFitsCli, RefusesWhatCannotBeAGroupFile)
{
    TempFolder dir("group-bad");
    BatchRun r = runBatch(dir, "--convert --group in.0hd out.0hd");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--group needs an OUTPUT name ending in .fit or .fits"), std::string::npos);

    // Scans seen with different disk centres cannot share one group file.
    HeadlessWorkbench maker(nullptr, nullptr);
    auto set = makeSet();
    set[1]->centerPoint = 151;
    maker.adopt(std::move(set));
    ASSERT_TRUE(maker.saveWorksheets(dir / "set.0hd"));
    r = runBatch(dir, "--convert --group '" + (dir / "set.0hd") + "' '" + (dir / "x.fits") + "'");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Data have different ephemerides"), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(dir / "x.fits").good());
}

// The example set goes to a group FITS file and back: the writer turns
// antenna temperatures into fluxes with each scan's coefficient (as its data
// file stores it, three decimals) and the reader divides by the shipped
// table's, which follows the same law; values come back scaled by exactly
// that ratio, up to the 16-bit steps.
TEST(GroupFitsCli, ExampleSetRoundTripsThroughGroupFits)
{
    TempFolder dir("group-example");
    const std::string set = std::string(QM_SOURCE_DIR) + "/examples/sun3-18/set.0hd";
    BatchRun r = runBatch(dir, "--convert --group '" + set + "' '" + (dir / "sun.fits") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
    ASSERT_TRUE(a.load(set));
    ASSERT_TRUE(b.load(dir / "sun.fits"));
    ASSERT_EQ(a.wb.scans.count(), b.wb.scans.count());
    for (int k = 0; k < a.wb.scans.count(); ++k) {
        const ScanRecord& x = *a.wb.scans.at(k);
        const ScanRecord& y = *b.wb.scans.at(k);
        ASSERT_EQ(x.nPoints, y.nPoints);
        EXPECT_NEAR(y.fluxCoef, x.fluxCoef, 5e-4) << k; // one law, stored with three decimals
        const double ratio = double(x.fluxCoef) / y.fluxCoef;
        for (int ch = 1; ch <= 2; ++ch) {
            const float* u = ch == 1 ? x.wrkI() : x.wrkV();
            const float* v = ch == 1 ? y.wrkI() : y.wrkV();
            ASSERT_TRUE(u && v);
            float top = 0;
            for (int i = 0; i < x.nPoints; ++i)
                top = std::max(top, std::fabs(u[i]));
            for (int i = 0; i < x.nPoints; ++i)
                ASSERT_NEAR(v[i], u[i] * ratio, 1e-3 * top) << "scan " << k << " channel " << ch << " point " << i;
        }
    }
}

} // namespace
} // namespace qm
