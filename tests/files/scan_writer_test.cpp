#include "files/scan_writer.h"

#include "app/settings_store.h"
#include "app/workbench.h"
#include "files/data_file_reader.h"
#include "files/open_scans.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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
