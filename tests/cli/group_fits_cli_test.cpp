// quillmar-batch --convert --group, run as a user would.
#include "cli/headless_workbench.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qm {
namespace {

using test::TempDir;

// The example set goes to a group FITS file and back: the writer turns
// antenna temperatures into fluxes with each scan's coefficient (as its data
// file stores it, three decimals) and the reader divides by the shipped
// table's, which follows the same law; values come back scaled by exactly
// that ratio, up to the 16-bit steps.
TEST(GroupFitsCli, ExampleSetRoundTripsThroughGroupFits)
{
    TempDir dir("qm-group-example");
    const std::string set = std::string(QM_SOURCE_DIR) + "/examples/sun3-18/set.0hd";
    const std::string args = "--convert --group '" + set + "' '" + dir.file("sun.fits") + "'";
    test::ToolRun r = test::runTool(QM_BATCH_EXE, args, dir.path().string());
    ASSERT_EQ(r.code, 0) << r.err;
    HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
    ASSERT_TRUE(a.load(set));
    ASSERT_TRUE(b.load(dir.file("sun.fits")));
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
