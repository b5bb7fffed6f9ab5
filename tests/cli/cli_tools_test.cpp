// The built quillmar-batch and quillmar-synth programs, run as a user would.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "tests/cli/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

const std::string kBatch = QM_BATCH_EXE;
const std::string kSynth = QM_SYNTH_EXE;
const std::string kExamples = std::string(QM_SOURCE_DIR) + "/examples";

struct ToolRun {
    int code = -1;
    std::string out, err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string quote(const std::string& s) { return "'" + s + "'"; }

ToolRun run(const TempFolder& dir, const std::string& program, const std::string& args)
{
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string cmd = quote(program) + " " + args + " >" + quote(out) + " 2>" + quote(err) + " </dev/null";
    const int status = std::system(cmd.c_str());
    ToolRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
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
    TempFolder dir("list");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    const std::string listing = slurp(set);
    const int lines = occurrences(listing, "\n");
    ASSERT_GE(lines, 15);

    ToolRun r = run(dir, kBatch, "--list " + quote(set));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(occurrences(r.out, "\tHeader of active scan\n"), lines);
    EXPECT_EQ(occurrences(r.out, "Data I(R)                : min "), lines);
    EXPECT_EQ(occurrences(r.out, "Worksheet V(L)           : min "), lines);
    EXPECT_NE(r.out.find("Frequency of observation : 3.0000 [GHz]\n"), std::string::npos);
    EXPECT_NE(r.out.find("Frequency of observation : 18.0000 [GHz]\n"), std::string::npos);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

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

    ToolRun f = run(dir, kBatch, "--list " + quote(kExamples + "/shape-f/scan.0hd"));
    ASSERT_EQ(f.code, 0) << f.err;
    EXPECT_EQ(occurrences(f.out, "\tHeader of active scan\n"), 1);
    EXPECT_NE(f.out.find("Data V(L)"), std::string::npos);
}

TEST(QuillmarBatch, ListRefusesDamagedFiles)
{
    TempFolder dir("damaged");
    std::vector<uint8_t> good;
    ASSERT_TRUE(readWholeFile(kExamples + "/sun3-18/set.001", good));
    const std::string card = "NAXIS1  =           3000";
    const std::string goodText(good.begin(), good.end());
    ASSERT_EQ(goodText.compare(240, card.size(), card), 0);

    // A header file naming a missing data file, one naming a data file cut
    // inside its header, and one naming a scan longer than 16000 points.
    ASSERT_TRUE(writeFileAtomically(dir / "missing.0hd", "nothere.001\r\n"));
    ASSERT_TRUE(writeFileAtomically(dir / "cut.001", goodText.substr(0, 1000)));
    ASSERT_TRUE(writeFileAtomically(dir / "cut.0hd", "cut.001\r\n"));
    std::string huge = goodText;
    huge.replace(240, card.size(), "NAXIS1  =          16001");
    ASSERT_TRUE(writeFileAtomically(dir / "huge.001", huge));
    ASSERT_TRUE(writeFileAtomically(dir / "huge.0hd", "huge.001\r\n"));
    ASSERT_TRUE(writeFileAtomically(dir / "good.001", goodText));
    ASSERT_TRUE(writeFileAtomically(dir / "good.0hd", "good.001\r\n"));

    for (const char* bad : {"missing.0hd", "cut.0hd", "huge.0hd", "nosuchfile.0hd"}) {
        SCOPED_TRACE(bad);
        ToolRun r = run(dir, kBatch, "--list " + quote(dir / bad));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("cannot load " + dir / bad), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("Header of active scan"), std::string::npos);
    }
    // The core's own refusal texts are passed on, once each.
    ToolRun huge1 = run(dir, kBatch, "--list " + quote(dir / "huge.0hd"));
    EXPECT_EQ(occurrences(huge1.err, "Set of data is very large"), 1) << huge1.err;
    EXPECT_EQ(occurrences(huge1.err, "Header File is BAD"), 1) << huge1.err;
    ToolRun cutData = run(dir, kBatch, "--list " + quote(dir / "cut.001"));
    EXPECT_EQ(cutData.code, 1);
    EXPECT_EQ(occurrences(cutData.err, "Data file is BAD"), 1) << cutData.err;

    // A good file among bad ones is still listed; the run fails.
    ToolRun mixed = run(dir, kBatch, "--list " + quote(dir / "cut.0hd") + " " + quote(dir / "good.0hd"));
    EXPECT_EQ(mixed.code, 1);
    EXPECT_EQ(occurrences(mixed.out, "\tHeader of active scan\n"), 1);
    ToolRun fine = run(dir, kBatch, "--list " + quote(dir / "good.0hd"));
    EXPECT_EQ(fine.code, 0) << fine.err;
}

