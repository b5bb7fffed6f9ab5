// quillmar-batch --convert to a .fits name writes a binary-table scan set
// that --list and the loaders read back unchanged.
#include "cli/headless_workbench.h"
#include "tests/cli/temp_folder.h"
#include "tests/files/fits_checkers.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

namespace qm {
namespace {

int runBatch(const test::TempFolder& dir, const std::string& args, std::string& out)
{
    const std::string outFile = dir / "out.txt";
    const std::string cmd = test::shellQuote(QM_BATCH_EXE) + " " + args + " >" + test::shellQuote(outFile) +
                            " 2>&1 </dev/null";
    const int status = std::system(cmd.c_str());
    out = test::readTextFile(outFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(QuillmarBatch, ConvertToAScanSetAndListIt)
{
    test::TempFolder dir("convert-fits");
    const std::string set = std::string(QM_SOURCE_DIR) + "/examples/sun3-18/set.0hd";
    const std::string fits = dir / "set.fits";
    std::string out;
    ASSERT_EQ(runBatch(dir, "--convert " + test::shellQuote(set) + " " + test::shellQuote(fits), out), 0) << out;

    HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
    ASSERT_TRUE(a.load(set));
    ASSERT_TRUE(b.load(fits));
    ASSERT_EQ(a.wb.scans.count(), b.wb.scans.count());
    for (int k = 0; k < a.wb.scans.count(); ++k) {
        const ScanRecord& x = *a.wb.scans.at(k);
        const ScanRecord& y = *b.wb.scans.at(k);
        SCOPED_TRACE(x.label());
        EXPECT_EQ(x.label(), y.label());
        EXPECT_EQ(x.nPoints, y.nPoints);
        EXPECT_EQ(x.step, y.step);
        EXPECT_EQ(x.centerPoint, y.centerPoint);
        EXPECT_EQ(x.chanI, y.chanI); // the worksheets, bit for bit
        EXPECT_EQ(x.chanV, y.chanV);
    }

    ASSERT_EQ(runBatch(dir, "--list " + test::shellQuote(fits), out), 0) << out;
    EXPECT_NE(out.find(std::to_string(a.wb.scans.count()) + " scans"), std::string::npos) << out;
    EXPECT_NE(out.find("Frequency of observation : 18.0000 [GHz]"), std::string::npos);

    if (const auto v = test::runFitsverify(fits)) {
        EXPECT_EQ(v->errors, 0) << v->report;
    }
}

} // namespace
} // namespace qm
