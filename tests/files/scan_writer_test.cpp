#include "files/scan_writer.h"

#include "app/settings_store.h"
#include "app/workbench.h"
#include "files/data_file_reader.h"
#include "files/open_scans.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;
using test::filesIn;
using test::readTextFile;
using test::writeFile;
namespace fs = std::filesystem;

namespace {

class ScanWriterTest : public ::testing::Test {
protected:
    ScanWriterTest()
    {
        fs::create_directories(dir);
        wb.settings.output = dir.string();
    }
    ~ScanWriterTest() override { fitsSaveWriters() = {}; }

    ScanRecord* addScan(float freq, int n, bool chan1 = true, bool chan2 = true)
    {
        return test::addScan(wb, test::wavyScan(freq, n, 0.5f, chan1, chan2));
    }

    // Reads a written data file back and compares the array with `expected`
    // over the points first, first+step, ... up to last: every value within
    // one quantum of the original.
    void expectReadsBack(const fs::path& file, const float* expected, int first, int last, int step, bool channel1)
    {
        ScanRecord back;
        ASSERT_TRUE(readDataFile(wb, file.string(), back)) << file;
        const float* got = channel1 ? back.dataI() : back.dataV();
        ASSERT_NE(got, nullptr) << file;
        const double quantum = test::quantum(expected, first, last, step);
        int k = 0;
        for (int i = first; i <= last; i += step, ++k)
            EXPECT_NEAR(got[k], expected[i], quantum) << file << " point " << i;
        EXPECT_EQ(back.nPoints, k);
    }

    // Interactive Worksheet save of every scan over all points, step 1.
    bool saveSet(const fs::path& header)
    {
        wb.allMode = true;
        wb.viewBegin = 0;
        wb.viewEnd = wb.scans.head()->nPoints;
        ui.fileAnswers.push_back(header.string());
        ui.textAnswers = {"0", "1"};
        return saveScans(wb, SaveWhich::Worksheet);
    }

    // Every entry of the folder with the size and a hash of its bytes
    // (folders map to "<dir>").
    std::map<std::string, std::string> contents() const
    {
        std::map<std::string, std::string> m;
        for (const std::string& name : filesIn(dir)) {
            const std::string bytes = readTextFile(dir / name);
            m[name] = fs::is_directory(dir / name)
                          ? "<dir>"
                          : std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
        }
        return m;
    }

    test::TempDir tmp;
    fs::path root = tmp.path(), dir = root / "out";
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb{ui, store, "."};
};

} // namespace

// A Worksheet save in ALL mode: the data files, the header file, and values
// that read back within one quantum.
TEST_F(ScanWriterTest, WorksheetSaveWritesSetThatReadsBack)
{
    ScanRecord* a = addScan(3.0f, 40);
    ScanRecord* b = addScan(2.8f, 40);
    wb.allMode = true;
    wb.viewBegin = 1;
    wb.viewEnd = 38;
    ui.fileAnswers.push_back((dir / "set.0hd").string());
    ui.textAnswers = {"0", "1"};
    saveScans(wb, SaveWhich::Worksheet);

    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "set.002"}));
    EXPECT_EQ(readTextFile(dir / "set.0hd"), "set.001\t2.800[GHz]\r\nset.002\t3.000[GHz]\r\n");
    for (const auto& [file, scan] : {std::pair{"set.001", b}, std::pair{"set.002", a}}) {
        expectReadsBack(dir / file, scan->wrkI(), 1, 37, 1, true);
        expectReadsBack(dir / file, scan->wrkV(), 1, 37, 1, false);
    }

    // The header file loads as a set of the two scans.
    test::FakeUi otherUi;
    Workbench other(otherUi, store, ".");
    EXPECT_EQ(openScans(other, (dir / "set.0hd").string()), 1);
    ASSERT_EQ(other.scans.count(), 2);
    std::set<float> frequencies{other.scans.at(0)->frequency, other.scans.at(1)->frequency};
    EXPECT_EQ(frequencies, (std::set<float>{2.8f, 3.0f}));
    EXPECT_TRUE(otherUi.messages.empty());

}

