// The built quillmar-batch and quillmar-synth programs, run as a user would.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "tests/cli/run_tool.h"
#include "tests/files/fits_checkers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>

namespace qm {
namespace {

using test::TempDir;

const std::string kBatch = QM_BATCH_EXE;
const std::string kSynth = QM_SYNTH_EXE;
const std::string kExamples = std::string(QM_SOURCE_DIR) + "/examples";

using test::ToolRun;

std::string quote(const std::string& s) { return "'" + s + "'"; }
ToolRun run(const TempDir& dir, const std::string& program, const std::string& args)
{
    return test::runTool(program, args, dir.path().string());
}

int occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size()))
        ++n;
    return n;
}

TEST(QuillmarBatch, ListsTheCommittedExamples)
{
    TempDir dir("qm-list");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    const std::string listing = test::readTextFile(set);
    const int lines = occurrences(listing, "\n");
    ASSERT_GE(lines, 15);

    ToolRun r = run(dir, kBatch, "--list " + quote(set));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(occurrences(r.out, "\tHeader of active scan\n"), lines);
    EXPECT_EQ(occurrences(r.out, "Data I(R)                : min "), lines);
    EXPECT_NE(r.out.find("Frequency of observation : 18.0000 [GHz]\n"), std::string::npos);

    // The mean printed for the first scan is the mean of the loaded array.
    HeadlessWorkbench h(nullptr, nullptr);
    ASSERT_TRUE(h.load(set));
    const ScanRecord& first = *h.wb.scans.head();
    long double sum = 0;
    for (int i = 0; i < first.nPoints; ++i)
        sum += first.dataI()[i];
    const auto at = r.out.find("Data I(R)                : min ");
    const auto meanAt = r.out.find("mean ", at);
    ASSERT_NE(meanAt, std::string::npos);
    EXPECT_NEAR(std::stod(r.out.substr(meanAt + 5)), double(sum / first.nPoints), 1e-3);

}

TEST(QuillmarBatch, ListRefusesDamagedFiles)
{
    TempDir dir("qm-damaged");
    std::vector<uint8_t> good;
    ASSERT_TRUE(readWholeFile(kExamples + "/sun3-18/set.001", good));
    const std::string card = "NAXIS1  =           3000";
    const std::string goodText(good.begin(), good.end());
    ASSERT_EQ(goodText.compare(240, card.size(), card), 0);

    // A header file naming a missing data file and one naming a scan longer
    // than 16000 points.
    ASSERT_TRUE(writeFileAtomically(dir.file("missing.0hd"), "nothere.001\r\n"));
    std::string huge = goodText;
    huge.replace(240, card.size(), "NAXIS1  =          16001");
    ASSERT_TRUE(writeFileAtomically(dir.file("huge.001"), huge));
    ASSERT_TRUE(writeFileAtomically(dir.file("huge.0hd"), "huge.001\r\n"));

    for (const char* bad : {"missing.0hd", "huge.0hd"}) {
        SCOPED_TRACE(bad);
        ToolRun r = run(dir, kBatch, "--list " + quote(dir.file(bad)));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("cannot load " + dir.file(bad)), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("Header of active scan"), std::string::npos);
    }
    // The core's own refusal texts are passed on, once each.
    ToolRun huge1 = run(dir, kBatch, "--list " + quote(dir.file("huge.0hd")));
    EXPECT_EQ(occurrences(huge1.err, "Set of data is very large"), 1) << huge1.err;
    EXPECT_EQ(occurrences(huge1.err, "Header File is BAD"), 1) << huge1.err;

}