TEST(QuillmarBatch, WrongCommandLinesGiveTheUsage)
{
    TempFolder dir("usage");
    for (const char* args : {"", "--frob", "--list", "--convert only-one", "--list a --frob"}) {
        SCOPED_TRACE(args);
        ToolRun r = run(dir, kBatch, args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("Usage: quillmar-batch --list FILE..."), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
    ToolRun help = run(dir, kBatch, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: quillmar-batch --list FILE..."), std::string::npos);

    ToolRun synth = run(dir, kSynth, "--points 20000 --out x.0hd");
    EXPECT_EQ(synth.code, 2);
    EXPECT_NE(synth.err.find("bad value for --points"), std::string::npos);
    EXPECT_EQ(run(dir, kSynth, "--bogus 1").code, 2);
    EXPECT_EQ(run(dir, kSynth, "").code, 2);
    EXPECT_EQ(run(dir, kSynth, "--help").code, 0);
}

TEST(QuillmarBatch, ConvertWritesTheWorksheetsAsANewSet)
{
    TempFolder dir("convert");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    const std::string out = dir / "copy.0hd";
    ToolRun r = run(dir, kBatch, "--convert " + quote(set) + " " + quote(out));
    ASSERT_EQ(r.code, 0) << r.err;

    HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
    ASSERT_TRUE(a.load(set));
    ASSERT_TRUE(b.load(out));
    ASSERT_EQ(a.wb.scans.count(), b.wb.scans.count());
    for (int k = 0; k < a.wb.scans.count(); ++k) {
        const ScanRecord& x = *a.wb.scans.at(k);
        const ScanRecord& y = *b.wb.scans.at(k);
        EXPECT_EQ(x.label(), y.label());
        EXPECT_EQ(x.nPoints, y.nPoints);
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

    // Two sets of different lengths cannot be written as one; a failed load
    // writes nothing.
    ToolRun mixed = run(dir, kBatch,
                    "--convert " + quote(set) + " " + quote(kExamples + "/shape-f/scan.0hd") + " " +
                        quote(dir / "mixed.0hd"));
    EXPECT_EQ(mixed.code, 1);
    EXPECT_FALSE(fs::exists(dir / "mixed.0hd"));
    ToolRun bad = run(dir, kBatch, "--convert " + quote(dir / "nothing.0hd") + " " + quote(dir / "none.0hd"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("cannot load"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "none.0hd"));
}

// A .wsf output is a compressed workspace that keeps every array bit for bit,
// even for scans of different lengths, and --list reads it back.
TEST(QuillmarBatch, ConvertToWorkspaceAndListIt)
{
    TempFolder dir("convert-wsf");
    const std::string set = kExamples + "/sun3-18/set.0hd";
    const std::string shapeF = kExamples + "/shape-f/scan.0hd";
    const std::string out = dir / "all.wsf";
    ToolRun r = run(dir, kBatch, "--convert " + quote(set) + " " + quote(shapeF) + " " + quote(out));
    ASSERT_EQ(r.code, 0) << r.err;

    HeadlessWorkbench a(nullptr, nullptr), b(nullptr, nullptr);
    ASSERT_TRUE(a.load(set));
    ASSERT_TRUE(a.load(shapeF));
    ASSERT_TRUE(b.load(out));
    ASSERT_EQ(a.wb.scans.count(), b.wb.scans.count());
    for (int k = 0; k < a.wb.scans.count(); ++k) {
        const ScanRecord& x = *a.wb.scans.at(k);
        const ScanRecord& y = *b.wb.scans.at(k);
        EXPECT_EQ(x.label(), y.label());
        EXPECT_EQ(x.chanI, y.chanI) << "scan " << k;
        EXPECT_EQ(x.chanV, y.chanV) << "scan " << k;
    }

    ToolRun list = run(dir, kBatch, "--list " + quote(out));
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("Header of active scan"), std::string::npos);
}

TEST(QuillmarSynth, SameCommandWritesTheSameBytes)
{
    TempFolder dir("synth");
    fs::create_directories(dir.path() / "a");
    fs::create_directories(dir.path() / "b");
    fs::create_directories(dir.path() / "c");
    const std::string common = " --freqs 3 --from 4 --to 9 --points 800 --step 2 --obs 2 --shape-f ";
    ASSERT_EQ(run(dir, kSynth, "--out " + quote(dir / "a/s.0hd") + common + quote(dir / "a/f.dat")).code, 0);
    ASSERT_EQ(run(dir, kSynth, "--out " + quote(dir / "b/s.0hd") + common + quote(dir / "b/f.dat")).code, 0);
    ASSERT_EQ(run(dir, kSynth, "--seed 2 --out " + quote(dir / "c/s.0hd") + common + quote(dir / "c/f.dat")).code,
              0);
    for (const char* name : {"s.0hd", "s.001", "s.003", "s.006", "f.dat"}) {
        SCOPED_TRACE(name);
        const std::string a = slurp(dir / (std::string("a/") + name));
        ASSERT_FALSE(a.empty());
        EXPECT_EQ(a, slurp(dir / (std::string("b/") + name)));
        if (std::string(name) != "s.0hd") {
            EXPECT_NE(a, slurp(dir / (std::string("c/") + name)));
        }
    }
    EXPECT_FALSE(fs::exists(dir / "a/s.007"));

    // The shape-F file loads through a header file naming it.
    ASSERT_TRUE(writeFileAtomically(dir / "a/f.0hd", "f.dat\r\n"));
    ToolRun list = run(dir, kBatch, "--list " + quote(dir / "a/f.0hd"));
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("Frequency of observation : 4.0000 [GHz]"), std::string::npos);
}

} // namespace
} // namespace qm