// Batch: no question reaches the UI; the format and the step come from the
// first and third arguments; a name without a dot gets ".x".
TEST_F(ScanWriterTest, BatchSaveAsksNothingAndNamesWithoutDot)
{
    addScan(2.8f, 30);
    addScan(3.0f, 30);
    wb.allMode = true;
    wb.viewBegin = 2;
    wb.viewEnd = 27;
    wb.interactiveMode = false;
    wb.batchArgs = {1.9f, 0, 3.7f, 0};
    saveScans(wb, SaveWhich::Worksheet, (dir / "set").string());

    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(ui.fileDialogs.empty());
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set", "set.x01", "set.x02"}));
    EXPECT_EQ(readTextFile(dir / "set"), "set.x01\t2.800[GHz]\r\nset.x02\t3.000[GHz]\r\n");
    const std::string f = readTextFile(dir / "set.x01");
    EXPECT_NE(f.find("BITPIX  =             64"), std::string::npos);
    EXPECT_NE(f.find("NAXIS1  =              9"), std::string::npos); // points 2, 5, ..., 26
    expectReadsBack(dir / "set.x01", wb.scans.head()->wrkI(), 2, 26, 3, true);

}

// A save that cannot write one file of the new set leaves the old set as it
// was, removes its temporaries and says which file; a save that succeeds
// replaces the old set and removes the old files it does not reuse.
TEST_F(ScanWriterTest, SavesAreAllOrNothing)
{
    for (float f : {2.0f, 2.5f, 3.0f})
        addScan(f, 40);
    writeFile(root / "outside.001", "kept");
    ASSERT_TRUE(saveSet(dir / "set.0hd"));
    // The old header also names a file outside its folder, never removed.
    writeFile(dir / "set.0hd", readTextFile(dir / "set.0hd") + "../outside.001\r\n");
    const auto old = contents();

    // New values, and a fourth scan whose data file has a folder in the way.
    for (const auto& r : wb.scans)
        r->wrkI()[3] = r->dataI()[3] += 100;
    addScan(3.5f, 40);
    fs::create_directory(dir / "set.004");
    EXPECT_FALSE(saveSet(dir / "set.0hd"));
    auto expected = old;
    expected["set.004"] = "<dir>";
    EXPECT_EQ(contents(), expected);
    const std::string reason = "File " + (dir / "set.004").string() + " cannot be written";
    EXPECT_TRUE(ui.sawMessage(reason));
    EXPECT_EQ(wb.takeFailures(), std::vector<std::string>{reason});

    // A Data save that cannot write one scan's file rewrites none.
    copyField(wb.scans.at(0)->dataFile, (dir / "set.001").string());
    copyField(wb.scans.at(1)->dataFile, (dir / "missing" / "set.002").string());
    wb.allMode = true;
    EXPECT_FALSE(saveScans(wb, SaveWhich::Data));
    EXPECT_EQ(contents(), expected);
    EXPECT_EQ(wb.takeFailures().size(), 1u);

    // Two scans over the old set of three: set.003 goes, the file outside
    // the folder stays, nothing else is left.
    fs::remove(dir / "set.004");
    wb.allMode = true;
    wb.removeScan(wb.scans.at(3));
    wb.removeScan(wb.scans.at(2));
    ASSERT_TRUE(saveSet(dir / "set.0hd"));
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"set.0hd", "set.001", "set.002"}));
    EXPECT_EQ(readTextFile(dir / "set.0hd"), "set.001\t2.000[GHz]\r\nset.002\t2.500[GHz]\r\n");
    EXPECT_EQ(readTextFile(root / "outside.001"), "kept");
    EXPECT_TRUE(wb.takeFailures().empty());

    // An output folder that cannot be made is named.
    writeFile(root / "file", "");
    EXPECT_FALSE(saveSet(root / "file" / "set.0hd"));
    EXPECT_EQ(wb.takeFailures().size(), 1u);
}

// A disk that fills up during the save (a file size limit in a child
// process) leaves the old set whole and reports the failure.
TEST_F(ScanWriterTest, DiskFullKeepsTheOldSet)
{
    for (float f : {2.0f, 3.0f})
        addScan(f, 2000);
    ASSERT_TRUE(saveSet(dir / "set.0hd"));
    const auto old = contents();
    for (const auto& r : wb.scans)
        r->wrkI()[5] += 1000; // a set that differs from the old one

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{6000, 6000}; // room for the header cards, not for the samples
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool saved = saveSet(dir / "set.0hd");
        _exit((saved ? 1 : 0) | (wb.takeFailures().size() == 1 ? 2 : 0));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2); // refused, one failure recorded
    EXPECT_EQ(contents(), old);
}