TEST(QuillmarBatch, WrongCommandLinesGiveTheUsage)
{
    TempDir dir("qm-usage");
    for (const char* args : {"", "--frob", "--convert only-one"}) {
        SCOPED_TRACE(args);
        ToolRun r = run(dir, kBatch, args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("Usage: quillmar-batch"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(run(dir, kSynth, "--points 20000 --out x.0hd").code, 2);
}

// The error stream of a script run: errors in every mode, refusals by
// default, the questions nobody was asked and the per-scan status texts
// only with --verbose; reports stay on the output stream.
TEST(QuillmarBatch, VerbosityVersionAndFailedScripts)
{
    TempDir dir("qm-verbosity");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    ASSERT_TRUE(writeFileAtomically(dir.file("run.spt"), "[Commands]\nAllMode=1\nSigma\nSaveWorksheet\nOpenFile\n"));
    const std::string failure = "!OpenFile Not available in batch mode\n";
    const std::string question = "Do You want to save data?\n", perScan = "Saving of scan 18.00[GHz] is end\n";

    std::string report;
    for (const char* mode : {"", "--quiet ", "--verbose "}) {
        SCOPED_TRACE(mode);
        const ToolRun r = run(dir, kBatch, std::string(mode) + "--script run.spt " + quote(set));
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(occurrences(r.err, failure), 1) << r.err;
        const bool verbose = std::string(mode) == "--verbose ";
        EXPECT_EQ(occurrences(r.err, question), verbose ? 1 : 0);
        EXPECT_EQ(occurrences(r.err, perScan), verbose ? 1 : 0);
        if (std::string(mode) == "--quiet ") {
            EXPECT_EQ(r.err, failure);
        }
        if (report.empty())
            report = r.out;
        EXPECT_EQ(r.out, report);
    }
    EXPECT_NE(report.find("Scan's sigma\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("0-Script.0hd")));

    // Without the failing command the script succeeds, silently.
    ASSERT_TRUE(writeFileAtomically(dir.file("run.spt"), "[Commands]\nAllMode=1\nSaveWorksheet\n"));
    const ToolRun ok = run(dir, kBatch, "--script run.spt " + quote(set));
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.err, "");

    const ToolRun version = run(dir, kBatch, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "quillmar-batch " QM_VERSION "\n");
}

// --convert writes the worksheets: a header set within the 16-bit
// quantisation, a .wsf workspace (even for scans of different lengths) and a
// .fits scan set bit for bit.
TEST(QuillmarBatch, ConvertRoundTrips)
{
    TempDir dir("qm-convert");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    const std::string shapeF = kExamples + "/shape-f/scan.0hd";
    for (const std::string& name : {std::string("copy.0hd"), std::string("all.wsf"), std::string("set.fits")}) {
        SCOPED_TRACE(name);
        const bool wsf = name == "all.wsf", exact = name != "copy.0hd";
        const std::string out = dir.file(name);
        const std::string inputs = quote(set) + (wsf ? " " + quote(shapeF) : std::string());
        ToolRun r = run(dir, kBatch, "--convert " + inputs + " " + quote(out));
        ASSERT_EQ(r.code, 0) << r.err;
        HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
        ASSERT_TRUE(a.load(set));
        if (wsf) {
            ASSERT_TRUE(a.load(shapeF));
        }
        ASSERT_TRUE(b.load(out));
        ASSERT_EQ(a.wb.scans.count(), b.wb.scans.count());
        for (int k = 0; k < a.wb.scans.count(); ++k) {
            const ScanRecord& x = *a.wb.scans.at(k);
            const ScanRecord& y = *b.wb.scans.at(k);
            EXPECT_EQ(x.label(), y.label());
            ASSERT_EQ(x.nPoints, y.nPoints);
            if (exact) {
                EXPECT_EQ(x.chanI, y.chanI) << "scan " << k;
                EXPECT_EQ(x.chanV, y.chanV) << "scan " << k;
                continue;
            }
            for (int ch = 1; ch <= 2; ++ch) {
                const float* u = ch == 1 ? x.wrkI() : x.wrkV();
                const float* v = ch == 1 ? y.dataI() : y.dataV();
                ASSERT_TRUE(u && v);
                const auto [lo, hi] = std::minmax_element(u, u + x.nPoints);
                const double q = (double(*hi) - *lo) / 60000 * 1.02 + 2e-6 * (std::fabs(*hi) + std::fabs(*lo));
                for (int i = 0; i < x.nPoints; ++i)
                    ASSERT_NEAR(u[i], v[i], q) << "scan " << k << " channel " << ch << " point " << i;
            }
        }
    }
    if (const auto v = test::runFitsverify(dir.file("set.fits"))) {
        EXPECT_EQ(v->errors, 0) << v->report;
    }
}

// A --convert whose last data file cannot be written leaves the old set as
// it was, says which file and exits 1.
TEST(QuillmarBatch, FailedConvertKeepsTheOldSet)
{
    TempDir dir("qm-convert-fail");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    ASSERT_EQ(run(dir, kBatch, "--convert " + quote(set) + " " + quote(dir.file("copy.0hd"))).code, 0);
    const auto files = test::filesIn(dir.path());
    std::map<std::string, std::string> old;
    for (const std::string& name : files)
        old[name] = test::readTextFile(dir.file(name));
    const std::string last = *std::prev(files.find("copy.0hd")); // copy.001 ... copy.0NN sort before it
    std::filesystem::remove(dir.file(last));
    std::filesystem::create_directory(dir.file(last));
    old[last] = "";

    ToolRun r = run(dir, kBatch, "--convert " + quote(set) + " " + quote(dir.file("copy.0hd")));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("File " + dir.file(last) + " cannot be written"), std::string::npos) << r.err;
    std::map<std::string, std::string> now;
    for (const std::string& name : test::filesIn(dir.path()))
        now[name] = test::readTextFile(dir.file(name));
    EXPECT_EQ(now, old);
}

} // namespace
} // namespace qm
